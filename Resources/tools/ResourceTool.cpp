// Build-time helper that makes the binary resources of the pages and windows:
//   resource_tool qwebchannel <out.js>                 copy Qt's own qwebchannel.js
//   resource_tool images <manifest> <srcdir> <outdir>  render the drawings listed in the manifest
//   resource_tool sound <out.wav>                      synthesise the message chime
//
// Manifest lines: "<output> <source.svg> <sizes> [frames=N step=DEG delay=MS]". <sizes> is "W" or "WxH",
// or a comma list of square sizes for an .ico. With frames, "@ANGLE@" in the drawing is replaced by
// i * step for frame i; an output name with "%1" gets one file per frame, a .gif gets all frames.
// An output ending in ".svg" is a plain copy of the drawing.

#include <QBuffer>
#include <QColor>
#include <QCoreApplication>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextStream>
#include <QWebChannel>
#include <QtMath>

#include <cstdio>
#include <vector>

namespace {

void fail(const QString &message)
{
    std::fprintf(stderr, "resource_tool: %s\n", qPrintable(message));
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(data) != data.size()) {
        fail(QStringLiteral("cannot write ") + path);
        return false;
    }
    return true;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(QStringLiteral("cannot read ") + path);
        return QByteArray();
    }
    return file.readAll();
}

int copyQWebChannel(const QString &out)
{
    // A channel object keeps the WebChannel library, and so its built-in resource, loaded.
    QWebChannel channel;
    const QByteArray script = readFile(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
    if (script.isEmpty())
        return 1;
    return writeFile(out, script) ? 0 : 1;
}

// ---- drawings ----

QImage render(const QByteArray &svg, QSize size)
{
    QSvgRenderer renderer(svg);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (!renderer.isValid())
        return QImage();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    return image;
}

QByteArray pngBytes(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.convertToFormat(QImage::Format_ARGB32).save(&buffer, "PNG");
    return bytes;
}

void putLe16(QByteArray &out, int value)
{
    out.append(char(value & 0xff));
    out.append(char((value >> 8) & 0xff));
}

void putLe32(QByteArray &out, quint32 value)
{
    putLe16(out, int(value & 0xffff));
    putLe16(out, int(value >> 16));
}

// An icon file with one PNG-compressed entry per size.
QByteArray icoBytes(const QByteArray &svg, const QList<int> &sizes)
{
    QList<QByteArray> images;
    for (int size : sizes)
        images.append(pngBytes(render(svg, QSize(size, size))));
    QByteArray out;
    putLe16(out, 0);
    putLe16(out, 1);
    putLe16(out, sizes.size());
    quint32 offset = 6 + 16 * quint32(sizes.size());
    for (int i = 0; i < sizes.size(); ++i) {
        const int size = sizes.at(i) >= 256 ? 0 : sizes.at(i);
        out.append(char(size));
        out.append(char(size));
        out.append(char(0));
        out.append(char(0));
        putLe16(out, 1);
        putLe16(out, 32);
        putLe32(out, quint32(images.at(i).size()));
        putLe32(out, offset);
        offset += quint32(images.at(i).size());
    }
    for (const QByteArray &image : images)
        out.append(image);
    return out;
}

// GIF with one colour ramp from white to the drawing's ink, plus a transparent index 0. The animated
// drawings are one ink, in several opacities, over nothing, so every pixel is a point on that ramp.
class GifWriter
{
public:
    GifWriter(QSize size, QColor ink, int delayMs) : m_size(size), m_ink(ink), m_delay(delayMs / 10) {}

    void addFrame(const QImage &frame)
    {
        // Lay the frame on white: a pixel's distance from white towards the ink picks its ramp entry.
        QImage flat(frame.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter painter(&flat);
        painter.drawImage(0, 0, frame);
        painter.end();
        m_frames.append(flat);
    }

    QByteArray bytes() const
    {
        QByteArray out("GIF89a");
        putLe16(out, m_size.width());
        putLe16(out, m_size.height());
        out.append(char(0xF7)); // global colour table of 256 entries
        out.append(char(0));
        out.append(char(0));
        for (int i = 0; i < 256; ++i) {
            const QColor c = rampColour(i);
            out.append(char(c.red()));
            out.append(char(c.green()));
            out.append(char(c.blue()));
        }
        // Loop for ever.
        out.append("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
        for (const QImage &frame : m_frames) {
            out.append("\x21\xF9\x04", 3);
            out.append(char(0x09)); // restore to background, transparent index present
            putLe16(out, m_delay);
            out.append(char(0));
            out.append(char(0));
            out.append(char(0x2C));
            putLe16(out, 0);
            putLe16(out, 0);
            putLe16(out, m_size.width());
            putLe16(out, m_size.height());
            out.append(char(0));
            out.append(lzw(indices(frame)));
        }
        out.append(char(0x3B));
        return out;
    }

private:
    QColor rampColour(int index) const
    {
        if (index == 0)
            return QColor(Qt::white);
        const qreal t = (index - 1) / 254.0;
        return QColor(int(255 + (m_ink.red() - 255) * t), int(255 + (m_ink.green() - 255) * t),
                      int(255 + (m_ink.blue() - 255) * t));
    }

    std::vector<quint8> indices(const QImage &frame) const
    {
        std::vector<quint8> out;
        out.reserve(size_t(m_size.width()) * size_t(m_size.height()));
        const double inkDistance =
            qMax(1, (255 - m_ink.red()) + (255 - m_ink.green()) + (255 - m_ink.blue()));
        for (int y = 0; y < m_size.height(); ++y) {
            const QRgb *line = reinterpret_cast<const QRgb *>(frame.constScanLine(y));
            for (int x = 0; x < m_size.width(); ++x) {
                const QRgb pixel = line[x];
                const double t = qBound(
                    0.0, ((255 - qRed(pixel)) + (255 - qGreen(pixel)) + (255 - qBlue(pixel))) / inkDistance,
                    1.0);
                out.push_back(t < 0.06 ? 0 : quint8(1 + qRound(t * 254)));
            }
        }
        return out;
    }

    static QByteArray lzw(const std::vector<quint8> &pixels)
    {
        const int minCodeSize = 8;
        const int clearCode = 1 << minCodeSize;
        const int endCode = clearCode + 1;
        QByteArray data;
        quint32 bitBuffer = 0;
        int bitCount = 0;
        int codeSize = minCodeSize + 1;
        auto putCode = [&](int code) {
            bitBuffer |= quint32(code) << bitCount;
            bitCount += codeSize;
            while (bitCount >= 8) {
                data.append(char(bitBuffer & 0xff));
                bitBuffer >>= 8;
                bitCount -= 8;
            }
        };
        // Dictionary keyed by (prefix code << 8 | next byte).
        QHash<quint32, int> dictionary;
        int nextCode = endCode + 1;
        putCode(clearCode);
        int prefix = -1;
        for (quint8 pixel : pixels) {
            if (prefix < 0) {
                prefix = pixel;
                continue;
            }
            const quint32 key = (quint32(prefix) << 8) | pixel;
            const auto found = dictionary.constFind(key);
            if (found != dictionary.constEnd()) {
                prefix = found.value();
                continue;
            }
            putCode(prefix);
            if (nextCode < 4096) {
                dictionary.insert(key, nextCode++);
                if (nextCode > (1 << codeSize) && codeSize < 12)
                    ++codeSize;
            } else {
                putCode(clearCode);
                dictionary.clear();
                nextCode = endCode + 1;
                codeSize = minCodeSize + 1;
            }
            prefix = pixel;
        }
        if (prefix >= 0)
            putCode(prefix);
        putCode(endCode);
        if (bitCount > 0)
            data.append(char(bitBuffer & 0xff));

        QByteArray out;
        out.append(char(minCodeSize));
        for (int pos = 0; pos < data.size(); pos += 255) {
            const QByteArray block = data.mid(pos, 255);
            out.append(char(block.size()));
            out.append(block);
        }
        out.append(char(0));
        return out;
    }

    QSize m_size;
    QColor m_ink;
    int m_delay;
    QList<QImage> m_frames;
};

QColor inkOf(const QByteArray &svg)
{
    // The first fill colour of the drawing.
    const int at = svg.indexOf("fill=\"#");
    return at < 0 ? QColor(Qt::black) : QColor(QString::fromLatin1(svg.mid(at + 6, 7)));
}

struct Entry
{
    QString output;
    QString source;
    QString sizes;
    int frames = 0;
    double step = 0;
    int delay = 100;
};

bool parseEntry(const QString &line, Entry *entry)
{
    const QStringList parts = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() < 3)
        return false;
    entry->output = parts.at(0);
    entry->source = parts.at(1);
    entry->sizes = parts.at(2);
    for (int i = 3; i < parts.size(); ++i) {
        const QString key = parts.at(i).section(QLatin1Char('='), 0, 0);
        const QString value = parts.at(i).section(QLatin1Char('='), 1);
        if (key == QLatin1String("frames"))
            entry->frames = value.toInt();
        else if (key == QLatin1String("step"))
            entry->step = value.toDouble();
        else if (key == QLatin1String("delay"))
            entry->delay = value.toInt();
        else
            return false;
    }
    return true;
}

QSize parseSize(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('x'));
    const int width = parts.at(0).toInt();
    return QSize(width, parts.size() > 1 ? parts.at(1).toInt() : width);
}

QByteArray frameSource(const QByteArray &svg, const Entry &entry, int frame)
{
    QByteArray copy = svg;
    return copy.replace("@ANGLE@", QByteArray::number(frame * entry.step, 'f', 4));
}

bool writeImage(const QString &path, const QImage &image)
{
    if (image.isNull()) {
        fail(QStringLiteral("the drawing for ") + path + QStringLiteral(" does not render"));
        return false;
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (path.endsWith(QLatin1String(".jpg"))) {
        // JPEG has no transparency: lay the drawing on white.
        QImage flat(image.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter painter(&flat);
        painter.drawImage(0, 0, image);
        painter.end();
        QImageWriter writer(path, "jpeg");
        writer.setQuality(92);
        return writer.write(flat) || (fail(writer.errorString()), false);
    }
    return writeFile(path, pngBytes(image));
}

bool makeEntry(const Entry &entry, const QString &srcDir, const QString &outDir)
{
    const QByteArray svg = readFile(srcDir + QLatin1Char('/') + entry.source);
    if (svg.isEmpty())
        return false;
    const QString out = outDir + QLatin1Char('/') + entry.output;
    if (entry.output.endsWith(QLatin1String(".svg")))
        return writeFile(out, svg);
    if (entry.output.endsWith(QLatin1String(".ico"))) {
        QList<int> sizes;
        for (const QString &size : entry.sizes.split(QLatin1Char(',')))
            sizes.append(size.toInt());
        return writeFile(out, icoBytes(svg, sizes));
    }
    const QSize size = parseSize(entry.sizes);
    if (entry.frames <= 0)
        return writeImage(out, render(svg, size));
    if (entry.output.endsWith(QLatin1String(".gif"))) {
        GifWriter gif(size, inkOf(svg), entry.delay);
        for (int i = 0; i < entry.frames; ++i)
            gif.addFrame(render(frameSource(svg, entry, i), size));
        return writeFile(out, gif.bytes());
    }
    for (int i = 0; i < entry.frames; ++i) {
        if (!writeImage(out.arg(i), render(frameSource(svg, entry, i), size)))
            return false;
    }
    return true;
}

int makeImages(const QString &manifest, const QString &srcDir, const QString &outDir)
{
    const QString text = QString::fromUtf8(readFile(manifest));
    if (text.isEmpty())
        return 1;
    int lineNumber = 0;
    for (const QString &raw : text.split(QLatin1Char('\n'))) {
        ++lineNumber;
        const QString line = raw.section(QLatin1Char('#'), 0, 0).simplified();
        if (line.isEmpty())
            continue;
        Entry entry;
        if (!parseEntry(line, &entry)) {
            fail(manifest + QLatin1Char(':') + QString::number(lineNumber) +
                 QStringLiteral(": cannot read ") + line);
            return 1;
        }
        if (!makeEntry(entry, srcDir, outDir))
            return 1;
    }
    return 0;
}

// ---- sound ----

// A two-note chime (E6 then A6) with a soft attack and an exponential tail, 16-bit mono PCM.
int makeSound(const QString &out)
{
    const int rate = 22050;
    const double seconds = 0.6;
    const int samples = int(rate * seconds);
    struct Note
    {
        double start, frequency, gain;
    };
    const Note notes[] = {{0.0, 1318.5, 0.55}, {0.12, 1760.0, 0.5}};
    QByteArray pcm;
    pcm.reserve(samples * 2);
    for (int i = 0; i < samples; ++i) {
        const double t = double(i) / rate;
        double value = 0;
        for (const Note &note : notes) {
            const double local = t - note.start;
            if (local < 0)
                continue;
            const double attack = qMin(1.0, local / 0.006);
            const double envelope = attack * qExp(-local * 7.5);
            value +=
                note.gain * envelope *
                (qSin(2 * M_PI * note.frequency * local) + 0.25 * qSin(4 * M_PI * note.frequency * local));
        }
        const double fadeOut = qMin(1.0, (seconds - t) / 0.05);
        putLe16(pcm, int(qBound(-1.0, value * 0.6 * fadeOut, 1.0) * 32767) & 0xffff);
    }
    QByteArray wav("RIFF");
    putLe32(wav, quint32(36 + pcm.size()));
    wav.append("WAVEfmt ");
    putLe32(wav, 16);
    putLe16(wav, 1);
    putLe16(wav, 1);
    putLe32(wav, rate);
    putLe32(wav, rate * 2);
    putLe16(wav, 2);
    putLe16(wav, 16);
    wav.append("data");
    putLe32(wav, quint32(pcm.size()));
    wav.append(pcm);
    return writeFile(out, wav) ? 0 : 1;
}

int usage()
{
    fail(QStringLiteral("usage: resource_tool qwebchannel OUT | images MANIFEST SRCDIR OUTDIR | sound OUT"));
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    // Drawings may hold text; fonts need a GUI application, and the build has no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args.at(1) == QLatin1String("qwebchannel"))
        return copyQWebChannel(args.at(2));
    if (args.size() == 5 && args.at(1) == QLatin1String("images"))
        return makeImages(args.at(2), args.at(3), args.at(4));
    if (args.size() == 3 && args.at(1) == QLatin1String("sound"))
        return makeSound(args.at(2));
    return usage();
}
