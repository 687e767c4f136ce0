#include "app/player_shell.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <string>

#include "app/options.h"
#include "app/save_state.h"
#include "app/settings.h"
#include "platform/bitmap.h"
#include "platform/sdl_platform.h"
#include "platform/text.h"

namespace {

constexpr uint32_t kKeyP = 'P';
constexpr uint32_t kKeyQ = 'Q';
constexpr uint32_t kKeyM = 'M';
constexpr uint32_t kKeyN = 'N';
constexpr int kPausedPollMs = 10;
// A note stays about two seconds.
constexpr int kNoteFrames = 120;
const char kContinueQuestion[] = "Continue where you left off? Enter continue · N new game";
constexpr int kNoteHeight = 16;
constexpr int kNoteMargin = 8;

const char kPauseLegend[] = "Paused · Esc resume · Q quit";
// The legend in a white box in the middle of the picture: 28 glyphs, 8 pixels each.
constexpr int kLegendWidth = 28 * 8;
constexpr int kLegendHeight = 16;
constexpr int kLegendPadding = 12;

bool isKeyDown(const Message& m) { return m.code == WM_KEYDOWN || m.code == WM_SYSKEYDOWN; }
bool isKey(const Message& m) { return isKeyDown(m) || m.code == WM_KEYUP || m.code == WM_SYSKEYUP; }

// What still closes the window while the game is paused: the close box, Alt+F4, and the
// messages that follow from them.
bool closesWindow(const Message& m) {
    return m.code == WM_CLOSE || m.code == WM_DESTROY || m.code == WM_QUIT ||
           (m.code == WM_SYSKEYDOWN && m.wParam == VK_F4 && (m.lParam & kAltContextBit) != 0);
}

bool fileExists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

}  // namespace

PlayerShell::PlayerShell(SdlPlatform& screen, std::FILE* report) : screen(screen), report(report) {}

bool PlayerShell::peekMessage(Message& out) {
    for (;;) {
        const bool waiting = offering && framePresented;  // the question waits over the first frame
        if (waiting && !offerShown) {
            offerShown = true;
            if (lastFrame) presentWindow(*lastFrame);
        }
        if (owedNext < owedCount) {
            out = owed[owedNext++];
            noteForGame(out);
            return true;
        }
        if (!isPaused && menu.nextMade(out)) {
            noteForGame(out);
            return true;
        }
        Message m;
        if (!screen.peekMessage(m)) {
            if (!isPaused && !waiting) return false;
            screen.pressesSeen();  // no frame runs to see them
            screen.sleepMs(kPausedPollMs);
            continue;
        }
        const Verdict verdict = judge(m);
        if (verdict == Verdict::Shell) continue;
        if (verdict == Verdict::Close) {
            saveSuspended();
            out = Message{WM_CLOSE, 0, 0};  // exactly what the close box sends
            return true;
        }
        // Closing keeps the game as it stands, before the game hears of it.
        if (m.code == WM_CLOSE || (m.code == WM_SYSKEYDOWN && m.wParam == VK_F4 && (m.lParam & kAltContextBit) != 0))
            saveSuspended();
        if (isPaused && !closesWindow(m)) {
            noteWhilePaused(m);
            continue;
        }
        noteForGame(m);
        out = m;
        return true;
    }
}

PlayerShell::Verdict PlayerShell::judge(const Message& m) {
    if (m.code == WM_KILLFOCUS) {  // a player who turns to another window is not playing
        if (!isPaused) pause();
        return Verdict::Shell;
    }
    if (!offering) return judgeShellKeys(m);
    // While the question is up the shell's own keys still work, and nothing reaches the game
    // but closing the window.
    if (m.code == WM_KEYDOWN && (m.lParam & kPreviousStateBit) == 0 && (m.wParam == VK_RETURN || m.wParam == kKeyN)) {
        offering = false;
        if (m.wParam == VK_RETURN) {
            continueSuspended();
        } else {
            showNote("New game", kNoteFrames);
        }
        return Verdict::Shell;
    }
    const Verdict verdict = judgeShellKeys(m);
    return verdict == Verdict::Game && !closesWindow(m) ? Verdict::Shell : verdict;
}

PlayerShell::Verdict PlayerShell::judgeShellKeys(const Message& m) {
    if (m.code == WM_MOUSEMOVE) menu.pointerMoved();
    if (!isKey(m)) return Verdict::Game;
    const bool system = m.code == WM_SYSKEYDOWN || m.code == WM_SYSKEYUP;
    // Auto-repeat of a held key acts once.
    const bool pressed = isKeyDown(m) && (m.lParam & kPreviousStateBit) == 0;
    if (judgeStateKeys(m, pressed) == Verdict::Shell) return Verdict::Shell;
    switch (m.wParam) {
    case VK_ESCAPE:
    case kKeyP:
    case VK_GAMEPAD_MENU:
        if (system) break;
        if (pressed) isPaused ? resume() : pause();
        return Verdict::Shell;
    case kKeyQ:
        if (system || !isPaused) break;
        return pressed ? Verdict::Close : Verdict::Shell;
    case kKeyM:
        if (system) break;
        if (pressed) setMuted(!isMuted);
        return Verdict::Shell;
    case VK_F11:
        if (pressed) toggleFullScreen();
        return Verdict::Shell;
    case VK_F12:
        if (pressed) takeScreenshot();
        return Verdict::Shell;
    case VK_RETURN:
        if (!system || (m.lParam & kAltContextBit) == 0) break;
        if (pressed) toggleFullScreen();
        return Verdict::Shell;
    default: break;
    }
    return menu.takes(m, isPaused, buttonHeld[0]) ? Verdict::Shell : Verdict::Game;
}

PlayerShell::Verdict PlayerShell::judgeStateKeys(const Message& m, bool pressed) {
    const bool system = m.code == WM_SYSKEYDOWN || m.code == WM_SYSKEYUP;
    switch (m.wParam) {
    case VK_F5:
        if (pressed && !isPaused) quickSave();
        return Verdict::Shell;
    case VK_F9:
        if (pressed && !isPaused) quickLoad();
        return Verdict::Shell;
    case VK_GAMEPAD_VIEW:
        // Back saves when it is let go, unless Start went down meanwhile: then it loaded.
        if (system) return Verdict::Game;
        if (pressed) {
            backHeld = true;
            startWhileBack = false;
        } else if (m.code == WM_KEYUP && backHeld) {
            backHeld = false;
            if (!startWhileBack && !isPaused) quickSave();
        }
        return Verdict::Shell;
    case VK_GAMEPAD_MENU:
        if (!backHeld || system) return Verdict::Game;
        if (pressed) {
            startWhileBack = true;
            if (!isPaused) quickLoad();
        }
        return Verdict::Shell;
    default: return Verdict::Game;
    }
}

void PlayerShell::setStateFiles(const std::string& quick, const std::string& suspended, bool loads) {
    quickPath = quick;
    suspendPath = suspended;
    loadsAllowed = loads;
}

void PlayerShell::quickSave() {
    std::string error;
    if (quickPath.empty()) {
        showNote("Not saved: no player's folder", kNoteFrames);
    } else if (saveGameState(quickPath.c_str(), error)) {
        showNote("Saved", kNoteFrames);
    } else {
        showNote("Not saved: " + error, kNoteFrames);
    }
}

void PlayerShell::quickLoad() {
    std::string error;
    if (quickPath.empty()) {
        showNote("Nothing saved: no player's folder", kNoteFrames);
    } else if (!loadsAllowed) {
        showNote("Not loaded: a recorded session plays from its start", kNoteFrames);
    } else if (!isRegularFile(quickPath.c_str())) {
        showNote("Nothing saved yet (F5 saves)", kNoteFrames);
    } else if (loadGameState(quickPath.c_str(), error)) {
        showNote("Loaded", kNoteFrames);
    } else {
        showNote("Not loaded: " + error, kNoteFrames);
    }
}

void PlayerShell::saveSuspended() {
    if (suspendWritten || suspendPath.empty()) return;
    suspendWritten = true;
    std::string error;
    if (!saveGameState(suspendPath.c_str(), error)) {
        std::fprintf(report, "sortie: the game could not be kept for the next start: %s\n", error.c_str());
        std::fflush(report);
    }
}

void PlayerShell::offerContinue() {
    offering = true;
    offerShown = false;
    showNote(kContinueQuestion, kNoteFrames);
}

bool PlayerShell::continueSuspended() {
    std::string error;
    if (loadGameState(suspendPath.c_str(), error)) {
        showNote("Loaded", kNoteFrames);
        return true;
    }
    showNote("Cannot continue: " + error, kNoteFrames * 2);
    std::fprintf(report, "sortie: cannot continue: %s\n", error.c_str());
    std::fflush(report);
    return false;
}

void PlayerShell::showNote(const std::string& text, int frames) {
    noteText = text;
    noteFrames = frames;
    if (lastFrame) presentWindow(*lastFrame);
}

void PlayerShell::setMuted(bool on) {
    isMuted = on;
    screen.setMuted(isMuted);
    std::fprintf(report, isMuted ? "sortie: sound off (M turns it back on)\n" : "sortie: sound on\n");
    std::fflush(report);
    rememberMuted(isMuted);
}

void PlayerShell::toggleFullScreen() {
    screen.setFullScreen(!screen.fullScreen());
    rememberFullScreen(screen.fullScreen());
}

void PlayerShell::noteForGame(const Message& m) {
    const size_t key = m.wParam % kKeyCount;
    switch (m.code) {
    case WM_KEYDOWN: keyHeld[key] = true; break;
    case WM_KEYUP: keyHeld[key] = false; break;
    case WM_LBUTTONDOWN: buttonHeld[0] = true; break;
    case WM_LBUTTONUP: buttonHeld[0] = false; break;
    case WM_RBUTTONDOWN: buttonHeld[1] = true; break;
    case WM_RBUTTONUP: buttonHeld[1] = false; break;
    case WM_MOUSEMOVE:
        pointer = m.lParam;
        menu.notePointer(pointer);
        break;
    default: break;
    }
}

void PlayerShell::noteWhilePaused(const Message& m) {
    const size_t key = m.wParam % kKeyCount;
    switch (m.code) {
    case WM_KEYDOWN: keyReleased[key] = false; break;  // down again, as the game believes
    case WM_KEYUP: keyReleased[key] = keyHeld[key]; break;
    case WM_LBUTTONDOWN: buttonReleased[0] = false; break;
    case WM_LBUTTONUP: buttonReleased[0] = buttonHeld[0]; break;
    case WM_RBUTTONDOWN: buttonReleased[1] = false; break;
    case WM_RBUTTONUP: buttonReleased[1] = buttonHeld[1]; break;
    case WM_MOUSEMOVE:
        pointer = m.lParam;
        pointerMoved = true;
        break;
    default: break;
    }
}

void PlayerShell::pause() {
    isPaused = true;
    screen.pauseSound(true);
    showPausePicture();
}

void PlayerShell::resume() {
    isPaused = false;
    owedCount = 0;
    owedNext = 0;
    for (int key = 0; key < kKeyCount; ++key) {
        if (keyReleased[key]) owed[owedCount++] = Message{WM_KEYUP, static_cast<uint64_t>(key), 0};
        keyReleased[key] = false;
    }
    const uint32_t buttonUp[2] = {WM_LBUTTONUP, WM_RBUTTONUP};
    for (int b = 0; b < 2; ++b) {
        if (buttonReleased[b]) owed[owedCount++] = Message{buttonUp[b], 0, pointer};
        buttonReleased[b] = false;
    }
    if (pointerMoved) owed[owedCount++] = Message{WM_MOUSEMOVE, 0, pointer};
    pointerMoved = false;
    screen.pauseSound(false);
    if (lastFrame) screen.presentWindow(menu.decorate(*lastFrame));
}

void PlayerShell::showPausePicture() {
    if (!lastFrame || lastFrame->width < kScreenWidth || lastFrame->height < kScreenHeight) return;
    if (pausePicture.width != lastFrame->width || pausePicture.height != lastFrame->height)
        resizeSurface(pausePicture, lastFrame->width, lastFrame->height, kBlack);
    for (size_t i = 0; i < pausePicture.pixels.size(); ++i) pausePicture.pixels[i] = (lastFrame->pixels[i] >> 1) & 0x7F7F7F;
    const int left = (kScreenWidth - kLegendWidth) / 2;
    const int top = (kScreenHeight - kLegendHeight) / 2;
    for (int y = top - kLegendPadding; y < top + kLegendHeight + kLegendPadding; ++y)
        for (int x = left - kLegendPadding; x < left + kLegendWidth + kLegendPadding; ++x) pausePicture.row(y)[x] = kWhite;
    drawText(pausePicture, left, top, left + kLegendWidth, top + kLegendHeight, kPauseLegend,
             static_cast<int>(std::strlen(kPauseLegend)));
    screen.presentWindow(pausePicture);
}

void PlayerShell::takeScreenshot() {
    if (!lastFrame) return;
    const std::string folder = screen.userDataFolder();
    if (folder.empty()) {
        std::fprintf(report, "sortie: no folder to keep screenshots in\n");
        std::fflush(report);
        return;
    }
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", std::localtime(&now));
    const std::string base = folder + "screenshot-" + stamp;
    std::string path = base + ".png";
    for (int n = 2; fileExists(path) && n < 1000; ++n) path = base + "-" + std::to_string(n) + ".png";
    if (!fileExists(path) && writePngFile(path.c_str(), *lastFrame)) {
        std::fprintf(report, "sortie: screenshot %s\n", path.c_str());
    } else {
        std::fprintf(report, "sortie: cannot write the screenshot %s\n", path.c_str());
    }
    std::fflush(report);
}

void PlayerShell::presentWindow(const Surface& window) {
    lastFrame = &window;
    if (framesSeen > 0) framePresented = true;
    const Surface& decorated = menu.decorate(window);
    if (noteText.empty() || decorated.width < kScreenWidth || decorated.height < kScreenHeight) {
        screen.presentWindow(decorated);
        return;
    }
    // The note goes on a copy, bottom left in a white box: the game's picture stays its own.
    noted = decorated;
    const int width = std::min<int>(kScreenWidth - 4 * kNoteMargin, static_cast<int>(noteText.size()) * 8);
    const int top = kScreenHeight - kNoteHeight - 2 * kNoteMargin;
    for (int y = top - kNoteMargin; y < top + kNoteHeight + kNoteMargin; ++y)
        for (int x = kNoteMargin; x < 3 * kNoteMargin + width; ++x) noted.row(y)[x] = kWhite;
    drawText(noted, 2 * kNoteMargin, top, 2 * kNoteMargin + width, top + kNoteHeight, noteText.c_str(),
             static_cast<int>(noteText.size()));
    screen.presentWindow(noted);
}

void PlayerShell::postQuitMessage(int exitCode) { screen.postQuitMessage(exitCode); }
void PlayerShell::destroyWindow() { screen.destroyWindow(); }
void PlayerShell::sleepMs(int ms) { screen.sleepMs(ms); }
int64_t PlayerShell::clockSeconds() { return screen.clockSeconds(); }
bool PlayerShell::soundOpen(SoundChannel channel, const char* path) { return screen.soundOpen(channel, path); }
void PlayerShell::soundPlay(SoundChannel channel) { screen.soundPlay(channel); }
void PlayerShell::soundClose(SoundChannel channel) { screen.soundClose(channel); }
bool PlayerShell::soundIsPlaying(SoundChannel channel) { return screen.soundIsPlaying(channel); }
void PlayerShell::playEffect(const char* path) { screen.playEffect(path); }
void PlayerShell::noteMediaCommand(const char* text) { screen.noteMediaCommand(text); }
void PlayerShell::captureSound(SoundState& out) { screen.captureSound(out); }
void PlayerShell::restoreSound(const SoundState& state) { screen.restoreSound(state); }
void PlayerShell::frameStarted(int64_t frame) {
    ++framesSeen;
    if (!offering && noteFrames > 0 && --noteFrames == 0) {
        noteText.clear();
        if (lastFrame) screen.presentWindow(menu.decorate(*lastFrame));  // the picture without it
    }
    menu.frameStarted();
    screen.frameStarted(frame);
}
