// ChessPlayer: the search controller. It owns the game board, the game record,
// the hash tables and the pool of search threads, and holds the engine settings.
#pragma once

#include <atomic>
#include <mutex>

#include "board/board.h"
#include "search/clock.h"
#include "search/search_interface.h"
#include "search/search_output.h"

struct TranspositionTable;
struct PawnHashTable;
struct PerftHash;
struct TablebaseState;
struct Book;
class SearchThread;

struct ThreadPool {
    SearchThread** items = nullptr;
    u32 count = 0;
};

class ChessPlayer : public SearchInterface {
   public:
    ChessPlayer();
    ~ChessPlayer();
    ChessPlayer(const ChessPlayer&) = delete;
    ChessPlayer& operator=(const ChessPlayer&) = delete;

    // ---- SearchInterface (thinking output and time-out test)
    bool isTimeout(Searcher& searcher) override;
    void printThinking(Searcher& searcher, i32 depth, Score score, const PvLine& pv) override;
    void printSearchStatistics(Searcher& searcher) override;
    void printSearchCounters();   // the statistics block, whatever postThinking says
    u64 totalNodes() const;       // nodes of every pool thread, read without a lock
    SearchStatistics statistics;  // the counters as last printed
    u64 lastTimeCheckNodes = 0;   // pool nodes at thread 0's last reading of the clock
    i64 firstMoveTimeLimit = 0;   // time-out before thread 0's first root move (thread 0 only)

    // ---- controller and thread pool
    void prepareSearch(bool clearHash);
    void setNumberOfCores(u32 requested);
    void stopSearch();
    void startSearch();                           // wakes every thread of the pool
    bool isSearchBusy() const;                    // any pool thread not idle
    SearchThread* searchThread(u32 index) const;  // null when out of the pool
    void prepareTranspositionTable(bool clearHash);
    void preparePawnHashTable(bool clearHash);
    void buildThreadPool();
    void destroyThreadPool();  // ends, joins and deletes every pool thread

    // ---- tablebases (search/tablebase_probe.cpp). Only while no search runs:
    // the set-up replaces what the search threads probe. A null path keeps
    // gtbPath; a type other than "gaviota" leaves the tablebases unavailable.
    void initTablebases(const char* type, const char* path);
    void releaseTablebases();

    // ---- game-level moves
    void generateLegalMoves(MoveList& list, bool& inCheck);
    bool parseMove(const char* text, Move& move);
    bool claimsDraw(Move move);
    bool checkGameEnd();

    // ---- game record (game_end.cpp)
    // The game record and the board's history share one bound; the search needs
    // the last SEARCH_HISTORY_ROOM records of the history for its own plies.
    static constexpr u32 SEARCH_HISTORY_ROOM = 128;
    static constexpr u32 MAX_GAME_PLIES = HISTORY_SIZE - SEARCH_HISTORY_ROOM;
    bool isGameRecordFull() const { return plyCount >= MAX_GAME_PLIES; }
    // Search thread 0 changes the game record when it hands over its move,
    // while the command loop reads on and may run a command that reads the
    // record ("time"). The hand-over holds this lock while it changes the
    // record, and such a command reads under it; a thread that runs while no
    // search does needs no lock.
    std::mutex gameRecordMutex;
    u32 recordedPlies();  // plyCount under the lock
    // Records and makes a legal move of the side to move; the record must not be full.
    void playGameMove(Move move);
    // Takes back the last recorded ply; false when the record is empty.
    bool takeBackGameMove();

    // ---- developer commands (engine/self_test.cpp, engine/random_games.cpp)
    // Counts the stored perft rows with their reports; true when every row passed.
    bool selfTest();
    // Plays that many games of random legal moves on the game board and prints
    // their statistics; the game board ends in the start position.
    void playRandomGames(u64 games);

    // ---- perft hash (search/player_perft.cpp): made at the first use, cleared
    // at every later one; freed by the destructor through releasePerftHash.
    bool preparePerftHash();
    void releasePerftHash();

    Clock* clock = nullptr;
    Board* board = nullptr;
    u32 plyCount = 0;
    Move gameMoves[HISTORY_SIZE] = {};
    Board::Undo gameUndo[HISTORY_SIZE];

    TranspositionTable* transpositionTable = nullptr;
    u32 ttHashSizeMBInUse = 0;
    u32 ttHashSizeMB = 256;
    PerftHash* perftHash = nullptr;
    u32 perftHashSizeMB = 64;
    PawnHashTable* pawnHashTable = nullptr;
    u32 pawnHashSizeMBInUse = 0;
    u32 pawnHashSizeMB = 32;
    TablebaseState* tablebaseState = nullptr;
    u32 gtbCacheSizeMB = 16;
    char gtbPath[256] = "C:/gtb";
    std::atomic<u8> bookEnabled{1};  // set by commands while a search may run
    u8 outOfBook = 0;
    Book* book = nullptr;
    char bookFilePath[256] = "book.bin";
    Move ponderMove = 0;
    std::atomic<u8> randomMoveMode{0};  // set by commands while a search may run
    std::atomic<u8> postThinking{1};    // set by commands while a search may run
    u32 maxCores = 1;
    u32 numberOfCores = 1;
    u32 threadCount = 0;
    EngineInterface* engineInterface = nullptr;
    ThreadPool* threadPool = nullptr;
    // stopSearch ended the last search before its end (main thread only).
    bool searchStopped = false;
};
