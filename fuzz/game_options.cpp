// The game's command line, one argument a line: every argument list is either taken, with
// values in their ranges, or refused with a one-line reason.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/options.h"
#include "fuzz/arguments.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const FuzzArguments args("sortie", data, size);
    GameOptions options;
    std::string error;
    if (!parseGameOptions(args.argc(), args.argv.data(), options, error)) {
        if (error.empty() || error.find('\n') != std::string::npos) std::abort();
        return 0;
    }
    if (options.scale < 0 || options.scale > 8 || options.stageNumber < -128 || options.stageNumber > 127)
        std::abort();
    if (options.stage == StartStage::None && options.stageNumber != 0) std::abort();
    return 0;
}
