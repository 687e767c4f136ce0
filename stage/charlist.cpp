#include "stage/charlist.h"

#include <cstring>

#include "stage/world.h"

void loadCharList() { std::memset(CharTable, 0, sizeof CharTable); }

void saveCharList() {}
