// The content checker on a game folder made from the input: its parts, split at lines
// "%%", become data/advfile.dat, data/charlist.txt and the stage files data/level1.txt to
// data/level3.txt (a part left out is a file that does not exist), beside small pictures
// and sounds. The report is printed and thrown away; its counts must match its findings,
// and every finding must fit on its one line.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/game_folder.h"
#include "tools/check/check.h"

namespace {

const char* const kParts[] = {"data/advfile.dat", "data/charlist.txt", "data/level1.txt", "data/level2.txt",
                              "data/level3.txt"};
std::FILE* discard = nullptr;

void writeFolder(const std::string& input) {
    size_t start = 0;
    for (const char* part : kParts) {
        if (start > input.size()) {
            unlink(part);
            continue;
        }
        size_t end = input.rfind("%%\n", start) == start ? start : input.find("\n%%\n", start);
        if (end == std::string::npos) end = input.size();
        if (end > start) ++end;  // the part's last line keeps its line end
        writeText(part, input.substr(start, end - start));
        start = end + 3;
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    makeFuzzGameFolder();
    // The checker reads the start-up pictures for every input: a smaller sheet keeps that
    // quick, and the demo's sprites then reach past it as well as into it.
    writeBmp(fuzz_game::folder + "/bmp/char.bmp", 64, 48, 24, fuzz_game::tiles(64, 48));
    discard = std::fopen("/dev/null", "w");
    return discard ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    enterFuzzGameFolder();
    writeFolder(std::string(reinterpret_cast<const char*>(data), size));
    const CheckResult result = checkGameFolder();
    printReport(result, "game", discard);
    int errors = 0;
    for (const Finding& f : result.findings) {
        errors += f.severity == Severity::Error;
        if (f.line < 0 || f.message.empty() || f.message.find('\n') != std::string::npos ||
            f.file.find('\n') != std::string::npos)
            std::abort();
    }
    if (errors != result.errors || result.errors + result.warnings != static_cast<int>(result.findings.size()))
        std::abort();
    leaveFuzzGameFolder();
    return 0;
}
