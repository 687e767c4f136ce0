#include "tools/export/web_export.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char* const kEngineFiles[] = {"index.html", "sortie.js", "sortie.wasm"};
constexpr char kPackName[] = "game.pack.gz";

bool readWhole(const fs::path& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool hidden(const fs::path& relative) {
    for (const fs::path& part : relative)
        if (part.string().starts_with(".")) return true;
    return false;
}

// True for a folder the export may fill: missing, empty, or holding a former export.
bool mayFill(const fs::path& folder) {
    std::error_code ec;
    if (!fs::exists(folder, ec)) return true;
    if (!fs::is_directory(folder, ec)) return false;
    return fs::is_empty(folder, ec) || fs::exists(folder / kPackName, ec);
}

void put16(std::string& out, uint32_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}
void put32(std::string& out, uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

}  // namespace

bool listGameFiles(const std::string& gameDir, std::vector<std::string>& paths, std::string& error) {
    std::error_code ec;
    paths.clear();
    for (const char* folder : {"data", "bmp", "wav"}) {
        const fs::path top = fs::path(gameDir) / folder;
        if (!fs::is_directory(top, ec)) continue;
        for (fs::recursive_directory_iterator it(top, ec), end; !ec && it != end; it.increment(ec)) {
            const fs::path relative = it->path().lexically_relative(gameDir);
            if (hidden(relative)) {
                if (it->is_directory(ec)) it.disable_recursion_pending();
                continue;
            }
            if (it->is_regular_file(ec)) paths.push_back(relative.generic_string());
        }
        if (ec) {
            error = "cannot read " + top.string() + ": " + ec.message();
            return false;
        }
    }
    std::sort(paths.begin(), paths.end());
    return true;
}

bool writeGamePack(const std::string& gameDir, const std::string& fontPath, const std::string& packPath,
                   std::string& error) {
    std::vector<std::string> paths;
    if (!listGameFiles(gameDir, paths, error)) return false;
    std::vector<std::string> names, contents;
    for (const std::string& path : paths) {
        // The pack's list holds one name a line.
        if (path.find('\n') != std::string::npos) {
            error = "a file name with a line break cannot be exported: " + path;
            return false;
        }
        names.push_back("game/" + path);
        contents.emplace_back();
        if (!readWhole(fs::path(gameDir) / path, contents.back())) {
            error = "cannot read " + (fs::path(gameDir) / path).string();
            return false;
        }
    }
    names.push_back("unifont.otf");
    contents.emplace_back();
    if (!readWhole(fontPath, contents.back())) {
        error = "cannot read the font " + fontPath + " (Debian's package fonts-unifont provides it)";
        return false;
    }
    std::string header = "SORTIE-PACK 1\n" + std::to_string(names.size()) + "\n";
    for (size_t i = 0; i < names.size(); ++i) header += std::to_string(contents[i].size()) + " " + names[i] + "\n";

    gzFile out = gzopen(packPath.c_str(), "wb9");
    bool ok = out != nullptr && gzwrite(out, header.data(), static_cast<unsigned>(header.size())) > 0;
    for (const std::string& bytes : contents)
        ok = ok && (bytes.empty() || gzwrite(out, bytes.data(), static_cast<unsigned>(bytes.size())) > 0);
    if (out && gzclose(out) != Z_OK) ok = false;
    if (!ok) error = "cannot write " + packPath;
    return ok;
}

bool writeWebSite(const std::string& gameDir, const std::string& outDir, const WebExportSources& sources,
                  std::string& error) {
    std::error_code ec;
    for (const char* name : kEngineFiles) {
        if (!fs::is_regular_file(fs::path(sources.engineDir) / name, ec)) {
            error = "the web engine is not built (" + (fs::path(sources.engineDir) / name).string() +
                    " is missing): ./play.sh --web builds it, or cmake --preset web && cmake --build --preset web";
            return false;
        }
    }
    if (!mayFill(outDir)) {
        error = outDir + " is not empty and holds no former export: name a new or empty folder";
        return false;
    }
    fs::create_directories(outDir, ec);
    if (ec) {
        error = "cannot make " + outDir + ": " + ec.message();
        return false;
    }
    for (const char* name : kEngineFiles) {
        fs::copy_file(fs::path(sources.engineDir) / name, fs::path(outDir) / name,
                      fs::copy_options::overwrite_existing, ec);
        if (ec) {
            error = "cannot write " + (fs::path(outDir) / name).string() + ": " + ec.message();
            return false;
        }
    }
    return writeGamePack(gameDir, sources.fontPath, (fs::path(outDir) / kPackName).string(), error);
}

bool writeZip(const std::string& folder, const std::string& zipPath, std::string& error) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec))
        if (entry.is_regular_file(ec)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    fs::path named = fs::absolute(folder).lexically_normal();
    if (named.filename().empty()) named = named.parent_path();
    const std::string prefix = named.filename().string() + "/";

    // Stored entries (no compression: the pack is gzip already), with their central directory.
    std::string archive, directory;
    for (const std::string& name : names) {
        std::string bytes;
        if (!readWhole(fs::path(folder) / name, bytes)) {
            error = "cannot read " + (fs::path(folder) / name).string();
            return false;
        }
        if (bytes.size() >= 0xFFFFFFFFu || archive.size() >= 0xFFFFFFFFu - bytes.size()) {
            error = "the site is too large for a zip archive";
            return false;
        }
        const std::string entryName = prefix + name;
        const uint32_t crc = static_cast<uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
        const uint32_t size = static_cast<uint32_t>(bytes.size());
        const uint32_t offset = static_cast<uint32_t>(archive.size());
        put32(archive, 0x04034b50);
        put16(archive, 10);  // version needed
        put16(archive, 0);   // flags
        put16(archive, 0);   // stored
        put32(archive, 0);   // time and date: none, so that an archive's bytes depend on its files alone
        put32(archive, crc);
        put32(archive, size);
        put32(archive, size);
        put16(archive, static_cast<uint32_t>(entryName.size()));
        put16(archive, 0);
        archive += entryName;
        archive += bytes;

        put32(directory, 0x02014b50);
        put16(directory, 0x031E);  // made by: Unix, version 3.0
        put16(directory, 10);
        put16(directory, 0);
        put16(directory, 0);
        put32(directory, 0);
        put32(directory, crc);
        put32(directory, size);
        put32(directory, size);
        put16(directory, static_cast<uint32_t>(entryName.size()));
        put16(directory, 0);  // extra
        put16(directory, 0);  // comment
        put16(directory, 0);  // disk
        put16(directory, 0);  // internal attributes
        put32(directory, 0644u << 16);
        put32(directory, offset);
        directory += entryName;
    }
    const uint32_t directoryOffset = static_cast<uint32_t>(archive.size());
    archive += directory;
    put32(archive, 0x06054b50);
    put16(archive, 0);
    put16(archive, 0);
    put16(archive, static_cast<uint32_t>(names.size()));
    put16(archive, static_cast<uint32_t>(names.size()));
    put32(archive, static_cast<uint32_t>(directory.size()));
    put32(archive, directoryOffset);
    put16(archive, 0);

    std::ofstream out(zipPath, std::ios::binary | std::ios::trunc);
    out.write(archive.data(), static_cast<std::streamsize>(archive.size()));
    out.close();
    if (!out) {
        error = "cannot write " + zipPath;
        return false;
    }
    return true;
}
