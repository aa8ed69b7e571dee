#pragma once

#include <QList>
#include <QSize>
#include <QString>

class QWidget;

// Window layouts: one file per window, FormsDesignPosition/<window's
// objectName>.ini, holding the window's size and the bounds of its controls
// at the design resolution of 1024 x 768. Applying a layout scales every
// number to the screen.
//
// A control takes part by the kind of widget it is (a QLabel is a "TLabel",
// a QPushButton a "TBitBtn", a plain QFrame a "TPanel", ...). A widget can
// name its kind itself through the dynamic property "layoutClass".

// The class name a widget is laid out as, or empty when it takes no part.
QString LayoutClassOf(const QWidget* widget);

// The layout file of a window.
QString FormLayoutPath(const QWidget* window);

// Scales the window and its controls from its layout file. Does nothing when
// the file does not exist; stops silently at the first unreadable value,
// keeping what it applied. An empty screen size means the primary screen's.
void ApplyFormLayout(QWidget* window, QSize screen = QSize());

// Writes the layout file of each window, replacing an existing one, from the
// live controls. On a failure (for example a missing FormsDesignPosition
// folder) shows the failure's text with ShowError and returns false.
bool SaveFormLayouts(const QList<QWidget*>& windows);
// The same for every open top-level window that has a name.
bool SaveFormLayouts();

// Rounds to the nearest integer, halves to the even neighbour.
int RoundHalfToEven(double value);
