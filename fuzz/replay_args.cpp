// sortie-replay's command line, one argument a line: every argument list is either taken,
// with values in their ranges and one game folder, or refused with a one-line reason.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/arguments.h"
#include "tools/replay_args.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const FuzzArguments args("sortie-replay", data, size);
    ReplayOptions options;
    std::string error;
    if (!parseReplayArgs(args.argc(), args.argv.data(), options, error)) {
        if (error.empty() || error.find('\n') != std::string::npos) std::abort();
        return 0;
    }
    if (options.help) return 0;
    if (options.frames < -1 || options.frames > INT32_MAX) std::abort();
    for (const ReplayShot& shot : options.shots)
        if (shot.frame < 0 || shot.frame > INT32_MAX || shot.path.empty()) std::abort();
    return 0;
}
