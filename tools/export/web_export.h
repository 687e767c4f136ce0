// The web export: a game folder as a static web site that plays it in the browser, ready to
// upload anywhere: the page and the engine built for the browser (the web build's
// build/web-engine/), and game.pack.gz, the game folder with the font in the one gzip
// stream the page reads (its format is written in platform/web/index.html).
#pragma once
#include <cstdio>
#include <string>
#include <vector>

// Where the export takes the page and engine from, and the font the page draws texts in.
struct WebExportSources {
    std::string engineDir;  // holds index.html, sortie.js, sortie.wasm
    std::string fontPath;   // Unifont
};

// The files of `gameDir` the game can read, as "data/advfile.dat"-like paths in name
// order: those of data/, bmp/ and wav/ but hidden ones (a version control's, an editor's).
// False with a one-line reason.
bool listGameFiles(const std::string& gameDir, std::vector<std::string>& paths, std::string& error);

// Writes the pack of `gameDir` (each file under "game/") and the font ("unifont.otf") to
// `packPath`. False with a one-line reason.
bool writeGamePack(const std::string& gameDir, const std::string& fontPath, const std::string& packPath,
                   std::string& error);

// Writes the site into `outDir` (made when missing; an existing folder must be empty or a
// former export, whose files are replaced). False with a one-line reason.
bool writeWebSite(const std::string& gameDir, const std::string& outDir, const WebExportSources& sources,
                  std::string& error);

// Writes `zipPath`: the files of `folder` (not its subfolders) in a zip archive whose
// entries sit in a folder named as `folder`. False with a one-line reason.
bool writeZip(const std::string& folder, const std::string& zipPath, std::string& error);
