#include "script/interpreter.h"

#include <cstring>

#include "platform/surface.h"
#include "platform/window.h"
#include "script/buttons.h"
#include "script/presentation.h"
#include "script/script.h"
#include "stage/charlist.h"
#include "stage/world.h"

Phase ScriptPhase = Phase::Execute;

namespace {

constexpr int kPlayerWeapons = 4;

bool validVariable(int32_t i) { return i >= 0 && i < kScriptVarCount; }

void endCommand(int32_t) { ScriptCounter = 0; }

void remCommand(int32_t p) { ScriptCounter = p + 2; }

void callCommand(int32_t p) { LoadScript(scriptToken(p + 1)); }

void varsetCommand(int32_t p) {
    const int32_t i = scriptNumber(p + 1);
    if (validVariable(i)) ScriptVars[i] = scriptNumber(p + 2);
    ScriptCounter = p + 3;
}

void varplusCommand(int32_t p) {
    const int32_t i = scriptNumber(p + 1);
    if (validVariable(i)) ScriptVars[i] = wrapAdd(ScriptVars[i], scriptNumber(p + 2));
    ScriptCounter = p + 3;
}

void varminusCommand(int32_t p) {
    const int32_t i = scriptNumber(p + 1);
    if (validVariable(i)) ScriptVars[i] = wrapAdd(ScriptVars[i], -int64_t{scriptNumber(p + 2)});
    ScriptCounter = p + 3;
}

void varcmpCommand(int32_t p) {
    const int32_t i = scriptNumber(p + 1);
    const int32_t j = scriptNumber(p + 2);
    ScriptCounter = p + 4;
    if (validVariable(i) && validVariable(j) && ScriptVars[i] == ScriptVars[j]) LoadScript(scriptToken(p + 3));
}

void weaponCommand(int32_t p) {
    const int32_t a = scriptNumber(p + 1);
    int32_t next = p + 4;
    // "endweapon" rows after the operands are passed over in the same frame.
    while (std::strcmp(scriptToken(next), "endweapon") == 0) ++next;
    ScriptCounter = next;
    if (a < 0 || a >= kPlayerWeapons) return;  // nothing changed, so nothing to write
    CharTemplate& player = CharTable[0];
    player.WEP[a] = static_cast<int8_t>(scriptNumber(p + 2) & 0xFF);
    player.BLA[a] = scriptNumber(p + 3);
    player.LEN[a] = scriptNumber(p + 4);
    saveCharList();
}

void shootCommand(int32_t p) {
    StageNumber = static_cast<uint8_t>(scriptNumber(p + 1) & 0xFF);
    GameMode = kShootingHandOver;
    ScriptCounter = p + 2;
}

void khCommand(int32_t p) {
    StageNumber = static_cast<uint8_t>(scriptNumber(p + 1) & 0xFF);
    GameMode = kBattleHandOver;
    ScriptCounter = p + 2;
}

}  // namespace

const ScriptKeyword kScriptKeywords[kScriptKeywordCount] = {
    {"end", 0, endCommand},
    {"rem", 1, remCommand},
    {"bmp", 1, bmpCommand},
    {"weapon", 4, weaponCommand},
    {"call", 1, callCommand},
    {"varset", 2, varsetCommand},
    {"varplus", 2, varplusCommand},
    {"varminus", 2, varminusCommand},
    {"varcmp", 3, varcmpCommand},
    {"bgm", 1, bgmCommand},
    {"wav", 1, wavCommand},
    {"wav2", 1, wav2Command},
    {"drawtext", 4, drawtextCommand},
    {"buttonset", 4, buttonsetCommand},
    {"buttonstart", 1, buttonstartCommand},
    {"shoot", 1, shootCommand},
    {"kh", 1, khCommand},
};

const ScriptKeyword* findScriptKeyword(const char* token) {
    for (const ScriptKeyword& k : kScriptKeywords) {
        if (std::strcmp(token, k.word) == 0) return &k;
    }
    return nullptr;
}

namespace {

void showFrame() {
    composePictureScreen();
    const int8_t chosen = ShownButtonCount > 0 ? buttonPass() : kNoButton;
    presentBackBuffer();
    if (InputState.buttonL != 1 && InputState.keyZ != 1) return;
    if (ShownButtonCount == 0) {
        ScriptCounter = wrapAdd(ScriptCounter, 1);
        ScriptPhase = Phase::Release;
    } else if (chosen != kNoButton) {
        chooseButton(chosen);
        ScriptPhase = Phase::Release;
    }
}

// Runs the command at row `p`; a token that is no keyword is skipped.
void executeCommand(int32_t p) {
    // Past the last row the script ends as if an "end" stood there: back to row 0.
    if (p < 0 || p >= kScriptRows) {
        endCommand(p);
        return;
    }
    if (const ScriptKeyword* k = findScriptKeyword(ScriptTable[p])) {
        k->run(p);
    } else {
        ScriptCounter = p + 1;
    }
}

}  // namespace

void ScriptStep() {
    switch (ScriptPhase) {
    case Phase::Execute:
        executeCommand(ScriptCounter);
        break;
    case Phase::Arm:
        if (InputState.buttonL == 0 || InputState.keyZ == 0) ScriptPhase = Phase::Show;
        break;
    case Phase::Show:
        showFrame();
        break;
    case Phase::Release:
        if (InputState.buttonL == 0 && InputState.keyZ == 0) ScriptPhase = Phase::Execute;
        break;
    }
}
