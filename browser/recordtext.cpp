#include "recordtext.h"

#include <QByteArrayList>

#include "bytetext.h"

QString utf8Text(const char* text) { return text ? QString::fromUtf8(text) : QString(); }

bool containsKey(const QString& text, const QString& key) {
    return key.isEmpty() || text.contains(key, Qt::CaseInsensitive);
}

QString printLine(const char* format, std::initializer_list<QByteArray> texts, int bufferSize) {
    const QByteArrayList markup = QByteArray(format).split('%');
    int room = bufferSize - 1;
    for (const QByteArray& part : markup) room -= part.size();
    room += markup.size() - 1;  // each part after the first begins with the "s" of its "%s"

    QString line = QString::fromLatin1(markup.first());
    auto text = texts.begin();
    for (int i = 1; i < markup.size(); ++i) {
        const QByteArray value = text != texts.end() ? utf8Prefix(*text++, qMax(0, room)) : QByteArray();
        room -= value.size();
        line += QString::fromUtf8(value).toHtmlEscaped() + QString::fromLatin1(markup[i].mid(1));
    }
    return line;
}
