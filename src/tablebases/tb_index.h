// The endgames the prober knows and their position-to-index functions.
//
// Every tablebase file stores one byte per index of a dense numbering of the
// placements of its men; the numbering below must match the files exactly,
// since a wrong index reads a wrong value without any error.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>

namespace tb {

using u8 = std::uint8_t;
using u16 = std::uint16_t;
using u32 = std::uint32_t;
using i32 = std::int32_t;

constexpr u32 NO_INDEX = 0xFFFFFFFFu;
constexpr u32 SQUARE_END = 64;
constexpr int ENDGAME_COUNT = 145;
constexpr int MAX_MEN = 5;

// White's squares, Black's squares (sorted probe lists: king, queens, rooks,
// bishops, knights, pawns; ended by 64) -> index; false and NO_INDEX when the
// placement has none. Squares must be below 64.
using IndexFunction = bool (*)(const u32* white, const u32* black, u32& index);

struct EndgameEntry {
    i32 id = 0;
    const char* name = nullptr;
    u32 maxIndex = 0;
    IndexFunction indexOf = nullptr;
    std::FILE* file = nullptr;
    // 0 usable, 4 failed; read by probing threads outside the lock.
    std::atomic<i32> status{0};
    i32 nextPath = 0;
};

constexpr i32 STATUS_USABLE = 0;
constexpr i32 STATUS_FAILED = 4;

// The table in id order; entry ENDGAME_COUNT is the end entry (no name).
EndgameEntry* endgameTable();

// Reach maps (once per process) and the index tables (at every start).
void tbInitAttackMaps();
void tbBuildIndexTables();

// An endgame's name as a number (letters p n b r q k as base-7 digits 1..6)
// and the id of such a number, -1 when no endgame has it.
u32 endgameCode(int id);
int endgameIdOfCode(u32 code);

// The like-pair number of two squares (0..2015), -1 on equal squares.
int likePairIndex(u32 a, u32 b);
// The king-pair number of Black's king a and White's king b after their
// canonical transform: -1 when the kings touch or share a square.
int kingPairNumber(u32 blackKing, u32 whiteKing);

}  // namespace tb
