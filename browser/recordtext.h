// Record texts as the list views show, search and print them. The texts come
// from the phone: they are always shown as text, never read as markup.
#pragma once

#include <QByteArray>
#include <QString>

#include <initializer_list>

// The record text decoded as UTF-8 (the phone sends every text so); empty
// text for a missing one.
QString utf8Text(const char* text);

// An empty key matches every text; otherwise the text contains the key, ignoring case.
bool containsKey(const QString& text, const QString& key);

// One line of a print template: format (no "%" but those of its "%s") with
// each "%s" replaced by the next of texts, as a line buffer of bufferSize
// bytes (with its final NUL) holds it. The template's markup stays whole; the
// texts are cut on character boundaries, in order, so that the line fits, then
// decoded as UTF-8 and escaped for HTML. The texts are copies: the records
// they came from are never changed.
QString printLine(const char* format, std::initializer_list<QByteArray> texts, int bufferSize);
