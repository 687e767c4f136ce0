// sortie-replay's input files: any text either parses into events in frame order, each a
// message the pump knows, or is refused with one line naming the file and the line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/replay_args.h"

namespace {

bool knownCode(uint32_t code) {
    switch (code) {
    case WM_CLOSE:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        return true;
    default:
        return false;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<ReplayEvent> events;
    std::string error;
    if (!parseReplayInput(text, "input.txt", events, error)) {
        if (error.rfind("input.txt:", 0) != 0 || error.find('\n') != std::string::npos) std::abort();
        return 0;
    }
    int64_t previous = 1;
    for (const ReplayEvent& e : events) {
        if (e.frame < previous || e.frame > INT32_MAX || !knownCode(e.message.code)) std::abort();
        previous = e.frame;
    }
    return 0;
}
