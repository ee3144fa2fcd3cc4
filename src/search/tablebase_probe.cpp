// Tablebase set-up by the controller and the probe of a search position.
#include "search/tablebase_probe.h"

#include <cstring>

#include "search/chess_player.h"
#include "search/threads.h"
#include "tablebases/tablebases.h"

namespace {

constexpr int COMPRESSION_SCHEME = 4;  // the only files the programs read

}  // namespace

std::vector<std::string> splitTablebasePaths(const char* text) {
    std::vector<std::string> paths;
    std::string piece;
    for (const char* c = text;; ++c) {
        if (*c == ';' || *c == '\0') {
            if (!piece.empty()) paths.push_back(piece);
            piece.clear();
            if (*c == '\0') break;
        } else {
            piece += *c;
        }
    }
    return paths;
}

template <Color Us>
bool probeTablebase(const TablebaseState* state, const Board& board, Score& score, bool hard) {
    if (state == nullptr || !state->available) return false;
    TbProbeInput in;
    buildTablebaseProbe<Us>(board, in);
    if (in.castling != 0) return false;
    TbOutcome outcome = TB_NOT_PROBED;
    u32 plies = 0;
    if (!tbLookupPosition(in, hard, outcome, plies) || outcome > TB_BLACK_MATES) return false;
    const Score n = Score(plies);
    if (outcome == TB_DRAW)
        score = 0;
    else if ((outcome == TB_WHITE_MATES) == (Us == WHITE))
        score = MATE_SCORE - n;
    else
        score = n - MATE_SCORE;
    return true;
}

template bool probeTablebase<WHITE>(const TablebaseState*, const Board&, Score&, bool);
template bool probeTablebase<BLACK>(const TablebaseState*, const Board&, Score&, bool);

void ChessPlayer::releaseTablebases() {
    if (tablebaseState == nullptr) return;
    tablebaseState->available = false;
    tbBlockCacheFree();
    tbLibraryStop();
    delete tablebaseState;
    tablebaseState = nullptr;
}

void ChessPlayer::initTablebases(const char* type, const char* path) {
    releaseTablebases();
    tablebaseState = new TablebaseState;
    // No search thread may keep the record just freed, even between searches.
    if (threadPool != nullptr)
        for (u32 i = 0; i < threadPool->count; ++i)
            threadPool->items[i]->searcher.tablebaseState = tablebaseState;
    if (std::strcmp(type, "gaviota") != 0) return;
    if (path != nullptr) {
        std::strncpy(gtbPath, path, sizeof gtbPath - 1);
        gtbPath[sizeof gtbPath - 1] = '\0';
    }
    tablebaseState->paths = splitTablebasePaths(gtbPath);
    tbLibraryStart(COMPRESSION_SCHEME, tablebaseState->paths);
    tbBlockCacheCreate(gtbCacheSizeMB);
    tablebaseState->available = true;
}
