// Start-up configuration: the settings file talun.ini, the command line, and
// the line and number readers that the command loop shares with them.
#pragma once

#include <cstdio>
#include <string>

#include "board/types.h"
#include "search/search_output.h"

class ChessPlayer;

// Longest input line (without its line end) that the engine accepts.
constexpr size_t MAX_LINE_LENGTH = 1023;

enum class LineStatus { OK, TOO_LONG, END_OF_INPUT };

// Reads one line (without its line feed) from file. A line longer than
// MAX_LINE_LENGTH is consumed up to its line feed and answered TOO_LONG with
// its first MAX_LINE_LENGTH characters in line; it is never split.
LineStatus readInputLine(FILE* file, std::string& line);

// Cuts one trailing line feed, then one carriage return, then every trailing
// blank (the space character only).
void trimLineEnd(std::string& line);

// Reads a number the way atoi does (leading blanks, a sign, the leading digits;
// no digits gives 0) but without overflow: values beyond the 64-bit range are
// clamped to it, so range checks on the result stay valid.
i64 parseNumberLikeAtoi(const char* text);

// Strict whole number: optional sign and at least one digit, nothing else, and
// |value| at most limit. False for anything else.
bool parseStrictNumber(const std::string& text, i64 limit, i64& value);

// Reads talun.ini from the working directory into the player's settings; a
// missing file changes nothing and prints nothing.
void readSettingsFile(ChessPlayer& player, const char* path = "talun.ini");

// Reads the command line ("-cores N" is the only option).
void parseCommandLine(ChessPlayer& player, int argc, const char* const* argv);

// The processor count as the thread library reports it, 0 counted as 1.
u32 detectProcessorCount();
