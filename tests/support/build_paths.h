// Where this build tree put the programs the end-to-end tests run, and where the sources
// are. The build writes them into a small file of its own (build_paths.cpp in the build
// tree), so that no test's object depends on the folder the checkout lives in and a compiler
// cache serves a fresh clone's build.
#pragma once

extern const char* const kSortieBinaryDir;
extern const char* const kSortieSourceDir;
extern const char* const kSortieGameProgram;
extern const char* const kSortieReplayProgram;
extern const char* const kSortieNewProgram;
extern const char* const kSortieCheckProgram;
extern const char* const kSortieExportProgram;
extern const char* const kSortieAssetsProgram;
extern const char* const kSortieCmakeProgram;

#define SORTIE_BINARY_DIR kSortieBinaryDir
#define SORTIE_SOURCE_DIR kSortieSourceDir
#define SORTIE_GAME_PROGRAM kSortieGameProgram
#define SORTIE_REPLAY_PROGRAM kSortieReplayProgram
#define SORTIE_NEW_PROGRAM kSortieNewProgram
#define SORTIE_CHECK_PROGRAM kSortieCheckProgram
#define SORTIE_EXPORT_PROGRAM kSortieExportProgram
#define SORTIE_ASSETS_PROGRAM kSortieAssetsProgram
#define SORTIE_CMAKE_PROGRAM kSortieCmakeProgram
