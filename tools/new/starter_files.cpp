// The starter game's text files: its scripts, its character list and its two stage files.
// Screen texts use the no-break space (U+00A0, bytes C2 A0) wherever they show a space: a
// plain space would end the token.
#include <cstdio>
#include <string>

#include "tools/new/starter.h"

namespace {

// The bytes of one no-break space, spliced into the texts below as NBSP.
#define NBSP "\xC2\xA0"

constexpr char kTitleScript[] =
    "rem title_screen:_the_music_and_a_text_and_one_button_for_each_stage\n"
    "rem the_spaces_in_the_texts_are_no-break_spaces_(U+00A0):_a_plain_space_would_end_the_text\n"
    "bgm wav/title.wav\n"
    "drawtext 0 304 200 Choose" NBSP "a" NBSP "stage\n"
    "buttonset 352 280 Shooting data/shoot.dat\n"
    "buttonset 364 340 Battle data/battle.dat\n"
    "buttonstart bmp/title.bmp\n";

constexpr char kShootScript[] =
    "rem stage_1_as_a_shooting_stage:_the_script_goes_on_once_it_is_won\n"
    "shoot 1\n"
    "drawtext 0 280 240 Stage" NBSP "1" NBSP "cleared\n"
    "drawtext 1 280 300 On" NBSP "to" NBSP "the" NBSP "battle\n"
    "bmp bmp/report.bmp\n"
    "call data/battle.dat\n";

constexpr char kBattleScript[] =
    "rem stage_2_as_a_battle_stage:_afterwards_variable_0_holds_1_(won)_or_0_(lost)\n"
    "kh 2\n"
    "rem the_report:_a_text_of_@_alone_shows_variable_0_(@5_would_show_variable_5)\n"
    "drawtext 0 280 200 Battle" NBSP "report\n"
    "drawtext 1 280 260 Result:\n"
    "drawtext 2 368 260 @\n"
    "drawtext 3 280 300 1" NBSP "won" NBSP "-" NBSP "0" NBSP "lost\n"
    "bmp bmp/report.bmp\n"
    "rem varcmp_compares_two_variables:_variable_1_is_set_to_1_to_compare_variable_0_with\n"
    "varset 1 1\n"
    "varcmp 0 1 data/won.dat\n"
    "call data/lost.dat\n";

constexpr char kWonScript[] =
    "rem the_ending_after_a_won_battle\n"
    "drawtext 0 280 200 Victory!\n"
    "drawtext 1 280 240 The" NBSP "field" NBSP "is" NBSP "yours.\n"
    "buttonset 340 320 Title data/advfile.dat\n"
    "buttonstart bmp/report.bmp\n";

constexpr char kLostScript[] =
    "rem the_ending_after_a_lost_battle:_try_again_or_go_back_to_the_title\n"
    "drawtext 0 280 200 Defeated\n"
    "buttonset 340 280 Try" NBSP "again data/battle.dat\n"
    "buttonset 340 330 Title data/advfile.dat\n"
    "buttonstart bmp/report.bmp\n";

#undef NBSP

constexpr char kCharList[] =
    "/ The character list: one row per kind of object; every object of a stage is a copy of a\n"
    "/ row. A \"/\" starts a comment. Keep every line in this layout: fields separated by commas,\n"
    "/ no spaces. The game's weapon command rewrites this file without the comments.\n"
    "/ LEF TOP WID HEI: the sprite on bmp/char.bmp. HP: hit points. BP: damage dealt. SP: speed.\n"
    "/ SIZ: size (the battle stage also turns by 1/SIZ a frame). WEP BLA LEN: a weapon's shot (a\n"
    "/ row), frames between shots, range. TYP: kind. SE: sound wav/seN.wav when one appears.\n"
    "/ DEA: the row it leaves when destroyed. TAX TAY: the firing frame's offset. GRA: falls.\n"
    "/No LEF TOP WID HEI HP  BP  SP  SIZ WEP BLA TYP SE  DEA TAX TAY GRA LEN\n"
    "/ Row 0, the player: a unit (TYP 0) with eight direction frames; Z or a left click fires\n"
    "/ row 2 every 9 frames; its firing frame is 32 pixels lower on the sheet.\n"
    "000,000,000,032,032,010,001,004,016,002,008,000,000,000,000,032,000,200\n"
    "/ Row 2, the player's shot (TYP 1), with the sound wav/se1.wav.\n"
    "002,000,064,008,008,001,002,010,008,000,000,001,001,000,000,000,000,000\n"
    "/ Row 3, the shooting stage's opponent: fires row 4 in its pattern, leaves row 7.\n"
    "003,256,000,032,032,003,001,002,016,004,000,000,000,007,000,000,000,000\n"
    "/ Row 4, the opponents' shot.\n"
    "004,016,064,008,008,001,002,006,004,000,000,001,000,000,000,000,000,000\n"
    "/ Row 5, an explosion in the battle stage: a timed object (TYP 5), sound wav/se2.wav.\n"
    "005,000,128,032,032,001,000,000,016,000,000,005,002,000,000,000,000,000\n"
    "/ Row 7, the shooting stage's remains: a shot (TYP 1) that no one counts; SP -1 drifts\n"
    "/ left with the scenery.\n"
    "007,000,128,032,032,001,000,-01,016,000,000,001,002,000,000,000,000,000\n"
    "/ Row 8, the battle stage's tank: a unit that fires row 4 every 30 frames at up to 180\n"
    "/ pixels and leaves the explosion of row 5.\n"
    "008,256,000,032,032,004,002,002,016,004,030,000,000,005,000,000,000,180\n"
    "/ Row 9, a fence block (TYP 2): it pushes units back, so the battle stays on the field.\n"
    "009,256,128,032,032,999,000,000,032,000,000,002,000,000,000,000,000,000\n"
    "/ Row 63, the trail mark that every kind-0 unit leaves in the battle stage.\n"
    "063,000,160,016,016,001,000,000,000,000,000,005,000,000,000,000,000,000\n";

constexpr char kShootingStage[] =
    "/ Stage 1, played as a shooting stage. Lines: a command code, then its numbers.\n"
    "/ Command 50: backgrounds near, middle, far (bmp/back1.bmp, back2, back3).\n"
    "50,1,2,3\n"
    "/ Command 54: scroll 2 a frame; the ground tile at (0, 200) of the sheet, 64 x 32; ground from y 96.\n"
    "54,2,0,200,64,32,96\n"
    "/ Command 53: template, side, counter, x, y, move, into slot 0. Two opponents in the player's line\n"
    "/ of fire: one swings up and down (move 2), one flies a square and fires (move 3).\n"
    "53,3,1,0,560,256,2,0\n"
    "53,3,1,0,680,300,3,0\n"
    "/ Command 61: the music wav/level1.wav.\n"
    "61,1\n";

// The battle field's fence: blocks along the four edges, 64 pixels apart, so that no unit
// finds a gap.
std::string fenceLines() {
    std::string lines;
    char line[64];
    for (int x = 32; x < 800; x += 64) {
        std::snprintf(line, sizeof line, "53,9,1,0,%d,0,0,0\n53,9,1,0,%d,600,0,0\n", x, x);
        lines += line;
    }
    for (int y = 64; y < 600; y += 64) {
        std::snprintf(line, sizeof line, "53,9,1,0,0,%d,0,0\n53,9,1,0,800,%d,0,0\n", y, y);
        lines += line;
    }
    return lines;
}

std::string battleStage() {
    return "/ Stage 2, played as a battle stage. No scrolling and no ground tiles (ground from y 600).\n"
           "50,1,2,3\n"
           "54,0,0,0,0,0,600\n"
           "/ Two tanks (row 8) of side 1, the other side from the player's.\n"
           "53,8,1,0,300,440,0,0\n"
           "53,8,1,0,420,330,0,0\n"
           "61,2\n"
           "/ The fence: nothing else keeps units on the field. A unit that drives off it never comes\n"
           "/ back, and a battle that goes on without it is never decided.\n" +
           fenceLines();
}

}  // namespace

std::vector<StarterFile> starterFiles() {
    return {
        {"data/advfile.dat", kTitleScript},  {"data/shoot.dat", kShootScript},
        {"data/battle.dat", kBattleScript},  {"data/won.dat", kWonScript},
        {"data/lost.dat", kLostScript},      {"data/charlist.txt", kCharList},
        {"data/level1.txt", kShootingStage}, {"data/level2.txt", battleStage()},
    };
}
