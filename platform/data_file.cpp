#include "platform/data_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#endif

namespace {

// The system's reason for the last open that found a file but was refused.
int lastRefusal = 0;

#ifdef _WIN32
// Every file and the standard streams read and write the bytes given, as on Linux: in text
// mode Windows would add a carriage return before every line feed and end a file at ^Z.
// Every program links this file.
const bool binaryFiles = [] {
    _fmode = _O_BINARY;
    for (std::FILE* stream : {stdin, stdout, stderr}) _setmode(_fileno(stream), _O_BINARY);
    return true;
}();

// Windows has no non-blocking open and no inheritance on exec to refuse; every file is
// opened in binary mode, and a path is UTF-8 (the programs' manifest makes it the code page).
constexpr int kReadFlags = _O_RDONLY | _O_BINARY | _O_NOINHERIT;
constexpr int kCreateFlags = _O_WRONLY | _O_CREAT | _O_BINARY | _O_NOINHERIT;
#define S_ISSOCK(mode) false
bool emptyFile(int fd) { return _chsize(fd, 0) == 0; }
bool flushToDisk(int fd) { return _commit(fd) == 0; }
void allowWaiting(int) {}
bool isFolder(const char* path) {
    struct stat info;
    return ::stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

// The file names of a move, in the system's own UTF-16.
bool widePath(const char* path, wchar_t (&wide)[kWriteFailurePathSize]) {
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, wide, kWriteFailurePathSize) > 0;
}

// Moves `from` over `to` and returns only once the move is on the disk; errno says why not.
bool moveIntoPlace(const char* from, const char* to) {
    wchar_t wideFrom[kWriteFailurePathSize], wideTo[kWriteFailurePathSize];
    if (!widePath(from, wideFrom) || !widePath(to, wideTo)) {
        errno = EINVAL;
        return false;
    }
    if (MoveFileExW(wideFrom, wideTo, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    errno = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
    return false;
}

// Windows has no stdio over a reader of one's own: a text file over its limit is read through
// a temporary copy of its first `limit` bytes, removed when it is closed.
std::FILE* streamOf(int fd, int64_t size, int64_t limit) {
    std::FILE* whole = _fdopen(fd, "rb");
    if (!whole) {
        ::close(fd);
        return nullptr;
    }
    if (size <= limit) return whole;
    wchar_t folder[MAX_PATH + 1], name[MAX_PATH + 1];
    std::FILE* part = nullptr;
    if (GetTempPathW(MAX_PATH + 1, folder) && GetTempFileNameW(folder, L"srt", 0, name))
        part = _wfopen(name, L"w+bTD");
    static char buffer[1 << 16];
    for (int64_t left = limit; part && left > 0;) {
        const size_t want = left < int64_t{sizeof buffer} ? static_cast<size_t>(left) : sizeof buffer;
        const size_t got = std::fread(buffer, 1, want, whole);
        if (got == 0 || std::fwrite(buffer, 1, got, part) != got) break;
        left -= static_cast<int64_t>(got);
    }
    std::fclose(whole);
    if (part) std::rewind(part);
    return part;
}
#else
constexpr int kReadFlags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
// No O_TRUNC yet: a FIFO or a device must not be emptied or written into. Nor is a link
// followed: what it points to may be anyone's file.
constexpr int kCreateFlags = O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | O_NOFOLLOW;

bool moveIntoPlace(const char* from, const char* to) { return std::rename(from, to) == 0; }
bool emptyFile(int fd) { return ::ftruncate(fd, 0) == 0; }
bool flushToDisk(int fd) { return fsync(fd) == 0; }

// Reads and writes of a regular file never wait anyway; the flag only kept the open from
// waiting.
void allowWaiting(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK); }

// A descriptor read through stdio that reports the end of the file once `limit` bytes lie
// before the read position.
struct LimitedFile {
    int fd;
    int64_t position;
    int64_t limit;
};

ssize_t readLimited(void* cookie, char* buffer, size_t size) {
    auto* f = static_cast<LimitedFile*>(cookie);
    if (f->position >= f->limit) return 0;
    const int64_t left = f->limit - f->position;
    const ssize_t got = ::read(f->fd, buffer, static_cast<size_t>(left) < size ? static_cast<size_t>(left) : size);
    if (got > 0) f->position += got;
    return got;
}

int seekLimited(void* cookie, off64_t* offset, int whence) {
    auto* f = static_cast<LimitedFile*>(cookie);
    const off64_t at = ::lseek64(f->fd, *offset, whence);
    if (at < 0) return -1;
    f->position = at;
    *offset = at;
    return 0;
}

int closeLimited(void* cookie) {
    auto* f = static_cast<LimitedFile*>(cookie);
    const int result = ::close(f->fd);
    delete f;
    return result;
}

std::FILE* streamOf(int fd, int64_t, int64_t limit) {
    auto* cookie = new (std::nothrow) LimitedFile{fd, 0, limit};
    std::FILE* file = cookie ? fopencookie(cookie, "r", {readLimited, nullptr, seekLimited, closeLimited}) : nullptr;
    if (!file) {
        delete cookie;
        ::close(fd);
    }
    return file;
}
#endif

// Opens `path` without waiting and checks the opened descriptor: -1 unless it is a
// regular file. `size` receives its size.
int openRegular(const char* path, FileState& state, int64_t& size) {
    const int fd = ::open(path, kReadFlags);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR || errno == ELOOP || errno == ENAMETOOLONG) {
            state = FileState::Missing;
        } else if (errno == ENXIO || errno == ENODEV) {  // a socket, or a device without a driver
            state = FileState::NotRegular;
#ifdef _WIN32
        } else if (errno == EACCES && isFolder(path)) {  // Windows opens no folder as a file
            state = FileState::NotRegular;
#endif
        } else {
            lastRefusal = errno;
            state = FileState::Unreadable;
        }
        return -1;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        state = FileState::NotRegular;
        return -1;
    }
    allowWaiting(fd);
    size = info.st_size;
    state = FileState::Ok;
    return fd;
}

std::FILE* openLimited(const char* path, int64_t limit, FileState& state, int64_t& size) {
    const int fd = openRegular(path, state, size);
    if (fd < 0) return nullptr;
    if (size > limit) state = FileState::TooLarge;
    std::FILE* file = streamOf(fd, size, limit);
    if (!file) {
        lastRefusal = ENOMEM;
        state = FileState::Unreadable;
    }
    return file;
}

}  // namespace

std::FILE* openTextFile(const char* path, FileState* state, bool* byteOrderMark) {
    FileState found;
    int64_t size;
    std::FILE* file = openLimited(path, kTextFileLimit, found, size);
    bool marked = false;
    if (file) {
        unsigned char start[3] = {0, 0, 0};
        marked = std::fread(start, 1, 3, file) == 3 && start[0] == 0xEF && start[1] == 0xBB && start[2] == 0xBF;
        if (!marked) {
            std::clearerr(file);
            std::fseek(file, 0, SEEK_SET);
        }
    }
    if (state) *state = found;
    if (byteOrderMark) *byteOrderMark = marked;
    return file;
}

std::FILE* openBinaryFile(const char* path, int64_t limit, FileState* state) {
    FileState found;
    int64_t size;
    std::FILE* file = openLimited(path, limit, found, size);
    if (file && found == FileState::TooLarge) {
        std::fclose(file);
        file = nullptr;
    }
    if (state) *state = found;
    return file;
}

FileState readDataFile(const char* path, int64_t limit, std::vector<uint8_t>& bytes) {
    bytes.clear();
    FileState state;
    int64_t size = 0;
    std::FILE* file = openLimited(path, limit, state, size);
    if (!file) return state;
    if (state == FileState::Ok) {
        // One allocation of the size the check found, at most `limit`: a file that grows
        // meanwhile is read as it was.
        bytes.resize(static_cast<size_t>(size));
        bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
        if (std::ferror(file)) {
            lastRefusal = EIO;
            state = FileState::Unreadable;
        }
    }
    std::fclose(file);
    return state;
}

std::FILE* createDataFile(const char* path) {
    const int fd = ::open(path, kCreateFlags, 0666);
    if (fd < 0) return nullptr;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || !emptyFile(fd)) {
        ::close(fd);
        return nullptr;
    }
    allowWaiting(fd);
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) ::close(fd);
    return file;
}

bool replaceDataFile(const char* path, bool (*write)(std::FILE*, const void*), const void* context,
                     WriteFailure* failure) {
    char temp[kWriteFailurePathSize];
    const auto fail = [&](const char* step, const char* file, int error) {
        if (failure) {
            failure->step = step;
            std::snprintf(failure->file, sizeof failure->file, "%s", file);
            failure->error = error;
        }
        return false;
    };
    if (std::snprintf(temp, sizeof temp, "%s.tmp", path) >= static_cast<int>(sizeof temp))
        return fail("cannot create", path, ENAMETOOLONG);
    errno = 0;
    std::FILE* file = createDataFile(temp);
    if (!file) return fail("cannot create", temp, errno ? errno : EIO);
    errno = 0;
    bool done = write(file, context) && std::fflush(file) == 0 && flushToDisk(fileno(file));
    int error = errno ? errno : EIO;
    if (std::fclose(file) != 0 && done) {
        done = false;
        error = errno ? errno : EIO;
    }
    if (!done) {
        std::remove(temp);
        return fail("cannot write", temp, error);
    }
    if (!moveIntoPlace(temp, path)) {
        error = errno;
        std::remove(temp);
        return fail("cannot rename into place", path, error);
    }
#ifndef _WIN32
    // The rename itself on the disk before the caller goes on (Windows moved it so).
    char folder[kWriteFailurePathSize];
    std::snprintf(folder, sizeof folder, "%s", path);
    char* slash = std::strrchr(folder, '/');
    if (slash == folder) slash[1] = '\0';
    else if (slash) *slash = '\0';
    else std::snprintf(folder, sizeof folder, ".");
    const int folderFd = ::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        fsync(folderFd);
        ::close(folderFd);
    }
#endif
    return true;
}

#ifdef _WIN32
bool somethingAt(const char* path) {
    wchar_t wide[kWriteFailurePathSize];
    return widePath(path, wide) && GetFileAttributesW(wide) != INVALID_FILE_ATTRIBUTES;
}

bool sameFile(const char* a, const char* b) {
    // Windows has no inode numbers in stat: a file's volume and index name it.
    BY_HANDLE_FILE_INFORMATION info[2];
    const char* paths[2] = {a, b};
    for (int i = 0; i < 2; ++i) {
        wchar_t wide[kWriteFailurePathSize];
        if (!widePath(paths[i], wide)) return false;
        HANDLE file = CreateFileW(wide, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        const bool known = GetFileInformationByHandle(file, &info[i]);
        CloseHandle(file);
        if (!known) return false;
    }
    return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
           info[0].nFileIndexHigh == info[1].nFileIndexHigh && info[0].nFileIndexLow == info[1].nFileIndexLow;
}
#else
bool somethingAt(const char* path) {
    struct stat info;
    return ::lstat(path, &info) == 0;
}

bool sameFile(const char* a, const char* b) {
    struct stat first, second;
    return ::stat(a, &first) == 0 && ::stat(b, &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}
#endif

std::string fileStateText(FileState state, int64_t limit) {
    switch (state) {
    case FileState::Ok: return "";
    case FileState::Missing: return "does not exist";
    case FileState::NotRegular: return "is not a regular file (a folder, a FIFO or a device)";
    case FileState::Unreadable: return std::string("cannot be read (") + std::strerror(lastRefusal) + ")";
    case FileState::TooLarge: return "is larger than " + std::to_string(limit >> 20) + " MiB";
    }
    return "";
}

std::string fileProblemText(const char* path, FileState state, int64_t limit) {
    switch (state) {
    case FileState::Missing: return "no such file";
    case FileState::NotRegular: {
        struct stat info;
        if (::stat(path, &info) != 0) return "is not a regular file";
        if (S_ISDIR(info.st_mode)) return "is a folder";
        if (S_ISFIFO(info.st_mode)) return "is a FIFO";
        if (S_ISSOCK(info.st_mode)) return "is a socket";
        if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) return "is a device";
        return "is not a regular file";
    }
    case FileState::Unreadable: {
        std::string reason = std::strerror(lastRefusal);
        if (!reason.empty() && reason[0] >= 'A' && reason[0] <= 'Z')
            reason[0] = static_cast<char>(reason[0] - 'A' + 'a');
        return reason;
    }
    default: return fileStateText(state, limit);
    }
}

bool writeTextContext(std::FILE* file, const void* text) {
    const std::string& bytes = *static_cast<const std::string*>(text);
    return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}
