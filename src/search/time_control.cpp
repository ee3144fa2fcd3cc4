#include "search/time_control.h"

TimeAllocation allocateTime(u32 movesPerSession, i64 timePerSession, i64 increment, u32 plyCount,
                            i64 elapsed) {
    TimeAllocation a{};
    a.movesPerSession = movesPerSession;
    a.timePerSession = timePerSession;
    a.increment = increment;
    a.plyCount = plyCount;
    a.elapsed = elapsed;
    a.fullMoveNumber = plyCount / 2 + 1;
    const i64 fm = a.fullMoveNumber;
    const i64 m = movesPerSession;
    if (m > 0) {
        i64 r = fm % m;
        a.remainingMoves = r != 0 ? m - r + 1 : 1;
        a.nSessions = r != 0 ? fm / m + 1 : fm / m;
    } else {
        a.remainingMoves = 32;
        a.nSessions = 1;
    }
    a.total = a.nSessions * timePerSession + fm * increment;
    a.remaining = a.total - elapsed;
    a.available = (a.remainingMoves - 1) * increment + a.total - elapsed;
    a.maxTime = i64(double(a.available) * 0.9 / double(a.remainingMoves));
    return a;
}

void printTimeAllocation(std::ostream& out, const TimeAllocation& a) {
    out << "# movesPerSession=" << a.movesPerSession << " timePerSession=" << a.timePerSession
        << " increment=" << a.increment << "\n";
    out << "# ply=" << a.plyCount << " fullMoveNumber=" << a.fullMoveNumber
        << " remainingMoves=" << a.remainingMoves << " nSessions=" << a.nSessions << "\n";
    out << "# total=" << a.total << " elapsed=" << a.elapsed << " remaining=" << a.remaining
        << " available=" << a.available << " max=" << a.maxTime << "\n";
    out.flush();
    out << "# set maxTime = " << a.maxTime << "\n";
    out.flush();
}

bool wantsOutOfBookCorrection(const TimeAllocation& a) {
    return a.movesPerSession == 0 || a.remainingMoves > 9;
}

i64 correctedMaxTime(i64 maxTime) {
    return i64(double(maxTime) * 1.5);
}
