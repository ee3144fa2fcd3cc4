// The ChessPlayer's perft hash: made at the first perft, divide or
// self-test, cleared before every later count, freed with the player.
#include <cstdio>

#include "board/perft.h"
#include "search/chess_player.h"

bool ChessPlayer::preparePerftHash() {
    if (perftHash) {
        perftHash->clear();
        return true;
    }
    perftHash = createPerftHash(perftHashSizeMB);
    if (!perftHash) return false;
    std::printf("# new size of %s: %llu MB\n", "Perft hash",
                static_cast<unsigned long long>(u64(perftHash->entryCount) * 16 / 1048576));
    std::fflush(stdout);
    return true;
}

void ChessPlayer::releasePerftHash() {
    destroyPerftHash(perftHash);
    perftHash = nullptr;
}
