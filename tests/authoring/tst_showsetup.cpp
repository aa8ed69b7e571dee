#include "database.h"
#include "showstore.h"
#include "fakemediaplayer.h"
#include "formlayout.h"
#include "inifile.h"
#include "recordingsnapshots.h"
#include "scriptedfilechooser.h"
#include "scriptedmessages.h"
#include "storedfixture.h"
#include "showdata.h"
#include "showsetup.h"
#include "undoactions.h"
#include "undohistory.h"

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

namespace {

QStringList column(const QVector<TTimePoint>& points)
{
    QStringList out;
    for (const TTimePoint& p : points)
        out << ShowSetupLogic::FormatTimePoint(p.SecondOfTimePoint);
    return out;
}

} // namespace

class TestShowSetup : public QObject, protected StoredDataFixture {
    Q_OBJECT

    std::unique_ptr<RecordingSequencer> bus;
    FakeMediaPlayer player;
    QStringList opened;
    std::function<bool()> dialogAction; // what a scripted dialog does; true: saved

    ShowSetupLogic::Dialogs dialogs()
    {
        ShowSetupLogic::Dialogs d;
        d.addEditShow = [this](QWidget*, int mode, const QString& id, const ShowSetupLogic::ShowNameCheck& exists) {
            opened << QStringLiteral("show %1 %2 %3").arg(mode).arg(id).arg(exists(mode, QStringLiteral("Two"), id));
            return dialogAction && dialogAction();
        };
        d.modifyTimePoint = [this](QWidget*, const QString& show, const QString& name, const QString& tp,
                                   const QString& remark) {
            opened << QStringLiteral("point %1 %2 %3 %4").arg(show, name, tp, remark);
            return dialogAction && dialogAction();
        };
        return d;
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(openStore());
        bus = std::make_unique<RecordingSequencer>();
        OpenShowIni(settings, folder->path(QStringLiteral("Database/Show.ini")));
        // Show 1 ("One", second in order) with time points at 3675 s (id 1)
        // and 0 s (id 2); show 2 ("Two", first) with one at 75 s (id 3);
        // show 3 without a Show.ini section.
        QVERIFY(AddShow(1, 2, 1, 9));
        QVERIFY(AddShow(2, 1));
        QVERIFY(AddShow(3, 3));
        WriteShowIni(settings, 1, QStringLiteral("One"), QStringLiteral("/media/one.mp4"));
        WriteShowIni(settings, 2, QStringLiteral("Two"), QStringLiteral("/media/two.mp4"));
        QVERIFY(AddTimePoint(1, 1, 3675));
        QVERIFY(AddTimePoint(1, 2, 0));
        QVERIFY(AddTimePoint(2, 3, 75));
        QVERIFY(AddShowCommand(1, 1, 1, 1, 11, QStringLiteral("0")));
        QVERIFY(AddShowCommand(1, 1, 2, 2, 12, QStringLiteral("200")));
        QVERIFY(AddShowCommand(1, 1, 3, 3, 13, QStringLiteral("0")));
        player.calls.clear();
        player.changeState(MediaPlayer::Stopped);
        player.setUrlQuietly(QString());
        opened.clear();
        dialogAction = nullptr;
    }
    void cleanup()
    {
        bus.reset();
        closeStore();
    }

    void timePointTexts()
    {
        QCOMPARE(ShowSetupLogic::FormatTimePoint(3675), QStringLiteral("1:1:15"));
        QCOMPARE(ShowSetupLogic::FormatTimePoint(75), QStringLiteral("0:1:15"));
        QCOMPARE(ShowSetupLogic::FormatTimePoint(0), QStringLiteral("0:0:0"));
    }

    void listFillsAndReselectsWithoutLoadingPanes()
    {
        ShowSetupLogic logic(player, *bus->sequencer, *boxes, settings, lookups, clipboard, dialogs());
        logic.LoadShowList(false);
        QCOMPARE(logic.shows().size(), 3);
        QCOMPARE(ShowSetupLogic::ShowRowTexts(logic.shows()[0]),
                 (QStringList{"2", "Two", "No", "N/A", "1", "/media/two.mp4"}));
        QCOMPARE(ShowSetupLogic::ShowRowTexts(logic.shows()[1]),
                 (QStringList{"1", "One", "Yes", "9", "2", "/media/one.mp4"}));
        QCOMPARE(ShowSetupLogic::ShowRowTexts(logic.shows()[2]), (QStringList{"3", "", "No", "N/A", "3", ""}));
        QCOMPARE(logic.selectedShowRow(), -1);

        logic.showClicked(1);
        QCOMPARE(logic.currentShowLabel(), QStringLiteral("One"));
        QCOMPARE(logic.timePoints().size(), 2);
        logic.LoadShowList(true);
        QCOMPARE(logic.selectedShowRow(), 1);
        QVERIFY(logic.timePoints().isEmpty());
        QCOMPARE(logic.commands().rowCount(), 0);
        QVERIFY(logic.currentShowLabel().isEmpty());

        // Names within the listed shows, exactly.
        QVERIFY(logic.ShowNameExists(1, QStringLiteral("One"), QString()));
        QVERIFY(!logic.ShowNameExists(1, QStringLiteral("one"), QString()));
        QVERIFY(!logic.ShowNameExists(2, QStringLiteral("One"), QStringLiteral("1")));
        QVERIFY(logic.ShowNameExists(2, QStringLiteral("Two"), QStringLiteral("1")));
    }

    void showClickLoadsTimePointsAndReselectsTheRememberedOne()
    {
        ShowSetupLogic logic(player, *bus->sequencer, *boxes, settings, lookups, clipboard, dialogs());
        logic.LoadShowList(false);
        logic.showClicked(-1); // the empty area
        QVERIFY(logic.CurShowID.isEmpty());

        logic.showClicked(1);
        QCOMPARE(player.url(), QStringLiteral("/media/one.mp4"));
        QCOMPARE(column(logic.timePoints()), (QStringList{"0:0:0", "1:1:15"}));
        QCOMPARE(logic.selectedTimePointRow(), -1);
        logic.timePointClicked(1);
        QCOMPARE(logic.CurTimePointID, QStringLiteral("1"));
        QCOMPARE(logic.CurTimePointText, QStringLiteral("1:1:15"));
        QCOMPARE(logic.commands().rowCount(), 3);

        // Clicking the show again finds the remembered time point and loads it.
        logic.showClicked(1);
        QCOMPARE(logic.selectedTimePointRow(), 1);
        QCOMPARE(logic.commands().rowCount(), 3);
        QCOMPARE(logic.currentTimePointLabel(), QStringLiteral("1:1:15"));

        // Another show without that time point: nothing remembered stays.
        logic.showClicked(0);
        QCOMPARE(logic.CurShowID, QStringLiteral("2"));
        QVERIFY(logic.CurTimePointID.isEmpty());
        QVERIFY(logic.CurTimePointText.isEmpty());
        QCOMPARE(logic.commands().rowCount(), 0);

        // A show without a Show.ini section gives the player no media.
        logic.showClicked(2);
        QVERIFY(player.url().isEmpty());
    }

    void previewSendsInOrderWithTheGaps()
    {
        ShowSetupLogic logic(player, *bus->sequencer, *boxes, settings, lookups, clipboard, dialogs());
        QList<bool> busy;
        logic.previewBusy = [&](bool b) { busy << b; };
        logic.LoadShowList(false);
        logic.showClicked(1);
        logic.setPreviewOn(true); // no current time point: nothing goes out
        QVERIFY(bus->sent.isEmpty());
        logic.timePointClicked(1);
        QCOMPARE(bus->devices(), (QVector<int>{11}));
        QCOMPARE(busy, QList<bool>{true});
        bus->timer->runOut();
        QCOMPARE(bus->devices(), (QVector<int>{11, 12, 13}));
        QCOMPARE(bus->sent[1].at - bus->sent[0].at, 50);
        QCOMPARE(bus->sent[2].at - bus->sent[1].at, 200);
        QCOMPARE(bus->timer->requested, (QVector<int>{50, 200, 50}));
        QCOMPARE(busy, (QList<bool>{true, false}));

        // Unchecking sends nothing; checking again sends the current one.
        logic.setPreviewOn(false);
        logic.timePointClicked(1);
        QCOMPARE(bus->sent.size(), 3);
        logic.setPreviewOn(true);
        bus->timer->runOut();
        QCOMPARE(bus->sent.size(), 6);
    }

    void captureTruncatesAndRefusesDuplicatesAndNoMedia()
    {
        ShowSetupLogic logic(player, *bus->sequencer, *boxes, settings, lookups, clipboard, dialogs());
        logic.LoadShowList(false);
        QVERIFY(!logic.captureTimePoint());
        QCOMPARE(boxes->texts(), QStringList{QStringLiteral("Please select show first!")});

        logic.showClicked(0); // show 2 starts playing
        QCOMPARE(player.playState(), int(MediaPlayer::Playing));
        player.playTo(75.9);
        QVERIFY(!logic.captureTimePoint()); // 75 exists: only pauses
        QCOMPARE(player.playState(), int(MediaPlayer::Paused));
        QCOMPARE(logic.timePoints().size(), 1);

        player.play();
        player.playTo(3675.9);
        QVERIFY(logic.captureTimePoint());
        QCOMPARE(player.playState(), int(MediaPlayer::Paused));
        QCOMPARE(column(logic.timePoints()), (QStringList{"0:1:15", "1:1:15"}));
        QCOMPARE(logic.CurTimePointID, QStringLiteral("4")); // next of the show's ids
        QCOMPARE(logic.selectedTimePointRow(), 1);
        QCOMPARE(logic.currentTimePointLabel(), QStringLiteral("1:1:15"));
        QVERIFY(logic.storedDataChanged());
        QVERIFY(!logic.captureTimePoint()); // paused at the same second
        QCOMPARE(SelectedCount(QStringLiteral("select count(*) from TimePoint where ShowID=2")), 2);

        player.stop();
        player.playTo(10);
        QVERIFY(!logic.captureTimePoint());
        player.setUrlQuietly(QString());
        player.setStateQuietly(MediaPlayer::Paused);
        QVERIFY(!logic.captureTimePoint());
        QCOMPARE(SelectedCount(QStringLiteral("select count(*) from TimePoint where ShowID=2")), 2);
        QCOMPARE(boxes->shown.size(), 1);
    }

    void captureStoresTheSecondThePlayerShows()
    {
        auto* fake = new FakeMediaPlayer;
        fake->pauseRunsOn = 0.1; // the next frame stays on screen
        ShowSettingsWindow window(nullptr, *bus->sequencer, *boxes, settings, lookups, clipboard, dialogs(), fake);
        window.logic().showClicked(1);
        auto* label = window.findChild<QLabel*>(QStringLiteral("lblCurTimePoint"));
        for (const auto& [playedTo, lag, second] : {std::tuple{5.95, 0.0, 5}, {6.1, 2.05, 4}, {9.98, 0.5, 9}}) {
            fake->reportLag = lag;
            fake->play();
            fake->playTo(playedTo);
            window.findChild<QPushButton*>(QStringLiteral("bitbtnPauseAndAddTimePoint"))->click();
            QCOMPARE(SelectedCount(QStringLiteral("select count(*) from TimePoint where ShowID=1 and "
                                                  "SecondOfTimePoint=%1").arg(second)), 1);
            QCOMPARE(label->text(), ShowSetupLogic::FormatTimePoint(second));
            // The player's time display and its picture are on that second.
            QCOMPARE(int(fake->currentPosition()), second);
            QCOMPARE(int(fake->picture()), second);
        }
    }

    void deletingTimePointsAndShowsForgetsThem()
    {
        ShowSetupLogic logic(player, *bus->sequencer, *boxes, settings, lookups, clipboard, dialogs());
        // A snapshot is asked for before each delete, with the rows still there.
        RecordingSnapshots snapshots([] {
            return QString::number(SelectedCount(QStringLiteral("select count(*) from TimePoint where ShowID=1")));
        });
        logic.setSnapshots(&snapshots);
        logic.LoadShowList(false);
        logic.showClicked(1);
        QVERIFY(!logic.deleteTimePoint());
        QCOMPARE(boxes->texts().last(), QStringLiteral("Please select the time point that you want to delete!"));
        logic.timePointClicked(1);
        boxes->answerNext(MessageAnswer::Yes);
        QVERIFY(logic.deleteTimePoint());
        QCOMPARE(boxes->texts().last(), QStringLiteral("The commands of current time point will be delete too,\r\n"
                                                       "are you sure you want to delete current point (1:1:15)?"));
        QCOMPARE(SelectedCount(QStringLiteral("select count(*) from CommandsForShow where ShowID=1")), 0);
        QCOMPARE(snapshots.asked, QStringList{"2"});
        QCOMPARE(column(logic.timePoints()), QStringList{"0:0:0"});
        QVERIFY(logic.CurTimePointID.isEmpty());
        QCOMPARE(logic.selectedTimePointRow(), -1);
        clipboard.commands = {TControlObject{}};
        QVERIFY(!logic.commands().paste()); // nothing addresses the deleted one
        QCOMPARE(SelectedCount(QStringLiteral("select count(*) from CommandsForShow")), 0);

        // A show whose deletion fails stays whole, and the operator is told.
        QVERIFY(RunSql(QStringLiteral("create trigger keep before delete on Show when old.ShowID=1 "
                                      "begin select raise(abort,'kept'); end")));
        boxes->answerNext(MessageAnswer::Yes);
        QVERIFY(!logic.deleteShow());
        QCOMPARE(boxes->shown.last().kind, ScriptedMessages::Shown::Error);
        QCOMPARE(SelectedCount(QStringLiteral("select count(*) from TimePoint where ShowID=1")), 1);
        QVERIFY(RunSql(QStringLiteral("drop trigger keep")));

        boxes->answerNext(MessageAnswer::Yes);
        QVERIFY(logic.deleteShow());
        QCOMPARE(snapshots.asked, (QStringList{"2", "1", "1"})); // the failed delete asked too
        QVERIFY(boxes->texts().last().endsWith(QStringLiteral("delete show (One)?")));
        QCOMPARE(SelectedCount(QStringLiteral("select count(*) from Show where ShowID=1")), 0);
        QCOMPARE(SelectedCount(QStringLiteral("select count(*) from TimePoint where ShowID=1")), 0);
        QVERIFY(player.url().isEmpty());
        QVERIFY(player.calls.contains(QStringLiteral("stop")));
        QVERIFY(logic.CurShowID.isEmpty());
        QCOMPARE(logic.selectedShowRow(), -1);
        QCOMPARE(logic.shows().size(), 2);
        QVERIFY(!logic.captureTimePoint());
        QVERIFY(!logic.deleteShow());
        QCOMPARE(boxes->texts().last(), QStringLiteral("Please select show that you want to delete!"));
    }

    void dialogsReloadAfterSaving()
    {
        ShowSetupLogic logic(player, *bus->sequencer, *boxes, settings, lookups, clipboard, dialogs());
        logic.LoadShowList(false);
        QVERIFY(!logic.editShow());
        QCOMPARE(boxes->texts().last(), QStringLiteral("Please select show that you want to edit!"));
        logic.showClicked(1);
        logic.timePointClicked(1);
        // Adding a show: the current show is highlighted again, panes stay empty.
        dialogAction = [this] {
            ShowStore::ShowFields f;
            f.SequenceNo = 0;
            f.Name = QStringLiteral("New");
            return bool(ShowStore::AddShow(settings, f));
        };
        QVERIFY(logic.addShow());
        QCOMPARE(player.playState(), int(MediaPlayer::Paused));
        QCOMPARE(logic.shows().size(), 4);
        QCOMPARE(logic.selectedShowRow(), 2);
        QVERIFY(logic.timePoints().isEmpty());
        QVERIFY(logic.storedDataChanged());

        // Editing the time point: the reload shows what was saved.
        logic.showClicked(2);
        dialogAction = [] { return bool(ShowStore::UpdateTimePoint(1, 1, 5, QStringLiteral("moved"))); };
        QVERIFY(logic.editTimePoint());
        QCOMPARE(logic.selectedTimePointRow(), 1);
        QCOMPARE(logic.CurTimePointRemark, QStringLiteral("moved"));
        QCOMPARE(logic.CurTimePointText, QStringLiteral("0:0:5"));
        QCOMPARE(logic.commands().rowCount(), 0);
        dialogAction = nullptr;
        QVERIFY(!logic.editShow());
        QCOMPARE(opened, (QStringList{"show 1  1", "point 1 One 1 ", "show 2 1 1"}));
    }

    void exportedShowComesBackAsANewShow()
    {
        ScriptedFileChooser chooser;
        ShowSetupLogic::Dialogs d = dialogs();
        d.files = &chooser;
        d.writableSettings = &settings;
        ShowSetupLogic logic(player, *bus->sequencer, *boxes, settings, lookups, clipboard, std::move(d));
        RecordingSnapshots snapshots([] { return QString::number(SelectedCount(QStringLiteral("select count(*) from Show"))); });
        logic.setSnapshots(&snapshots);
        logic.LoadShowList(false);
        logic.showClicked(1); // "One"
        const QString path = folder->path(QStringLiteral("one"));
        chooser.answerNext(path);
        QVERIFY(logic.exportShow()); // its media file does not exist: nothing to ask
        QVERIFY(QFileInfo::exists(path + QStringLiteral(".tavshow")));

        chooser.answerNext(path + QStringLiteral(".tavshow"));
        boxes->answerNext(MessageAnswer::Yes);
        QVERIFY(logic.importShow());
        QCOMPARE(snapshots.asked, QStringList{"3"}); // taken before the import wrote
        QVERIFY(boxes->texts().last().contains(QStringLiteral("A show named \"One\" exists already")));
        QCOMPARE(logic.CurShowName, QStringLiteral("One (2)"));
        QCOMPARE(logic.timePoints().size(), 2);
        QCOMPARE(SelectedCount(QStringLiteral("select count(*) from CommandsForShow where ShowID=4")), 3);
        QVERIFY(logic.storedDataChanged());

        chooser.answerNext(QString()); // cancelled: nothing asked, nothing written
        QVERIFY(!logic.importShow());
        QCOMPARE(SelectedCount(QStringLiteral("select count(*) from Show")), 4);
    }

    // Deletes undone and redone from the keyboard: the rows come back with
    // their IDs, the lists follow, the popup menus name the steps; a refused
    // undo is told and kept.
    void undoAndRedoFromTheWindow()
    {
        UndoHistory history(settings);
        ShowSettingsWindow window(nullptr, *bus->sequencer, *boxes, settings, lookups, clipboard, dialogs(),
                                  new FakeMediaPlayer);
        window.setHistory(&history);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        ShowSetupLogic& logic = window.logic();
        logic.showClicked(1); // "One"
        logic.timePointClicked(1);
        boxes->answerNext(MessageAnswer::Yes);
        QVERIFY(logic.deleteTimePoint());
        boxes->answerNext(MessageAnswer::Yes);
        QVERIFY(logic.deleteShow());
        QCOMPARE(window.popmenuShow->actions().first()->text(), QStringLiteral("Undo Delete Show (One)"));
        QCOMPARE(window.popmenuCMD->actions().at(1)->isEnabled(), false); // nothing to redo

        QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(logic.shows().size(), 3);
        QCOMPARE(SelectedCount(QStringLiteral("select count(*) from TimePoint where ShowID=1")), 1);
        QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(SelectedCount(QStringLiteral("select count(*) from CommandsForShow where ShowID=1 and TimePointID=1")), 3);
        QCOMPARE(window.popmenuTimePoint->actions().at(1)->text(), QStringLiteral("Redo Delete Time Point (1:1:15)"));
        logic.showClicked(1);
        QCOMPARE(window.lsvTimePoint->topLevelItemCount(), 2);

        QTest::keyClick(&window, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(SelectedCount(QStringLiteral("select count(*) from TimePoint where ShowID=1")), 1);
        QCOMPARE(window.lsvTimePoint->topLevelItemCount(), 1);
        QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(logic.shows().size(), 2);
        QVERIFY(logic.CurShowID.isEmpty());

        QVERIFY(RunSql(QStringLiteral("create trigger keep before insert on Show begin select raise(abort,'kept'); end")));
        QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(boxes->shown.last().kind, ScriptedMessages::Shown::Error);
        QVERIFY(boxes->texts().last().contains(QStringLiteral("kept")));
        QCOMPARE(history.undoText(), QStringLiteral("Delete Show (One)"));
        QCOMPARE(logic.shows().size(), 2);
    }

    void windowRendersAndForwards()
    {
        auto* fake = new FakeMediaPlayer;
        ShowSettingsWindow window(nullptr, *bus->sequencer, *boxes, settings, lookups, clipboard, dialogs(), fake);
        window.resize(1200, 900);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* shows = window.findChild<QTreeWidget*>(QStringLiteral("lsvShow"));
        auto* points = window.findChild<QTreeWidget*>(QStringLiteral("lsvTimePoint"));
        auto* commands = window.findChild<QTreeWidget*>(QStringLiteral("lsvCommands"));
        QVERIFY(shows && points && commands);
        QCOMPARE(shows->topLevelItemCount(), 3);
        // The URL column takes what is left of the width, and no more.
        QCOMPARE(shows->header()->length(), shows->viewport()->width());
        QCOMPARE(commands->header()->length(), commands->viewport()->width());
        QVERIFY(shows->columnWidth(5) > shows->columnWidth(1));

        QTest::mouseClick(shows->viewport(), Qt::LeftButton, {},
                          QPoint(20, shows->visualItemRect(shows->topLevelItem(1)).center().y()));
        QCOMPARE(window.logic().CurShowID, QStringLiteral("1"));
        QCOMPARE(points->topLevelItemCount(), 2);
        QCOMPARE(window.findChild<QLabel*>(QStringLiteral("lblCurShow"))->text(), QStringLiteral("One"));

        // Down moves to the 1:1:15 row and loads it.
        points->setFocus();
        points->setCurrentItem(points->topLevelItem(0));
        QTest::keyClick(points, Qt::Key_Down);
        QCOMPARE(window.logic().CurTimePointID, QStringLiteral("1"));
        QCOMPARE(commands->topLevelItemCount(), 3);
        QCOMPARE(window.findChild<QLabel*>(QStringLiteral("lblTotalCMD"))->text(), QStringLiteral("3"));

        // A check click reaches the operations; copy turns its caption green.
        commands->topLevelItem(1)->setCheckState(0, Qt::Checked);
        QCOMPARE(window.logic().commands().checkedCommandIds(), QList<int>{2});
        auto* copy = window.findChild<QPushButton*>(QStringLiteral("bitbtnCopySelectedCMD"));
        copy->click();
        QCOMPARE(clipboard.commands.size(), 1);
        QCOMPARE(copy->palette().color(QPalette::ButtonText), QColor(0, 128, 0));
        window.findChild<QPushButton*>(QStringLiteral("bitbtnPasteCMD"))->click();
        QCOMPARE(commands->topLevelItemCount(), 4);

        // The preview check box sends through the sequencer.
        window.findChild<QCheckBox*>(QStringLiteral("chkOnsiteOutput"))->click();
        QCOMPARE(bus->sent.size(), 1);
        bus->timer->runOut();

        // Escape, meant for a drop-down, leaves the window and its player be.
        QTest::keyClick(points, Qt::Key_Escape);
        QVERIFY(window.isVisible());
        QVERIFY(!fake->calls.contains(QStringLiteral("release")));

        window.close();
        QVERIFY(fake->calls.contains(QStringLiteral("stop")));
        QVERIFY(fake->calls.contains(QStringLiteral("release")));
    }
};

QTEST_MAIN(TestShowSetup)
#include "tst_showsetup.moc"
