// The words of sortie-replay's input files, shared by the runner that reads them and the
// recorder that writes them: the keys the format names, and one event as a line's text.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

struct InputKeyName {
    const char* name;
    uint32_t key;
};
// Every key an input file can name; the game reacts to the first six.
extern const InputKeyName kInputKeyNames[8];

// The text after the frame number that stands for `message` ("key down Z", "mouse move 3 4",
// "close"), or false when the format has no words for it or the window procedure ignores
// it: keys outside the vocabulary, system keys other than Alt+F4 (which closes, as "close").
bool describeInputEvent(const Message& message, char* text, size_t size);
