#include "about.h"
#include "backupservice.h"
#include "addcommandsdialog.h"
#include "addeditshow.h"
#include "addressdialog.h"
#include "addresssettings.h"
#include "busmonitorwindow.h"
#include "commandeditordialog.h"
#include "edittimepointdialog.h"
#include "fakemediaplayer.h"
#include "firingsettings.h"
#include "loopbackbuslink.h"
#include "mainwindow.h"
#include "manualpacingtimer.h"
#include "playsetupwindow.h"
#include "programsession.h"
#include "remotecontroldialog.h"
#include "restorebackupdialog.h"
#include "scriptedfilechooser.h"
#include "showdata.h"
#include "showsetup.h"
#include "storedfixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QScreen>
#include <QStyleOptionButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

// Every window of the program, opened at its default size on a screen and
// with the fonts of the machine, under one of the display settings an
// operator may have (chosen by TAVOLAN_FIT_SETTING, see main() below):
// each caption, check box, radio button, button, group title and list
// header must have the room its text needs, every list column must be
// reachable without scrolling, and on a 1024 x 768 screen every window
// must fit, frame and a desktop panel included.

namespace {

// What a window manager adds around a window, at most, and what a
// desktop panel takes off the screen's height.
constexpr int kFrameWidth = 8;
constexpr int kFrameHeight = 32;
constexpr int kPanelHeight = 32;

QString nameOf(const QWidget* w)
{
    QString name = w->objectName();
    if (name.isEmpty())
        name = QString::fromLatin1(w->metaObject()->className());
    if (const QWidget* p = w->parentWidget(); p && !p->isWindow())
        return nameOf(p) + QLatin1Char('/') + name;
    return name;
}

// The part of the widget its ancestors let be seen, in its own coordinates.
QRect seenRect(const QWidget* w)
{
    QRect seen = w->rect();
    QPoint offset;
    for (const QWidget* p = w; !p->isWindow(); p = p->parentWidget()) {
        offset += p->pos();
        seen &= p->parentWidget()->rect().translated(-offset);
    }
    return seen;
}

QSize textSize(const QFont& font, const QString& text, int flags = Qt::TextShowMnemonic)
{
    return QFontMetrics(font).size(flags, text);
}

// Adds the text to the list when it needs more room than it has.
void checkRoom(const QWidget* w, const QString& text, QSize need, QSize room, QStringList& cut)
{
    if (need.width() > room.width() || need.height() > room.height() + 2)
        cut << QStringLiteral("%1 \"%2\" needs %3x%4, has %5x%6")
                   .arg(nameOf(w), text)
                   .arg(need.width())
                   .arg(need.height())
                   .arg(room.width())
                   .arg(room.height());
}

void checkLabel(const QLabel* label, QStringList& cut)
{
    if (label->text().isEmpty() || !label->pixmap().isNull())
        return;
    const QRect room = label->contentsRect() & seenRect(label);
    QSize need;
    if (label->wordWrap()) {
        need = QSize(0, label->heightForWidth(label->width()));
    } else {
        need = label->textFormat() == Qt::RichText ? label->sizeHint() : textSize(label->font(), label->text());
        need.rwidth() += 2 * label->margin() + qMax(label->indent(), 0);
    }
    checkRoom(label, label->text(), need, room.size(), cut);
}

void checkButton(QAbstractButton* button, QStringList& cut)
{
    if (button->text().isEmpty())
        return;
    QStyleOptionButton option;
    option.initFrom(button);
    QStyle::SubElement contents = QStyle::SE_PushButtonContents;
    if (qobject_cast<QCheckBox*>(button))
        contents = QStyle::SE_CheckBoxContents;
    else if (qobject_cast<QRadioButton*>(button))
        contents = QStyle::SE_RadioButtonContents;
    else if (!qobject_cast<QPushButton*>(button))
        return;
    const QRect room = button->style()->subElementRect(contents, &option, button) & seenRect(button);
    QSize need = textSize(button->font(), button->text());
    if (!button->icon().isNull())
        need.rwidth() += button->iconSize().width() + 4;
    checkRoom(button, button->text(), need, room.size(), cut);
}

void checkGroupTitle(const QGroupBox* box, QStringList& cut)
{
    const int need = textSize(box->font(), box->title()).width() + 16;
    if (!box->title().isEmpty() && need > seenRect(box).width())
        cut << QStringLiteral("%1 \"%2\" needs %3, has %4").arg(nameOf(box), box->title()).arg(need).arg(box->width());
}

// Each visible column's heading (bold when its column is highlighted) must
// fit its section, on one line or, where the header wraps, within the
// header's height; and each section must lie within the list's width.
void checkHeader(const QHeaderView* header, QStringList& cut)
{
    if (header->isHidden() || header->orientation() != Qt::Horizontal)
        return;
    const auto* view = qobject_cast<const QAbstractItemView*>(header->parentWidget());
    if (!view || !view->model())
        return;
    QFont font = header->font();
    font.setBold(header->highlightSections());
    const QFontMetrics metrics(font);
    const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    const bool wraps = int(header->defaultAlignment()) & Qt::TextWordWrap;
    const int room = view->viewport()->width();
    for (int logical = 0; logical < header->count(); ++logical) {
        if (header->isSectionHidden(logical))
            continue;
        const QString text = view->model()->headerData(logical, Qt::Horizontal).toString();
        const int size = header->sectionSize(logical);
        const QRect label(0, 0, size - 2 * margin, header->height() - 2 * margin);
        const QRect need = metrics.boundingRect(QRect(0, 0, wraps ? label.width() : 100000, 100000),
                                                wraps ? int(Qt::TextWordWrap) : 0, text);
        checkRoom(view, QStringLiteral("column ") + text, need.size(), label.size(), cut);
        const int right = header->sectionViewportPosition(logical) + size;
        if (right > room)
            cut << QStringLiteral("%1 column \"%2\" ends at %3, beyond the list's %4").arg(nameOf(view), text).arg(right).arg(room);
    }
}

// A text control placed by hand must not lie over another control beside it.
void checkOverlap(const QWidget* control, QStringList& cut)
{
    const QWidget* parent = control->parentWidget();
    if (!parent || parent->layout())
        return;
    for (const QWidget* other : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (other != control && other->isVisibleTo(parent) && !other->objectName().startsWith(QLatin1String("qt_")) &&
            other->geometry().intersects(control->geometry()))
            cut << QStringLiteral("%1 lies over %2").arg(nameOf(control), nameOf(other));
    }
}

QStringList cutOffTexts(QWidget* window)
{
    QStringList cut;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window) || w->window() != window || w->objectName().startsWith(QLatin1String("qt_")))
            continue;
        if (qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w))
            checkOverlap(w, cut);
        if (auto* label = qobject_cast<QLabel*>(w))
            checkLabel(label, cut);
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            checkButton(button, cut);
        else if (auto* box = qobject_cast<QGroupBox*>(w))
            checkGroupTitle(box, cut);
        else if (auto* header = qobject_cast<QHeaderView*>(w))
            checkHeader(header, cut);
    }
    return cut;
}

bool onA1024x768Screen()
{
    return QGuiApplication::primaryScreen()->size() == QSize(1024, 768);
}

} // namespace

class TestWindowFit : public QObject, private StoredDataFixture {
    Q_OBJECT

    std::unique_ptr<RecordingSequencer> m_bus;
    LoopbackBusLink m_link;
    ScriptedFileChooser m_files;

    // Opens the window at its default size (maximised windows as the
    // program opens them) and checks it.
    void check(QWidget& window, bool maximised = false)
    {
        if (maximised)
            window.setWindowState(Qt::WindowMaximized);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCoreApplication::processEvents();
        const QStringList cut = cutOffTexts(&window);
        QVERIFY2(cut.isEmpty(), qPrintable(window.objectName() + QStringLiteral(":\n  ") + cut.join(QStringLiteral("\n  "))));
        if (onA1024x768Screen()) {
            const QSize room(1024 - kFrameWidth, 768 - kFrameHeight - kPanelHeight);
            const QSize size = maximised ? window.minimumSizeHint() : window.size();
            QVERIFY2(size.width() <= room.width() && size.height() <= room.height(),
                     qPrintable(QStringLiteral("%1 is %2x%3").arg(window.objectName()).arg(size.width()).arg(size.height())));
        }
    }

    ShowSetupLogic::Dialogs noDialogs() { return {}; }

    NamedCommandList showList(int show, int timePoint)
    {
        return {ShowStore::CommandTarget::timePoint(show, timePoint), QStringLiteral("Sunrise over the fountain"),
                QStringLiteral("0:1:15")};
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(openStore());
        QVERIFY(LoadLanguageAndLookups(settings, lookups, *folder));
        OpenShowIni(settings, folder->path(QStringLiteral("Database/Show.ini")));
        m_bus = std::make_unique<RecordingSequencer>();
        // A show with a long name and a time point holding a command of
        // every kind.
        QVERIFY(AddShow(1, 1, 1, 12));
        WriteShowIni(settings, 1, QStringLiteral("Sunrise over the fountain"), QStringLiteral("/srv/shows/sunrise.mp4"));
        QVERIFY(AddTimePoint(1, 1, 75));
        for (int kind = 0; kind <= 12; ++kind)
            QVERIFY(AddShowCommand(1, 1, kind + 1, kind + 1, 200 + kind, QStringLiteral("1000"), kind));
        for (const char* set : {"CommandsForPlay", "CommandsForPause", "CommandsForStop"})
            QVERIFY(AddSetCommand(QString::fromLatin1(set), 1, 1, 250));
    }
    void cleanup()
    {
        m_bus.reset();
        closeStore();
    }

    void aboutBox()
    {
        AboutBox about([](const QUrl&) { return false; });
        check(about);
    }

    void addressDialog()
    {
        AddressDialog dialog(nullptr, AddressSettings(*boxes, settings, m_link));
        check(dialog);
    }

    void firingSettings()
    {
        FiringSettingsDialog dialog(*boxes, settings);
        check(dialog);
    }

    void remoteControl()
    {
        RemoteControlDialog dialog(*boxes, settings, QStringLiteral("192.168.100.200"));
        check(dialog);
    }

    void restoreBackup()
    {
        // Two snapshots of the shows, listed with their time, shows and size.
        BackupService backups(BackupPaths::InFolder(folder->path(QStringLiteral("Database"))));
        QSignalSpy idle(&backups, &BackupService::idle);
        backups.snapshotNow();
        backups.snapshotNow();
        QVERIFY(idle.wait(10000));
        QTRY_COMPARE(backups.snapshots().size(), 2);
        RestoreBackupDialog dialog(*boxes, backups);
        QCOMPARE(dialog.lstBackups->topLevelItemCount(), 2);
        QCOMPARE(dialog.lstBackups->topLevelItem(0)->text(1), QStringLiteral("1"));
        check(dialog);
    }

    void addEditShow()
    {
        const auto noClash = [](int, const QString&, const QString&) { return false; };
        AddEditShowDialog add(nullptr, *boxes, m_files, settings, 0, QString(), noClash);
        check(add);
        AddEditShowDialog edit(nullptr, *boxes, m_files, settings, 1, QStringLiteral("1"), noClash);
        check(edit);
    }

    void editTimePoint()
    {
        EditTimePointDialog dialog(nullptr, *boxes, QStringLiteral("1"), QStringLiteral("Sunrise over the fountain"),
                                   QStringLiteral("1"), QStringLiteral("Doors open"));
        check(dialog);
    }

    void addCommands()
    {
        AddCommandsDialog dialog(*boxes);
        dialog.PrepareAddCommands(showList(1, 1));
        check(dialog);
    }

    void commandEditorOnEveryKind()
    {
        CommandEditorDialog window(*boxes, settings, lookups);
        QList<int> all;
        for (int id = 1; id <= 13; ++id)
            all << id;
        window.LoadCheckedCommands(showList(1, 1), all);
        check(window);
        // The captions above the grid follow the selected row's kind.
        for (int row = 0; row < window.strgrd->rowCount(); ++row) {
            window.strgrd->setCurrentCell(row, 1);
            QCoreApplication::processEvents();
            const QStringList cut = cutOffTexts(&window);
            QVERIFY2(cut.isEmpty(), qPrintable(QStringLiteral("row %1:\n  ").arg(row) + cut.join(QStringLiteral("\n  "))));
        }
    }

    void showSettings()
    {
        ShowSettingsWindow window(nullptr, *m_bus->sequencer, *boxes, settings, lookups, clipboard, noDialogs(),
                                  new FakeMediaPlayer);
        window.logic().showClicked(0);
        window.logic().timePointClicked(0);
        check(window, true);
    }

    void playSettings()
    {
        PlaySettingsWindow window(*m_bus->sequencer, *boxes, settings, lookups, clipboard, {});
        check(window);
    }

    void busMonitor()
    {
        BusMonitorWindow window(m_link, *boxes, m_files, settings, lookups);
        check(window);
    }

    void mainWindow()
    {
        closeStore(); // the session opens the database itself
        TestProgramFolder folder;
        auto player = std::make_unique<FakeMediaPlayer>();
        ScriptedMessages messages;
        ProgramSessionDependencies deps;
        deps.player = player.get();
        deps.pacingTimer = std::make_unique<ManualPacingTimer>();
        deps.sender = [](quint8, quint8, quint8, quint16, quint16, quint16) {};
        deps.hostAddresses = [] { return QStringList{QStringLiteral("127.0.0.1")}; };
        deps.busLink = std::make_unique<LoopbackBusLink>();
        deps.messages = &messages;
        ProgramSession session(std::move(deps));
        MainWindowDependencies windowDeps;
        windowDeps.trayAvailable = false;
        windowDeps.showWindow = false;
        windowDeps.messages = &messages;
        MainWindow window(session, windowDeps);
        QVERIFY(window.FormCreate());
        check(window, true);
        session.end();
    }
};

// The display setting to check under, set before the application starts:
//   (unset)     a 1024 x 768 screen at 96 dpi
//   fontdpi120  a 1280 x 1024 screen with QT_FONT_DPI=120
//   scale150    a 1920 x 1080 screen with QT_SCALE_FACTOR=1.5
int main(int argc, char** argv)
{
    const QByteArray setting = qgetenv("TAVOLAN_FIT_SETTING");
    QSize screen(1024, 768);
    if (setting == "fontdpi120") {
        screen = QSize(1280, 1024);
        qputenv("QT_FONT_DPI", "120");
    } else if (setting == "scale150") {
        screen = QSize(1920, 1080);
        qputenv("QT_SCALE_FACTOR", "1.5");
    } else if (!setting.isEmpty()) {
        qCritical("unknown TAVOLAN_FIT_SETTING %s", setting.constData());
        return 2;
    }
    QTemporaryDir dir;
    QFile config(dir.filePath(QStringLiteral("screen.json")));
    if (!dir.isValid() || !config.open(QIODevice::WriteOnly))
        return 2;
    config.write(QStringLiteral(R"({"screens":[{"name":"fit","x":0,"y":0,"width":%1,"height":%2,)"
                                R"("logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})")
                     .arg(screen.width())
                     .arg(screen.height())
                     .toUtf8());
    config.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toLocal8Bit());

    QApplication app(argc, argv);
    if (setting == "fontdpi120") {
        // Qt scales the whole window with the font's dpi; a desktop whose
        // font is set larger makes the text alone larger.
        QFont font = QApplication::font();
        font.setPointSizeF(font.pointSizeF() * 120 / 96);
        QApplication::setFont(font);
    }
    TestWindowFit test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_windowfit.moc"
