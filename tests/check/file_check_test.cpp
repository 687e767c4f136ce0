// Files the game cannot open, or opens only in part, are errors that name the file and say
// why, rather than what follows from them.
#include <sys/stat.h>
#include <unistd.h>

#include "platform/data_file.h"
#include "support/hostile_files.h"
#include "tests/check/check_fixture.h"

namespace {

class FileCheckTest : public CheckTest {
protected:
    // The whole report, one line each.
    static std::string reportText() {
        std::string text;
        for (const std::string& line : report()) text += line + "\n";
        return text;
    }
};

std::string withSpaces(const std::string& text) {
    return text + std::string(static_cast<size_t>(kTextFileLimit), ' ');
}

TEST_F(FileCheckTest, StartUpFilesThatCannotBeOpenedOrLoadedAreErrors) {
    cleanGame();
    remove("data/advfile.dat");
    ASSERT_EQ(mkfifo("data/advfile.dat", 0644), 0);
    remove("data/charlist.txt");
    std::filesystem::create_directory("data/charlist.txt");
    ASSERT_TRUE(writeBytes("bmp/format.bmp", bmpBytes(30000, 30000, 4, 0, std::string(64, '\0'))));
    ASSERT_TRUE(writeBytes("bmp/char.bmp", bmpBytes(64, 64, 12, 0, "")));
    EXPECT_EQ(reportText(),
              "data/advfile.dat:0: error: the first script is not a regular file (a folder, a FIFO or a device): the "
              "game reads it as an empty script\n"
              "data/charlist.txt:0: error: the character list is not a regular file (a folder, a FIFO or a device): "
              "the game starts without a single row\n"
              "bmp/format.bmp:0: error: start-up picture is 30000 x 30000, larger than a picture may be (8388608 "
              "pixels, 8192 on a side): the game cannot load it\n"
              "bmp/char.bmp:0: error: start-up picture has a corrupt header (a pixel size other than 1, 2, 4, 8, 16, "
              "24 or 32 bits): the game cannot load it\n"
              "4 errors, 0 warnings\n");
}

TEST_F(FileCheckTest, FilesTheScriptsAndStagesNameAreCheckedAsTheGameOpensThem) {
    cleanGame();
    ASSERT_TRUE(writeText("data/advfile.dat", withSpaces("bgm wav/theme.wav\nbmp bmp/title.bmp\nshoot 1\nkh 1\nend\n") +
                                                  "bmp bmp/never.bmp\n"));
    ASSERT_TRUE(writeBytes("bmp/title.bmp", bmpBytes(65772, 4098, 24, 0, "")));
    ASSERT_TRUE(writeBytes("bmp/back1.bmp", bmpBytes(8, 8, 24, 4, std::string(200, '\0'))));
    WaveSpec silent;
    silent.dataBytes = 0;
    ASSERT_TRUE(writeBytes("wav/theme.wav", waveBytes(silent)));
    WaveSpec halfSample;
    halfSample.bits = 16;
    halfSample.dataBytes = 1;
    ASSERT_TRUE(writeBytes("wav/level1.wav", waveBytes(halfSample)));
    WaveSpec mp3;
    mp3.encoding = 0x55;
    ASSERT_TRUE(writeBytes("wav/se1.wav", waveBytes(mp3)));
    ASSERT_TRUE(writeText("wav/lost.wav", "OggS"));
    remove("wav/win.wav");
    ASSERT_EQ(symlink("/dev/zero", "wav/win.wav"), 0);
    // The report is made once: the script it reads first is 4 MiB long.
    const std::string shown = reportText();
    for (const char* line : {
             "data/advfile.dat:0: error: the script is larger than 4 MiB: the game reads only its first 4 MiB",
             "data/advfile.dat:1: error: music \"wav/theme.wav\" has no samples: the game cannot open it as music",
             "data/advfile.dat:2: error: picture \"bmp/title.bmp\" is 65772 x 4098, larger than a picture may be "
             "(8388608 pixels, 8192 on a side): the game cannot load it",
             "data/advfile.dat:3: error: stage sound \"./wav/win.wav\" is not a regular file (a folder, a FIFO or a "
             "device): the game cannot open it",
             "data/advfile.dat:3: error: stage sound \"./wav/lost.wav\" is not a WAV file with a format and a data "
             "chunk",
             "data/level1.txt:1: error: background \"./bmp/back1.bmp\" has a corrupt header (a compression the "
             "reader cannot decode): the game cannot load it",
             "data/level1.txt:4: error: music \"./wav/level1.wav\" has no samples: the game cannot open it as music",
             "data/charlist.txt:3: error: spawn sound \"./wav/se1.wav\" of template 2 is a WAV the mixer cannot "
             "decode (encoding 85, 8 bits, 1 channel, 8000 Hz)",
             "8 errors, 0 warnings"})
        EXPECT_NE(shown.find(std::string(line) + "\n"), std::string::npos) << line << "\n" << shown;

    // A stage file that is a link to /dev/zero is named where the stage starts.
    remove("data/level1.txt");
    ASSERT_EQ(symlink("/dev/zero", "data/level1.txt"), 0);
    EXPECT_REPORTS("data/advfile.dat:3: error: stage file \"./data/level1.txt\" is not a regular file (a folder, a "
                   "FIFO or a device): the game plays the stage with the player alone");
}

TEST_F(FileCheckTest, FilesThatExistButCannotBeReadSaySo) {
    cleanGame();
    ASSERT_TRUE(writeText("data/advfile.dat", "call data/next.dat\n"));
    ASSERT_TRUE(writeText("data/next.dat", "end\n"));
    ASSERT_EQ(chmod("data/charlist.txt", 0), 0);
    ASSERT_EQ(chmod("data/next.dat", 0), 0);
    ASSERT_EQ(chmod(folder.c_str(), 0755), 0);
    // As root every file reads, whatever its permissions: the checker runs as "nobody" then.
    EXPECT_TRUE(asUnprivilegedUser([] {
        const std::string expected =
            "data/advfile.dat:1: error: script \"data/next.dat\" cannot be read (Permission denied): the game reads "
            "it as an empty script\n"
            "data/charlist.txt:0: error: the character list cannot be read (Permission denied): the game starts "
            "without a single row\n"
            "2 errors, 0 warnings\n";
        const std::string shown = reportText();
        if (shown != expected) std::fprintf(stderr, "%s", shown.c_str());
        return shown == expected;
    }));

    ASSERT_EQ(chmod("data/advfile.dat", 0), 0);
    EXPECT_TRUE(asUnprivilegedUser([] {
        return reportText().find("data/advfile.dat:0: error: the first script cannot be read (Permission denied): "
                                 "the game reads it as an empty script\n") != std::string::npos &&
               reportText().find("data/advfile.dat:0: warning") == std::string::npos;
    }));
}

}  // namespace

TEST_F(FileCheckTest, AByteOrderMarkAndAPictureInAnotherFormatAreNamed) {
    cleanGame();
    const std::string mark = "\xEF\xBB\xBF";
    write("data/advfile.dat", mark + "bmp bmp/title.bmp\nshoot 1\nkh 1\nend\n");
    write("data/charlist.txt", mark + kCleanCharList);
    write("data/level1.txt", mark + "50,1,1,1\n54,4,0,500,64,32,568\n53,5,1,0,600,200,3,0\n61,1\n" + kFence);
    // The game skips the marks, so only they are reported: the first keyword and the first
    // rows read as they would without them.
    for (const char* file : {"data/advfile.dat", "data/charlist.txt", "data/level1.txt"})
        EXPECT_REPORTS(std::string(file) +
                       ":1: warning: the file starts with a UTF-8 byte-order mark, which the game skips (an editor "
                       "set to save UTF-8 without a byte-order mark leaves it out)");
    EXPECT_SUMMARY("0 errors, 3 warnings");

    cleanGame();
    write("bmp/title.bmp", "\x89PNG\r\n\x1a\n and the rest");
    write("bmp/back1.bmp", "GIF89a and the rest");
    write("bmp/zyunbi.bmp", "\xFF\xD8\xFF\xE0 and the rest");
    EXPECT_REPORTS("data/advfile.dat:2: error: picture \"bmp/title.bmp\" is a PNG file, not a BMP: the game cannot "
                   "load it");
    EXPECT_REPORTS("data/level1.txt:1: error: background \"./bmp/back1.bmp\" is a GIF file, not a BMP: the game "
                   "cannot load it");
    EXPECT_REPORTS("data/advfile.dat:3: error: ready screen \"./bmp/zyunbi.bmp\" is a JPEG file, not a BMP: the game "
                   "cannot load it");
}
