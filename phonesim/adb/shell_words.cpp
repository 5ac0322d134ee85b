#include "shell_words.h"

#include <cctype>

namespace phonesim::adb {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }
bool isRedirect(char c) { return c == '<' || c == '>'; }

// Reads one word from pos: stops at an unquoted blank or redirection sign.
// quoted tells whether any part of it was quoted or escaped.
bool readWord(const std::string& line, size_t& pos, std::string& word, bool& quoted) {
    word.clear();
    quoted = false;
    while (pos < line.size() && !isBlank(line[pos]) && !isRedirect(line[pos])) {
        char c = line[pos++];
        if (c == '\'') {
            size_t end = line.find('\'', pos);
            if (end == std::string::npos) return false;
            word.append(line, pos, end - pos);
            pos = end + 1;
            quoted = true;
        } else if (c == '"') {
            quoted = true;
            for (;;) {
                if (pos >= line.size()) return false;
                char d = line[pos++];
                if (d == '"') break;
                if (d == '\\' && pos < line.size() &&
                    (line[pos] == '"' || line[pos] == '\\' || line[pos] == '$' || line[pos] == '`')) {
                    d = line[pos++];
                }
                word.push_back(d);
            }
        } else if (c == '\\') {
            quoted = true;
            if (pos < line.size()) word.push_back(line[pos++]);
        } else {
            word.push_back(c);
        }
    }
    return true;
}

bool allDigits(const std::string& text) {
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

}  // namespace

bool splitShellWords(const std::string& line, std::vector<std::string>& words) {
    words.clear();
    size_t pos = 0;
    std::string word;
    bool quoted = false;
    for (;;) {
        while (pos < line.size() && isBlank(line[pos])) ++pos;
        if (pos >= line.size()) return true;
        if (!isRedirect(line[pos])) {
            if (!readWord(line, pos, word, quoted)) return false;
            // "2>&1": the digits before a redirection name the descriptor, not a word.
            bool fdNumber = pos < line.size() && isRedirect(line[pos]) && !quoted && allDigits(word);
            if (!fdNumber) words.push_back(word);
            if (pos >= line.size() || !isRedirect(line[pos])) continue;
        }
        // A redirection: its signs (<, >, >>, >&, <&), then its target word, both dropped.
        while (pos < line.size() && (isRedirect(line[pos]) || line[pos] == '&')) ++pos;
        while (pos < line.size() && isBlank(line[pos])) ++pos;
        if (!readWord(line, pos, word, quoted)) return false;
    }
}

std::string singleQuote(const std::string& word) {
    std::string out = "'";
    for (char c : word) {
        if (c == '\'') {
            out += "'\\''";
        } else {
            out.push_back(c);
        }
    }
    out.push_back('\'');
    return out;
}

}  // namespace phonesim::adb
