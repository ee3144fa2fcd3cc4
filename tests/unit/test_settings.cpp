#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <future>
#include <string>

#include "engine/settings.h"
#include "search/chess_player.h"

namespace {

// Writes text to a temporary file and returns it opened for reading.
FILE* fileWith(const std::string& text) {
    FILE* f = tmpfile();
    fputs(text.c_str(), f);
    rewind(f);
    return f;
}

std::string settingsPath(const std::string& text) {
    // ctest runs the tests of this file in parallel processes: one file per test.
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string path =
        testing::TempDir() + "talun_" + test->test_suite_name() + "_" + test->name() + ".ini";
    FILE* f = fopen(path.c_str(), "w");
    fputs(text.c_str(), f);
    fclose(f);
    return path;
}

}  // namespace

// Lines longer than the limit are consumed whole: the next read starts at the
// next line, never in the middle of the long one.
TEST(InputLine, OverLongLineIsConsumedWholeAndRefused) {
    std::string longLine(MAX_LINE_LENGTH + 500, 'x');
    std::string exact(MAX_LINE_LENGTH, 'y');
    FILE* f = fileWith("ping 1\n" + longLine + "\n" + exact + "\r\nlast");
    std::string line;
    EXPECT_EQ(readInputLine(f, line), LineStatus::OK);
    EXPECT_EQ(line, "ping 1");
    EXPECT_EQ(readInputLine(f, line), LineStatus::TOO_LONG);
    EXPECT_EQ(line.size(), MAX_LINE_LENGTH);
    EXPECT_EQ(readInputLine(f, line), LineStatus::OK);
    EXPECT_EQ(line, exact);  // the carriage return belongs to the line end
    EXPECT_EQ(readInputLine(f, line), LineStatus::OK);
    EXPECT_EQ(line, "last");  // a last line without a line feed still counts
    EXPECT_EQ(readInputLine(f, line), LineStatus::END_OF_INPUT);
    fclose(f);
}

TEST(InputLine, TrimLineEndCutsOnlyLineEndAndBlanks) {
    std::string s = "go \t  \r\n";
    trimLineEnd(s);
    EXPECT_EQ(s, "go \t");
    s = "   ";
    trimLineEnd(s);
    EXPECT_EQ(s, "");
}

TEST(Numbers, AtoiLikeParsingNeverOverflows) {
    EXPECT_EQ(parseNumberLikeAtoi("  42abc"), 42);
    EXPECT_EQ(parseNumberLikeAtoi("abc"), 0);
    EXPECT_EQ(parseNumberLikeAtoi("-7"), -7);
    EXPECT_EQ(parseNumberLikeAtoi("99999999999999999999999"), INT64_MAX);
    EXPECT_EQ(parseNumberLikeAtoi("-99999999999999999999999"), INT64_MIN);
}

TEST(Numbers, StrictParsingRefusesMalformedAndLargeValues) {
    i64 v = 0;
    EXPECT_TRUE(parseStrictNumber("120", 1000, v));
    EXPECT_EQ(v, 120);
    EXPECT_TRUE(parseStrictNumber("-5", 1000, v));
    EXPECT_EQ(v, -5);
    for (const char* bad : {"", "-", "1a", " 1", "1.5", "1001", "99999999999999999999999"})
        EXPECT_FALSE(parseStrictNumber(bad, 1000, v)) << bad;
}

TEST(Settings, KeysValuesQuotesAndComments) {
    ChessPlayer p;
    p.maxCores = 4;
    std::string path = settingsPath(
        "  # numberOfCores=3\n"
        "NumberOfCores=3\n"
        "ttHashSizeMB = 512  \r\n"
        "pawnHashSizeMB=64\n"
        "no equals sign here\n"
        "gtbCacheSizeMB=abc\n"
        "gtbPath = \"/tb/a;/tb/b\"\n"
        "bookFilePath=\"open.bin\n"
        "numberOfCores=2\n");
    testing::internal::CaptureStdout();
    readSettingsFile(p, path.c_str());
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "# will now use 2 cores (requested=2, current=0, max=4)\n");
    EXPECT_EQ(p.numberOfCores, 2u);
    EXPECT_EQ(p.ttHashSizeMB, 512u);
    EXPECT_EQ(p.pawnHashSizeMB, 64u);
    EXPECT_EQ(p.gtbCacheSizeMB, 0u);  // no digits reads as 0, which is in range
    EXPECT_STREQ(p.gtbPath, "/tb/a;/tb/b");
    EXPECT_STREQ(p.bookFilePath, "\"open.bin");  // one quote only: kept
}

TEST(Settings, OutOfRangeValuesWarnAndKeepTheSetting) {
    ChessPlayer p;
    std::string longPath(300, 'p');
    std::string path = settingsPath(
        "ttHashSizeMB=4096\nnumberOfCores=0\npawnHashSizeMB=-1\n"
        "gtbCacheSizeMB=257\nttHashSizeMB=99999999999999999999\n"
        "bookFilePath=" +
        longPath + "\n" + std::string(2000, '#') + "\n");
    testing::internal::CaptureStdout();
    readSettingsFile(p, path.c_str());
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("# WARNING: ttHashSizeMB = 4096 out of range in ini file (min = 1, max = "
                       "2048)\n# WARNING: numberOfCores = 0 out of range in ini file (min = 1)\n"
                       "# WARNING: pawnHashSizeMB = -1 out of range in ini file (min = 1, max = "
                       "2048)\n# WARNING: gtbCacheSizeMB = 257 out of range in ini file (min = 0, "
                       "max = 256)\n# WARNING: ttHashSizeMB = 99999999999999999999 out of range"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("Error (line longer than 1023 characters"), std::string::npos) << out;
    EXPECT_EQ(p.ttHashSizeMB, 256u);
    EXPECT_EQ(p.pawnHashSizeMB, 32u);
    EXPECT_EQ(p.gtbCacheSizeMB, 16u);
    EXPECT_EQ(p.numberOfCores, 1u);
    EXPECT_STREQ(p.bookFilePath, "book.bin");
}

TEST(Settings, MissingFileIsSilent) {
    ChessPlayer p;
    testing::internal::CaptureStdout();
    readSettingsFile(p, "/nonexistent/talun.ini");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

// A FIFO or a folder named like the settings file is no settings file: the
// start-up must not wait for a writer that never comes.
TEST(Settings, OnlyARegularFileIsRead) {
    std::string fifo = testing::TempDir() + "talun_settings_fifo_" + std::to_string(getpid());
    std::remove(fifo.c_str());
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ChessPlayer p;
    auto reading = std::async(std::launch::async, [&] {
        readSettingsFile(p, fifo.c_str());
        readSettingsFile(p, testing::TempDir().c_str());
    });
    bool returned = reading.wait_for(std::chrono::seconds(60)) == std::future_status::ready;
    if (!returned) close(open(fifo.c_str(), O_WRONLY | O_NONBLOCK));  // release the reader
    reading.wait();
    std::remove(fifo.c_str());
    EXPECT_TRUE(returned);
    EXPECT_EQ(p.numberOfCores, 1u);
}

TEST(CommandLine, CoresAndWarnings) {
    ChessPlayer p;
    p.maxCores = 8;
    const char* argv[] = {"TalunBB",     "-cores", "x", "-v",    "-cores",
                          "99999999999", "-cores", "3", "-cores"};
    testing::internal::CaptureStdout();
    parseCommandLine(p, 9, argv);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "# warning: found bad argument \"0\" for command line option \"-cores\", must be a "
              "positive number\n"
              "# warning: found unknown command line option \"-v\"\n"
              "# warning: found bad argument \"99999999999\" for command line option \"-cores\", "
              "must be a positive number\n"
              "# will now use 3 cores (requested=3, current=0, max=8)\n"
              "# warning: missing argument for command line option \"-cores\"\n");
    EXPECT_EQ(p.numberOfCores, 3u);
}
