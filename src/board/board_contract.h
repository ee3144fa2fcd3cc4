// What the shared code (move picker, perft, evaluation, search, driver) may
// ask of a board class, and the compile-time capabilities in which the board
// classes differ. Shared code includes board/board.h, which picks the board
// and checks it against BoardContract; it calls nothing else of the board and
// branches on the capabilities with `if constexpr`.
//
// Squares in the contract are Square (a1 = 0 .. h8 = 63), whatever numbering
// a board uses inside, with two exceptions in the board's own numbering:
// `epSquare` of Board_Common (read it through epSquareOf) and the squares of a
// CheckerList (shared code reads only its count and hands the list back to
// the board).
//
// The evaluation asks for men as 64-bit sets by kind and colour (`pieces`),
// which it walks lowest square first, and counts them with popCount: one
// evaluation serves both boards, and a board that keeps piece lists builds
// the sets from them. Where the boards' evaluations differ (slider mobility)
// it branches on MOBILITY_ALONG_RAYS.
//
// Capabilities (static constexpr members of the board class):
//   HAS_EVASION_GENERATOR  genEvasions<Us> exists; the in-check picker runs it.
//                          Without it the in-check picker runs the stages of
//                          the full-width picker.
//   HAS_GIVEN_CHECKS       computeGivenChecks<Us> tells the checkers of the
//                          child before a move is made. Without it the checkers
//                          handed to a child are always empty, and the search
//                          tests for check on entry to every full-width and
//                          quiescence node and extends every check by one ply.
//   HAS_QUIET_CHECKS       genQuietChecks<Us> exists and the first quiescence
//                          level searches quiet checking moves; without it the
//                          quiescence search takes captures only.
//   MOBILITY_ALONG_RAYS    the evaluation counts slider mobility along the rays
//                          up to the first man (else on the empty-board rays).
//   NO_EP_SQUARE           the value of `epSquare` when there is none.
//   HAS_FEN_WRITER         getFEN exists.
//   HAS_RANDOM_POSITIONS   setRandomPosition exists.
//   LOSING_CAPTURE_SEES_SLIDERS  isLosingCapture also counts bishop and rook
//                          guards of the target square; without it only pawn
//                          and knight guards.
#pragma once

#include <concepts>

#include "board/board_common.h"

template <class B>
concept BoardCapabilities = requires {
    { B::HAS_EVASION_GENERATOR } -> std::convertible_to<bool>;
    { B::HAS_GIVEN_CHECKS } -> std::convertible_to<bool>;
    { B::HAS_QUIET_CHECKS } -> std::convertible_to<bool>;
    { B::MOBILITY_ALONG_RAYS } -> std::convertible_to<bool>;
    { B::NO_EP_SQUARE } -> std::convertible_to<u8>;
    { B::HAS_FEN_WRITER } -> std::convertible_to<bool>;
    { B::HAS_RANDOM_POSITIONS } -> std::convertible_to<bool>;
    { B::LOSING_CAPTURE_SEES_SLIDERS } -> std::convertible_to<bool>;
};

// The colour-twin operations, for one colour C of the side to move (or, for
// the attack test, of the attacker).
template <class B, Color C>
concept BoardTwins = requires(B& b, const B& cb, Move m, typename B::Undo& undo,
                              const typename B::Undo& cundo, CheckInfo& info,
                              const CheckInfo& cinfo, CheckerList& checkers, MoveList& list,
                              i32& victimValue) {
    // Make and unmake: full (search, game), perft (key stack only), bare
    // (pieces and side only, for legality trials).
    b.template makeMove<C>(m, undo);
    b.template unmakeMove<C>(m, cundo);
    b.template makeMovePerft<C>(m, undo);
    b.template unmakeMovePerft<C>(m, cundo);
    // Check information of the side to move C: pins only, or pins and checkers.
    cb.template computePins<C>(info);
    cb.template computeCheckInfo<C>(info);
    // Whether C's king is attacked; records the attacker(s) in `checkers`.
    { cb.template isInCheck<C>(checkers) } -> std::same_as<bool>;
    // Legality of a possible move of C: with the position's CheckInfo, or by trial.
    { b.template isLegalMove<C>(m, cinfo) } -> std::same_as<bool>;
    { b.template isLegalMoveFull<C>(m) } -> std::same_as<bool>;
    // Generators append legal moves of C to `list`.
    b.template genAllMoves<C>(cinfo, list);
    b.template genEnPassant<C>(cinfo, list);
    b.template genCaptures<C>(cinfo, list);
    b.template genQsCaptures<C>(cinfo, list);
    b.template genQuiets<C>(cinfo, list);
    // The number of moves genAllMoves<C> would append (perft leaves).
    { b.template countLegalMoves<C>(cinfo) } -> std::convertible_to<u64>;
    // The move tests of the search: a cheap losing-capture test (victimValue
    // gets the material the move wins on its square) and whether a stored move
    // (hash table, torn entry) is a possible move of C here, but for exposing
    // the own king.
    { cb.template isLosingCapture<C>(m, victimValue) } -> std::same_as<bool>;
    { cb.template isMovePseudoLegal<C>(m) } -> std::same_as<bool>;
};

template <class B>
concept BoardContract = std::derived_from<B, Board_Common> && BoardCapabilities<B> &&
    BoardTwins<B, WHITE> && BoardTwins<B, BLACK> &&
    requires(B& b, const B& cb, Move m, typename B::Undo& undo, const typename B::Undo& cundo,
             Square sq, Color c, PieceKind k, u32& reason, const char* text) {
    // The board's own undo record, and one cleared for perft and trials.
    { B::clearedUndo() } -> std::same_as<typename B::Undo>;
    // Set-up; setFEN reports whether the text was a position.
    b.resetBoard();
    { b.setFEN(text) } -> std::same_as<bool>;
    // What stands on a square: PieceKind (0 empty) and Color (2 empty).
    { cb.kindAt(sq) } -> std::convertible_to<u8>;
    { cb.colorAt(sq) } -> std::convertible_to<u8>;
    { cb.kingSquare(c) } -> std::same_as<Square>;
    // Men counts: all men of a colour (king included), men of one kind.
    { cb.menCount(c) } -> std::convertible_to<u32>;
    { cb.pieceCount(k, c) } -> std::convertible_to<u32>;
    // The sets the evaluation walks (bit n = Square n), for both boards.
    { cb.pieces(k, c) } -> std::same_as<Bitboard>;
    { cb.pieces(c) } -> std::same_as<Bitboard>;
    { cb.pieces(k) } -> std::same_as<Bitboard>;
    { cb.occupied() } -> std::same_as<Bitboard>;
    // Null move and its take-back; dispatching make and unmake.
    b.makeNullMove(undo);
    b.unmakeNullMove(cundo);
    b.makeMove(m, undo);
    b.unmakeMove(m, cundo);
    { b.isDraw(reason) } -> std::same_as<bool>;
    { cb.computeFullKey() } -> std::same_as<HashKey>;
    { cb.isConsistent() } -> std::same_as<bool>;
};

// Capability-dependent members, required only where the capability is set.
template <class B>
concept BoardOptionalParts = (!B::HAS_EVASION_GENERATOR ||
                              requires(B & b, const CheckInfo& info, MoveList& list) {
                                  b.template genEvasions<WHITE>(info, list);
                                  b.template genEvasions<BLACK>(info, list);
                              }) &&
                             (!B::HAS_GIVEN_CHECKS ||
                              requires(const B& cb, Move m, CheckerList& checkers) {
                                  cb.template computeGivenChecks<WHITE>(m, checkers);
                                  cb.template computeGivenChecks<BLACK>(m, checkers);
                              }) &&
                             (!B::HAS_QUIET_CHECKS ||
                              requires(B & b, MoveList& list) {
                                  b.template genQuietChecks<WHITE>(list);
                                  b.template genQuietChecks<BLACK>(list);
                              }) &&
                             (!B::HAS_FEN_WRITER ||
                              requires(const B& cb, char* buffer) { cb.getFEN(buffer); }) &&
                             (!B::HAS_RANDOM_POSITIONS ||
                              requires(B & b) { b.setRandomPosition(); });

// The en-passant square as a Square, 64 when there is none (book keys,
// tablebase input).
template <class B>
constexpr Square epSquareOf(const B& board) {
    if constexpr (B::NO_EP_SQUARE == NO_SQUARE) {
        return board.epSquare;
    } else {
        // 0x88 numbering: rank * 16 + file.
        const u8 ep = board.epSquare;
        return ep == B::NO_EP_SQUARE ? NO_SQUARE : Square((ep & 7) | ((ep >> 4) << 3));
    }
}
