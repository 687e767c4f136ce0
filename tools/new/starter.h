// The starter game that sortie-new writes: a title with two buttons, a short shooting stage
// that leads on to a fenced battle stage, a report of the battle that shows variable 0 with
// "@", an ending for a won and for a lost battle, a commented character list, placeholder
// pictures drawn from code (every sprite a labelled box where the stages read it) and the
// demo's synthesised sounds under the names the game asks for.
#pragma once
#include <string>
#include <vector>

#include "tools/assets/sheet_layout.h"

// Where the starter's character list points into its sheet. The guide's first game uses
// the same places, so its files play with the starter's pictures.
namespace starter {

constexpr SheetRect kPlayer{"player (row 0)", 0, 0, 32, 32, 8};
constexpr SheetRect kPlayerFiring{"player firing frame (TAY 32)", 0, 32, 32, 32, 1};
constexpr SheetRect kOpponent{"opponent (rows 3 and 8)", 256, 0, 32, 32, 8};
constexpr SheetRect kPlayerShot{"player's shot (row 2)", 0, 64, 8, 8, 1};
constexpr SheetRect kOpponentShot{"opponents' shot (row 4)", 16, 64, 8, 8, 1};
constexpr SheetRect kExplosion{"explosion (rows 5 and 7)", 0, 128, 32, 32, 8};
constexpr SheetRect kTrail{"trail mark (row 63)", 0, 160, 16, 16, 8};
constexpr SheetRect kGround{"ground tile", 0, 200, 64, 32, 1};
constexpr SheetRect kBlock{"fence block (row 9)", 256, 128, 32, 32, 1};

}  // namespace starter

// One text file of the game: its path in the game folder and its bytes.
struct StarterFile {
    const char* path;
    std::string text;
};
// The scripts, the character list and the stage files.
std::vector<StarterFile> starterFiles();

// Writes the whole game into `folder`, which must exist. False, with a one-line reason in
// `error`, when a file cannot be written.
bool writeStarterGame(const std::string& folder, std::string& error);
