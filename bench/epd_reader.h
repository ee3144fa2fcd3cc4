// Reads the positions of an EPD/perft file of the shared test data (tests and
// benchmarks).
// Lines may end in CRLF and may carry a NUL byte before the newline; the FEN
// is the text before the first ';', with blank runs collapsed and trimmed.
#pragma once

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

struct EpdLine {
    std::string fen;   // the position fields, single-blank separated
    std::string rest;  // what follows the first ';' (empty when there is none)
    std::string raw;   // the whole line without its line end and NUL bytes
};

inline std::string collapseBlanks(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\t') c = ' ';
        if (c == ' ' && (out.empty() || out.back() == ' ')) continue;
        out += c;
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

inline std::vector<EpdLine> readEpdFile(const std::string& path) {
    std::vector<EpdLine> lines;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        std::string clean;
        for (char c : line)
            if (c != '\0' && c != '\r') clean += c;
        if (collapseBlanks(clean).empty()) continue;
        EpdLine e;
        e.raw = clean;
        const size_t semi = clean.find(';');
        e.fen = collapseBlanks(clean.substr(0, semi));
        if (semi != std::string::npos) e.rest = clean.substr(semi + 1);
        lines.push_back(e);
    }
    return lines;
}

// The position of an EPD line as a FEN: its first four fields and the move
// numbers 0 1; empty when the line has fewer fields.
inline std::string positionOf(const EpdLine& line) {
    std::istringstream fields(line.fen);
    std::string placement, side, castling, ep;
    if (!(fields >> placement >> side >> castling >> ep)) return "";
    return placement + " " + side + " " + castling + " " + ep + " 0 1";
}

inline std::string testDataPath(const std::string& relative) {
    return std::string(TALUN_DATA_DIR) + "/" + relative;
}
