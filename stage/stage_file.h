// Stage files: the numbered commands that set the scenery, the stage parameters and the
// music and place every object of a stage, one command per line:
//   50 p q r ...  backgrounds p, q, r into the near, middle and far layers, masks of p and q,
//                 then the work of 54 with the same fields (so p, q, r become parameters too)
//   53 template side counter x y move intoSlot0   spawnEntity with these values
//   54 p0 .. p5   StageParams: scrollSpeed, groundSrcX, groundSrcY, groundWidth,
//                 groundHeight, groundTop
//   61 k          music ./wav/level<k>.wav, restarted from its beginning
// Other codes, comments ("/") and lines without a separator do nothing.
#pragma once
#include <cstdint>
#include <cstdio>

#include "platform/media.h"

enum StageCommand {
    kSceneryCommand = 50,
    kSpawnCommand = 53,
    kParamsCommand = 54,
    kMusicCommand = 61,
};

// The names the stage builds, exactly as it opens them.
// "./" "./data/level" N ".txt", N the signed byte.
void stageFileName(int8_t stageNumber, char (&name)[kTextSize]);
// "./bmp/back" k ".bmp".
void backgroundFileName(int32_t number, char (&name)[kTextSize]);
// The music path command 61 puts into BgmFileName: "./" "./wav/level" k ".wav".
void stageMusicName(int32_t number, char (&name)[kTextSize]);

// Reads and runs ./data/level<N>.txt, N taken as a signed byte. A file that cannot be opened
// (missing, not a regular file) changes nothing: the previous scenery, parameters and music
// stay. Only the first kTextFileLimit bytes of a larger file are read.
void loadStage(int8_t stageNumber);
// Runs the lines of an opened stage file, in order.
void runStageFile(std::FILE* file);
