// The rules every program of Sortie reads its command line by, so that the game and each
// tool take options alike: `-h` is `--help`, `--name=value` is `--name value`, a `--` word
// ends the options (every word after it is an operand), and `--help` or `--version`
// anywhere among the options is answered however wrong the rest of the line is.
#pragma once
#include <string>

// What a command line asks before anything else is read: the first of --help (or -h) and
// --version among its options, or to run.
enum class CommandAsked { Run, Help, Version };
CommandAsked helpOrVersionAsked(int argc, const char* const* argv);

// A walk over argv[1..argc-1], one option or operand at a time.
struct ArgumentReader {
    int argc = 0;
    const char* const* argv = nullptr;
    int next = 1;               // the index of the next word to read
    bool optionsEnded = false;  // a `--` was read
    bool isOption = false;      // `word` is an option's name, not an operand
    std::string word = {};      // the option's name ("--scale", "--help" for -h) or the operand
    bool attached = false;      // the option came as --name=value
    std::string attachedValue = {};
};

// Reads the next option or operand into the reader; false at the end of the line.
bool nextArgument(ArgumentReader& args);
// The current option's value: the text after its '=', or else the next word, whatever it
// looks like (a negative number is a value). False with "NAME needs a value" at the end.
bool optionValue(ArgumentReader& args, std::string& value, std::string& error);
// A further value of an option that takes several (`--stage shoot 3`): the next word.
bool nextValue(ArgumentReader& args, std::string& value, std::string& error);
// For an option that takes no value: false with "NAME takes no value" when one was
// attached with '='.
bool takesNoValue(const ArgumentReader& args, std::string& error);
