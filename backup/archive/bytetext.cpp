#include "bytetext.h"

namespace {

bool isContinuation(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

QByteArray quoted(const QByteArray& value) {
    QByteArray doubled = value;
    doubled.replace('"', "\"\"");
    return '"' + doubled + '"';
}

// The longest beginning of value whose quoted form (quotes doubled) takes at
// most budget bytes inside the enclosing quotes.
QByteArray fittingBeginning(const QByteArray& value, int budget) {
    int used = 0;
    int end = 0;
    while (end < value.size()) {
        int next = end + 1;
        while (next < value.size() && isContinuation(value[next])) ++next;
        const int cost = (next - end) + (value[end] == '"' ? 1 : 0);
        if (used + cost > budget) break;
        used += cost;
        end = next;
    }
    return value.left(end);
}

}  // namespace

QByteArray textOf(const char* text) {
    return text ? QByteArray(text) : QByteArray();
}

QByteArray utf8Prefix(const QByteArray& text, int maxBytes) {
    if (maxBytes <= 0) return QByteArray();
    if (text.size() <= maxBytes) return text;
    int cut = maxBytes;
    while (cut > 0 && isContinuation(text[cut])) --cut;
    return text.left(cut);
}

QByteArray csvLine(const QByteArrayList& values, int maxBytes) {
    // Two quotes and a separator (the last one is the line end) per value.
    int budget = maxBytes - 3 * static_cast<int>(values.size());
    QByteArray line;
    line.reserve(maxBytes);
    bool cut = false;
    for (const QByteArray& value : values) {
        if (!line.isEmpty()) line += ',';
        if (cut) {
            line += "\"\"";
            continue;
        }
        QByteArray written = quoted(value);
        if (written.size() - 2 > budget) {
            written = quoted(fittingBeginning(value, budget));
            cut = true;
        }
        budget -= written.size() - 2;
        line += written;
    }
    line += '\n';
    return line;
}

QByteArray cutKeepingEnd(const QByteArray& text, int maxBytes, const QByteArray& end) {
    if (text.size() <= maxBytes) return text;
    const QByteArray body = text.endsWith(end) ? text.left(text.size() - end.size()) : text;
    return utf8Prefix(body, maxBytes - end.size()) + end;
}
