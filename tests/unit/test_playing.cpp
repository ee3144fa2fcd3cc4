// Whole searches through the controller: time budget, book and random moves,
// the stop rules and the hand-over of the move.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <sstream>
#include <string>
#include <thread>

#include "book/book.h"
#include "search/game_moves.h"
#include "search/threads.h"
#include "test_engine_support.h"

namespace {

constexpr const char* START = START_FEN;

std::string text(Move m) {
    char buffer[8];
    moveToString(m, buffer);
    return buffer;
}

// Captures what the engine writes to standard output during a scope.
class StdoutCapture {
   public:
    StdoutCapture() {
        std::fflush(stdout);
        saved = dup(1);
        file = std::tmpfile();
        dup2(fileno(file), 1);
    }
    // What has been written so far, while the capture goes on.
    std::string soFar() const {
        std::string out;
        char buffer[4096];
        off_t at = 0;
        for (ssize_t n; (n = pread(fileno(file), buffer, sizeof buffer, at)) > 0; at += n)
            out.append(buffer, size_t(n));
        return out;
    }
    std::string finish() {
        std::fflush(stdout);
        dup2(saved, 1);
        close(saved);
        std::string out;
        std::rewind(file);
        for (int c; (c = std::fgetc(file)) != EOF;) out += char(c);
        std::fclose(file);
        return out;
    }

   private:
    int saved;
    FILE* file;
};

}  // namespace

TEST(SearchPlaying, MateInOneAndForcedMove) {
    TestEngine e;
    e.clock.timePerSession = 100000;
    e.setPosition("6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1");
    StdoutCapture capture;
    Move m = e.search();
    e.setPosition("k7/8/8/8/8/8/1q6/K7 w - - 0 1");
    Move forced = e.search();
    std::string out = capture.finish();
    EXPECT_EQ(text(m), "a1a8");
    EXPECT_NE(out.find("# forced mate in 1 plies: a1a8\n"), std::string::npos) << out;
    EXPECT_EQ(text(forced), "a1b2");
    EXPECT_NE(out.find("# forced move: a1b2\n"), std::string::npos) << out;
    EXPECT_TRUE(e.catcher.busyWhileMaking);
    // The clock ran during the searches and is left stopped.
    EXPECT_FALSE(e.clock.running);
}

namespace {

struct MateCase {
    const char* fen;
    const char* move;
    const char* announced;
};

// Selective search finds these mates only at a depth whose mate bounds they
// lie beyond; they are taken, shown (a thinking line beyond the bounds of its
// depth) and announced all the same, for the side that mates and for the side
// that is mated, and a one-thread search stays the same from run to run. The
// clock allows hours: the mate or the depth limit ends every search.
void expectMatesBeyondTheBoundsTaken(std::initializer_list<MateCase> cases) {
    for (MateCase c : cases) {
        std::string lines[2];
        bool beyondShown = false;
        for (std::string& shown : lines) {
            TestEngine e;
            e.player.postThinking = 1;
            e.clock.timePerSession = 100000000;
            e.clock.depthLimitOn = 1;
            e.clock.depthLimit = 16;
            e.setPosition(c.fen);
            StdoutCapture capture;
            Move m = e.search();
            std::string out = capture.finish();
            EXPECT_EQ(text(m), c.move) << out;
            EXPECT_NE(out.find(c.announced), std::string::npos) << out;
            // The thinking lines without their times.
            std::istringstream in(out);
            for (std::string line; std::getline(in, line);) {
                std::istringstream fields(line);
                std::string time, rest;
                int depth = 0, score = 0;
                if (!std::isdigit(u8(line[0])) || !(fields >> depth >> score >> time)) continue;
                std::getline(fields, rest);
                shown += std::to_string(depth) + " " + std::to_string(score) + rest + "\n";
                beyondShown |=
                    score > MATE_SCORE - (depth | 1) || score < ((depth + 1) & ~1) - MATE_SCORE;
            }
        }
        EXPECT_EQ(lines[0], lines[1]);
        EXPECT_TRUE(beyondShown) << c.fen << "\n" << lines[0];
    }
}

}  // namespace

TEST(SearchPlaying, MatesBeyondTheIterationBoundsAreTaken) {
    expectMatesBeyondTheBoundsTaken({{"4r1k1/5bpp/2p5/3pr3/8/1B3pPq/PPR2P2/2R2QK1 b - - 0 1",
                                      "e5e1", "# forced mate in 5 plies: e5e1 "},
                                     {"3q3r/p2r1pkp/bp3np1/n2p1N2/5Q2/B1P5/P4PPP/R3R1K1 b - - 0 1",
                                      "g7g8", "# getting mated in 6 plies: g7g8 "}});
}

// Deeper searches: the 0x88 board finds these mates only near depth 16, which
// takes minutes under the sanitizers.
TEST(SearchPlaying, SlowMatesFarBeyondTheIterationBoundsAreTaken) {
    expectMatesBeyondTheBoundsTaken({{"r2q1rk1/p4p1p/3p1Q2/2n3B1/B2R4/8/PP3PPP/5bK1 w - - 0 1",
                                      "d4g4", "# forced mate in 5 plies: d4g4 "},
                                     {"1rb3k1/p1p2ppp/5n2/2pP4/5P2/2QB4/qNP1r1PP/2KRB2R w - - 0 1",
                                      "d3e2", "# getting mated in 8 plies: d3e2 "}});
}

TEST(SearchPlaying, OutOfBookCorrectionOnceAfterNew) {
    TestEngine e;
    e.clock.timePerSession = 500;  // five seconds for 40 moves
    StdoutCapture capture;
    Move first = e.search();
    EXPECT_TRUE(e.isLegal(first));
    Move second = e.search();
    std::string out = capture.finish();
    EXPECT_TRUE(e.isLegal(second));
    size_t at = out.find("# out of book: corrected maxTime = ");
    ASSERT_NE(at, std::string::npos) << out;
    EXPECT_EQ(out.find("# out of book", at + 1), std::string::npos) << out;
    EXPECT_EQ(e.player.outOfBook, 1);
}

TEST(SearchPlaying, NoTimeLeftStillGivesASearchedMove) {
    for (u32 cores : {1u, 3u}) {
        TestEngine e(cores);
        e.player.maxCores = 4;
        e.player.numberOfCores = cores;
        e.clock.timePerSession = 100;
        e.clock.elapsed = 250;  // overdrawn: the budget is below zero
        e.setPosition("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3");
        StdoutCapture capture;
        Move m = e.search();
        std::string out = capture.finish();
        EXPECT_TRUE(e.isLegal(m)) << out;
        EXPECT_LT(e.clock.maxTime, 0);
    }
}

TEST(SearchPlaying, BookMovesOnlyWhenLegal) {
    char path[] = "/tmp/talun_playbook_XXXXXX";
    int fd = mkstemp(path);
    // Start position: e2e4 (legal). After 1.e4: the entry says e7e5 twice
    // weighted 0 and a8a1 — the choice may fall on a move that is not legal.
    auto entry = [&](u64 key, u16 move, u16 weight) {
        unsigned char b[16] = {};
        for (int i = 0; i < 8; ++i) b[i] = u8(key >> (56 - 8 * i));
        b[8] = u8(move >> 8), b[9] = u8(move), b[10] = u8(weight >> 8), b[11] = u8(weight);
        ASSERT_EQ(write(fd, b, 16), 16);
    };
    // Keys in ascending order.
    entry(0x463b96181691fc9cULL, 0x031C, 1);  // e2e4
    entry(0x823c9b50fd114196ULL, u16(0x7000 | (0 << 9) | (0 << 6) | (7 << 3) | 0),
          1);  // a1a8, promo code 7
    close(fd);

    TestEngine e;
    e.player.bookEnabled = 1;
    std::strcpy(e.player.bookFilePath, path);
    e.clock.timePerSession = 200;
    StdoutCapture capture;
    Move m = e.search();
    EXPECT_EQ(text(m), "e2e4");
    EXPECT_EQ(e.player.outOfBook, 0);  // no search yet

    // Black to move after e2e4 with a corrupt entry: the engine searches instead.
    e.setPosition("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1");
    Move reply = e.search();
    std::string out = capture.finish();
    EXPECT_TRUE(e.isLegal(reply)) << out;
    EXPECT_EQ(e.player.outOfBook, 1);
    std::remove(path);
}

TEST(SearchPlaying, RandomMoveMode) {
    TestEngine e;
    e.player.randomMoveMode = 1;
    e.clock.timePerSession = 1000;
    StdoutCapture capture;
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(e.isLegal(e.search()));
    // Thread 0 draws on a copy of the game board: the same random number
    // gives the same move as on the board itself.
    std::srand(20261209);
    Move drawn = NO_MOVE;
    ASSERT_TRUE(randomLegalMove(*e.player.board, drawn));
    std::srand(20261209);
    EXPECT_EQ(e.search(), drawn);
    capture.finish();
    EXPECT_EQ(e.player.outOfBook, 0);
    // The clock stops before the move goes out: the interface answers a move
    // with "time", and a clock stopped after that would add to what it set.
    EXPECT_FALSE(e.catcher.clockRanWhileMaking);
}

TEST(SearchPlaying, AnalysisHandsOutNoMoveAndStopsOnRequest) {
    TestEngine e(2);
    e.player.maxCores = 2;
    e.player.postThinking = 1;
    e.clock.timeControlOn = 0;
    StdoutCapture capture;
    e.player.prepareSearch(false);
    e.player.startSearch();
    // Until thread 0 has shown its first depth; a minute is room for any machine.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (capture.soFar().find("\n1 ") == std::string::npos &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(e.player.isSearchBusy());
    e.player.stopSearch();
    std::string out = capture.finish();
    EXPECT_FALSE(e.player.isSearchBusy());
    EXPECT_EQ(e.catcher.calls, 0);
    // Thinking lines of thread 0 were printed, the statistics block at the end.
    EXPECT_NE(out.find("\n1 "), std::string::npos) << out;
    EXPECT_NE(out.find("# total nodes = "), std::string::npos) << out;
}
