#include "GifWriter.h"

#include <QHash>
#include <QVector>

namespace {

constexpr int transparentIndex = 0;
constexpr int maxCodes = 4096;

void put16(QByteArray &out, int v)
{
    out.append(char(v & 0xff));
    out.append(char((v >> 8) & 0xff));
}

// Packs variable-length codes least significant bit first into 255-byte sub-blocks.
class CodeWriter {
public:
    explicit CodeWriter(QByteArray &out) : m_out(out) {}

    void write(int code, int size)
    {
        m_bits |= quint32(code) << m_count;
        m_count += size;
        while (m_count >= 8) {
            pushByte(char(m_bits & 0xff));
            m_bits >>= 8;
            m_count -= 8;
        }
    }

    void finish()
    {
        if (m_count > 0)
            pushByte(char(m_bits & 0xff));
        flushBlock();
        m_out.append('\0');  // block terminator
    }

private:
    void pushByte(char b)
    {
        m_block.append(b);
        if (m_block.size() == 255)
            flushBlock();
    }
    void flushBlock()
    {
        if (m_block.isEmpty())
            return;
        m_out.append(char(m_block.size()));
        m_out.append(m_block);
        m_block.clear();
    }

    QByteArray &m_out;
    QByteArray m_block;
    quint32 m_bits = 0;
    int m_count = 0;
};

void writeLzw(QByteArray &out, const QVector<uchar> &indices, int minCodeSize)
{
    out.append(char(minCodeSize));
    CodeWriter writer(out);
    const int clearCode = 1 << minCodeSize;
    QHash<quint32, int> dictionary;
    int codeSize = minCodeSize + 1;
    int lastCode = clearCode + 1;  // the end code; new strings get the codes after it
    writer.write(clearCode, codeSize);
    int prefix = indices.first();
    for (qsizetype i = 1; i < indices.size(); ++i) {
        const quint32 key = (quint32(prefix) << 8) | indices[i];
        const auto found = dictionary.constFind(key);
        if (found != dictionary.constEnd()) {
            prefix = found.value();
            continue;
        }
        writer.write(prefix, codeSize);
        dictionary.insert(key, ++lastCode);
        if (lastCode >= (1 << codeSize))
            ++codeSize;
        if (lastCode == maxCodes - 1) {
            writer.write(clearCode, codeSize);
            dictionary.clear();
            codeSize = minCodeSize + 1;
            lastCode = clearCode + 1;
        }
        prefix = indices[i];
    }
    writer.write(prefix, codeSize);
    writer.write(clearCode + 1, codeSize);
    writer.finish();
}

QRgb flatten(QRgb pixel, const QColor &matte)
{
    const int a = qAlpha(pixel);
    auto mix = [a](int c, int m) { return (c * a + m * (255 - a) + 127) / 255; };
    return qRgb(mix(qRed(pixel), matte.red()), mix(qGreen(pixel), matte.green()),
                mix(qBlue(pixel), matte.blue()));
}

}  // namespace

QByteArray encodeGif(const QList<QImage> &frames, int delayMs, const QColor &matte)
{
    if (frames.isEmpty())
        return {};
    const QSize size = frames.first().size();

    // Opaque colours of every frame; 0 stands for a transparent pixel.
    QList<QVector<QRgb>> flat;
    for (const QImage &frame : frames) {
        const QImage img = frame.convertToFormat(QImage::Format_ARGB32);
        QVector<QRgb> pixels;
        for (int y = 0; y < size.height(); ++y) {
            const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
            for (int x = 0; x < size.width(); ++x)
                pixels.append(qAlpha(line[x]) < 64 ? 0 : flatten(line[x], matte));
        }
        flat.append(pixels);
    }

    // One table for all frames: drop low bits until the colours fit in 255 entries.
    QHash<QRgb, int> table;
    for (int shift = 0; shift < 8; ++shift) {
        const QRgb keep = qRgb(0xff << shift & 0xff, 0xff << shift & 0xff, 0xff << shift & 0xff);
        table.clear();
        for (const auto &pixels : flat)
            for (QRgb p : pixels)
                if (p != 0 && !table.contains(p & keep))
                    table.insert(p & keep, int(table.size()) + 1);
        if (table.size() <= 255) {
            for (auto &pixels : flat)
                for (QRgb &p : pixels)
                    p = p == 0 ? 0 : p & keep;
            break;
        }
    }
    int bits = 2;
    while ((1 << bits) < table.size() + 1)
        ++bits;

    QByteArray out("GIF89a");
    put16(out, size.width());
    put16(out, size.height());
    out.append(char(0x80 | 0x70 | (bits - 1)));  // global table, 8-bit colour resolution
    out.append(char(transparentIndex));           // background
    out.append('\0');                              // square pixels
    QByteArray colours((1 << bits) * 3, '\0');
    colours[0] = char(matte.red());
    colours[1] = char(matte.green());
    colours[2] = char(matte.blue());
    for (auto it = table.constBegin(); it != table.constEnd(); ++it) {
        colours[it.value() * 3] = char(qRed(it.key()));
        colours[it.value() * 3 + 1] = char(qGreen(it.key()));
        colours[it.value() * 3 + 2] = char(qBlue(it.key()));
    }
    out.append(colours);
    out.append("\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00", 19);  // loop for ever

    for (const auto &pixels : flat) {
        out.append("\x21\xf9\x04", 3);
        out.append(char(0x08 | 0x01));  // restore to background before the next frame; transparent index
        put16(out, (delayMs + 5) / 10);
        out.append(char(transparentIndex));
        out.append('\0');
        out.append('\x2c');
        put16(out, 0);
        put16(out, 0);
        put16(out, size.width());
        put16(out, size.height());
        out.append('\0');  // no local table, not interlaced
        QVector<uchar> indices;
        indices.reserve(pixels.size());
        for (QRgb p : pixels)
            indices.append(uchar(p == 0 ? transparentIndex : table.value(p)));
        writeLzw(out, indices, bits);
    }
    out.append('\x3b');
    return out;
}
