// The opening book: a read-only file in the Polyglot format, 16-byte entries
// sorted by position key. Search thread 0 probes it before it searches.
#pragma once

#include <cstdio>

#include "board/board.h"

constexpr int POLYGLOT_RANDOM_COUNT = 781;
// Random64 table of the format (generated source: polyglot_random.cpp).
extern const u64 POLYGLOT_RANDOM64[POLYGLOT_RANDOM_COUNT];

// One entry of the file; on disk every field is big-endian.
struct BookEntry {
    u64 key;     // Polyglot key of the position
    u16 move;    // 0-2 to-file, 3-5 to-rank, 6-8 from-file, 9-11 from-rank, 12-14 promotion
    u16 weight;  // share of this move among the entries of its key
    u32 learn;   // read, not used
};
constexpr u32 BOOK_ENTRY_BYTES = 16;

// What the book key and the move conversion read of a position.
struct BookPosition {
    u8 kinds[64];   // PieceKind by square
    u8 colors[64];  // Color by square
    u8 castlingRights;
    u8 epSquare;  // 64 = none; the board keeps one only when a capture is possible
    u8 sideToMove;
};
BookPosition bookPosition(const Board& board);

// The Polyglot key of a position.
HashKey polyglotKey(const BookPosition& pos);
// The engine's Move for a book move in this position; 0 for a promotion code above 4.
Move bookMoveToMove(const BookPosition& pos, u16 bookMove);
// Index of the chosen entry for the draw r (0 <= r < sum of weights): the first
// entry at which the running sum of weights exceeds r; entry 0 when every weight is 0.
u32 chooseBookEntry(const BookEntry* entries, u32 count, u32 r);

struct Book {
    static constexpr u32 MAX_ENTRIES_PER_KEY = 256;

    char path[256] = {};
    u64 entryCount = 0;    // whole entries in the file; 0 when its size cannot be read
    FILE* file = nullptr;  // open only during a probe

    explicit Book(const char* filePath);
    ~Book();
    Book(const Book&) = delete;
    Book& operator=(const Book&) = delete;

    // Takes a new path and reads the entry count again from the file's size.
    // A path that does not fit leaves the book empty.
    void setPath(const char* filePath);
    // False when i is not below entryCount or positioning or reading fails.
    bool readEntry(u64 i, BookEntry& entry);
    // True with a book move of the position (weighted random choice, rand()).
    bool probe(const Board& board, Move& move);
    bool probe(const BookPosition& pos, Move& move);
    // The entries of a key, as probe collects them: the one found by bisection
    // first, then those before it backwards, then those after it. False when the
    // file cannot be opened or read, or the key is not in the book.
    bool collect(HashKey key, BookEntry* entries, u32& count);
};
