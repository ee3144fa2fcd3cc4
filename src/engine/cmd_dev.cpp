// Developer commands that are not built yet answer failure, so the command
// loop reports them with its error-code line.
#include "engine/wbengine.h"

bool WBEngine::cmdSelfTest(const Args&) {
    return false;
}
bool WBEngine::cmdTest(const Args&) {
    return false;
}
bool WBEngine::cmdTune(const Args&) {
    return false;
}
bool WBEngine::cmdRandPos(const Args&) {
    return false;
}
bool WBEngine::cmdRandGames(const Args&) {
    return false;
}
