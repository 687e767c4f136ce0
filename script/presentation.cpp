#include "script/presentation.h"

#include <cstdio>
#include <cstring>

#include "platform/surface.h"
#include "platform/text.h"
#include "script/interpreter.h"
#include "script/script.h"

char PictureName[kTextSize];
ScreenText TextSlots[kTextSlotCount];
char LastWav2Name[kTextSize];

namespace {

// The picture is read once when a screen starts: every frame of a screen shows the same
// file, so reading it again per frame would only allocate.
bool pictureDue;

void copyText(char (&dst)[kTextSize], const char* src) { std::snprintf(dst, sizeof dst, "%s", src); }

bool isDrawable(const char* text) { return text[0] != '\0' && text[0] != '\r' && text[0] != '\n'; }

}  // namespace

void resetPresentation() {
    std::memset(PictureName, 0, sizeof PictureName);
    std::memset(TextSlots, 0, sizeof TextSlots);
    std::memset(LastWav2Name, 0, sizeof LastWav2Name);
    pictureDue = false;
}

int variableAfterAt(const char* text) {
    int64_t number = 0;
    for (int i = 1; i < kTextSize; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < '0') break;
        number = number * 10 + (byte - '0');
        if (number >= kScriptVarCount) return -1;
    }
    return static_cast<int>(number);
}

void startPictureScreen(const char* picture) {
    copyText(PictureName, picture);
    pictureDue = true;
    ScriptPhase = Phase::Arm;
}

void drawTextCells(int32_t x, int32_t y, const char* text) {
    const int length = static_cast<int>(std::strlen(text));
    // Worked out in 64 bits: a rectangle far off the screen must not wrap around onto it.
    const int64_t right = static_cast<int64_t>(x) + static_cast<int64_t>(kTextCellWidth) * length;
    const int64_t bottom = static_cast<int64_t>(y) + kTextCellHeight;
    drawText(SurfaceTable[kBackBuffer], x, y, static_cast<int>(right > INT32_MAX ? INT32_MAX : right),
             static_cast<int>(bottom > INT32_MAX ? INT32_MAX : bottom), text, length);
}

void composePictureScreen() {
    if (pictureDue) {
        loadBitmapInto(kPicture, PictureName);  // a missing file keeps the previous picture
        pictureDue = false;
    }
    blit(SurfaceTable[kBackBuffer], 0, 0, kScreenWidth, kScreenHeight, SurfaceTable[kPicture], 0, 0, Rop::Copy);
    for (const ScreenText& slot : TextSlots) {
        if (isDrawable(slot.text)) drawTextCells(slot.x, slot.y, slot.text);
    }
}

void bmpCommand(int32_t p) {
    ScriptCounter = p + 1;
    startPictureScreen(scriptToken(p + 1));
}

void bgmCommand(int32_t p) {
    copyText(BgmFileName, scriptToken(p + 1));
    restartMusic();
    ScriptCounter = p + 2;
}

void wavCommand(int32_t p) {
    playEffect(scriptToken(p + 1));
    ScriptCounter = p + 2;
}

void wav2Command(int32_t p) {
    const char* name = scriptToken(p + 1);
    if (std::strcmp(name, LastWav2Name) != 0) playEffect(name);
    copyText(LastWav2Name, name);
    ScriptCounter = p + 2;
}

void drawtextCommand(int32_t p) {
    ScriptCounter = p + 5;
    const int32_t slotNumber = scriptNumber(p + 1);
    const char* text = scriptToken(p + 4);
    if (slotNumber < 0 || slotNumber >= kTextSlotCount) return;
    const int variable = text[0] == '@' ? variableAfterAt(text) : 0;
    if (variable < 0) return;
    ScreenText& slot = TextSlots[slotNumber];
    slot.x = scriptNumber(p + 2);
    slot.y = scriptNumber(p + 3);
    if (text[0] == '@') {
        std::snprintf(slot.text, sizeof slot.text, "%d", static_cast<int>(ScriptVars[variable]));
    } else {
        copyText(slot.text, text);
    }
}

bool pictureScreenDue() { return pictureDue; }

void setPictureScreenDue(bool due) { pictureDue = due; }
