// The game's entry on Windows, where it is a windowed program: SDL's WinMain (SDL2main)
// hands the command line over in UTF-8 to this main (SDL_main), which runs the game's own
// main (app/main.cpp, built there as sortieMain). A windowed program has no console of its
// own; started from one, it writes --help, --version and its messages there.
#include <SDL_main.h>
#include <windows.h>

#include <cstdio>

int sortieMain(int argc, char** argv);

namespace {

// True when the standard handle already leads somewhere (a file or a pipe it was started with).
bool leadsSomewhere(DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

// Joins the console of the program that started this one, if any, for the streams that lead
// nowhere yet. Double-clicked, there is none and no window opens for one.
void joinParentConsole() {
    const bool out = leadsSomewhere(STD_OUTPUT_HANDLE), err = leadsSomewhere(STD_ERROR_HANDLE);
    if ((out && err) || !AttachConsole(ATTACH_PARENT_PROCESS)) return;
    if (!out && std::freopen("CONOUT$", "w", stdout)) std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (!err) std::freopen("CONOUT$", "w", stderr);
}

}  // namespace

int main(int argc, char* argv[]) {
    joinParentConsole();
    return sortieMain(argc, argv);
}
