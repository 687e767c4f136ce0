#include <cctype>
#include <string>

#include "stage/data_line.h"
#include "tools/check/checker.h"

namespace {

bool isDigit(char ch) { return ch >= '0' && ch <= '9'; }

// Fields up to the last one that holds something; trailing separators add nothing.
int filledFieldCount(const DataLine& line) {
    if (line.fieldCount > kLineFields) return line.fieldCount;
    for (int f = line.fieldCount - 1; f >= 0; --f) {
        if (!fieldView(line, f).empty) return f + 1;
    }
    return 0;
}

}  // namespace

FieldView fieldView(const DataLine& line, int field) {
    FieldView v{false, false, ""};
    if (field < 0 || field >= kLineFields || field >= line.fieldCount) return v;
    const int32_t start = line.column[field];
    int32_t end = line.endColumn;
    if (field + 1 < line.fieldCount) {
        if (field + 1 >= kLineFields) return v;  // where it ends was not kept
        end = line.column[field + 1] - 1;
    }
    v.empty = end == start;
    if (end <= kLineTextSize - 1) {
        v.known = true;
        v.text.assign(line.text + start, line.text + end);
    }
    return v;
}

void checkLineForm(CheckContext& c, const Place& at, const DataLine& line, const char* const* names, int usedFields,
                   int fieldLimit) {
    const int filled = filledFieldCount(line);
    if (filled > fieldLimit)
        c.report.warning(at, std::to_string(filled) + " fields: those after the " + std::to_string(fieldLimit) +
                                 "th are ignored");

    for (int f = 1; f < usedFields && f + 1 < filled; ++f) {
        if (fieldView(line, f).empty) {
            c.report.warning(at, "empty field between two separators (as in \", \"): it reads as 0 and moves "
                                 "every field after it one column on");
            break;
        }
    }

    for (int f = 0; f < usedFields && f < line.fieldCount && f < kLineFields; ++f) {
        const FieldView v = fieldView(line, f);
        const std::string value = std::to_string(line.value[f]);
        const std::string name = names[f];
        if (!v.known) {
            if (line.strayFields & (1u << f))
                c.report.warning(at, name + " has characters other than digits and \"-\": it reads as " + value);
            continue;
        }
        bool stray = false;
        bool innerMinus = false;
        for (size_t i = 0; i < v.text.size(); ++i) {
            if (v.text[i] == '-') {
                innerMinus = innerMinus || i > 0;
            } else if (!isDigit(v.text[i])) {
                stray = true;
            }
        }
        if (stray) {
            c.report.warning(at, name + " " + quoted(v.text) +
                                     " has characters other than digits and \"-\": it reads as " + value);
        } else if (innerMinus) {
            c.report.warning(at, name + " " + quoted(v.text) +
                                     " has a \"-\" after its first character: the whole number reads as " + value);
        }
    }
}

void checkIgnoredLine(CheckContext& c, const Place& at, const DataLine& line) {
    const std::string text(line.text, line.text + std::min<int32_t>(line.length, kLineTextSize - 1));
    if (line.endColumn == 0 && !text.empty() && text[0] == '/') {
        size_t i = text.find_first_not_of("/ \t");
        if (i == std::string::npos) return;
        const bool numberFirst = isDigit(text[i]) || (text[i] == '-' && i + 1 < text.size() && isDigit(text[i + 1]));
        if (numberFirst && text.find_first_of(", ", i) != std::string::npos)
            c.report.warning(at, "comment line looks like data: it is ignored");
        return;
    }
    const std::string before = text.substr(0, std::min<size_t>(text.size(), static_cast<size_t>(line.endColumn)));
    if (before.find_first_of("0123456789") == std::string::npos) return;
    std::string message = "no separator (comma or space) before the end of the line: it is ignored";
    if (before.find('\t') != std::string::npos) message += " (a tab is not a separator)";
    c.report.warning(at, message);
}
