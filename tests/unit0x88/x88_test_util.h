// Helpers of the 0x88 board tests: boards from FEN, move text, generated
// lists, snapshots of the whole position.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "board0x88/board_0x88.h"

inline std::unique_ptr<Board_0x88> board0x88(const std::string& fen) {
    auto board = std::make_unique<Board_0x88>();
    board->resetBoard();
    EXPECT_TRUE(board->setFEN(fen.c_str())) << fen;
    return board;
}

inline std::string text0x88(Move m) {
    std::string t;
    t += char('a' + fileOf(moveFrom(m)));
    t += char('1' + rankOf(moveFrom(m)));
    t += char('a' + fileOf(moveTo(m)));
    t += char('1' + rankOf(moveTo(m)));
    if (moveKind(m) == MOVE_PROMOTION) t += PIECE_LETTERS[promotionKind(m)];
    return t;
}

inline std::vector<std::string> texts0x88(const MoveList& list) {
    std::vector<std::string> out;
    for (u32 i = 0; i < list.count; ++i) out.push_back(text0x88(list.move(i)));
    return out;
}

inline CheckInfo checkInfo0x88(const Board_0x88& b) {
    CheckInfo info{};
    if (b.sideToMove == WHITE)
        b.computeCheckInfo<WHITE>(info);
    else
        b.computeCheckInfo<BLACK>(info);
    return info;
}

// genAllMoves of the side to move.
inline MoveList allMoves0x88(Board_0x88& b) {
    MoveList list;
    list.count = 0;
    const CheckInfo info = checkInfo0x88(b);
    if (b.sideToMove == WHITE)
        b.genAllMoves<WHITE>(info, list);
    else
        b.genAllMoves<BLACK>(info, list);
    return list;
}

// The move of the side to move with this text, from the generated list.
inline Move find0x88(Board_0x88& b, const std::string& text) {
    const MoveList list = allMoves0x88(b);
    for (u32 i = 0; i < list.count; ++i)
        if (text0x88(list.move(i)) == text) return list.move(i);
    ADD_FAILURE() << "no move " << text;
    return NO_MOVE;
}

// Everything of a position but the history records above the current one.
struct Snapshot0x88 {
    std::vector<u8> arrays;
    ScorePair pst[2];
    HistoryRecord now;
    u32 historyIndex, perftKeyCount;
    u8 rights, ep, clock, side;

    explicit Snapshot0x88(const Board_0x88& b)
        : pst{b.pstSums[0], b.pstSums[1]},
          now(b.current()),
          historyIndex(b.historyIndex),
          perftKeyCount(b.perftKeyCount),
          rights(b.castlingRights),
          ep(b.epSquare),
          clock(b.halfMoveClock),
          side(b.sideToMove) {
        const u8* begin = reinterpret_cast<const u8*>(b.pieceKinds);
        const u8* end = reinterpret_cast<const u8*>(b.colorSets) + sizeof b.colorSets;
        arrays.assign(begin, end);
    }
    bool operator==(const Snapshot0x88& o) const {
        return arrays == o.arrays && std::memcmp(pst, o.pst, sizeof pst) == 0 &&
               now.key == o.now.key && now.pawnKey == o.now.pawnKey &&
               now.repetitionCount == o.now.repetitionCount && historyIndex == o.historyIndex &&
               perftKeyCount == o.perftKeyCount && rights == o.rights && ep == o.ep &&
               clock == o.clock && side == o.side;
    }
};
