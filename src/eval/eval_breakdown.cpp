// The printed table of the "eval" command.
#include <cstdio>
#include <string>

#include "eval/evaluate.h"

namespace {

constexpr const char* SEPARATOR =
    "==============================================================================\n";

void appendf(std::string& out, const char* format, auto... args) {
    char line[160];
    const int n = std::snprintf(line, sizeof line, format, args...);
    if (n > 0) out.append(line, n < int(sizeof line) ? size_t(n) : sizeof line - 1);
}

void appendTraceLine(std::string& out, const EvalBreakdown& bd, EvalRow row, const char* label) {
    const EvalTermRow& r = bd.rows[row];
    const int p = int(bd.phase);
    appendf(out, "%-32s   %4d %4d (%4d)   %4d %4d (%4d)   %4d\n", label, r.whiteMg, r.whiteEg,
            taper(r.whiteMg, r.whiteEg, p), r.blackMg, r.blackEg, taper(r.blackMg, r.blackEg, p),
            taper(r.whiteMg - r.blackMg, r.whiteEg - r.blackEg, p));
}

}  // namespace

// The printed table; `whiteTotal` is the total from White's view.
std::string formatEvalBreakdown(const EvalBreakdown& bd, Score whiteTotal) {
    static constexpr struct {
        EvalRow row;
        const char* label;
    } ROWS[] = {
        {ROW_MATERIAL, "Material"},
        {ROW_PST, "PST"},
        {ROW_PASSED_PAWNS, "Passed pawns"},
        {ROW_WEAK_PAWNS, "Weak pawns"},
        {ROW_PAWN_STRUCTURE, "Pawn structure"},
        {ROW_KNIGHTS, "Knights"},
        {ROW_BISHOPS, "Bishops"},
        {ROW_ROOKS, "Rooks"},
        {ROW_QUEENS, "Queens"},
        {ROW_KING_SAFETY, "King safety"},
        {ROW_KING_TROPISM, "King tropism"},
        {ROW_KING_EDGE, "M: King edge dist"},
        {ROW_KING_DISTANCE, "M: King dist"},
        {ROW_BN_CORNER, "M: KBNK safe corner"},
        {ROW_SIDE_TO_MOVE, "Side to move"},
    };
    std::string out;
    out += SEPARATOR;
    out += "Evaluation part                    w-MG w-EG (wTot)   b-MG b-EG (bTot)   Total\n";
    out += SEPARATOR;
    for (const auto& r : ROWS) appendTraceLine(out, bd, r.row, r.label);
    out += SEPARATOR;
    appendf(out, "Phase = %3d          Scaling factor = %3.2f          Total evaluation = %6d\n",
            int(bd.phase), bd.scaleFactor / 100.0, whiteTotal);
    out += SEPARATOR;
    return out;
}
