#include "ArtManifest.h"

#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace {

using Vars = QHash<QString, QString>;

struct Reader {
    QString error;

    void fail(const QString &where, const QString &what)
    {
        if (error.isEmpty())
            error = where + ": " + what;
    }

    // Replaces ${name} until nothing is left, so a row value may name a
    // column value that names a palette colour.
    QString expand(const QString &text, const Vars &vars, const QString &where)
    {
        static const QRegularExpression ref(QStringLiteral("\\$\\{([A-Za-z0-9_.]+)\\}"));
        QString out = text;
        for (int pass = 0; pass < 5 && out.contains(QLatin1String("${")); ++pass) {
            QString next;
            qsizetype last = 0;
            auto it = ref.globalMatch(out);
            while (it.hasNext()) {
                const auto m = it.next();
                const QString name = m.captured(1);
                if (!vars.contains(name)) {
                    fail(where, "unknown variable " + name);
                    return out;
                }
                next += out.mid(last, m.capturedStart() - last) + vars.value(name);
                last = m.capturedEnd();
            }
            out = next + out.mid(last);
        }
        if (out.contains(QLatin1String("${")))
            fail(where, "variables nest too deep in " + text);
        return out;
    }

    QRect rect(const QJsonValue &v, const QString &where)
    {
        const QJsonArray a = v.toArray();
        if (a.size() != 4) {
            fail(where, "a rectangle is [x, y, width, height]");
            return {};
        }
        return QRect(a[0].toInt(), a[1].toInt(), a[2].toInt(), a[3].toInt());
    }

    QColor color(const QString &text, const QString &where)
    {
        const QColor c = QColor::fromString(text);
        if (!c.isValid())
            fail(where, "not a colour: " + text);
        return c;
    }

    ArtLayer layer(const QJsonObject &o, const Vars &vars, const QString &where)
    {
        ArtLayer l;
        l.svg = expand(o.value("svg").toString(), vars, where);
        l.glyph = expand(o.value("glyph").toString(), vars, where);
        if (l.svg.isEmpty() == l.glyph.isEmpty())
            fail(where, "a layer has exactly one of \"svg\" and \"glyph\"");
        if (o.contains("rect"))
            l.rect = rect(o.value("rect"), where);
        if (!l.glyph.isEmpty())
            l.color = color(expand(o.value("color").toString(), vars, where), where);
        const QJsonObject swaps = o.value("recolor").toObject();
        for (auto it = swaps.begin(); it != swaps.end(); ++it) {
            const QString to = expand(it.value().toString(), vars, where);
            if (to != QLatin1String("none"))
                color(to, where);
            l.recolor.append({it.key(), to});
        }
        return l;
    }

    QList<ArtLayer> layers(const QJsonValue &v, const Vars &vars, const QString &where)
    {
        QList<ArtLayer> out;
        for (const QJsonValue &l : v.toArray())
            out.append(layer(l.toObject(), vars, where));
        return out;
    }

    static void addPrefixed(Vars &vars, const QString &prefix, const QJsonObject &o)
    {
        for (auto it = o.begin(); it != o.end(); ++it)
            if (it.value().isString())
                vars.insert(prefix + it.key(), it.value().toString());
    }

    // Every column crossed with every row; the cell sits at (column x, row y).
    void grid(ArtImage &img, const QJsonObject &g, const Vars &palette, const QString &where)
    {
        const QJsonArray cell = g.value("cell").toArray();
        const QSize cellSize(cell.at(0).toInt(), cell.at(1).toInt());
        if (cellSize.isEmpty())
            fail(where, "a grid needs \"cell\": [width, height]");
        const QJsonObject columns = g.value("columns").toObject();
        const QJsonObject rows = g.value("rows").toObject();
        for (auto c = columns.begin(); c != columns.end(); ++c) {
            for (auto r = rows.begin(); r != rows.end(); ++r) {
                const QJsonObject col = c.value().toObject();
                const QJsonObject row = r.value().toObject();
                Vars vars = palette;
                addPrefixed(vars, "col.", col);
                addPrefixed(vars, "row.", row);
                ArtCell out;
                out.id = c.key() + '/' + r.key();
                out.rect = QRect(QPoint(col.value("x").toInt(), row.value("y").toInt()), cellSize);
                out.layers = layers(g.value("layers"), vars, where + " " + out.id);
                img.cells.append(out);
            }
        }
    }

    ArtImage image(const QJsonObject &o, const Vars &palette)
    {
        ArtImage img;
        img.name = o.value("name").toString();
        const QString where = img.name.isEmpty() ? QStringLiteral("(unnamed image)") : img.name;
        const QJsonArray size = o.value("size").toArray();
        img.size = QSize(size.at(0).toInt(), size.at(1).toInt());
        if (img.name.isEmpty() || img.size.isEmpty())
            fail(where, "an image needs \"name\" and \"size\": [width, height]");
        img.group = o.value("group").toString();
        img.frames = o.value("frames").toInt();
        img.delayMs = o.value("delay").toInt();
        if (img.isAnimation()) {
            img.matte = color(expand(o.value("matte").toString(), palette, where), where);
            if (img.frames < 2 || img.delayMs < 10)
                fail(where, "an animation needs 2 frames or more and a delay of 10 ms or more");
        }
        img.layers = layers(o.value("layers"), palette, where);
        for (const QJsonValue &v : o.value("cells").toArray()) {
            const QJsonObject c = v.toObject();
            ArtCell cell;
            cell.id = c.value("id").toString();
            cell.rect = rect(c.value("rect"), where);
            cell.layers = layers(c.value("layers"), palette, where + " " + cell.id);
            img.cells.append(cell);
        }
        if (o.contains("grid"))
            grid(img, o.value("grid").toObject(), palette, where);
        for (const ArtCell &c : img.cells)
            if (!QRect(QPoint(), img.size).contains(c.rect))
                fail(where, "cell " + c.id + " lies outside the image");
        if (img.layers.isEmpty() && img.cells.isEmpty())
            fail(where, "nothing to draw");
        return img;
    }
};

}  // namespace

ArtManifest ArtManifest::load(const QString &path)
{
    ArtManifest m;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m.error = path + ": " + file.errorString();
        return m;
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (doc.isNull()) {
        m.error = path + ": " + parseError.errorString() + " at byte " + QString::number(parseError.offset);
        return m;
    }
    Reader reader;
    Vars palette;
    Reader::addPrefixed(palette, QString(), doc.object().value("colors").toObject());
    QStringList seen;
    for (const QJsonValue &v : doc.object().value("images").toArray()) {
        ArtImage img = reader.image(v.toObject(), palette);
        if (seen.contains(img.name))
            reader.fail(img.name, "listed twice");
        seen.append(img.name);
        m.images.append(img);
    }
    if (m.images.isEmpty())
        reader.fail(path, "no images");
    m.error = reader.error;
    return m;
}
