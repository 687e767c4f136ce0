// The demo game for end-to-end tests: a copy of the game folder the build assembles, which
// the tests may change while the build's own folder stays as it is.
#pragma once
#include <filesystem>
#include <string>

#include "support/build_paths.h"

// Copies the assembled game folder to `to` (which must not exist yet). Returns an empty
// string, or what went wrong.
inline std::string copyDemoGame(const std::filesystem::path& to) {
    namespace fs = std::filesystem;
    const fs::path built = fs::path(SORTIE_BINARY_DIR) / "game";
    if (!fs::exists(built / "data" / "advfile.dat") || !fs::exists(built / "bmp" / "char.bmp"))
        return "the game folder " + built.string() + " is not assembled";
    std::error_code ec;
    fs::copy(built, to, fs::copy_options::recursive, ec);
    if (ec) return "cannot copy " + built.string() + ": " + ec.message();
    return "";
}
