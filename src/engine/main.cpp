// Entry of every Talun program: start-up, then the command loop.
#include <csignal>
#include <cstdio>
#include <iostream>

#include "engine/settings.h"
#include "engine/wbengine.h"

namespace {

void printBanner() {
    printAndFlush("# " TALUN_ENGINE_NAME " " TALUN_VERSION
                  "\n"
                  "# a chess engine for xboard/WinBoard, by the Talun developers\n"
                  "# \n"
                  "feature done=0\n");
}

}  // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(true);  // printf and std::cout share one order
    // A write to a pipe that nobody reads any more ("randpos" to a FIFO whose
    // reader went away, or standard output of a departed interface) is a
    // failed write, not the end of the program: the command that wrote it
    // reports the failure, and the engine ends at the end of its input.
    std::signal(SIGPIPE, SIG_IGN);
    WBEngine engine;
    ChessPlayer& player = engine.player;

    if (!player.board) player.board = new Board();
    player.board->resetBoard();

    player.maxCores = detectProcessorCount();
    readSettingsFile(player);
    printBanner();
    parseCommandLine(player, argc, argv);
    setvbuf(stdin, nullptr, _IONBF, 0);

    player.prepareSearch(false);
    player.board->setFEN(START_FEN);
    player.plyCount = 0;
    player.outOfBook = 0;
    engine.positionChanged = true;

    engine.commandLoop();
    return 0;
}
