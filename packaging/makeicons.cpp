// Draws the program's icon as PNG files for the desktop's icon theme: the
// olive rounded square with a bold white "T" that the window icon shows
// (TavolanIcon() in dialogs/logos.cpp) and tavolan.svg holds. The letter is
// drawn as a shape, so no font has to be installed where this runs.
//
//   tavolan_makeicons OUTDIR SIZE...   writes OUTDIR/<S>x<S>/apps/tavolan.png

#include <QColor>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>

#include <cstdio>

namespace {

// The design on a 256 x 256 grid, as in tavolan.svg.
constexpr qreal Grid = 256;

QImage DrawIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / Grid, size / Grid);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(128, 128, 0));
    p.drawRoundedRect(QRectF(0, 0, Grid, Grid), Grid / 6, Grid / 6);
    QPainterPath letter;
    letter.addPolygon(QPolygonF({{72, 59}, {184, 59}, {184, 89}, {143, 89},
                                 {143, 197}, {113, 197}, {113, 89}, {72, 89}}));
    letter.closeSubpath();
    p.setBrush(Qt::white);
    p.drawPath(letter);
    p.end();
    return image;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUTDIR SIZE...\n", argv[0]);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i) {
        bool ok = false;
        const int size = QString::fromLatin1(argv[i]).toInt(&ok);
        if (!ok || size < 16 || size > 1024) {
            std::fprintf(stderr, "not an icon size: %s\n", argv[i]);
            return 2;
        }
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(out).arg(size);
        const QString file = dir + QStringLiteral("/tavolan.png");
        if (!QDir().mkpath(dir) || !DrawIcon(size).save(file, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
