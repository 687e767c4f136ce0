// Telling the player and the author, once per run, about every file the running game needed
// and could not use: a picture, a sound, music, a script, the character list, a stage file.
// The game goes on exactly as it would without the message; the message only says why a
// picture is missing or a stage is empty. Silent until a program names a stream.
#pragma once
#include <cstdio>
#include <string>

#include "platform/data_file.h"

// Where reports go (null: nowhere, the default for tests, tools and benchmarks) and the
// program name each line starts with.
void setFileReportStream(std::FILE* stream, const char* programName);

// True the first time `path` is given in this run (paths are compared as the game opens
// them, leading "./" left out): the caller then finds out what is wrong with it and says
// so. A game that retries a missing file every frame asks here each frame and hears false.
// False too while reports go nowhere, so that nothing is looked into for nobody.
bool firstTroubleWith(const char* path);

// Writes "<program>: <path>: <why>" as one line; nothing when `why` is empty.
void reportFileTrouble(const char* path, const std::string& why);

// Reports, once per run, a text file (a script, the character list, a stage file) that
// opened with `state` other than Ok: it did not open, or only its first part is read.
void reportTextFileTrouble(const char* path, FileState state);

// Writes "<program>: <message>" as one line, for a trouble that is no file's.
void reportTrouble(const std::string& message);

// The path as an author wrote it: the "./" the game puts in front left out.
const char* shownFilePath(const char* path);

// Forgets what was reported (tests).
void forgetFileReports();
