// Opening the files a game folder holds (and the tools' input files), so that no file can
// hang, flood or exhaust a reader: only regular files are ever opened, opening never waits
// (a FIFO without a writer, a device), text is read up to a fixed size and the rest left
// unread, and pictures and sounds over their size are refused. Every reader of outside
// data opens its file here.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Scripts, the character list and stage files. A real one is far smaller: a
// script keeps 1024 tokens, the list 128 rows of four lines, a stage 4095 objects.
constexpr int64_t kTextFileLimit = int64_t{4} << 20;
// Pictures: the largest picture a slot may hold (platform/bitmap.h) is 32 MiB of 32-bit
// pixels; the rest leaves room for headers, palettes and colour profiles.
constexpr int64_t kPictureFileLimit = int64_t{40} << 20;
// Music and sounds: over six minutes of CD-quality stereo.
constexpr int64_t kSoundFileLimit = int64_t{64} << 20;

// What was found at a path.
enum class FileState {
    Ok,
    Missing,     // nothing there (or a path through something that is not a folder)
    NotRegular,  // a folder, a FIFO, a device or a socket: never opened
    Unreadable,  // there, but the system refuses to open it (permissions)
    TooLarge,    // a regular file over the reader's limit
};

// Opens a text file for reading when it is a regular file. The stream ends after
// kTextFileLimit bytes, as if the file ended there: a longer file still opens, and `state`
// says TooLarge. Every other state but Ok returns null. The file checked is the file read:
// the check is made on the opened descriptor.
// A UTF-8 byte-order mark at the start is skipped, as it is never part of a keyword;
// `byteOrderMark` says whether there was one.
std::FILE* openTextFile(const char* path, FileState* state = nullptr, bool* byteOrderMark = nullptr);

// Opens a picture or a sound for reading when it is a regular file of at most `limit`
// bytes; null otherwise, `state` saying why.
std::FILE* openBinaryFile(const char* path, int64_t limit, FileState* state = nullptr);

// Reads a whole regular file of at most `limit` bytes into `bytes`; a longer file is not
// read and gives TooLarge. May throw std::bad_alloc.
FileState readDataFile(const char* path, int64_t limit, std::vector<uint8_t>& bytes);

constexpr int kWriteFailurePathSize = 4200;

// Creates or empties `path` for writing, as a regular file only: a FIFO, a device or a link
// in its place fails at once instead of blocking or writing into it (or what it points to).
// Null on failure.
std::FILE* createDataFile(const char* path);

// What a replaceDataFile that failed did not manage: the step ("cannot create", "cannot
// write", "cannot rename into place"), the file it concerned, and the system's reason.
struct WriteFailure {
    const char* step = "";
    char file[kWriteFailurePathSize] = "";
    int error = 0;
};

// Writes `path` anew through `write` (false when one of its writes failed) as safely as
// the disk allows: into `path`.tmp, flushed to the disk, renamed over `path`, and the
// rename itself flushed. A full disk, a refusal, a kill or a power cut at any moment leaves
// the old file or the new one, never a part of either; a failure removes the temporary file
// and, with `failure`, says what failed.
bool replaceDataFile(const char* path, bool (*write)(std::FILE* file, const void* context), const void* context,
                     WriteFailure* failure = nullptr);
// A writer for replaceDataFile whose context is a std::string: writes its bytes.
bool writeTextContext(std::FILE* file, const void* text);

// True when anything stands at `path` (a link itself, not what it points to).
bool somethingAt(const char* path);

// True when `a` and `b` name the same file (through links or other names).
bool sameFile(const char* a, const char* b);

// The state in words, for messages: "does not exist", "is not a regular file (a folder, a
// FIFO or a device)", "cannot be read (<the system's reason for the last refused open>)",
// "is larger than <limit> MiB"; empty for Ok.
std::string fileStateText(FileState state, int64_t limit);

// The same in the fewest words, for the running game's messages, naming what stands at
// `path` when it is no regular file: "no such file", "is a folder", "is a FIFO", "is a
// device", "permission denied" (the system's reason), "is larger than <limit> MiB".
std::string fileProblemText(const char* path, FileState state, int64_t limit);
