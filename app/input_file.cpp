#include "app/input_file.h"

#include <cstdio>

const InputKeyName kInputKeyNames[8] = {
    {"LEFT", VK_LEFT}, {"RIGHT", VK_RIGHT}, {"UP", VK_UP},       {"DOWN", VK_DOWN},
    {"Z", VK_KEY_Z},   {"X", VK_KEY_X},     {"SPACE", VK_SPACE}, {"ENTER", VK_RETURN},
};

namespace {

const char* keyName(uint64_t key) {
    for (const InputKeyName& k : kInputKeyNames)
        if (k.key == key) return k.name;
    return nullptr;
}

}  // namespace

bool describeInputEvent(const Message& message, char* text, size_t size) {
    const char* words = nullptr;
    switch (message.code) {
    case WM_KEYDOWN:
    case WM_KEYUP: {
        const char* name = keyName(message.wParam);
        if (!name) return false;
        return std::snprintf(text, size, "key %s %s", message.code == WM_KEYDOWN ? "down" : "up", name) > 0;
    }
    case WM_MOUSEMOVE: {
        const uint64_t position = static_cast<uint64_t>(message.lParam);
        return std::snprintf(text, size, "mouse move %u %u", static_cast<unsigned>(position & 0xFFFF),
                             static_cast<unsigned>((position >> 16) & 0xFFFF)) > 0;
    }
    case WM_LBUTTONDOWN: words = "mouse down left"; break;
    case WM_LBUTTONUP: words = "mouse up left"; break;
    case WM_RBUTTONDOWN: words = "mouse down right"; break;
    case WM_RBUTTONUP: words = "mouse up right"; break;
    case WM_CLOSE: words = "close"; break;
    case WM_SYSKEYDOWN:  // Alt+F4 closes the window exactly as the close box does
        if (message.wParam == VK_F4 && (message.lParam & kAltContextBit) != 0) words = "close";
        break;
    default: break;
    }
    if (!words) return false;
    return std::snprintf(text, size, "%s", words) > 0;
}
