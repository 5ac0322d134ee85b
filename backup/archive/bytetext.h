// Byte-text helpers of the export and data files: record texts arrive as
// UTF-8 bytes from the phone and are cut without splitting a character.
#pragma once

#include <QByteArray>
#include <QByteArrayList>

// The record text, or empty text for a missing one.
QByteArray textOf(const char* text);

// At most maxBytes bytes of text, never ending inside a UTF-8 sequence.
QByteArray utf8Prefix(const QByteArray& text, int maxBytes);

// One CSV line: every value quoted, embedded quotes doubled, "," between and
// "\n" at the end. A line longer than maxBytes is shortened inside its values
// (the cut value is cut on a character boundary, the values after it become
// empty), so it always keeps its column count and its line end.
QByteArray csvLine(const QByteArrayList& values, int maxBytes);

// text when it fits maxBytes; else its beginning cut to fit, followed by the
// end it had (a line end or the empty line that closes a block).
QByteArray cutKeepingEnd(const QByteArray& text, int maxBytes, const QByteArray& end);
