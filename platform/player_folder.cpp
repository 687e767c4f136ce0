#include "platform/player_folder.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

char PlayerFolder[kPlayerFolderSize] = "";

namespace {

constexpr uint64_t kHashPrime = 1099511628211ull;
// Long enough to tell games apart at a glance, short enough for any file system's names.
constexpr size_t kNameBytes = 64;

}  // namespace

bool setPlayerFolder(const std::string& path) {
    size_t length = path.size();
    while (length > 1 && path[length - 1] == '/') --length;
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
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
    std::string name = trimmed.substr(trimmed.rfind('/') + 1);
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
    return std::filesystem::equivalent(path, ".", ec);
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
    for (size_t i = 1; i <= length; ++i) {
        if (partial[i] != '/' && partial[i] != '\0') continue;
        const char kept = partial[i];
        partial[i] = '\0';
        if (mkdir(partial, 0777) != 0 && errno != EEXIST) return false;
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
