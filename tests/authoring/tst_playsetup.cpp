#include "commandlistops.h"
#include "database.h"
#include "playsetupwindow.h"
#include "scriptedfilechooser.h"
#include "scriptedmessages.h"
#include "storedfixture.h"
#include "showdata.h"
#include "undohistory.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QtTest>

namespace {

// CommandID:SequenceNo:DeviceID of each stored command, by CommandID.
QStringList stored(const QString& table, const QString& condition = QString())
{
    QStringList out;
    QSqlQuery q = StandaloneQuery();
    q.exec(QStringLiteral("select CommandID,SequenceNo,DeviceID from %1 %2 order by CommandID").arg(table, condition));
    while (q.next())
        out << QStringLiteral("%1:%2:%3").arg(q.value(0).toInt()).arg(q.value(1).toInt()).arg(q.value(2).toInt());
    return out;
}

QStringList captions(const QTreeWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        out << list->topLevelItem(i)->text(0);
    return out;
}

} // namespace

// The play/pause/stop settings window: which set it lists, what its on-site
// preview puts on the bus (on a sequencer with a hand-stepped clock), and
// that commands travel between it and a time point through the clipboard.
class TestPlaySetup : public QObject, protected StoredDataFixture {
    Q_OBJECT

    std::unique_ptr<RecordingSequencer> bus;
    QStringList opened; // dialogs the window opened

    CommandListOperations::Dialogs dialogs()
    {
        CommandListOperations::Dialogs d;
        d.addCommands = [this](QWidget*, const NamedCommandList& list) {
            opened << QStringLiteral("add %1").arg(list.target.setCode);
            return false;
        };
        d.modifyCommands = [this](QWidget*, const NamedCommandList& list, const QList<int>& checked) {
            QStringList ids;
            for (int id : checked)
                ids << QString::number(id);
            opened << QStringLiteral("edit %1 %2 [%3]")
                          .arg(list.target.setCode)
                          .arg(checked.size())
                          .arg(ids.join(','));
            return false;
        };
        return d;
    }

    std::unique_ptr<PlaySettingsWindow> openWindow()
    {
        return std::make_unique<PlaySettingsWindow>(*bus->sequencer, *boxes, settings, lookups, clipboard, dialogs());
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(openStore());
        bus = std::make_unique<RecordingSequencer>();
        opened.clear();
        // Play: devices 21, 22. Pause: 33 (sequence 2, delay 120) after 31
        // (sequence 1) and 32 (sequence 3); stored out of order. Stop: none.
        QVERIFY(AddSetCommand(QStringLiteral("CommandsForPlay"), 1, 1, 21));
        QVERIFY(AddSetCommand(QStringLiteral("CommandsForPlay"), 2, 2, 22));
        QVERIFY(AddSetCommand(QStringLiteral("CommandsForPause"), 1, 3, 32));
        QVERIFY(AddSetCommand(QStringLiteral("CommandsForPause"), 2, 1, 31));
        QVERIFY(AddSetCommand(QStringLiteral("CommandsForPause"), 3, 2, 33, QStringLiteral("120")));
    }

    void cleanup()
    {
        bus.reset();
        closeStore();
    }

    void thePauseSetGoesOutAndComesBackAsTheStopSet()
    {
        auto w = openWindow();
        ScriptedFileChooser chooser;
        w->logic().fileChooser = &chooser;
        w->logic().chooseMode(CommandsForPauseSet);
        chooser.answerNext(folder->path(QStringLiteral("pause")));
        QVERIFY(w->logic().exportSet());
        w->logic().chooseMode(CommandsForStopSet);
        chooser.answerNext(folder->path(QStringLiteral("pause.tavshow")));
        boxes->answerNext(MessageAnswer::Yes);
        QVERIFY(w->logic().importSet());
        QVERIFY(boxes->texts().last().contains(QStringLiteral("the pause set with 3 commands")));
        QCOMPARE(captions(w->lsvCommands), (QStringList{"2", "3", "1"}));
        QCOMPARE(SelectedCount(QStringLiteral("select count(*) from CommandsForStop where DelayMS=120")), 1);
    }

    // A paste undone from the window's keys: the set and its list are as
    // before, the rows unchecked as after any reload of two rows.
    void pasteUndoneFromTheWindow()
    {
        UndoHistory history(settings);
        auto w = openWindow();
        w->setHistory(&history);
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        w->logic().commands().checkAll();
        QVERIFY(w->logic().commands().copyChecked());
        QVERIFY(w->logic().commands().paste());
        QCOMPARE(w->lblTotalCMD->text(), QStringLiteral("4"));
        QCOMPARE(w->popmenuCMD->actions().first()->text(), QStringLiteral("Undo Paste Commands (Play Set)"));
        QTest::keyClick(w.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(captions(w->lsvCommands), (QStringList{"1", "2"}));
        QCOMPARE(w->lblTotalCMD->text(), QStringLiteral("2"));
        QCOMPARE(w->lsvCommands->topLevelItem(0)->checkState(0), Qt::Unchecked);
        QCOMPARE(SelectedCount(QStringLiteral("select count(*) from CommandsForPlay")), 2);
    }

    void opensOnThePlaySetAndSendsNothing()
    {
        auto w = openWindow();
        QCOMPARE(w->windowTitle(), QStringLiteral("Play/Pause/Stop Settings"));
        QVERIFY(w->rdobtnPlay->isChecked());
        QVERIFY(!w->chkOnsiteOutput->isChecked());
        QCOMPARE(w->logic().mode(), int(CommandsForPlaySet));
        QCOMPARE(captions(w->lsvCommands), (QStringList{"1", "2"}));
        QCOMPARE(w->lsvCommands->topLevelItem(0)->text(4), QStringLiteral("21"));
        QCOMPARE(w->lblTotalCMD->text(), QStringLiteral("2"));
        QCOMPARE(w->lsvCommands->columnCount(), 10);
        QCOMPARE(w->lsvCommands->headerItem()->text(9), QStringLiteral("Delay(millisecond)"));
        QVERIFY(bus->sent.isEmpty());
        QVERIFY(!bus->sequencer->isBusy());
    }

    void listIsGreenWithEveryColumnInView()
    {
        QCOMPARE(PlaySettingsWindow::ColumnWidths(1150), (QList<int>{60, 90, 80, 80, 70, 200, 110, 130, 180, 150}));
        auto w = openWindow();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QTreeWidget* list = w->lsvCommands;
        QCOMPARE(list->palette().color(QPalette::Base), QColor(159, 215, 181));
        QVERIFY(list->palette().color(QPalette::Highlight) != QColor(159, 215, 181));
        const QHeaderView* header = list->header();
        QCOMPARE(header->length(), list->viewport()->width());
        QVERIFY(header->sectionViewportPosition(9) + header->sectionSize(9) <= list->viewport()->width());
        QVERIFY(header->sectionSize(9) > 50);
    }

    void previewSendsTheChosenSetInOrder()
    {
        auto w = openWindow();
        // Checking the box sends the current (play) set at once.
        w->chkOnsiteOutput->click();
        QVERIFY(w->chkOnsiteOutput->isChecked());
        QVERIFY(w->logic().previewBusy());
        QCOMPARE(QApplication::overrideCursor() ? QApplication::overrideCursor()->shape() : Qt::ArrowCursor,
                 Qt::WaitCursor);
        bus->timer->runOut();
        QCOMPARE(bus->devices(), (QVector<int>{21, 22}));
        QVERIFY(!w->logic().previewBusy());
        QVERIFY(!QApplication::overrideCursor());

        // Choosing pause lists it and sends it by SequenceNo, 50 ms after a
        // command without a delay, its own delay otherwise.
        bus->sent.clear();
        const qint64 start = bus->timer->now();
        w->rdobtnPause->click();
        QCOMPARE(captions(w->lsvCommands), (QStringList{"2", "3", "1"}));
        QCOMPARE(w->lblTotalCMD->text(), QStringLiteral("3"));
        QCOMPARE(bus->devices(), (QVector<int>{31}));
        bus->timer->advance(49);
        QCOMPARE(bus->sent.size(), 1);
        bus->timer->advance(1);
        QCOMPARE(bus->devices(), (QVector<int>{31, 33}));
        bus->timer->advance(119);
        QCOMPARE(bus->sent.size(), 2);
        bus->timer->runOut();
        QCOMPARE(bus->devices(), (QVector<int>{31, 33, 32}));
        QCOMPARE(bus->sent[1].at - start, 50);
        QCOMPARE(bus->sent[2].at - start, 170);
        const auto& first = bus->sent[0];
        QCOMPARE((QList<int>{first.subnet, first.kind, first.first, first.second, first.third}),
                 (QList<int>{1, 4, 5, 100, 3}));
    }

    void uncheckedOrEmptySendsNothing()
    {
        auto w = openWindow();
        w->chkOnsiteOutput->click();
        bus->timer->runOut();
        bus->sent.clear();

        // The stop set is empty: nothing listed, nothing sent.
        w->rdobtnStop->click();
        QCOMPARE(w->lsvCommands->topLevelItemCount(), 0);
        QCOMPARE(w->lblTotalCMD->text(), QStringLiteral("0"));
        bus->timer->runOut();
        QVERIFY(bus->sent.isEmpty());
        QVERIFY(!w->logic().previewBusy());

        // Unchecking sends nothing, nor does a mode chosen afterwards.
        w->chkOnsiteOutput->click();
        QVERIFY(!w->chkOnsiteOutput->isChecked());
        w->rdobtnPause->click();
        bus->timer->runOut();
        QVERIFY(bus->sent.isEmpty());
    }

    void previewsQueueBehindOneAnother()
    {
        auto w = openWindow();
        w->chkOnsiteOutput->click();            // play set on its way
        w->rdobtnPause->click();                // pause set waits its turn
        QCOMPARE(bus->sequencer->pendingLists(), 2);
        // Closing the window mid-preview lets the queued sends finish and
        // hands the cursor back.
        w.reset();
        QVERIFY(!QApplication::overrideCursor());
        bus->timer->runOut();
        QCOMPARE(bus->devices(), (QVector<int>{21, 22, 31, 33, 32}));
    }

    void commandsTravelBetweenSetsAndTimePoints()
    {
        QVERIFY(AddShow(1, 1));
        QVERIFY(AddTimePoint(1, 1, 10));
        QVERIFY(AddShowCommand(1, 1, 7, 7, 70));
        CommandListOperations timePoint(*boxes, settings, lookups, clipboard, [] {
            return CommandListOperations::Current{{ShowStore::CommandTarget::timePoint(1, 1), "Opening", "00:00:10"},
                                                  CommandListOperations::Missing::Nothing};
        });
        timePoint.reload();

        auto w = openWindow();
        w->rdobtnPause->click();
        CommandListOperations& pause = w->logic().commands();
        pause.setChecked(0, true); // device 31, sequence 1
        pause.setChecked(1, true); // device 33, sequence 2
        w->bitbtnCopySelectedCMD->click();
        QCOMPARE(clipboard.commands.size(), 2);

        // Into the time point, after its own command.
        QVERIFY(timePoint.paste());
        QCOMPARE(stored(QStringLiteral("CommandsForShow"), QStringLiteral("where ShowID=1 and TimePointID=1")),
                 (QStringList{"7:7:70", "8:8:31", "9:9:33"}));

        // And from the time point into the empty stop set.
        timePoint.reload();
        timePoint.uncheckAll();
        timePoint.setChecked(0, true);
        QVERIFY(timePoint.copyChecked());
        w->rdobtnStop->click();
        w->bitbtnPasteCMD->click();
        QCOMPARE(stored(QStringLiteral("CommandsForStop")), (QStringList{"1:7:70"}));
        QCOMPARE(captions(w->lsvCommands), (QStringList{"1"}));
        QCOMPARE(w->lblTotalCMD->text(), QStringLiteral("1"));
        // The sets are no part of any show: the show list is left alone.
        QVERIFY(!w->logic().commands().showCommandsChanged());
    }

    void editAndDeleteActOnTheModesRows()
    {
        auto w = openWindow();
        w->rdobtnPause->click();
        // A double click with nothing checked checks every row and opens the
        // editor on them.
        emit w->lsvCommands->itemDoubleClicked(w->lsvCommands->topLevelItem(0), 0);
        QCOMPARE(opened, (QStringList{"edit 3 3 [2,3,1]"}));
        w->bitbtnAddCMD->click();
        QCOMPARE(opened.last(), QStringLiteral("add 3"));

        w->bitbtnDeselectAll->click();
        w->logic().commands().setChecked(1, true);
        boxes->answerNext(MessageAnswer::Yes);
        w->bitbtnDeleteCommand->click();
        QCOMPARE(boxes->texts().last(), QStringLiteral("Are you sure you want to delete selected commands (Total:1)"));
        QCOMPARE(stored(QStringLiteral("CommandsForPause")), (QStringList{"1:3:32", "2:1:31"}));
        QCOMPARE(w->lblTotalCMD->text(), QStringLiteral("2"));
        QCOMPARE(stored(QStringLiteral("CommandsForPlay")).size(), 2);
    }
};

QTEST_MAIN(TestPlaySetup)
#include "tst_playsetup.moc"
