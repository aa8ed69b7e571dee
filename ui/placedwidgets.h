#pragma once

#include <QFont>
#include <QRect>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// Controls of a dialog laid out by hand: each named (the layout file finds
// it by its objectName) and put at fixed bounds.

template <typename Widget>
Widget* Placed(Widget* widget, const char* name, const QRect& bounds)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(bounds);
    return widget;
}

QLabel* PlacedLabel(QWidget* parent, const char* name, const QString& text, const QRect& bounds,
                    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter);
QLineEdit* PlacedLineEdit(QWidget* parent, const char* name, const QRect& bounds);
// A button that is never the default one: Enter in a field does not click it.
QPushButton* PlacedButton(QWidget* parent, const char* name, const QString& text, const QRect& bounds);

// Arial at the given pixel size.
QFont ArialPixels(int pixels, bool bold = false);

// The large bold heading of a commands dialog ("lblTitle"), sized to its text.
QLabel* DialogTitle(QWidget* parent, const QString& text, QPoint at);
// A caption above a commands list (the current show, time point, ...) or,
// as a value, the navy text beside it.
QLabel* ContextLabel(QWidget* parent, const char* name, const QString& text, const QRect& bounds, bool value);
