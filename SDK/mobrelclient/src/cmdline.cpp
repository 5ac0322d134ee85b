#include "cmdline.h"

namespace mobrel {

std::vector<std::string> splitCommandLine(const std::string& line) {
    std::vector<std::string> args;
    std::string arg;
    bool inArg = false;
    int quotes = 0;  // 1 while inside a quoted part
    size_t backslashes = 0;
    size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if ((c == ' ' || c == '\t') && quotes == 0) {
            if (inArg) args.push_back(arg);
            arg.clear();
            inArg = false;
            backslashes = 0;
            ++i;
            continue;
        }
        inArg = true;
        ++i;
        if (c != '"') {
            arg += c;
            backslashes = c == '\\' ? backslashes + 1 : 0;
            continue;
        }
        // 2n backslashes and a quote: n backslashes, and the quote groups;
        // 2n+1 backslashes and a quote: n backslashes and a literal quote.
        arg.resize(arg.size() - (backslashes + 1) / 2);
        if (backslashes % 2 == 0) {
            ++quotes;
        } else {
            arg += '"';
        }
        backslashes = 0;
        // In a run of quotes inside a quoted part, every third one is literal.
        while (i < line.size() && line[i] == '"') {
            if (++quotes == 3) {
                arg += '"';
                quotes = 0;
            }
            ++i;
        }
        if (quotes == 2) quotes = 0;
    }
    if (inArg) args.push_back(arg);
    return args;
}

std::string quoteArg(const std::string& text) {
    std::string out = "\"";
    size_t backslashes = 0;
    for (const char c : text) {
        if (c == '\0') break;
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes before a quote (the escaped one or the closing one) are doubled.
        out.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        out += c;
        backslashes = 0;
    }
    out.append(2 * backslashes, '\\');
    out += '"';
    return out;
}

}  // namespace mobrel
