// A development build: the bitboard board claiming only the capabilities of
// the 0x88 board (no evasion generator, no given checks, no quiet checks,
// slider mobility along rays, no FEN writer, no random positions), so that the
// shared code's routes for such a board are compiled and tested while only
// the bitboard board exists. Its perft counts equal the bitboard board's; its
// search tree and evaluation differ as those routes make them differ.
#pragma once

#include "boardbb/board_bb64.h"

class Board_BB64Routes : public Board_BB64 {
   public:
    static constexpr bool HAS_EVASION_GENERATOR = false;
    static constexpr bool HAS_GIVEN_CHECKS = false;
    static constexpr bool HAS_QUIET_CHECKS = false;
    static constexpr bool MOBILITY_ALONG_RAYS = true;
    static constexpr bool HAS_FEN_WRITER = false;
    static constexpr bool HAS_RANDOM_POSITIONS = false;
};
