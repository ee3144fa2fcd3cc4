// WBEngine: the protocol side. Command handlers take the argument list and
// return false on failure; the command loop then prints the error-code line.
#pragma once

#include <string>
#include <vector>

#include "engine/clock.h"
#include "search/chess_player.h"

using Args = std::vector<std::string>;

class WBEngine : public EngineInterface {
public:
    WBEngine();
    void makeEngineMove(Move move) override;
    void printBoard();

    bool cmdQuit(const Args& a);
    bool cmdXboard(const Args& a);
    bool cmdProtover(const Args& a);
    bool cmdNew(const Args& a);
    bool cmdForce(const Args& a);
    bool cmdPing(const Args& a);
    bool cmdUserMove(const Args& a);
    bool cmdGo(const Args& a);
    bool cmdPlayOther(const Args& a);
    bool cmdSetBoard(const Args& a);
    bool cmdLevel(const Args& a);
    bool cmdSd(const Args& a);
    bool cmdTime(const Args& a);
    bool cmdUndo(const Args& a);
    bool cmdRemove(const Args& a);
    bool cmdAnalyze(const Args& a);
    bool cmdExit(const Args& a);
    bool cmdAuto(const Args& a);
    bool cmdPost(const Args& a);
    bool cmdNoPost(const Args& a);
    bool cmdCores(const Args& a);
    bool cmdEgtPath(const Args& a);
    bool cmdOption(const Args& a);
    bool cmdBook(const Args& a);
    bool cmdNoBook(const Args& a);
    bool cmdPerft(const Args& a);       // engine/cmd_perft.cpp
    bool cmdDivide(const Args& a);      // engine/cmd_perft.cpp
    bool cmdSelfTest(const Args& a);
    bool cmdTest(const Args& a);
    bool printEvaluation(const Args& a);  // engine/cmd_eval.cpp
    bool cmdTune(const Args& a);
    bool cmdRandPos(const Args& a);
    bool cmdRandGame(const Args& a);
    bool cmdNoRandGame(const Args& a);
    bool cmdRandGames(const Args& a);

    Clock clock;
    ChessPlayer player;
    Color engineColor = NO_COLOR;
    bool gameOver = false;
    bool forceMode = false;
    bool positionChanged = true;
    bool xboardMode = false;
    bool analyzeMode = false;
    bool autoMode = false;
    bool quitRequested = false;
};
