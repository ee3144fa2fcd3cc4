#include "engine/input_wait.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "search/chess_player.h"
#include "search/threads.h"

namespace {

constexpr int IDLE_POLL_MS = 20;

}  // namespace

void waitForInput(ChessPlayer& player, const std::function<void()>& whenIdle) {
    const int idleFd = idleEventDescriptor();
    for (;;) {
        pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {idleFd, POLLIN, 0}};
        // Blocks until a line arrives or a search thread goes idle; without the
        // idle descriptor, looks for the end of a search every 20 ms instead.
        const int ready = poll(fds, idleFd >= 0 ? 2 : 1, idleFd >= 0 ? -1 : IDLE_POLL_MS);
        if (ready < 0) {
            if (errno == EINTR) continue;
            return;  // the read that follows reports the failure
        }
        if (fds[0].revents != 0) return;  // a line, its end or an error
        if (idleFd >= 0 && fds[1].revents != 0) drainIdleEvents();
        if (!player.isSearchBusy()) whenIdle();
    }
}

void finishSearchAtEndOfInput(ChessPlayer& player) {
    const Clock& clock = *player.clock;
    if (!clock.timeControlOn && !clock.depthLimitOn) player.stopSearch();
    while (player.isSearchBusy()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}
