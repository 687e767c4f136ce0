// The game: the engine's one loop over the SDL back end. The exit code is the quit
// message's.
#include <cstdio>

#include "app/main_loop.h"
#include "platform/sdl_platform.h"

int main() {
    SdlPlatform sdl;
    const char* error = "";
    if (!sdl.open(&error)) {
        std::fprintf(stderr, "sortie: cannot open the window: %s\n", error);
        return 1;
    }
    platform = &sdl;
    const int exitCode = runGame();
    sdl.close();
    platform = nullptr;
    return exitCode;
}
