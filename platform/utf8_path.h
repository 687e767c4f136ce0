// File names as every program holds them: UTF-8 bytes in a std::string, turned into and out of
// std::filesystem paths as UTF-8 on every system. A plain std::string would be read through
// the C library's locale, which on Windows turns a name outside its code page into another
// name or an exception.
#pragma once
#include <filesystem>
#include <string>
#include <string_view>

inline std::filesystem::path utf8Path(std::string_view name) {
    return std::filesystem::path(std::u8string_view(reinterpret_cast<const char8_t*>(name.data()), name.size()));
}

// The path's name in UTF-8, with the system's own separators or, `generic`, with slashes.
inline std::string utf8Name(const std::filesystem::path& path, bool generic = false) {
    const std::u8string name = generic ? path.generic_u8string() : path.u8string();
    return std::string(name.begin(), name.end());
}
