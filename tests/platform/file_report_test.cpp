// The running game's reports: once per file, in the fewest words, silent until asked for.
#include "platform/file_report.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/bitmap.h"
#include "platform/surface.h"
#include "platform/wave.h"
#include "support/test_files.h"

namespace {

// What the reports wrote while `run` ran.
template <typename Run>
std::string reported(Run run) {
    char* buffer = nullptr;
    size_t size = 0;
    std::FILE* out = open_memstream(&buffer, &size);
    forgetFileReports();
    setFileReportStream(out, "sortie");
    run();
    setFileReportStream(nullptr, "sortie");
    std::fclose(out);
    std::string text(buffer, size);
    std::free(buffer);
    return text;
}

TEST(FileReport, EachPathIsNamedOnceHoweverItIsWrittenAndNothingWithoutAStream) {
    const std::string text = reported([] {
        for (int frame = 0; frame < 3; ++frame) {
            reportTextFileTrouble("./data/level4.txt", FileState::Missing);
            reportTextFileTrouble("././data/level4.txt", FileState::Missing);
        }
        reportTextFileTrouble("data/ok.txt", FileState::Ok);
        reportTextFileTrouble("data/big.txt", FileState::TooLarge);
        reportTrouble("texts will not show");
    });
    EXPECT_EQ(text,
              "sortie: data/level4.txt: no such file\n"
              "sortie: data/big.txt: is larger than 4 MiB: only that much of it is read\n"
              "sortie: texts will not show\n");
    forgetFileReports();
    EXPECT_FALSE(firstTroubleWith("data/x.txt"));  // no stream: nobody to tell
}

TEST(FileReport, PicturesAndSoundsInAnotherFormatAreNamedAsWhatTheyAre) {
    auto pictureWords = [](const std::string& bytes) {
        Surface s;
        PictureInfo info;
        EXPECT_FALSE(decodeBitmap(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), s, &info));
        return pictureProblemText("p.bmp", info);
    };
    const std::string tail(40, 'x');
    EXPECT_EQ(pictureWords("\x89PNG\r\n\x1a\n" + tail), "is a PNG file: pictures must be BMP");
    EXPECT_EQ(pictureWords("P6 800 600 255\n" + tail), "is not a BMP file");

    TempGameFolder folder;
    auto soundWords = [](const std::string& bytes) {
        writeText("wav/s.wav", bytes);
        return soundFileProblemText("wav/s.wav", WaveUse::Sound);
    };
    EXPECT_EQ(soundWords("OggS" + tail), "is an Ogg file: sounds must be WAV");
    EXPECT_EQ(soundWords("ID3" + tail), "is an MP3 file: sounds must be WAV");
    EXPECT_EQ(soundWords("RIFF" + tail), "is not a WAV file with a format and a data chunk");
    ASSERT_TRUE(writeWav("wav/good.wav", 10));
    EXPECT_EQ(soundFileProblemText("wav/good.wav", WaveUse::Music), "");
}

}  // namespace
