// A temporary game folder and a headless platform for the script tests: files are written
// into data/, bmp/ and wav/, frames run through the main loop's own pass.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/main_loop.h"
#include "platform/bitmap.h"
#include "platform/headless_platform.h"
#include "platform/surface.h"
#include "platform/window.h"
#include "script/interpreter.h"
#include "script/script.h"

class ScriptTest : public ::testing::Test {
protected:
    HeadlessPlatform hp;
    std::filesystem::path home;
    std::filesystem::path folder;

    void SetUp() override {
        platform = &hp;
        hp.recordTrace = true;
        home = std::filesystem::current_path();
        char pattern[] = "/tmp/sortie-script-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        std::filesystem::create_directories(folder / "data");
        std::filesystem::create_directories(folder / "bmp");
        std::filesystem::create_directories(folder / "wav");
        std::filesystem::current_path(folder);
        resizeSurface(windowDC, kScreenWidth, kScreenHeight, kWhite);
        for (int slot : {kBackBuffer, kPicture}) resizeSurface(SurfaceTable[slot], kScreenWidth, kScreenHeight, kBlack);
    }

    void TearDown() override {
        std::filesystem::current_path(home);
        std::filesystem::remove_all(folder);
        platform = nullptr;
    }

    static void writeFile(const std::string& path, const std::string& bytes) {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }

    // An 800 x 600 picture of one colour.
    static void writePicture(const std::string& path, uint32_t colour) {
        Surface s;
        resizeSurface(s, kScreenWidth, kScreenHeight, colour);
        ASSERT_TRUE(writeBitmapFile(path.c_str(), s));
    }

    // Writes data/<name> and loads it as the running script.
    static void loadScriptText(const std::string& text, const std::string& name = "data/test.dat") {
        writeFile(name, text);
        LoadScript(name.c_str());
    }

    // One frame of the main loop: queued messages first, then the frame step.
    void frame() {
        hp.traceFrame = frameCount + 1;
        while (!loopPass()) {
        }
    }
    void frames(int n) {
        for (int i = 0; i < n; ++i) frame();
    }

    // The trace without the keep-alive's status query, which every frame sends.
    std::vector<std::string> soundTrace() const {
        std::vector<std::string> out;
        for (const std::string& line : hp.trace)
            if (line.find("status BGM mode") == std::string::npos) out.push_back(line);
        return out;
    }

    uint32_t shownPixel(int x, int y) const { return hp.shown.row(y)[x]; }
    // Pixels of the shown window in [x0, x1) x [y0, y1) equal to `colour`.
    int countShown(int x0, int y0, int x1, int y1, uint32_t colour) const {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += shownPixel(x, y) == colour;
        return n;
    }
};
