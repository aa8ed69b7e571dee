#include "formlayout.h"

#include "inifile.h"
#include "messages.h"
#include "settingsfiles.h"
#include "textops.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QRadioButton>
#include <QSaveFile>
#include <QStyle>
#include <QStyleOptionButton>
#include <QScreen>
#include <QTableView>
#include <QTreeView>
#include <QVariant>
#include <QWidget>

#include <climits>
#include <cmath>

namespace {

const char* const kImage = "TImage";
const char* const kLabel = "TLabel";
const char* const kPanel = "TPanel";
const char* const kShape = "TShape";
const char* const kMediaPlayer = "TWindowsMediaPlayer";

constexpr double kDesignWidth = 1024.0;
constexpr double kDesignHeight = 768.0;

// Every class a layout file may hold, with what applying does to it.
enum class Treatment { Unknown, SizeOnly, FontAndSize, LabelMove, Image };

Treatment treatmentOf(const QString& cls)
{
    if (cls == QLatin1String(kImage))
        return Treatment::Image;
    if (cls == QLatin1String(kLabel))
        return Treatment::LabelMove;
    for (const char* c : {"TRadioButton", "TBitBtn", "TCheckBox", kShape, kMediaPlayer}) {
        if (cls == QLatin1String(c))
            return Treatment::SizeOnly;
    }
    for (const char* c : {kPanel, "TEdit", "TComboBox", "TGroupBox", "TListView", "TStringGrid"}) {
        if (cls == QLatin1String(c))
            return Treatment::FontAndSize;
    }
    return Treatment::Unknown;
}

bool isInternal(const QWidget* w)
{
    // Qt names the parts of compound widgets (spin box editors, scroll area
    // viewports, ...) with a "qt_" prefix; they are not controls of the window.
    return w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_"));
}

// Controls whose children belong to them rather than to the window.
bool holdsOtherControls(const QString& cls)
{
    if (cls.isEmpty())
        return true;
    return cls == QLatin1String(kPanel) || cls == QLatin1String("TGroupBox");
}

void collect(QWidget* parent, QList<QWidget*>& out)
{
    for (QObject* child : parent->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || w->isWindow())
            continue;
        const QString cls = LayoutClassOf(w);
        if (!cls.isEmpty())
            out.append(w);
        if (holdsOtherControls(cls))
            collect(w, out);
    }
}

// The window's controls in the order they were made, parents first.
QList<QWidget*> layoutControls(QWidget* window)
{
    QList<QWidget*> out;
    collect(window, out);
    return out;
}

bool readNumber(const IniFile& ini, const QString& section, const QString& key, const char* defaultValue, int* out)
{
    qint32 n = 0;
    if (!ParseSettingsInteger(ini.read(section, key, QString::fromLatin1(defaultValue)), &n))
        return false;
    *out = n;
    return true;
}

void useArial(QWidget* w)
{
    QFont font = w->font();
    font.setFamilies({QStringLiteral("Arial")});
    w->setFont(font);
}

void prepareImage(QWidget* w)
{
    // Pictures follow the bounds they are given instead of their own size.
    if (auto* label = qobject_cast<QLabel*>(w))
        label->setScaledContents(true);
}

} // namespace

int RoundHalfToEven(double value)
{
    if (!std::isfinite(value))
        return 0;
    double whole = std::floor(value);
    const double fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0))
        whole += 1.0;
    if (whole > INT_MAX)
        return INT_MAX;
    if (whole < INT_MIN)
        return INT_MIN;
    return static_cast<int>(whole);
}

QString LayoutClassOf(const QWidget* w)
{
    if (!w || isInternal(w))
        return QString();
    const QVariant own = w->property("layoutClass");
    if (own.isValid())
        return own.toString();

    const QString name = w->objectName();
    if (name == QLatin1String("wmp"))
        return QString::fromLatin1(kMediaPlayer);
    if (auto* label = qobject_cast<const QLabel*>(w)) {
        if (!label->pixmap().isNull() || name.startsWith(QLatin1String("img")))
            return QString::fromLatin1(kImage);
        return QString::fromLatin1(kLabel);
    }
    if (qobject_cast<const QRadioButton*>(w))
        return QStringLiteral("TRadioButton");
    if (qobject_cast<const QCheckBox*>(w))
        return QStringLiteral("TCheckBox");
    if (qobject_cast<const QAbstractButton*>(w))
        return QStringLiteral("TBitBtn");
    if (qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractSpinBox*>(w))
        return QStringLiteral("TEdit");
    if (qobject_cast<const QComboBox*>(w))
        return QStringLiteral("TComboBox");
    if (qobject_cast<const QGroupBox*>(w))
        return QStringLiteral("TGroupBox");
    if (qobject_cast<const QTableView*>(w))
        return QStringLiteral("TStringGrid");
    if (qobject_cast<const QTreeView*>(w) || qobject_cast<const QListView*>(w))
        return QStringLiteral("TListView");
    // A bare frame (not one of the many classes built on QFrame) is a panel,
    // or a shape when named like one; a bare widget named as a panel is one too.
    if (w->metaObject() == &QFrame::staticMetaObject)
        return QString::fromLatin1(name.startsWith(QLatin1String("shp")) ? kShape : kPanel);
    if (w->metaObject() == &QWidget::staticMetaObject && name.startsWith(QLatin1String("pan")))
        return QString::fromLatin1(kPanel);
    return QString();
}

QString FormLayoutPath(const QWidget* window)
{
    return ProgramPath(QStringLiteral("FormsDesignPosition/") + window->objectName() + QStringLiteral(".ini"));
}

namespace {

void applyLayoutFile(QWidget* window, QSize screen)
{
    if (window->objectName().isEmpty())
        return;
    const QString path = FormLayoutPath(window);
    if (!QFileInfo(path).isFile())
        return;
    if (screen.isEmpty()) {
        const QScreen* primary = QGuiApplication::primaryScreen();
        if (!primary)
            return;
        screen = primary->size();
    }
    const double fx = screen.width() / kDesignWidth;
    const double fy = screen.height() / kDesignHeight;

    const IniFile ini(path);
    int width = 0;
    int height = 0;
    if (!readNumber(ini, "Form", "Width", "1024", &width) || !readNumber(ini, "Form", "Height", "768", &height))
        return;
    window->resize(RoundHalfToEven(width * fx), RoundHalfToEven(height * fy));

    for (QWidget* control : layoutControls(window)) {
        const QString cls = LayoutClassOf(control);
        const Treatment treatment = treatmentOf(cls);
        if (treatment == Treatment::Unknown)
            continue;
        const QString section = control->objectName();
        int left = 0, top = 0, w = 0, h = 0;
        if (!readNumber(ini, section, "left", "0", &left) || !readNumber(ini, section, "top", "0", &top)
            || !readNumber(ini, section, "width", "0", &w) || !readNumber(ini, section, "height", "0", &h))
            return; // what was applied so far stays
        const QRect bounds(RoundHalfToEven(left * fx), RoundHalfToEven(top * fy), RoundHalfToEven(w * fx),
                           RoundHalfToEven(h * fy));
        switch (treatment) {
        case Treatment::Image:
            prepareImage(control);
            control->setGeometry(bounds);
            break;
        case Treatment::LabelMove:
            useArial(control);
            control->move(bounds.topLeft());
            break;
        case Treatment::FontAndSize:
            useArial(control);
            control->setGeometry(bounds);
            break;
        case Treatment::SizeOnly:
            control->setGeometry(bounds);
            break;
        case Treatment::Unknown:
            break;
        }
    }
}

// How much wider and taller the control must be to show its whole text;
// nothing for controls without text.
QSize missingTextRoom(QWidget* control)
{
    if (auto* label = qobject_cast<QLabel*>(control)) {
        if (label->text().isEmpty() || !label->pixmap().isNull())
            return {};
        if (label->wordWrap())
            return QSize(0, label->heightForWidth(label->width()) - label->height());
        return label->sizeHint() - label->size();
    }
    auto* button = qobject_cast<QAbstractButton*>(control);
    if (!button || button->text().isEmpty())
        return {};
    // Buttons ask for more than their text needs; only the text counts.
    QStyleOptionButton option;
    option.initFrom(button);
    QStyle::SubElement part = QStyle::SE_PushButtonContents;
    if (qobject_cast<QCheckBox*>(button))
        part = QStyle::SE_CheckBoxContents;
    else if (qobject_cast<QRadioButton*>(button))
        part = QStyle::SE_RadioButtonContents;
    const QRect contents = button->style()->subElementRect(part, &option, button);
    QSize text = button->fontMetrics().size(Qt::TextShowMnemonic, button->text());
    if (!button->icon().isNull())
        text.rwidth() += button->iconSize().width() + 4;
    return text - contents.size();
}

// Qt's own parts of compound widgets, which follow their owner.
bool isQtPart(const QWidget* w)
{
    return w->objectName().startsWith(QLatin1String("qt_"));
}

bool isSibling(const QWidget* other, const QWidget* grown)
{
    return other != grown && !other->isWindow() && !isQtPart(other);
}

// Makes room for a control that grew to the right or downwards: when it
// now lies over what was beside or below it, that and everything further
// that way moves on by as much as the control grew, keeping the gaps.
void makeRoomFor(QWidget* grown, const QRect& before)
{
    const QRect now = grown->geometry();
    const QList<QWidget*> siblings = grown->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    int right = 0, down = 0;
    for (QWidget* other : siblings) {
        const QRect g = other->geometry();
        if (!isSibling(other, grown) || !g.intersects(now))
            continue;
        if (g.left() > before.right())
            right = now.right() - before.right();
        else if (g.top() > before.bottom())
            down = now.bottom() - before.bottom();
    }
    for (QWidget* other : siblings) {
        if (!isSibling(other, grown))
            continue;
        const QRect g = other->geometry();
        if (right > 0 && g.left() > before.right())
            other->move(g.x() + right, g.y());
        else if (down > 0 && g.top() > before.bottom())
            other->move(g.x(), g.y() + down);
    }
}

} // namespace

void FitControlsToText(QWidget* window)
{
    if (!window)
        return;
    for (QWidget* control : window->findChildren<QWidget*>()) {
        QWidget* parent = control->parentWidget();
        if (control->isWindow() || !parent || parent->layout() || isQtPart(control) || control->size().isEmpty())
            continue;
        const QSize more = missingTextRoom(control);
        // Text two pixels taller than its box still shows whole.
        const int taller = more.height() > 2 ? more.height() : 0;
        if (more.width() <= 0 && taller == 0)
            continue;
        const QRect before = control->geometry();
        QRect g = before.adjusted(0, 0, 0, taller);
        if (more.width() > 0) {
            const auto* label = qobject_cast<QLabel*>(control);
            const Qt::Alignment align = label ? label->alignment() : Qt::AlignLeft;
            if (align & Qt::AlignRight)
                g.adjust(-more.width(), 0, 0, 0);
            else if (align & Qt::AlignHCenter)
                g.adjust(-(more.width() / 2), 0, more.width() - more.width() / 2, 0);
            else
                g.adjust(0, 0, more.width(), 0);
            g.moveLeft(qMax(0, g.left()));
        }
        // A size fixed by the design is a minimum too.
        control->setMaximumSize(control->maximumSize().expandedTo(g.size()));
        control->setGeometry(g);
        makeRoomFor(control, before);
        for (QWidget* outer = parent;; outer = outer->parentWidget()) {
            const QRect held = outer->childrenRect();
            const int margin = outer == window ? 8 : 4;
            if (held.right() >= outer->width() || held.bottom() >= outer->height())
                outer->resize(qMax(outer->width(), held.right() + 1 + margin),
                              qMax(outer->height(), held.bottom() + 1 + margin));
            if (outer == window)
                break;
        }
    }
}

void ApplyFormLayout(QWidget* window, QSize screen)
{
    if (window)
        applyLayoutFile(window, screen);
}

bool SaveFormLayouts(const QList<QWidget*>& windows, MessagePresenter& messages)
{
    for (QWidget* window : windows) {
        if (!window || window->objectName().isEmpty())
            continue;
        QString text;
        text += QStringLiteral("FormName=%1\n").arg(window->objectName());
        text += QStringLiteral("[Form]\nWidth=%1\nHeight=%2\n").arg(window->width()).arg(window->height());
        for (QWidget* control : layoutControls(window)) {
            const QString cls = LayoutClassOf(control);
            if (treatmentOf(cls) == Treatment::Image)
                prepareImage(control);
            const QRect g = control->geometry();
            text += QStringLiteral("[%1]\nleft=%2\ntop=%3\nwidth=%4\nheight=%5\nclassname=%6\n\n")
                        .arg(control->objectName())
                        .arg(g.x())
                        .arg(g.y())
                        .arg(g.width())
                        .arg(g.height())
                        .arg(cls);
        }

        // Written aside and renamed over the old file, so a failed save
        // never leaves a window with half a layout.
        const QString path = FormLayoutPath(window);
        QSaveFile file(path);
        const QByteArray bytes = text.toUtf8();
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
            messages.error(nullptr, QStringLiteral("Cannot create file \"%1\". %2")
                                        .arg(QDir::toNativeSeparators(path), file.errorString()));
            return false;
        }
    }
    return true;
}

bool SaveFormLayouts(MessagePresenter& messages)
{
    QList<QWidget*> open;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && !w->objectName().isEmpty())
            open.append(w);
    }
    return SaveFormLayouts(open, messages);
}

void ApplyFixedFormLayout(QWidget* window)
{
    ApplyFormLayout(window);
    FitControlsToText(window);
    window->setFixedSize(window->size());
}

void CentreOnScreen(QWidget* window, const QWidget* parent)
{
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        window->move(screen->availableGeometry().center() - window->rect().center());
}
