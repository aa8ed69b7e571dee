#include "logos.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

QPixmap TavolanLogoPixmap()
{
    QPixmap pix(150, 61);
    pix.fill(Qt::black);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);

    // A round stage light throwing a beam to the right.
    QLinearGradient beam(30, 30, 150, 30);
    beam.setColorAt(0.0, QColor(255, 210, 90, 220));
    beam.setColorAt(1.0, QColor(255, 210, 90, 0));
    QPainterPath cone;
    cone.moveTo(30, 24);
    cone.lineTo(148, 4);
    cone.lineTo(148, 57);
    cone.lineTo(30, 37);
    cone.closeSubpath();
    p.fillPath(cone, beam);

    p.setPen(QPen(QColor(200, 200, 200), 2));
    p.setBrush(QColor(40, 40, 40));
    p.drawEllipse(QPointF(24, 30.5), 17, 17);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 230, 140));
    p.drawEllipse(QPointF(24, 30.5), 8, 8);

    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(22);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(128, 128, 0));
    p.drawText(QRect(48, 0, 100, 61), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("TAV"));
    return pix;
}

QPixmap TavolanBannerPixmap()
{
    QPixmap pix(245, 61);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient back(0, 0, 245, 0);
    back.setColorAt(0.0, Qt::black);
    back.setColorAt(1.0, QColor(60, 60, 20));
    p.fillRect(pix.rect(), back);

    QFont name(QStringLiteral("Arial"));
    name.setPixelSize(27);
    name.setBold(true);
    p.setFont(name);
    p.setPen(QColor(128, 128, 0));
    p.drawText(QRect(8, 2, 237, 36), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Tavolan"));

    QFont line(QStringLiteral("Arial"));
    line.setPixelSize(12);
    p.setFont(line);
    p.setPen(QColor(200, 200, 200));
    p.drawText(QRect(10, 38, 235, 20), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Show Control for the Bus"));
    return pix;
}

QIcon TavolanIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64}) {
        QPixmap pix(size, size);
        pix.fill(Qt::transparent);
        QPainter p(&pix);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(128, 128, 0));
        p.drawRoundedRect(QRectF(0, 0, size, size), size / 6.0, size / 6.0);
        QFont f(QStringLiteral("Arial"));
        f.setPixelSize(size * 3 / 4);
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QRect(0, 0, size, size), Qt::AlignCenter, QStringLiteral("T"));
        p.end();
        icon.addPixmap(pix);
    }
    return icon;
}
