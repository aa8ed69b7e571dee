#include "placedwidgets.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

QLabel* PlacedLabel(QWidget* parent, const char* name, const QString& text, const QRect& bounds, Qt::Alignment align)
{
    QLabel* label = Placed(new QLabel(text, parent), name, bounds);
    label->setAlignment(align);
    return label;
}

QLineEdit* PlacedLineEdit(QWidget* parent, const char* name, const QRect& bounds)
{
    return Placed(new QLineEdit(parent), name, bounds);
}

QPushButton* PlacedButton(QWidget* parent, const char* name, const QString& text, const QRect& bounds)
{
    QPushButton* button = Placed(new QPushButton(text, parent), name, bounds);
    button->setAutoDefault(false);
    return button;
}

QFont ArialPixels(int pixels, bool bold)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QLabel* DialogTitle(QWidget* parent, const QString& text, QPoint at)
{
    auto* title = new QLabel(text, parent);
    title->setObjectName(QStringLiteral("lblTitle"));
    title->setFont(ArialPixels(20, true));
    title->move(at);
    title->adjustSize();
    return title;
}

QLabel* ContextLabel(QWidget* parent, const char* name, const QString& text, const QRect& bounds, bool value)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(ArialPixels(13, value));
    if (value) {
        QPalette navy = label->palette();
        navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
        label->setPalette(navy);
    }
    label->setGeometry(bounds);
    return label;
}
