// A whole engine without the protocol side for tests of complete searches:
// a controller with its clock and board, and a catcher of the moves it hands
// over.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "search/chess_player.h"

// Receives the engine's move and checks that the search is still marked busy
// while the move is being made, and whether the clock still ran then.
struct MoveCatcher : EngineInterface {
    ChessPlayer* player = nullptr;
    std::atomic<Move> move{NO_MOVE};
    std::atomic<int> calls{0};
    std::atomic<bool> busyWhileMaking{true};
    std::atomic<bool> clockRanWhileMaking{false};
    void makeEngineMove(Move m) override {
        if (!player->isSearchBusy()) busyWhileMaking = false;
        if (player->clock->running) clockRanWhileMaking = true;
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
        player.board->setFEN(START_FEN);
        player.ttHashSizeMB = 1;
        player.pawnHashSizeMB = 1;
        player.numberOfCores = cores;
        player.maxCores = std::max(player.maxCores, cores);
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
