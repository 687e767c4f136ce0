#include "app/command_line.h"

#include <cstring>

namespace {

bool looksLikeOption(const char* word) { return word[0] == '-' && word[1] != '\0'; }

}  // namespace

CommandAsked helpOrVersionAsked(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        const char* word = argv[i];
        if (std::strcmp(word, "--") == 0) break;
        if (std::strcmp(word, "--help") == 0 || std::strcmp(word, "-h") == 0) return CommandAsked::Help;
        if (std::strcmp(word, "--version") == 0) return CommandAsked::Version;
    }
    return CommandAsked::Run;
}

bool nextArgument(ArgumentReader& args) {
    if (args.next >= args.argc) return false;
    const char* word = args.argv[args.next++];
    if (!args.optionsEnded && std::strcmp(word, "--") == 0) {
        args.optionsEnded = true;
        return nextArgument(args);
    }
    args.isOption = !args.optionsEnded && looksLikeOption(word);
    args.word = word;
    args.attached = false;
    args.attachedValue.clear();
    if (!args.isOption) return true;
    if (args.word == "-h") args.word = "--help";
    const size_t equals = args.word.find('=');
    if (args.word.compare(0, 2, "--") == 0 && equals != std::string::npos) {
        args.attached = true;
        args.attachedValue = args.word.substr(equals + 1);
        args.word.resize(equals);
    }
    return true;
}

bool optionValue(ArgumentReader& args, std::string& value, std::string& error) {
    if (args.attached) {
        value = args.attachedValue;
        args.attached = false;  // a second value of the same option comes from the next word
        return true;
    }
    return nextValue(args, value, error);
}

bool nextValue(ArgumentReader& args, std::string& value, std::string& error) {
    if (args.next >= args.argc) return error = args.word + " needs a value", false;
    value = args.argv[args.next++];
    return true;
}

bool takesNoValue(const ArgumentReader& args, std::string& error) {
    if (args.attached) return error = args.word + " takes no value", false;
    return true;
}
