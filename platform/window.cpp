#include "platform/window.h"

InputValues InputState;

intptr_t windowProc(const Message& message) {
    switch (message.code) {
    case WM_DESTROY:
        platform->postQuitMessage(0);
        return 0;
    case WM_PAINT:  // the next frame's presentation repaints the window
        return 0;
    case WM_KEYDOWN:
        switch (message.wParam) {
        case VK_LEFT: InputState.arrowX = -1; break;
        case VK_UP: InputState.arrowY = -1; break;
        case VK_RIGHT: InputState.arrowX = 1; break;
        case VK_DOWN: InputState.arrowY = 1; break;
        case VK_KEY_X: InputState.keyX = 1; break;
        case VK_KEY_Z: InputState.keyZ = 1; break;
        default: break;
        }
        return 0;
    case WM_KEYUP:
        switch (message.wParam) {
        case VK_LEFT:
        case VK_RIGHT: InputState.arrowX = 0; break;
        case VK_UP:
        case VK_DOWN: InputState.arrowY = 0; break;
        case VK_KEY_X: InputState.keyX = 0; break;
        case VK_KEY_Z: InputState.keyZ = 0; break;
        default: break;
        }
        return 0;
    case WM_MOUSEMOVE:
        InputState.mouseX = static_cast<int32_t>(static_cast<uint64_t>(message.lParam) & 0xFFFF);
        InputState.mouseY = static_cast<int32_t>((static_cast<uint64_t>(message.lParam) >> 16) & 0xFFFF);
        return 0;
    case WM_LBUTTONDOWN: InputState.buttonL = 1; return 0;
    case WM_LBUTTONUP: InputState.buttonL = 0; return 0;
    case WM_RBUTTONDOWN: InputState.buttonR = 1; return 0;
    case WM_RBUTTONUP: InputState.buttonR = 0; return 0;
    default: return defaultWindowProc(message);
    }
}

intptr_t defaultWindowProc(const Message& message) {
    switch (message.code) {
    case WM_CLOSE:
        platform->destroyWindow();
        windowProc(Message{WM_DESTROY, 0, 0});
        break;
    case WM_SYSKEYDOWN:  // Alt+F4 asks the window to close, like the close box
        if (message.wParam == VK_F4 && (message.lParam & kAltContextBit) != 0) windowProc(Message{WM_CLOSE, 0, 0});
        break;
    default: break;
    }
    return 0;
}
