// Whole searches through the controller: time budget, book and random moves,
// the stop rules and the hand-over of the move.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "book/book.h"
#include "search/chess_player.h"
#include "search/threads.h"

namespace {

constexpr const char* START = START_FEN;

// Receives the engine's move and checks that the search is still marked busy
// while the move is being made.
struct MoveCatcher : EngineInterface {
    ChessPlayer* player = nullptr;
    std::atomic<Move> move{NO_MOVE};
    std::atomic<int> calls{0};
    std::atomic<bool> busyWhileMaking{true};
    void makeEngineMove(Move m) override {
        if (!player->isSearchBusy()) busyWhileMaking = false;
        move = m;
        calls++;
    }
};

struct TestEngine {
    Clock clock;
    ChessPlayer player;
    MoveCatcher catcher;

    explicit TestEngine(u32 cores = 1) {
        catcher.player = &player;
        player.clock = &clock;
        player.engineInterface = &catcher;
        player.board = new Board;
        player.board->resetBoard();
        player.board->setFEN(START);
        player.ttHashSizeMB = 1;
        player.pawnHashSizeMB = 1;
        player.numberOfCores = cores;
        player.postThinking = 0;
        player.bookEnabled = 0;
        std::strcpy(player.bookFilePath, "/nonexistent/book.bin");
    }
    void setPosition(const char* fen) { ASSERT_TRUE(player.board->setFEN(fen)); }
    // Runs one search to its end and answers the move handed over (0 for none).
    Move search() {
        catcher.move = NO_MOVE;
        player.prepareSearch(false);
        player.startSearch();
        while (player.isSearchBusy()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return catcher.move;
    }
    bool isLegal(Move m) {
        MoveList list;
        list.clear();
        bool inCheck = false;
        player.generateLegalMoves(list, inCheck);
        for (u32 i = 0; i < list.count; ++i)
            if (list.move(i) == m) return true;
        return false;
    }
};

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
    capture.finish();
    EXPECT_EQ(e.player.outOfBook, 0);
}

TEST(SearchPlaying, AnalysisHandsOutNoMoveAndStopsOnRequest) {
    TestEngine e(2);
    e.player.maxCores = 2;
    e.player.postThinking = 1;
    e.clock.timeControlOn = 0;
    StdoutCapture capture;
    e.player.prepareSearch(false);
    e.player.startSearch();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_TRUE(e.player.isSearchBusy());
    e.player.stopSearch();
    std::string out = capture.finish();
    EXPECT_FALSE(e.player.isSearchBusy());
    EXPECT_EQ(e.catcher.calls, 0);
    // Thinking lines of thread 0 were printed, the statistics block at the end.
    EXPECT_NE(out.find("\n1 "), std::string::npos) << out;
    EXPECT_NE(out.find("# total nodes = "), std::string::npos) << out;
}
