#include "engine/settings.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/regular_file.h"
#include "search/chess_player.h"

LineStatus readInputLine(FILE* file, std::string& line) {
    line.clear();
    bool tooLong = false;
    int c = fgetc(file);
    if (c == EOF) return LineStatus::END_OF_INPUT;
    while (c != EOF && c != '\n') {
        if (line.size() < MAX_LINE_LENGTH + 1) {
            line.push_back(char(c));
        } else {
            tooLong = true;  // keep consuming: the rest is not a line of its own
        }
        c = fgetc(file);
    }
    // A carriage return before the line feed is part of the line end, not its text.
    if (!tooLong && line.size() == MAX_LINE_LENGTH + 1 && line.back() == '\r') line.pop_back();
    if (line.size() > MAX_LINE_LENGTH) tooLong = true;
    if (tooLong) {
        line.resize(MAX_LINE_LENGTH);
        return LineStatus::TOO_LONG;
    }
    return LineStatus::OK;
}

void trimLineEnd(std::string& line) {
    if (!line.empty() && line.back() == '\n') line.pop_back();
    if (!line.empty() && line.back() == '\r') line.pop_back();
    while (!line.empty() && line.back() == ' ') line.pop_back();
}

i64 parseNumberLikeAtoi(const char* text) {
    errno = 0;
    long long value = strtoll(text, nullptr, 10);  // clamps to the range on overflow
    return i64(value);
}

bool parseStrictNumber(const std::string& text, i64 limit, i64& value) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (i == text.size()) return false;
    i64 result = 0;
    for (; i < text.size(); i++) {
        if (text[i] < '0' || text[i] > '9') return false;
        result = result * 10 + (text[i] - '0');
        if (result > limit) return false;
    }
    value = negative ? -result : result;
    return true;
}

u32 detectProcessorCount() {
    u32 count = std::thread::hardware_concurrency();
    return count == 0 ? 1 : count;
}

// ---------------------------------------------------------------------------
// Settings file

namespace {

std::string trimBlanks(const std::string& text) {
    size_t begin = text.find_first_not_of(' ');
    if (begin == std::string::npos) return "";
    size_t end = text.find_last_not_of(' ');
    return text.substr(begin, end - begin + 1);
}

void warnRange(const std::string& key, const std::string& value, int min, int max) {
    printf("# WARNING: %s = %s out of range in ini file (min = %d, max = %d)\n", key.c_str(),
           value.c_str(), min, max);
    fflush(stdout);
}

// Copies text into a settings path field of 256 characters; false when it does not fit.
bool copyPath(char (&field)[256], const std::string& text) {
    if (text.size() > 255) return false;
    memcpy(field, text.c_str(), text.size() + 1);
    return true;
}

void applySetting(ChessPlayer& player, const std::string& key, const std::string& value) {
    i64 number = parseNumberLikeAtoi(value.c_str());
    if (key == "numberOfCores") {
        if (number > 0 && number <= INT32_MAX) {
            player.setNumberOfCores(u32(number));
        } else {
            printf("# WARNING: %s = %s out of range in ini file (min = 1)\n", key.c_str(),
                   value.c_str());
            fflush(stdout);
        }
    } else if (key == "ttHashSizeMB" || key == "pawnHashSizeMB") {
        u32& field = key == "ttHashSizeMB" ? player.ttHashSizeMB : player.pawnHashSizeMB;
        if (number >= 1 && number <= 2048) {
            field = u32(number);
        } else {
            warnRange(key, value, 1, 2048);
        }
    } else if (key == "gtbCacheSizeMB") {
        if (number >= 0 && number <= 256) {
            player.gtbCacheSizeMB = u32(number);
        } else {
            warnRange(key, value, 0, 256);
        }
    } else if (key == "gtbPath") {
        std::string cut = value.substr(0, 255);
        copyPath(player.gtbPath, cut);
    } else if (key == "bookFilePath") {
        if (!copyPath(player.bookFilePath, value)) {
            printf("# WARNING: %s is longer than 255 characters in ini file, ignored\n",
                   key.c_str());
            fflush(stdout);
        }
    }
}

void handleSettingsLine(ChessPlayer& player, std::string line) {
    trimLineEnd(line);
    size_t start = line.find_first_not_of(' ');
    if (start == std::string::npos || line[start] == '#') return;
    size_t eq = line.find('=');
    if (eq == std::string::npos) return;
    std::string key = trimBlanks(line.substr(0, eq));
    std::string value = trimBlanks(line.substr(eq + 1));
    if (!value.empty() && value.front() == '"' && value.back() == '"') {
        value = value.size() >= 2 ? value.substr(1, value.size() - 2) : "";
    }
    applySetting(player, key, value);
}

}  // namespace

void readSettingsFile(ChessPlayer& player, const char* path) {
    // A FIFO of that name would hold the start-up until something writes to it.
    FILE* file = openRegularFile(path);
    if (!file) return;
    std::string line;
    for (;;) {
        LineStatus status = readInputLine(file, line);
        if (status == LineStatus::END_OF_INPUT) break;
        if (status == LineStatus::TOO_LONG) {
            printf("Error (line longer than %zu characters in %s, ignored): %.40s...\n",
                   MAX_LINE_LENGTH, path, line.c_str());
            fflush(stdout);
            continue;
        }
        handleSettingsLine(player, line);
    }
    fclose(file);
}

// ---------------------------------------------------------------------------
// Command line

void parseCommandLine(ChessPlayer& player, int argc, const char* const* argv) {
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "-cores") != 0) {
            printf("# warning: found unknown command line option \"%s\"\n", argv[i]);
            fflush(stdout);
            continue;
        }
        if (i + 1 >= argc) {
            printf("# warning: missing argument for command line option \"-cores\"\n");
            fflush(stdout);
            continue;
        }
        i64 cores = parseNumberLikeAtoi(argv[++i]);
        if (cores >= 1 && cores <= INT32_MAX) {
            player.setNumberOfCores(u32(cores));
        } else {
            printf(
                "# warning: found bad argument \"%lld\" for command line option \"-cores\", "
                "must be a positive number\n",
                (long long)cores);
            fflush(stdout);
        }
    }
}
