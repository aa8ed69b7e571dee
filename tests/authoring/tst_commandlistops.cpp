#include "commandlistops.h"
#include "database.h"
#include "inifile.h"
#include "recordingsnapshots.h"
#include "scriptedmessages.h"
#include "storedfixture.h"
#include "showdata.h"

#include <QtTest>

namespace {

// CommandID:SequenceNo:DeviceID of each command of time point 1 of show 1.
QStringList stored(int timePointId = 1)
{
    QStringList out;
    QSqlQuery q = StandaloneQuery();
    q.exec(QStringLiteral("select CommandID,SequenceNo,DeviceID from CommandsForShow where ShowID=1 and "
                          "TimePointID=%1 order by CommandID")
               .arg(timePointId));
    while (q.next())
        out << QStringLiteral("%1:%2:%3").arg(q.value(0).toInt()).arg(q.value(1).toInt()).arg(q.value(2).toInt());
    return out;
}

// What a dialog is given: the set code, and for a time point's list the
// show's id and name and the time point's id and text.
QString given(const NamedCommandList& list)
{
    const ShowStore::CommandTarget& t = list.target;
    if (t.setCode != CommandsForShowSet)
        return QString::number(t.setCode);
    return QStringLiteral("1 %1 %2 %3 %4").arg(t.showId).arg(list.showName).arg(t.timePointId).arg(list.timePointText);
}

} // namespace

class TestCommandListOps : public QObject, protected StoredDataFixture {
    Q_OBJECT

    using Missing = CommandListOperations::Missing;
    CommandListOperations::Current current;
    QStringList opened; // dialogs the operations opened, with their values
    bool dialogSaves = false;

    std::unique_ptr<CommandListOperations> makeOps()
    {
        CommandListOperations::Dialogs dialogs;
        dialogs.addCommands = [this](QWidget*, const NamedCommandList& list) {
            opened << QStringLiteral("add ") + given(list);
            return dialogSaves;
        };
        dialogs.modifyCommands = [this](QWidget*, const NamedCommandList& list, const QList<int>& checked) {
            QStringList ids;
            for (int id : checked)
                ids << QString::number(id);
            opened << QStringLiteral("edit %1 [%2] %3").arg(checked.size()).arg(ids.join(','), given(list));
            return dialogSaves;
        };
        return std::make_unique<CommandListOperations>(*boxes, settings, lookups, clipboard,
                                                       [this] { return current; }, dialogs);
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(openStore());
        QVERIFY(AddShow(1, 1));
        QVERIFY(AddTimePoint(1, 1, 10));
        QVERIFY(AddTimePoint(1, 2, 20));
        // Five commands of time point 1; the sequence runs against the ids.
        for (int id = 1; id <= 5; ++id)
            QVERIFY(AddShowCommand(1, 1, id, 10 - id, 10 + id));
        current = {{ShowStore::CommandTarget::timePoint(1, 1), QStringLiteral("Show"), QStringLiteral("0:0:10")},
                   Missing::Nothing};
        opened.clear();
        dialogSaves = false;
    }
    void cleanup()
    {
        closeStore();
    }

    void listFollowsTheTargetAndChecksALoneRow()
    {
        auto ops = makeOps();
        int changes = 0;
        ops->changed = [&] { ++changes; };
        QCOMPARE(ops->reload(), 5);
        QCOMPARE(ops->rowTexts(0).first(), QStringLiteral("5")); // SequenceNo order
        QCOMPARE(ops->checkedCount(), 0);
        ops->checkAll();
        QCOMPARE(ops->checkedCount(), 5);
        ops->uncheckAll();
        QCOMPARE(ops->checkedCount(), 0);
        QVERIFY(changes >= 3);

        QVERIFY(AddShowCommand(1, 2, 1, 1, 30));
        current.list.target.timePointId = 2;
        QCOMPARE(ops->reload(), 1);
        QVERIFY(ops->isChecked(0));
        current.missing = Missing::TimePoint;
        QCOMPARE(ops->reload(), 0);
        ops->checkAll(); // an empty list is left alone
        QCOMPARE(ops->checkedCount(), 0);
    }

    void copyNeedsCheckedRowsAndKeepsListOrder()
    {
        auto ops = makeOps();
        ops->reload();
        clipboard.commands = {TControlObject{}};
        QVERIFY(!ops->copyChecked());
        QCOMPARE(boxes->texts(), QStringList{QStringLiteral("Please check the commands that you want to copy!")});
        QCOMPARE(clipboard.commands.size(), 1);
        QVERIFY(!ops->copyHighlighted());

        // Rows 4 and 2 (CommandIDs 1 and 3), checked bottom first.
        ops->setChecked(4, true);
        ops->setChecked(2, true);
        QCOMPARE(ops->checkedCommandIds(), (QList<int>{3, 1}));
        QVERIFY(ops->copyChecked());
        QVERIFY(ops->copyHighlighted());
        const auto& clip = clipboard.commands;
        QCOMPARE(clip.size(), 2);
        QCOMPARE(int(clip[0].DeviceID), 13);
        QCOMPARE(int(clip[1].DeviceID), 11);

        // A failed copy turns the mark back to normal.
        ops->uncheckAll();
        QVERIFY(!ops->copyChecked());
        QVERIFY(!ops->copyHighlighted());
    }

    void showListOperationsNeedAShowAndATimePoint()
    {
        auto ops = makeOps();
        clipboard.commands = {TControlObject{}};
        current.missing = Missing::TimePoint;
        QVERIFY(!ops->copyChecked());
        QVERIFY(!ops->paste());
        QVERIFY(!ops->add());
        current.missing = Missing::Show;
        QVERIFY(!ops->deleteChecked());
        QVERIFY(!ops->editChecked());
        QCOMPARE(boxes->texts(), (QStringList{QStringLiteral("Please select the time point first!"),
                                              QStringLiteral("Please select the time point first!"),
                                              QStringLiteral("Please select the time point first!"),
                                              QStringLiteral("Please select show first!"),
                                              QStringLiteral("Please select show first!")}));
        QVERIFY(opened.isEmpty());
        QCOMPARE(SelectedCount(QStringLiteral("select count(*) from CommandsForShow")), 5);
    }

    void pasteNumbersFromTheNextFreeIdentifier()
    {
        // Three copied commands with their own sequence numbers 4, 5, 6.
        QVector<TControlObject> clip;
        for (int i = 0; i < 3; ++i) {
            TControlObject c;
            c.CommandID = 50 + i;
            c.SequenceNo = 4 + i;
            c.DeviceID = quint8(40 + i);
            c.Remark = QStringLiteral("it's \"quoted\"");
            clip.append(c);
        }
        clipboard.commands = clip;
        auto ops = makeOps();
        RecordingSnapshots snapshots([] { return QString::number(stored().size()); });
        ops->setSnapshots(&snapshots);

        // Into a list whose largest CommandID is 7: ids and sequence 8, 9, 10.
        QVERIFY(RunSql(QStringLiteral("delete from CommandsForShow where CommandID in (1,2,3,4)")));
        QVERIFY(AddShowCommand(1, 1, 7, 2, 17));
        ops->reload();
        QVERIFY(ops->paste());
        QCOMPARE(snapshots.asked, QStringList{"2"});
        QCOMPARE(stored(), (QStringList{"5:5:15", "7:2:17", "8:8:40", "9:9:41", "10:10:42"}));
        QCOMPARE(ops->rowCount(), 5);
        QVERIFY(ops->showCommandsChanged());
        QCOMPARE(ops->row(4).command.Remark, QStringLiteral("it's \"quoted\""));

        // Into an empty time point: ids 1, 2, 3 with the copied sequence.
        current.list.target.timePointId = 2;
        ops->reload();
        QVERIFY(ops->paste());
        QCOMPARE(stored(2), (QStringList{"1:4:40", "2:5:41", "3:6:42"}));

        clipboard.commands.clear();
        QVERIFY(!ops->paste());
        QCOMPARE(boxes->texts().last(), QStringLiteral("Memory is empty,you need copy the commands first!"));
    }

    void failedPasteLeavesNothingAndSaysWhy()
    {
        QVERIFY(RunSql(QStringLiteral("create trigger refuse before insert on CommandsForShow "
                                      "when new.DeviceID=41 begin select raise(abort,'no 41'); end")));
        QVector<TControlObject> clip(3);
        for (int i = 0; i < 3; ++i)
            clip[i].DeviceID = quint8(40 + i);
        clipboard.commands = clip;
        auto ops = makeOps();
        ops->reload();
        QVERIFY(!ops->paste());
        QCOMPARE(stored().size(), 5);
        QVERIFY(!ops->showCommandsChanged());
        QCOMPARE(boxes->shown.size(), 1);
        QCOMPARE(boxes->shown[0].kind, ScriptedMessages::Shown::Error);
        QVERIFY(boxes->shown[0].text.contains(QStringLiteral("no 41")));
    }

    void deleteAsksWithTheCheckedCount()
    {
        auto ops = makeOps();
        RecordingSnapshots snapshots([] { return stored().join(' '); });
        ops->setSnapshots(&snapshots);
        ops->reload();
        QVERIFY(!ops->deleteChecked());
        QCOMPARE(boxes->texts().last(), QStringLiteral("Please check the commands that you want to delete!"));
        ops->setChecked(0, true);
        ops->setChecked(1, true);
        ops->setChecked(3, true);
        QVERIFY(!ops->deleteChecked()); // answered No
        QCOMPARE(boxes->texts().last(),
                 QStringLiteral("Are you sure you want to delete checked commands (Total:3)?"));
        QCOMPARE(stored().size(), 5);
        boxes->answerNext(MessageAnswer::Yes);
        QVERIFY(ops->deleteChecked());
        QCOMPARE(snapshots.asked, QStringList{"1:9:11 2:8:12 3:7:13 4:6:14 5:5:15"}); // not before Yes
        QCOMPARE(stored(), (QStringList{"1:9:11", "3:7:13"}));
        QCOMPARE(ops->rowCount(), 2);
        QVERIFY(ops->showCommandsChanged());

        ops->checkAll();
        QVERIFY(RunSql(QStringLiteral("create trigger keep before delete on CommandsForShow "
                                      "when old.CommandID=3 begin select raise(abort,'kept'); end")));
        boxes->answerNext(MessageAnswer::Yes);
        QVERIFY(!ops->deleteChecked()); // all or none
        QCOMPARE(stored().size(), 2);
        QCOMPARE(boxes->shown.last().kind, ScriptedMessages::Shown::Error);
    }

    void dialogsGetTheListsValues()
    {
        auto ops = makeOps();
        ops->reload();
        QVERIFY(!ops->add()); // closed without saving: no reload, nothing changed
        QVERIFY(!ops->showCommandsChanged());
        ops->setChecked(1, true);
        ops->setChecked(3, true);
        dialogSaves = true;
        QVERIFY(ops->editChecked());
        QVERIFY(ops->showCommandsChanged());
        QCOMPARE(ops->checkedCount(), 0); // reloaded
        QVERIFY(ops->editChecked());      // nothing checked: the whole list
        QCOMPARE(opened, (QStringList{"add 1 1 Show 1 0:0:10", "edit 2 [4,2] 1 1 Show 1 0:0:10",
                                      "edit 5 [5,4,3,2,1] 1 1 Show 1 0:0:10"}));

        current.list.target.timePointId = 2;
        ops->reload();
        opened.clear();
        QVERIFY(!ops->editChecked()); // an empty list: nothing opens
        QVERIFY(opened.isEmpty());
    }

    void playSetsDifferInMessagesAndFlags()
    {
        QVERIFY(AddSetCommand(QStringLiteral("CommandsForPause"), 3, 1, 21));
        QVERIFY(AddSetCommand(QStringLiteral("CommandsForPause"), 6, 2, 22));
        current = {{ShowStore::CommandTarget::set(CommandsForPauseSet), {}, {}}, Missing::Nothing};
        auto ops = makeOps();
        QCOMPARE(ops->reload(), 2);

        // Copied from a set, pasted into a time point and back.
        ops->checkAll();
        QVERIFY(ops->copyChecked());
        QVERIFY(ops->paste());
        QCOMPARE(SelectedCount(QStringLiteral("select max(CommandID) from CommandsForPause")), 8);
        QCOMPARE(SelectedCount(QStringLiteral("select max(SequenceNo) from CommandsForPause")), 8);
        QVERIFY(!ops->showCommandsChanged());

        ops->checkAll();
        boxes->answerNext(MessageAnswer::Yes);
        QVERIFY(ops->deleteChecked());
        QCOMPARE(boxes->texts().last(),
                 QStringLiteral("Are you sure you want to delete selected commands (Total:4)"));
        QCOMPARE(ops->rowCount(), 0);
        QVERIFY(!ops->copyChecked());
        QCOMPARE(boxes->texts().last(), QStringLiteral("No any command"));
        dialogSaves = true;
        QVERIFY(ops->add());
        QCOMPARE(opened.last(), QStringLiteral("add 3"));
        QVERIFY(!ops->showCommandsChanged());
    }
};

QTEST_MAIN(TestCommandListOps)
#include "tst_commandlistops.moc"
