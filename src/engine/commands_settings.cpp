// Handlers of the commands that change the clock and the engine settings.
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "book/book.h"
#include "engine/settings.h"
#include "engine/wbengine.h"

namespace {

// Bounds of the clock numbers that "level" and "time" accept, each far beyond
// any real time control. The time allocation multiplies them (moves left in a
// session by the increment, sessions of a game of at most 1024 plies by the
// session time): with these bounds every product stays below 1e15 cs.
constexpr i64 MAX_SESSION_MOVES = 1000000;
constexpr i64 MAX_MINUTES = 1000000;    // about two years
constexpr i64 MAX_SECONDS = 100000000;  // the seconds field of "level"
constexpr i64 MAX_INCREMENT_SECONDS = 1000000;
constexpr i64 MAX_TIME_NUMBER = 1000000000000;  // centiseconds

// A field of "level" that may be left empty (":30" is 30 seconds).
bool parseLevelField(const std::string& text, i64 limit, i64& value) {
    if (text.empty()) {
        value = 0;
        return true;
    }
    return parseStrictNumber(text, limit, value) && value >= 0;
}

// Whole seconds of an increment such as "2" or "0.5" (the fraction is dropped).
bool parseIncrement(const std::string& text, i64& seconds) {
    size_t dot = text.find('.');
    std::string whole = text.substr(0, dot);
    if (dot != std::string::npos) {
        std::string fraction = text.substr(dot + 1);
        if (fraction.find_first_not_of("0123456789") != std::string::npos) return false;
        if (whole.empty() && fraction.empty()) return false;
        if (whole.empty()) whole = "0";
    }
    return parseStrictNumber(whole, MAX_INCREMENT_SECONDS, seconds) && seconds >= 0;
}

bool setPathField(char (&field)[256], const std::string& value) {
    if (value.size() > 255) return false;
    memcpy(field, value.c_str(), value.size() + 1);
    return true;
}

}  // namespace

bool WBEngine::cmdLevel(const Args& a) {
    Args base = splitString(a[1], ':');
    if (base.empty() || base.size() > 2) return false;
    i64 moves = 0, minutes = 0, seconds = 0, increment = 0;
    if (!parseStrictNumber(a[0], MAX_SESSION_MOVES, moves) || moves < 0) return false;
    if (!parseLevelField(base[0], MAX_MINUTES, minutes)) return false;
    if (base.size() == 2 && !parseLevelField(base[1], MAX_SECONDS, seconds)) return false;
    if (!parseIncrement(a[2], increment)) return false;
    clock.movesPerSession = u32(moves);
    clock.timePerSession = (minutes * 60 + seconds) * 100;
    clock.increment = increment * 100;
    return true;
}

bool WBEngine::cmdTime(const Args& a) {
    i64 remaining = 0;
    // Negative is legal: the interface reports an overstepped clock that way.
    if (!parseStrictNumber(a[0], MAX_TIME_NUMBER, remaining)) return false;
    // Runs also while search thread 0 hands over its move.
    i64 fullMove = player.recordedPlies() / 2 + 1;
    i64 movesPerSession = clock.movesPerSession;
    i64 sessions = movesPerSession == 0 ? 1 : (fullMove + movesPerSession - 1) / movesPerSession;
    clock.elapsed = sessions * clock.timePerSession + fullMove * clock.increment - remaining;
    return true;
}

bool WBEngine::cmdSd(const Args& a) {
    i64 depth = parseNumberLikeAtoi(a[0].c_str());
    if (depth < 0 || depth > INT32_MAX) return false;
    clock.depthLimit = i32(depth);
    clock.depthLimitOn = 1;
    return true;
}

bool WBEngine::cmdCores(const Args& a) {
    i64 cores = parseNumberLikeAtoi(a[0].c_str());
    if (cores < 1 || cores > INT32_MAX) return false;
    player.setNumberOfCores(u32(cores));
    return true;
}

bool WBEngine::cmdEgtPath(const Args& a) {
    if (a[0] != "gaviota") {
        printAndFlush("# invalid TB type: " + a[0] + "\n");
        return false;
    }
    printAndFlush("# initializing TB: type=" + a[0] + " path=" + a[1] + "\n");
    player.stopSearch();
    player.initTablebases(a[0].c_str(), a[1].c_str());
    return true;
}

bool WBEngine::cmdOption(const Args& a) {
    const std::string& text = a[0];
    size_t eq = text.find('=');
    if (eq == std::string::npos) {
        printAndFlush("Error (unknown option name): " + text + "\n");
        return false;
    }
    std::string name = text.substr(0, eq);
    std::string value = text.substr(eq + 1);
    auto illegal = [&] {
        printAndFlush("Error (illegal value for '" + name + "' option): " + value + "\n");
        return false;
    };
    auto accepted = [&](const std::string& shown) {
        printAndFlush("# setting option: " + name + "=" + shown + "\n");
    };
    i64 number = parseNumberLikeAtoi(value.c_str());
    if (name == "ttHashSizeMB" || name == "pawnHashSizeMB") {
        if (number < 1 || number > 2048) return illegal();
        accepted(std::to_string(number));
        // Read by the next preparation only, on this thread.
        (name == "ttHashSizeMB" ? player.ttHashSizeMB : player.pawnHashSizeMB) = u32(number);
    } else if (name == "gtbCacheSizeMB") {
        if (number < 0 || number > 256) return illegal();
        accepted(std::to_string(number));
        player.stopSearch();  // the set-up replaces what the search threads probe
        player.gtbCacheSizeMB = u32(number);
        player.initTablebases("gaviota", nullptr);
    } else if (name == "gtbPath") {
        accepted(value);
        player.stopSearch();
        setPathField(player.gtbPath, value.substr(0, 255));
        player.initTablebases("gaviota", nullptr);
    } else if (name == "bookFilePath") {
        if (value.size() > 255) return illegal();
        accepted(value);
        player.stopSearch();  // search thread 0 reads the path when it opens the book
        setPathField(player.bookFilePath, value);
        if (player.book) player.book->setPath(player.bookFilePath);
    } else {
        printAndFlush("Error (unknown option name): " + name + "\n");
        return false;
    }
    return true;
}
