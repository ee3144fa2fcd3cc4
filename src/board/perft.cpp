// Perft counting and the perft hash.
#include "board/perft.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "board/move_picker.h"

// ---------------------------------------------------------------------------
// The perft hash.

namespace {

inline u32 keyMidOf(HashKey key) {
    return u32(key >> 16);
}
inline u16 keyHighOf(HashKey key) {
    return u16(key >> 48);
}
inline bool isEmpty(const PerftHashEntry& e) {
    return e.keyMid == 0 && e.keyHigh == 0;
}

}  // namespace

bool PerftHash::probe(HashKey key, u32 depth, u64& count) const {
    const PerftHashEntry* bucket = entries + BUCKET_SIZE * (key & bucketMask & 0x3FFFFFFF);
    const u32 mid = keyMidOf(key);
    const u16 high = keyHighOf(key);
    for (u32 i = 0; i < BUCKET_SIZE; ++i) {
        const PerftHashEntry& e = bucket[i];
        if (e.keyMid == mid && e.keyHigh == high) {
            if (e.depth != depth) return false;
            count = e.count;
            return true;
        }
    }
    return false;
}

void PerftHash::store(HashKey key, u64 count, u32 depth) {
    PerftHashEntry* bucket = entries + BUCKET_SIZE * (key & bucketMask & 0x3FFFFFFF);
    const u32 mid = keyMidOf(key);
    const u16 high = keyHighOf(key);
    PerftHashEntry* target = nullptr;
    for (u32 i = 0; i < BUCKET_SIZE && !target; ++i)
        if (bucket[i].keyMid == mid && bucket[i].keyHigh == high) target = &bucket[i];
    for (u32 i = 0; i < BUCKET_SIZE && !target; ++i)
        if (isEmpty(bucket[i])) target = &bucket[i];
    if (!target) {
        target = &bucket[0];
        for (u32 i = 1; i < BUCKET_SIZE; ++i)
            if (bucket[i].depth < target->depth) target = &bucket[i];
    }
    target->count = count;
    target->depth = u16(depth);
    target->keyMid = mid;
    target->keyHigh = high;
}

void PerftHash::clear() {
    std::memset(entries, 0, size_t(entryCount) * sizeof(PerftHashEntry));
}

double PerftHash::usagePercent() const {
    const u32 n = entryCount < 65536 ? entryCount : 65536;
    u32 used = 0;
    for (u32 i = 0; i < n; ++i) used += isEmpty(entries[i]) ? 0 : 1;
    return used * 100.0 / 65536;
}

PerftHash* createPerftHash(u32 sizeMB) {
    if (sizeMB > 4096) sizeMB = 4096;
    const u64 bytes = u64(sizeMB) * 1048576;
    u64 n = PerftHash::BUCKET_SIZE;
    while (n * 2 * sizeof(PerftHashEntry) <= bytes && n * 2 <= 0x80000000ULL) n *= 2;
    auto* hash = new (std::nothrow) PerftHash;
    if (!hash) return nullptr;
    for (; n >= PerftHash::BUCKET_SIZE; n /= 2) {
        void* mem = std::aligned_alloc(64, n * sizeof(PerftHashEntry));
        if (!mem) continue;
        hash->entries = static_cast<PerftHashEntry*>(mem);
        hash->entryCount = u32(n);
        hash->bucketMask = u32(n / PerftHash::BUCKET_SIZE - 1);
        hash->clear();
        return hash;
    }
    delete hash;
    return nullptr;
}

void destroyPerftHash(PerftHash* hash) {
    if (!hash) return;
    std::free(hash->entries);
    delete hash;
}

// ---------------------------------------------------------------------------
// The recursion.

namespace {

// The count below one move: made with the perft make, the child's check
// information taken from the move itself, and taken back.
template <Color Us>
inline u64 childCount(u64& nodes, Board& board, Move m, PerftHash* hash, int depth) {
    const CheckerList given = checkersAfter<Us>(board, m);
    Board::Undo undo = Board::clearedUndo();
    board.makeMovePerft<Us>(m, undo);
    const u64 count = given.count != 0 ? perftInCheck<~Us>(nodes, board, given, hash, depth)
                                       : perft<~Us>(nodes, board, hash, depth);
    board.unmakeMovePerft<Us>(m, undo);
    return count;
}

template <Color Us>
u64 perftNode(u64& nodes, Board& board, MovePicker& picker, PerftHash* hash, int depth) {
    ++nodes;
    // Leaves are counted in bulk: the number of moves the picker's list would
    // hold, without handing them out.
    if (depth <= 1) return board.countLegalMoves<Us>(picker.checkInfo());
    const HashKey key = board.perftKeys[board.perftKeyCount];
    u64 sum = 0;
    if (hash && hash->probe(key, u32(depth), sum)) return sum;
    while (const Move m = picker.next<Us, false>())
        sum += childCount<Us>(nodes, board, m, hash, depth - 1);
    if (hash) hash->store(key, sum, u32(depth));
    return sum;
}

template <Color Us>
u64 divideRoot(u64& nodes, Board& board, MovePicker& picker, PerftHash* hash, int depth) {
    ++nodes;
    u64 sum = 0;
    char text[8];
    while (const Move m = picker.next<Us, false>()) {
        u64 count = 1;
        if (depth > 1) {
            count = childCount<Us>(nodes, board, m, hash, depth - 1);
        } else {
            // One child call per move even at depth 1: the move is made and
            // taken back, so the key stack is exercised the same way.
            Board::Undo undo = Board::clearedUndo();
            board.makeMovePerft<Us>(m, undo);
            board.unmakeMovePerft<Us>(m, undo);
        }
        moveToString(m, text);
        std::printf("%s %llu\n", text, static_cast<unsigned long long>(count));
        sum += count;
    }
    std::fflush(stdout);
    return sum;
}

}  // namespace

template <Color Us>
u64 perft(u64& nodes, Board& board, PerftHash* hash, int depth) {
    if (depth <= 1) {
        // Only the number of moves is asked for, so no picker is set up: the
        // check information is the one it would hold.
        ++nodes;
        CheckInfo info{};
        if constexpr (Board::HAS_GIVEN_CHECKS)
            board.computePins<Us>(info);  // not in check: the parent knows
        else
            board.computeCheckInfo<Us>(info);
        return board.countLegalMoves<Us>(info);
    }
    // The side to move is not in check here (the caller knows it from the
    // given checks), so the all-moves picker needs no attack test of its own.
    MovePicker picker;
    if constexpr (Board::HAS_GIVEN_CHECKS)
        picker.init(PICK_ALL_LEGAL, &board, CheckerList{}, NO_MOVE);
    else
        picker.initLegal(&board, NO_MOVE);  // the parent could not tell
    return perftNode<Us>(nodes, board, picker, hash, depth);
}

template <Color Us>
u64 perftInCheck(u64& nodes, Board& board, const CheckerList& checkers, PerftHash* hash,
                 int depth) {
    MovePicker picker;
    picker.init(PICK_EVASIONS, &board, checkers, NO_MOVE);
    return perftNode<Us>(nodes, board, picker, hash, depth);
}

template <Color Us>
u64 divide(u64& nodes, Board& board, PerftHash* hash, int depth) {
    MovePicker picker;
    picker.initLegal(&board, NO_MOVE);
    return divideRoot<Us>(nodes, board, picker, hash, depth);
}

template <Color Us>
u64 divideInCheck(u64& nodes, Board& board, const CheckerList& checkers, PerftHash* hash,
                  int depth) {
    MovePicker picker;
    picker.init(PICK_EVASIONS, &board, checkers, NO_MOVE);
    return divideRoot<Us>(nodes, board, picker, hash, depth);
}

template <Color Us>
static u64 countFor(Board& board, PerftHash* hash, int depth, bool printDivide, u64& nodes) {
    CheckerList checkers{};
    const bool inCheck = board.template isInCheck<Us>(checkers);
    if (printDivide)
        return inCheck ? divideInCheck<Us>(nodes, board, checkers, hash, depth)
                       : divide<Us>(nodes, board, hash, depth);
    return inCheck ? perftInCheck<Us>(nodes, board, checkers, hash, depth)
                   : perft<Us>(nodes, board, hash, depth);
}

u64 countLeaves(Board& board, PerftHash* hash, int depth, bool printDivide, u64& nodes) {
    nodes = 0;
    if (depth < 1 || depth > MAX_PERFT_DEPTH) return 0;
    if (board.sideToMove != WHITE && board.sideToMove != BLACK) return 0;
    HistoryRecord& record = board.history[board.historyIndex];
    record.key = board.computeFullKey();
    record.pawnKey = board.computePawnHashKey();
    // The count owns the key stack: it starts at the bottom so that any
    // depth up to 63 fits.
    board.perftKeyCount = 0;
    board.perftKeys[0] = record.key;
    return board.sideToMove == WHITE ? countFor<WHITE>(board, hash, depth, printDivide, nodes)
                                     : countFor<BLACK>(board, hash, depth, printDivide, nodes);
}

void printPerftReport(bool divide, u64 leaves, u64 nodes, i64 centiseconds, double hashUse) {
    const u64 t = centiseconds > 0 ? u64(centiseconds) : 0;
    const u64 speed = t > 0 ? nodes * 100 / t : 0;
    const char* prefix = divide ? "" : "# ";
    std::printf("%sTotal leaves: %llu\n", prefix, static_cast<unsigned long long>(leaves));
    std::printf("%sTotal nodes:  %llu\n", prefix, static_cast<unsigned long long>(nodes));
    std::printf("%sTime elapsed: %llu.%02llu s\n", prefix, static_cast<unsigned long long>(t / 100),
                static_cast<unsigned long long>(t % 100));
    std::printf("%sNodes/second: %llu\n", prefix, static_cast<unsigned long long>(speed));
    // The hash use prints as a default-formatted double (six significant digits).
    std::printf("# perftHashFull%%:  %g\n", hashUse);
    std::fflush(stdout);
}

#define TALUN_INSTANTIATE_PERFT(C)                                                   \
    template u64 perft<C>(u64&, Board&, PerftHash*, int);                            \
    template u64 perftInCheck<C>(u64&, Board&, const CheckerList&, PerftHash*, int); \
    template u64 divide<C>(u64&, Board&, PerftHash*, int);                           \
    template u64 divideInCheck<C>(u64&, Board&, const CheckerList&, PerftHash*, int);

TALUN_INSTANTIATE_PERFT(WHITE)
TALUN_INSTANTIATE_PERFT(BLACK)
