#include <cstdio>
#include <cstring>
#include <string>

#include "stage/charlist.h"
#include "stage/data_line.h"
#include "stage/world.h"
#include "tools/check/checker.h"

namespace {

constexpr int kColumns = 18;
constexpr const char* kColumnNames[kColumns] = {"No", "LEF", "TOP", "WID", "HEI", "HP",  "BP",  "SP",  "SIZ",
                                                "WEP", "BLA", "TYP", "SE", "DEA", "TAX", "TAY", "GRA", "LEN"};
enum Column { kNo = 0, kWEP = 9, kDEA = 13, kTAX = 14, kTAY = 15 };

// WEP and DEA name template rows; the file keeps only their low byte.
void checkTemplateColumn(CheckContext& c, const Place& at, const DataLine& line, int column) {
    const int32_t v = line.value[column];
    if (v >= 0 && v < kTemplateCount) return;
    std::string message = std::string(kColumnNames[column]) + " " + std::to_string(v) +
                          " is not a template number 0 to 127";
    const int stored = static_cast<int8_t>(v);
    if (stored != v) message += " (the game keeps its low byte, " + std::to_string(stored) + ")";
    c.report.error(at, message);
}

void checkOffsetColumn(CheckContext& c, const Place& at, const DataLine& line, int column) {
    const int32_t v = line.value[column];
    if (v >= -128 && v <= 127) return;
    c.report.warning(at, std::string(kColumnNames[column]) + " " + std::to_string(v) +
                             " is outside -128 to 127: it is stored as " + std::to_string(static_cast<int8_t>(v)));
}

}  // namespace

void readCharList(CheckContext& c) {
    std::memset(CharTable, 0, sizeof CharTable);
    bool byteOrderMark = false;
    std::FILE* file = openTextFile(kCharListPath, nullptr, &byteOrderMark);
    if (!file) return;
    c.charListRead = true;
    if (byteOrderMark) c.report.warning({kCharListPath, 1}, kByteOrderMarkWarning);
    DataLine line;
    int lineNumber = 0;
    while (readDataLine(file, line)) {
        const Place at{kCharListPath, ++lineNumber};
        if (!line.hasSeparator) {
            checkIgnoredLine(c, at, line);
            continue;
        }
        if (fieldView(line, kNo).empty) {
            c.report.warning(at, "the line begins with a separator, so its number reads as 0: it is read into the "
                                 "player's row");
        } else if (line.value[kNo] < 0 || line.value[kNo] >= kTemplateCount) {
            c.report.warning(at, "template number " + std::to_string(line.value[kNo]) +
                                     " is outside 0 to 127: the line is ignored");
            continue;
        }
        checkLineForm(c, at, line, kColumnNames, kColumns, kColumns);
        checkTemplateColumn(c, at, line, kWEP);
        checkTemplateColumn(c, at, line, kDEA);
        checkOffsetColumn(c, at, line, kTAX);
        checkOffsetColumn(c, at, line, kTAY);

        const int slot = storeCharListLine(line);
        if (slot < 0) continue;
        c.rowLine[line.value[kNo]] = lineNumber;
        c.weaponLine[line.value[kNo]][slot] = lineNumber;
    }
    std::fclose(file);
}
