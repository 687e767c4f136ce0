// The game: the engine's one loop over the SDL back end. The exit code is the quit
// message's.
#include <cstdio>

#include "app/main_loop.h"
#include "app/sdl_platform.h"

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

#if defined(__SANITIZE_ADDRESS__)
// Sanitized builds check for leaks at exit. The desktop's message-bus library, which SDL
// uses for screen-saver and input-method services, keeps one allocation for the life of
// the process; it is not ours to free.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
#endif
