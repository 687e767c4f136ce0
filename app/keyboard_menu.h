// Menus without a mouse, for the player's shell: while the script shows a set of buttons,
// Tab, Shift+Tab and the arrow keys (a pad's d-pad) move a highlight over them, Enter, Space
// or Z (a pad's A) press the highlighted one, and a label's underlined letter presses its
// button; on a picture screen without buttons Enter and Space go on. A press is the pointer
// move and left click a mouse would make, so the game, and a recording of it, see a click.
// The highlight is drawn on the presented copy of a frame, never into the game's surfaces.
// Outside those screens, and while paused, every key goes to the game as before.
#pragma once
#include <cstdint>

#include "platform/platform.h"
#include "platform/surface.h"

class KeyboardMenu {
public:
    // Whether `message`, a key the game would otherwise get, is the menu's: the keys above
    // while their screen is up (a press then becomes a click, fetched through nextMade), and
    // the releases of the keys it took. `leftHeld`: the game sees the left button down, so
    // no click can be made. Nothing but releases is taken while `paused`.
    bool takes(const Message& message, bool paused, bool leftHeld);
    // The pointer moved by the player's hand: the highlight goes until a menu key comes again.
    void pointerMoved();
    // The next message of a click the menu makes; false when there is none now.
    bool nextMade(Message& out);
    // A frame is about to run: the release of a click whose press a picture screen has seen
    // is due, and the highlight follows the screen (gone with its buttons).
    void frameStarted();
    // `frame` as the player should see it: itself, or a copy with the highlight drawn on.
    const Surface& decorate(const Surface& frame);

    // Where the game saw the pointer last, packed: the shell passes every move on.
    void notePointer(int64_t position) { pointer = position; }
    // The highlighted button, or -1.
    int highlighted() const { return highlight; }

    // The key that presses a label's button: its first underlined letter or digit, in upper
    // case; 0 when it has none.
    static uint32_t mnemonicOf(const char* label);

private:
    static constexpr int kKeyCount = 256;
    static constexpr int kMadeCapacity = 4;

    void press(int button);
    void click(int64_t position);
    void step(int by);
    void make(const Message& message);

    int highlight = -1;
    bool keyboardUsed = false;  // a new button set opens highlighted once the keys were used
    bool shiftHeld = false;
    bool keyTaken[kKeyCount] = {};

    Message made[kMadeCapacity] = {};
    int madeCount = 0;
    int madeNext = 0;
    bool releaseOwed = false;  // the left button is down for a click of the menu's
    bool releaseDue = false;   // a frame that can take the click has seen it
    int framesWaited = 0;
    int64_t clickPosition = 0;
    int64_t pointer = 0;  // where the game last saw the pointer, packed

    Surface decorated;
};
