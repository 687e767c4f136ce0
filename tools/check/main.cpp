// sortie-check [GAME_DIR]: checks a game folder's content and reports every problem.
#include <cstdio>

#include "tools/check/check.h"

int main(int argc, char** argv) { return runCheckTool(argc, argv, stdout, stderr); }
