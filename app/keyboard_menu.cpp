#include "app/keyboard_menu.h"

#include <algorithm>
#include <cstring>

#include "script/buttons.h"
#include "script/interpreter.h"
#include "script/presentation.h"
#include "stage/world.h"

namespace {

// A click waits this many frames at most for a picture screen to be up and see it.
constexpr int kClickWaitFrames = 2;
// The highlight: two dark lines round the label, then two light ones.
constexpr int kRingWidth = 2;

bool pictureScreenUp() {
    return GameMode == kScriptMode && (ScriptPhase == Phase::Arm || ScriptPhase == Phase::Show);
}
int shownButtons() { return pictureScreenUp() ? std::min<int>(ShownButtonCount, kButtonRecords) : 0; }

int labelLength(int button) { return static_cast<int>(strnlen(ButtonTable[button].label, kTextSize)); }

// The middle of the label's cells, where a mouse would click it.
int64_t middleOf(int button, int& x, int& y) {
    x = ButtonTable[button].x + kTextCellWidth * labelLength(button) / 2;
    y = ButtonTable[button].y + kTextCellHeight / 2;
    return static_cast<int64_t>(static_cast<uint16_t>(x)) | (static_cast<int64_t>(static_cast<uint16_t>(y)) << 16);
}

// A mouse can press a button whose label has cells and whose middle is on the picture.
bool pressable(int button) {
    int x, y;
    middleOf(button, x, y);
    return labelLength(button) > 0 && x >= 0 && y >= 0 && x < kScreenWidth && y < kScreenHeight;
}

bool isKey(const Message& m) {
    return m.code == WM_KEYDOWN || m.code == WM_KEYUP || m.code == WM_SYSKEYDOWN || m.code == WM_SYSKEYUP;
}

void drawRing(Surface& s, int left, int top, int right, int bottom, uint32_t colour) {
    for (int y = std::max(top, 0); y < std::min(bottom, s.height); ++y) {
        const bool edgeRow = y < top + kRingWidth || y >= bottom - kRingWidth;
        for (int x = std::max(left, 0); x < std::min(right, s.width); ++x)
            if (edgeRow || x < left + kRingWidth || x >= right - kRingWidth) s.row(y)[x] = colour;
    }
}

}  // namespace

uint32_t KeyboardMenu::mnemonicOf(const char* label) {
    for (size_t i = 0; label[i] != '\0' && label[i + 1] != '\0'; ++i) {
        if (label[i] != '&') continue;
        const char c = label[++i];
        if (c >= 'a' && c <= 'z') return static_cast<uint32_t>(c - 'a' + 'A');
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return static_cast<uint32_t>(c);
    }
    return 0;
}

bool KeyboardMenu::takes(const Message& m, bool paused, bool leftHeld) {
    if (!isKey(m)) return false;
    const size_t key = m.wParam % kKeyCount;
    const bool down = m.code == WM_KEYDOWN || m.code == WM_SYSKEYDOWN;
    if (key == VK_SHIFT) shiftHeld = down;  // read for Shift+Tab, never taken
    if (!down) {
        const bool mine = keyTaken[key];
        keyTaken[key] = false;
        return mine;
    }
    // Alt combinations are the desktop's; a key whose first press the game saw stays the
    // game's until it is let go, repeats included.
    const bool repeat = (m.lParam & kPreviousStateBit) != 0;
    if (paused || m.code != WM_KEYDOWN || (repeat && !keyTaken[key])) return false;
    const bool confirm = key == VK_RETURN || key == VK_SPACE;
    const int shown = shownButtons();
    if (shown == 0) {
        // A picture screen without buttons goes on with Enter and Space as with a click.
        if (!pictureScreenUp() || !confirm) return false;
        if (!repeat && !leftHeld && !releaseOwed) click(pointer);
        keyTaken[key] = true;
        return true;
    }
    if (key == VK_TAB) {
        step(shiftHeld ? -1 : 1);
    } else if (key == VK_LEFT || key == VK_UP) {
        step(-1);
    } else if (key == VK_RIGHT || key == VK_DOWN) {
        step(1);
    } else if (confirm || (key == VK_KEY_Z && highlight >= 0)) {
        // With nothing highlighted yet, the first press shows where the highlight starts.
        if (!repeat && !leftHeld) highlight < 0 ? step(1) : press(highlight);
    } else {
        int chosen = -1;
        for (int j = 0; j < shown && chosen < 0; ++j)
            if (pressable(j) && mnemonicOf(ButtonTable[j].label) == key) chosen = j;
        if (chosen < 0) return false;
        if (!repeat && !leftHeld) press(chosen);
    }
    keyboardUsed = true;
    keyTaken[key] = true;
    return true;
}

void KeyboardMenu::step(int by) {
    const int shown = shownButtons();
    int at = highlight >= 0 && highlight < shown ? highlight : (by > 0 ? -1 : shown);
    for (int tries = 0; tries < shown; ++tries) {
        at = (at + by + shown) % shown;
        if (pressable(at)) {
            highlight = at;
            return;
        }
    }
}

void KeyboardMenu::press(int button) {
    if (releaseOwed) return;  // one click at a time
    highlight = button;
    int x, y;
    const int64_t position = middleOf(button, x, y);
    make(Message{WM_MOUSEMOVE, 0, position});
    click(position);
}

void KeyboardMenu::click(int64_t position) {
    make(Message{WM_LBUTTONDOWN, 0, position});
    clickPosition = position;
    releaseOwed = true;
    releaseDue = false;
    framesWaited = 0;
}

void KeyboardMenu::make(const Message& message) {
    if (madeNext == madeCount) madeCount = madeNext = 0;
    if (madeCount < kMadeCapacity) made[madeCount++] = message;
}

bool KeyboardMenu::nextMade(Message& out) {
    if (madeNext == madeCount && releaseDue) {
        make(Message{WM_LBUTTONUP, 0, clickPosition});
        releaseOwed = releaseDue = false;
    }
    if (madeNext == madeCount) return false;
    out = made[madeNext++];
    if (out.code == WM_MOUSEMOVE) pointer = out.lParam;
    return true;
}

void KeyboardMenu::pointerMoved() {
    highlight = -1;
    keyboardUsed = false;
}

void KeyboardMenu::frameStarted() {
    // A screen still being put up does not look at the button yet: the click waits for the
    // frame that shows it, so that it is not let go unseen.
    if (releaseOwed && (ScriptPhase != Phase::Arm || GameMode != kScriptMode || ++framesWaited > kClickWaitFrames))
        releaseDue = true;
    const int shown = shownButtons();
    if (highlight >= shown) highlight = -1;
    if (shown > 0 && highlight < 0 && keyboardUsed) step(1);
}

const Surface& KeyboardMenu::decorate(const Surface& frame) {
    if (highlight < 0 || highlight >= shownButtons() || frame.width != kScreenWidth || frame.height != kScreenHeight)
        return frame;
    if (decorated.width != frame.width || decorated.height != frame.height)
        resizeSurface(decorated, frame.width, frame.height, kBlack);
    std::copy(frame.pixels.begin(), frame.pixels.end(), decorated.pixels.begin());
    const Button& b = ButtonTable[highlight];
    const int right = b.x + kTextCellWidth * labelLength(highlight);
    const int bottom = b.y + kTextCellHeight;
    drawRing(decorated, b.x - kRingWidth, b.y - kRingWidth, right + kRingWidth, bottom + kRingWidth, kBlack);
    drawRing(decorated, b.x - 2 * kRingWidth, b.y - 2 * kRingWidth, right + 2 * kRingWidth, bottom + 2 * kRingWidth,
             kWhite);
    return decorated;
}
