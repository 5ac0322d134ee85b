// What the device information view's six visible lines show, as the user reads them.
#pragma once

#include <QLabel>
#include <QStringList>
#include <QTextDocument>

inline QStringList shownValues(const QWidget& view) {
    QStringList values;
    for (const char* line : {"nameLine", "typeLine", "versionLine", "numberLine", "availableMemoryLine",
                             "phoneStorageLine"}) {
        QTextDocument doc;
        doc.setHtml(view.findChild<QLabel*>(line)->text());
        const QString plain = doc.toPlainText();
        values << plain.mid(plain.indexOf(": ") + 2);  // the value after the caption
    }
    return values;
}
