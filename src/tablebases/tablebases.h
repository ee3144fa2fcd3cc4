// The tablebase prober: distance-to-mate answers from Gaviota tablebase files
// of up to five men. It knows nothing of boards: callers hand it the lists of
// a TbProbeInput. It prints nothing; every operation reports success by its
// result.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "board/tb_probe_input.h"

// Brings the prober up with the compression scheme of the files to read (the
// engine uses 4) and the directories to search, in order. Must not run while
// any probe is in progress; the prober must be stopped first.
void tbLibraryStart(int scheme, const std::vector<std::string>& paths);
// Closes every file and frees every table; probes fail until the next start.
void tbLibraryStop();

// The cache of decoded blocks: gtbCacheSizeMB x 8 blocks of 16384 values.
void tbBlockCacheCreate(std::uint32_t cacheSizeMB);
void tbBlockCacheFree();

// One position: side 0 White / 1 Black to move, epSquare 64 for none, the
// square lists ended by 64 and the kind lists ended by 0. A hard probe may
// read the files; a soft one answers only from the cache. On failure the
// outcome is TB_NO_VALUE with 0 plies; a success may also carry TB_NO_VALUE
// (a placement without an index).
bool tbLookupPosition(int side, int epSquare, const std::uint32_t* whiteSquares,
                      const std::uint32_t* blackSquares, const std::uint8_t* whiteKinds,
                      const std::uint8_t* blackKinds, bool hard, TbOutcome& outcome,
                      std::uint32_t& plies);

inline bool tbLookupPosition(const TbProbeInput& in, bool hard, TbOutcome& outcome,
                             std::uint32_t& plies) {
    return tbLookupPosition(in.side, in.epSquare, in.whiteSquares, in.blackSquares, in.whitePieces,
                            in.blackPieces, hard, outcome, plies);
}
