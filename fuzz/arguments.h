// A fuzz input read as a command line: one argument a line, after the program's name.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct FuzzArguments {
    std::vector<std::string> words;
    std::vector<const char*> argv;  // points into words

    FuzzArguments(const char* program, const uint8_t* data, size_t size) : words{program} {
        std::string word;
        for (size_t i = 0; i < size; ++i) {
            if (data[i] != '\n') {
                word += static_cast<char>(data[i]);
                continue;
            }
            words.push_back(word);
            word.clear();
        }
        if (!word.empty()) words.push_back(word);
        for (const std::string& w : words) argv.push_back(w.c_str());
    }
    int argc() const { return static_cast<int>(argv.size()); }
};
