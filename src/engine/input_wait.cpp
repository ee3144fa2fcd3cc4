#include "engine/input_wait.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "search/chess_player.h"

namespace {

constexpr int IDLE_POLL_MS = 20;

}  // namespace

void waitForInput(ChessPlayer& player, const std::function<void()>& whenIdle) {
    for (;;) {
        pollfd input{STDIN_FILENO, POLLIN, 0};
        int ready = poll(&input, 1, IDLE_POLL_MS);
        // Readable, closed or failing: the read that follows tells which.
        if (ready > 0 || (ready < 0 && errno != EINTR)) return;
        if (ready == 0 && !player.isSearchBusy()) whenIdle();
    }
}

void finishSearchAtEndOfInput(ChessPlayer& player) {
    const Clock& clock = *player.clock;
    if (!clock.timeControlOn && !clock.depthLimitOn) player.stopSearch();
    while (player.isSearchBusy()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}
