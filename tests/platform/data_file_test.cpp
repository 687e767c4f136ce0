// Opening a game folder's files: only regular files, never waiting, text cut at its limit.
#include "platform/data_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "support/hostile_files.h"
#include "support/test_files.h"

namespace {

FileState stateOf(const char* path) {
    FileState state;
    if (std::FILE* f = openTextFile(path, &state)) std::fclose(f);
    return state;
}

TEST(DataFile, OnlyRegularFilesOpenAndNothingWaits) {
    TempGameFolder folder;
    ASSERT_EQ(mkfifo("data/fifo", 0644), 0);  // no writer: a plain open would wait forever
    ASSERT_EQ(symlink("/dev/zero", "data/zero"), 0);
    ASSERT_TRUE(writeText("data/list.txt", "1,2\n"));
    ASSERT_EQ(symlink("list.txt", "data/link.txt"), 0);
    EXPECT_EQ(stateOf("data/fifo"), FileState::NotRegular);
    EXPECT_EQ(stateOf("data/zero"), FileState::NotRegular);
    EXPECT_EQ(stateOf("data"), FileState::NotRegular);
    EXPECT_EQ(stateOf("data/none.txt"), FileState::Missing);
    EXPECT_EQ(stateOf("data/list.txt/x"), FileState::Missing);
    EXPECT_EQ(stateOf("data/link.txt"), FileState::Ok);  // a link is what it points to
    EXPECT_EQ(fileStateText(FileState::NotRegular, kTextFileLimit),
              "is not a regular file (a folder, a FIFO or a device)");

    std::vector<uint8_t> bytes;
    EXPECT_EQ(readDataFile("data/fifo", kPictureFileLimit, bytes), FileState::NotRegular);
    EXPECT_EQ(readDataFile("data/list.txt", kPictureFileLimit, bytes), FileState::Ok);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "1,2\n");
    EXPECT_EQ(readDataFile("data/list.txt", 3, bytes), FileState::TooLarge);
    EXPECT_TRUE(bytes.empty());

    // Writing: a FIFO, a device or a link in the file's place is refused, not blocked on or
    // written (nor what the link points to).
    EXPECT_EQ(createDataFile("data/link.txt"), nullptr);
    EXPECT_EQ(readWhole("data/list.txt"), "1,2\n");
    EXPECT_EQ(createDataFile("data/fifo"), nullptr);
    EXPECT_EQ(createDataFile("data/zero"), nullptr);
    EXPECT_EQ(createDataFile("data"), nullptr);
    std::FILE* f = createDataFile("data/list.txt");
    ASSERT_NE(f, nullptr);
    std::fputs("7\n", f);
    ASSERT_EQ(std::fclose(f), 0);
    EXPECT_EQ(readWhole("data/list.txt"), "7\n");
}

TEST(DataFile, TextEndsAtItsLimitAsIfTheFileEndedThere) {
    TempGameFolder folder;
    ASSERT_TRUE(writeText("big.txt", "start"));
    ASSERT_EQ(truncate("big.txt", int64_t{1} << 30), 0);  // a gigabyte, almost all of it a hole
    FileState state;
    std::FILE* f = openTextFile("big.txt", &state);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(state, FileState::TooLarge);
    char start[5];
    ASSERT_EQ(std::fread(start, 1, 5, f), 5u);
    EXPECT_EQ(std::string(start, 5), "start");
    int64_t count = 5;
    static char block[1 << 16];
    for (size_t got; (got = std::fread(block, 1, sizeof block, f)) > 0;) count += static_cast<int64_t>(got);
    EXPECT_EQ(count, kTextFileLimit);
    EXPECT_TRUE(std::feof(f));
    EXPECT_FALSE(std::ferror(f));
    EXPECT_EQ(std::fgetc(f), EOF);
    std::fclose(f);
    EXPECT_EQ(fileStateText(FileState::TooLarge, kTextFileLimit), "is larger than 4 MiB");
}

TEST(DataFile, AFileTheUserMayNotReadIsUnreadable) {
    TempGameFolder folder;
    ASSERT_TRUE(writeText("data/secret.txt", "1,2\n"));
    ASSERT_EQ(chmod("data/secret.txt", 0), 0);
    ASSERT_EQ(chmod(folder.path().c_str(), 0755), 0);
    EXPECT_TRUE(asUnprivilegedUser([] {
        return stateOf("data/secret.txt") == FileState::Unreadable &&
               fileStateText(FileState::Unreadable, kTextFileLimit) == "cannot be read (Permission denied)";
    }));
}

// The running game's messages name what stands in a file's place.
TEST(DataFile, TheGamesWordsNameWhatStandsInAFilesPlace) {
    TempGameFolder folder;
    ASSERT_EQ(mkfifo("data/fifo", 0644), 0);
    ASSERT_EQ(symlink("/dev/null", "data/null"), 0);
    ASSERT_TRUE(writeText("data/secret.txt", "1,2\n"));
    ASSERT_EQ(chmod("data/secret.txt", 0), 0);
    ASSERT_EQ(chmod(folder.path().c_str(), 0755), 0);
    auto words = [](const char* path) { return fileProblemText(path, stateOf(path), kTextFileLimit); };
    EXPECT_EQ(words("data/none.txt"), "no such file");
    EXPECT_EQ(words("data"), "is a folder");
    EXPECT_EQ(words("data/fifo"), "is a FIFO");
    EXPECT_EQ(words("data/null"), "is a device");
    EXPECT_EQ(fileProblemText("x", FileState::TooLarge, kTextFileLimit), "is larger than 4 MiB");
    EXPECT_EQ(fileProblemText("x", FileState::Ok, kTextFileLimit), "");
    EXPECT_TRUE(asUnprivilegedUser([&] { return words("data/secret.txt") == "permission denied"; }));
}

// A byte-order mark is never part of a keyword: text files are read from after it.
TEST(DataFile, ALeadingByteOrderMarkIsSkippedAndNamed) {
    TempGameFolder folder;
    auto read = [](const std::string& bytes, bool& marked) {
        writeText("data/t.txt", bytes);
        std::FILE* f = openTextFile("data/t.txt", nullptr, &marked);
        std::string text;
        for (int c; f && (c = std::fgetc(f)) != EOF;) text += static_cast<char>(c);
        if (f) std::fclose(f);
        return text;
    };
    bool marked = false;
    EXPECT_EQ(read("\xEF\xBB\xBFrem x\n", marked), "rem x\n");
    EXPECT_TRUE(marked);
    EXPECT_EQ(read("\xEF\xBB\xBF", marked), "");
    EXPECT_TRUE(marked);
    for (const std::string plain : {"", "a", "\xEF\xBB", "\xEF\xBBx", "x\xEF\xBB\xBF"}) {
        EXPECT_EQ(read(plain, marked), plain);
        EXPECT_FALSE(marked);
    }
}

}  // namespace
