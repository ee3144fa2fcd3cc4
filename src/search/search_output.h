// Text of the thinking lines and of the statistics block after a search.
// Protocol text is composed here and written by the ChessPlayer, never by the
// node search.
#pragma once

#include <ostream>
#include <string>

#include "board/types.h"

// Writes text whole and flushes standard output, in one call so that lines
// written by the search thread and the command loop do not interleave.
void printAndFlush(const std::string& text);

// Counters summed over every search thread, and the pawn hash's hits.
struct SearchStatistics {
    u64 nodes = 0;
    u64 qsNodes = 0;
    u64 qsChecks = 0;
    u64 cutoffs = 0;
    u64 cutoffsOnFirstMove = 0;
    u64 qsCutoffs = 0;
    u64 qsCutoffsOnFirstMove = 0;
    u64 ttHashHits = 0;
    u64 tbHits = 0;
    u64 pawnHashHits = 0;
};

// Entries sampled for a table's fill: the first 65536 (or all when fewer).
constexpr u32 FILL_SAMPLE = 65536;
// Percentage of the sample in use: used entries x 100 / 65536.
double fillPercent(u64 usedInSample);

// "depth score time nodes move..." and a newline, as one string so that it can
// be written whole.
std::string thinkingLine(i32 depth, Score score, i64 time, u64 nodes, const PvLine& pv);

// The moves of a line as texts separated by blanks.
std::string lineText(const PvLine& pv);

// The eight "# " lines of the statistics block; `time` in centiseconds.
void writeSearchStatistics(std::ostream& out, const SearchStatistics& s, i64 time, double ttFill,
                           double pawnFill);
