#include "platform/player_folder.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/utf8_path.h"

#ifdef _WIN32
#include <direct.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

char PlayerFolder[kPlayerFolderSize] = "";

namespace {

constexpr uint64_t kHashPrime = 1099511628211ull;
// Long enough to tell games apart at a glance, short enough for any file system's names.
constexpr size_t kNameBytes = 64;

#ifdef _WIN32
// Windows takes either slash between folders, and a path may start with a drive ("C:\").
constexpr const char* kSeparators = "/\\";
int makeFolder(const char* path) { return _mkdir(path); }
size_t driveLength(const char* path) { return path[0] && path[1] == ':' ? 2 : 0; }
#else
constexpr const char* kSeparators = "/";
int makeFolder(const char* path) { return mkdir(path, 0777); }
size_t driveLength(const char*) { return 0; }
#endif
bool isSeparator(char c) { return c != '\0' && std::strchr(kSeparators, c); }

}  // namespace

bool setPlayerFolder(const std::string& path) {
    size_t length = path.size();
    while (length > 1 && isSeparator(path[length - 1])) --length;
    if (length >= sizeof PlayerFolder) return false;
    std::memcpy(PlayerFolder, path.data(), length);
    PlayerFolder[length] = '\0';
    return true;
}

uint64_t hashBytes(const void* bytes, size_t size, uint64_t hash) {
    const auto* p = static_cast<const unsigned char*>(bytes);
    for (size_t i = 0; i < size; ++i) hash = (hash ^ p[i]) * kHashPrime;
    return hash;
}

std::string playerFolderFor(const std::string& userDataFolder, const std::string& absolutePath) {
    std::string trimmed = absolutePath;
    while (trimmed.size() > 1 && isSeparator(trimmed.back())) trimmed.pop_back();
    std::string name = trimmed.substr(trimmed.find_last_of(kSeparators) + 1);
    if (name.size() > kNameBytes) {
        // Cut between characters, never inside one: UTF-8 continuation bytes are 10xxxxxx.
        size_t cut = kNameBytes;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
        name.resize(cut);
    }
    if (name.empty() || name == "." || name == "..") name = "game";
    char hash[9];
    std::snprintf(hash, sizeof hash, "%08x",
                  static_cast<unsigned>(hashBytes(trimmed.data(), trimmed.size()) & 0xFFFFFFFFu));
    return userDataFolder + "games/" + name + "-" + hash;
}

bool isCurrentFolder(const std::string& path) {
    std::error_code ec;
    return std::filesystem::equivalent(utf8Path(path), ".", ec);
}

bool makeFolders(const char* path) {
    char partial[kPlayerFolderSize + 64];
    const size_t length = std::strlen(path);
    if (length >= sizeof partial) {
        errno = ENAMETOOLONG;
        return false;
    }
    std::memcpy(partial, path, length + 1);
    // Each folder from the top down; one that is there already is fine only as a folder.
    for (size_t i = driveLength(path) + 1; i <= length; ++i) {
        if (!isSeparator(partial[i]) && partial[i] != '\0') continue;
        const char kept = partial[i];
        partial[i] = '\0';
        if (makeFolder(partial) != 0 && errno != EEXIST) return false;
        partial[i] = kept;
    }
    struct stat info;
    if (stat(path, &info) != 0) return false;
    if (!S_ISDIR(info.st_mode)) {
        errno = ENOTDIR;
        return false;
    }
    return true;
}

#ifdef _WIN32
std::string temporaryRoot() {
    wchar_t wide[MAX_PATH + 1];
    char path[4 * MAX_PATH + 4];
    const DWORD length = GetTempPathW(MAX_PATH + 1, wide);
    if (length == 0 || length > MAX_PATH ||
        WideCharToMultiByte(CP_UTF8, 0, wide, -1, path, sizeof path, nullptr, nullptr) == 0)
        return "C:\\Windows\\Temp";
    std::string root = path;
    while (root.size() > 3 && isSeparator(root.back())) root.pop_back();
    return root;
}

std::string makeTemporaryFolder(const std::string& prefix) {
    // Windows has no mkdtemp: names are drawn until one is free.
    const std::string root = temporaryRoot();
    uint64_t seed = GetTickCount64() * 6364136223846793005ull + GetCurrentProcessId();
    for (int attempt = 0; attempt < 100; ++attempt) {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        char name[7];
        for (int i = 0; i < 6; ++i) name[i] = "abcdefghijklmnopqrstuvwxyz0123456789"[(seed >> (16 + 5 * i)) % 36];
        name[6] = '\0';
        const std::string path = root + "\\" + prefix + name;
        if (_mkdir(path.c_str()) == 0) return path;
        if (errno != EEXIST) break;
    }
    return "";
}
#else
std::string temporaryRoot() {
    const char* tmp = std::getenv("TMPDIR");
    std::error_code ec;
    return std::filesystem::absolute(tmp && *tmp ? tmp : "/tmp", ec).string();
}

std::string makeTemporaryFolder(const std::string& prefix) {
    std::string pattern = temporaryRoot() + "/" + prefix + "XXXXXX";
    return mkdtemp(pattern.data()) ? pattern : "";
}
#endif
