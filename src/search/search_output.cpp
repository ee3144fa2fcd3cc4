#include "search/search_output.h"

#include <cstdio>
#include <sstream>

#include "board/board.h"

namespace {

u64 percent(u64 part, u64 whole) {
    return whole == 0 ? 0 : part * 100 / whole;
}

}  // namespace

double fillPercent(u64 usedInSample) {
    return double(usedInSample) * 100.0 / FILL_SAMPLE;
}

std::string lineText(const PvLine& pv) {
    std::string text;
    char buffer[8];
    for (u32 i = 0; i < pv.length && i < u32(MAX_PV_LENGTH); ++i) {
        moveToString(pv.moves[i], buffer);
        if (i > 0) text += ' ';
        text += buffer;
    }
    return text;
}

std::string thinkingLine(i32 depth, Score score, i64 time, u64 nodes, const PvLine& pv) {
    std::ostringstream line;
    line << depth << ' ' << score << ' ' << time << ' ' << nodes;
    if (pv.length > 0) line << ' ' << lineText(pv);
    line << '\n';
    return line.str();
}

void writeSearchStatistics(std::ostream& out, const SearchStatistics& s, i64 time, double ttFill,
                           double pawnFill) {
    u64 allCutoffs = s.cutoffs + s.qsCutoffs;
    u64 allFirst = s.cutoffsOnFirstMove + s.qsCutoffsOnFirstMove;
    u64 nps = time > 0 ? s.nodes * 100 / u64(time) : 0;
    std::ostringstream text;
    text << "# total nodes = " << s.nodes << ", QS nodes = " << s.qsNodes << " ("
         << percent(s.qsNodes, s.nodes) << "%), time = " << time << ", nps = " << nps << "\n";
    text << "# QS checks = " << s.qsChecks << "\n";
    text << "# cutoffs = " << s.cutoffs << ", cutoffs on 1st move = " << s.cutoffsOnFirstMove
         << " (" << percent(s.cutoffsOnFirstMove, s.cutoffs) << "%)\n";
    text << "# qsCutoffs = " << s.qsCutoffs
         << ", qsCutoffs on 1st move = " << s.qsCutoffsOnFirstMove << " ("
         << percent(s.qsCutoffsOnFirstMove, s.qsCutoffs) << "%)\n";
    text << "# allCutoffs = " << allCutoffs << ", all cutoffs on 1st move = " << allFirst << " ("
         << percent(allFirst, allCutoffs) << "%)\n";
    text << "# ttHashFull% = " << ttFill << ", ttHashHits = " << s.ttHashHits << "\n";
    text << "# pawnHashFull% = " << pawnFill << ", pawnHashHits = " << s.pawnHashHits << "\n";
    text << "# tbHits = " << s.tbHits << "\n";
    out << text.str();
    out.flush();
}

void printAndFlush(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}
