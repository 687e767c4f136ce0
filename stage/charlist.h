// The character list file ./data/charlist.txt: read into CharTable at start-up, written
// back whenever the script changes the player's weapons.
#pragma once

// Clears CharTable and fills it from the file; a file that cannot be opened leaves it empty.
void loadCharList();
// Writes CharTable back to the file.
void saveCharList();
