// The character list file ./data/charlist.txt: read into CharTable at start-up, written
// back whenever the script changes the player's weapons. The game's own file is only read:
// the table is written to the player's folder (platform/player_folder.h), as
// data/charlist.txt beside data/charlist.origin, which records the game's list it was
// loaded from. A player's copy from the game's current list is read in place of the game's;
// one from another list (the author has changed the game since) is renamed to
// data/charlist-set-aside-N.txt there, with a line on stderr saying so.
//
// One line per template and weapon: the template number, then LEF TOP WID HEI HP BP SP SIZ
// WEP BLA TYP SE DEA TAX TAY GRA LEN. The first line of a number fills weapon slot 0,
// further lines fill slots 1 to 3 with their WEP, BLA and LEN and overwrite every other
// column. WEP, TYP, SE, DEA and GRA keep their low 8 bits, TAX and TAY too, sign-extended.
#pragma once
#include <cstdio>
#include <string>

struct DataLine;

// Clears CharTable and fills it from the player's copy when it comes from the game's
// current list, else from the game's own list (from the game's alone when there is no
// player's folder); a file that cannot be opened (missing, not a regular file) leaves it
// empty, and only the first kTextFileLimit bytes of a larger one are read.
void loadCharList();
// The same from an opened stream (null: a file that cannot be opened).
void loadCharListFrom(std::FILE* file);

// What loadCharList does with one line read from the file (after clearing the table): a
// line with a separator and a number in 0..127 fills that row. Returns the weapon slot the
// line filled, or -1 when it was ignored.
int storeCharListLine(const DataLine& line);

// Writes every loaded template (inUse 1) back to the file: a line for weapon slot 0 and one
// for each following slot while its WEP is above 0, between two header comment lines.
// Values in -99..999 take exactly three characters (7 -> 007, -5 -> -05); others are written
// in full so that a reload reads them back. The table goes to the player's folder, made
// when missing, through a temporary file that replaces the old copy only once it is
// complete and on the disk: a failed save (a full disk, a refusal) leaves the old copy as
// it was with one line on stderr saying what failed where, and the game goes on; a kill or
// a power cut leaves the old copy or the new. Without a player's folder nothing is written.
void saveCharList();

// The player's copy that the last loadCharList read instead of the game's list; null when
// the table came from the game's own list.
const char* loadedPlayerCopy();

// Makes `text` the player's copy of the game's current list, as a save would leave it, so
// that the next loadCharList reads it: how a replay starts from the list a recorded session
// started from. False, with one line on stderr, when it cannot be written.
bool givePlayerCopy(const std::string& text);
