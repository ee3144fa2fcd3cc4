// Placeholder until the root search lands: the work function ends at once, and
// the SearchInterface operations answer nothing. Replace this whole file.
#include <cstdio>

#include "search/chess_player.h"
#include "search/threads.h"

void searchThreadWork(u32 index, void* userData) {
    ChessPlayer* player = static_cast<ChessPlayer*>(userData);
    SearchThread* thread = player->searchThread(index);
    if (thread != nullptr) thread->markIdle();
}

bool ChessPlayer::isTimeout(Searcher&) {
    return false;
}
void ChessPlayer::printThinking(Searcher&, i32, Score, const PvLine&) {}
void ChessPlayer::printSearchStatistics(Searcher&) {}
