#pragma once

#include <QList>
#include <QSize>
#include <QString>
#include <Qt>

class MessagePresenter;
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

// Grows each control placed by hand (not by a Qt layout) whose text needs
// more room than it has, with the fonts in use, until the text shows whole:
// downwards, and wider towards the side its text is aligned away from. What
// lies beside or below it moves aside, and its containers, up to the
// window, grow to hold it. The sizes a window was given stay the minimum;
// a control of no size stays so.
void FitControlsToText(QWidget* window);

// The frame of a dialog of fixed size: a title bar with the system menu and
// a close button.
inline constexpr Qt::WindowFlags FixedDialogFlags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint |
                                                   Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

// Applies the window's layout file and makes room for the text of its
// controls (see FitControlsToText), then fixes the window's size. The file
// may scale the window to the screen; only then is its size fixed, or the
// scaling would be refused.
void ApplyFixedFormLayout(QWidget* window);

// Moves the window to the middle of its parent's screen (the primary screen
// when there is no parent).
void CentreOnScreen(QWidget* window, const QWidget* parent);

// Writes the layout file of each window, replacing an existing one, from the
// live controls. On a failure (for example a missing FormsDesignPosition
// folder) shows the failure's text as an error and returns false.
bool SaveFormLayouts(const QList<QWidget*>& windows, MessagePresenter& messages);
// The same for every open top-level window that has a name.
bool SaveFormLayouts(MessagePresenter& messages);

// Rounds to the nearest integer, halves to the even neighbour.
int RoundHalfToEven(double value);
