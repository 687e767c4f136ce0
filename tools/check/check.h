// The content checker: follows a game folder from ./data/advfile.dat the way the game would
// and reports every problem it finds before the game is ever started.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

enum class Severity { Error, Warning };

// One problem. `file` is the path as the game names it, without leading "./"; `line` is
// the 1-based line where the token or data line stands, 0 for a whole file.
struct Finding {
    std::string file;
    int line;
    Severity severity;
    std::string message;
};

// Findings grouped by file (in the order the files were reached) and sorted by line.
struct CheckResult {
    std::vector<Finding> findings;
    int errors = 0;
    int warnings = 0;
};

// Checks the game folder that is the current directory.
CheckResult checkGameFolder();

// Prints one "FILE:LINE: error: message" or "FILE:LINE: warning: message" line per finding,
// FILE under the folder `prefix` ("" or "." for none), then "N errors, M warnings".
void printReport(const CheckResult& result, const std::string& prefix, std::FILE* out);

// The whole tool, `sortie-check [GAME_DIR]`: returns 0 without errors, 1 with errors and 2
// for bad arguments (a one-line message on `err`). The current directory is restored.
int runCheckTool(int argc, const char* const* argv, std::FILE* out, std::FILE* err);
