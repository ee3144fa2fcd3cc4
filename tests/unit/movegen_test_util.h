// Helpers of the move generation, picker and perft tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "board/board.h"
#include "eval/eval_tables.h"
#include "search/game_moves.h"

inline std::unique_ptr<Board> boardFromFen(const std::string& fen) {
    initEvaluationTables();
    auto board = std::make_unique<Board>();
    board->resetBoard();
    EXPECT_TRUE(board->setFEN(fen.c_str())) << fen;
    return board;
}

inline std::string moveText(Move m) {
    char text[8];
    moveToString(m, text);
    return text;
}

inline std::vector<std::string> moveTexts(const MoveList& list) {
    std::vector<std::string> out;
    for (u32 i = 0; i < list.count; ++i) out.push_back(moveText(list.move(i)));
    return out;
}

inline std::vector<Move> moveWords(const MoveList& list) {
    std::vector<Move> out;
    for (u32 i = 0; i < list.count; ++i) out.push_back(list.move(i));
    return out;
}

inline std::vector<Move> sorted(std::vector<Move> moves) {
    std::sort(moves.begin(), moves.end());
    return moves;
}

inline MoveList legalList(Board& board, bool* inCheck = nullptr) {
    MoveList list;
    bool check = false;
    generateLegalMoves(board, list, check);
    if (inCheck) *inCheck = check;
    return list;
}

inline CheckInfo checkInfoOf(const Board& board) {
    CheckInfo info{};
    if (board.sideToMove == WHITE)
        board.computeCheckInfo<WHITE>(info);
    else
        board.computeCheckInfo<BLACK>(info);
    return info;
}

inline MoveList emptyList() {
    MoveList list;
    list.count = 0;
    return list;
}
