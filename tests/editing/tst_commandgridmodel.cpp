#include "commandgridmodel.h"
#include "commandrows.h"
#include "commandlist.h"
#include "database.h"
#include "inifile.h"
#include "lookups.h"
#include "programfolder.h"
#include "settingsfiles.h"
#include "storedfixture.h"
#include "scriptedmessages.h"
#include "showdata.h"

#include <QtTest>

using E = GridEditor;

namespace {

// Type list indexes are the kinds (IDs 0 to 12 in order).
const QString sceneControl = QStringLiteral("Scene Control");        // 0
const QString singleChannel = QStringLiteral("Single Channel Control"); // 4

bool put(int id, int kind, int p1, int p2, int p3 = 0, int device = 2, int seq = -1, const QString& delay = "0")
{
    return RunSql(QStringLiteral("insert into CommandsForPlay(CommandID,SequenceNo,SubnetID,DeviceID,"
                                 "CommandTypeID,FirstParameter,SecondParameter,ThirdParameter,DelayMS) "
                                 "values(%1,%2,1,%3,%4,%5,%6,%7,%8)")
                      .arg(id)
                      .arg(seq < 0 ? id : seq)
                      .arg(device)
                      .arg(kind)
                      .arg(p1)
                      .arg(p2)
                      .arg(p3)
                      .arg(delay));
}

TControlObject stored(int id)
{
    QSqlQuery q = StandaloneQuery();
    if (q.exec(QStringLiteral("select * from CommandsForPlay where CommandID=%1").arg(id)) && q.next())
        return ReadCommandRow(q);
    return {};
}

QStringList column(const CommandGridModel& m, int col)
{
    QStringList out;
    for (int r = 1; r <= m.rowCount(); ++r)
        out << m.cell(r, col);
    return out;
}

QList<bool> marks(const CommandGridModel& m)
{
    QList<bool> out;
    for (int r = 1; r <= m.rowCount(); ++r)
        out << m.RowModified(r);
    return out;
}

const NamedCommandList play{ShowStore::CommandTarget::set(CommandsForPlaySet), {}, {}};

} // namespace

class TestCommandGridModel : public QObject {
    Q_OBJECT

    SettingsFiles settings;
    LookupLists lookups;

    LogMessagePresenter logMessages; // where the test does not read the messages
private Q_SLOTS:
    void init()
    {
        settings = SettingsFiles();
        lookups = LookupLists();
        m_folder = std::make_unique<TestProgramFolder>();
        QVERIFY(m_folder->openDatabase());
        QVERIFY(LoadLanguageAndLookups(settings, lookups, *m_folder));
    }
    void cleanup() { m_folder.reset(); }

    void loadsTheCheckedCommandsInListOrder()
    {
        for (int id = 1; id <= 5; ++id)
            QVERIFY(put(id, 0, 1, 1, 0, 2, 6 - id)); // listed 5, 4, 3, 2, 1
        CommandGridModel m(logMessages, settings, lookups);
        QCOMPARE(m.LoadCheckedCommands(play, {1, 3, 5}), 3);
        QCOMPARE(column(m, ColCommandID), (QStringList{"5", "3", "1"}));
        QCOMPARE(m.firstCaption() + m.firstValue(), QStringLiteral("Current mode:Play"));
        QVERIFY(!m.secondLineVisible());
        QCOMPARE(m.LoadCheckedCommands(play, {}), 5);
        QCOMPARE(m.cell(1, ColType), sceneControl);
        QCOMPARE(marks(m), QList<bool>(5, false));
        QCOMPARE(CommandGridModel(logMessages, settings, lookups).ColumnHeader(ColDelay),
                 QStringLiteral("Delay(millisecond)"));

        QVERIFY(AddShowCommand(4, 2, 1, 1, 9));
        QCOMPARE(m.LoadCheckedCommands({ShowStore::CommandTarget::timePoint(4, 2), "Opening", "0:12"}, {}), 1);
        QCOMPARE(QStringList({m.secondCaption(), m.secondValue(), m.cell(1, ColDeviceID)}),
                 (QStringList{"Current Time Point:", "0:12", "9"}));
    }

    void editorsWriteBackOnlyWhatTheyAccept()
    {
        QVERIFY(put(1, 2, 5, 1) && put(2, 0, 5, 1));
        CommandGridModel m(logMessages, settings, lookups);
        m.LoadCheckedCommands(play, {});
        QVERIFY(!m.SelectCell(0, 3));
        QVERIFY(m.SelectCell(1, 9));
        QVERIFY(m.editorVisible(E::SubNetID) && m.editorVisible(E::List) && !m.editorVisible(E::SecondPara));
        QCOMPARE(m.listLookup(), ParameterLookup::UniversalSwitchStatus);
        m.EditText(E::SubNetID, "300");
        m.EditText(E::OrderID, "x3");
        m.EditText(E::FirstPara, "0"); // a switch number starts at 1 when typed
        QVERIFY(m.SelectCell(2, 1));
        QCOMPARE(QStringList({m.cell(1, ColSubNetID), m.cell(1, ColOrder), m.cell(1, ColFirstPara)}),
                 (QStringList{"1", "1", "5(Switch No)"}));
        QCOMPARE(marks(m), (QList<bool>{false, false}));
        QCOMPARE(m.editorText(E::SubNetID), QStringLiteral("1"));

        m.EditText(E::OrderID, "7");
        m.EditText(E::SecondPara, "9");
        m.ClickBackground();
        QVERIFY(!m.editorVisible(E::OrderID));
        QCOMPARE(QStringList({m.cell(2, ColOrder), m.cell(2, ColSecondPara)}), (QStringList{"7", "9(Scene)"}));
        QCOMPARE(marks(m), (QList<bool>{false, true}));
        QVERIFY(m.Save());
        QCOMPARE(stored(2).SequenceNo, 7);
        QCOMPARE(stored(2).SecondParameter, quint16(9));
    }

    void subnetAndDeviceFollowEveryRow()
    {
        QVERIFY(put(1, 0, 1, 1, 0, 2) && put(2, 0, 1, 1, 0, 3) && put(3, 0, 1, 1, 0, 4));
        CommandGridModel m(logMessages, settings, lookups);
        m.LoadCheckedCommands(play, {});
        m.SetSyncChecked(SyncBox::SubNetID, true);
        QVERIFY(m.SelectCell(1, 1));
        m.EditText(E::SubNetID, "");
        m.EditText(E::SubNetID, "1");
        QCOMPARE(column(m, ColSubNetID), QStringList(3, "1"));
        m.EditText(E::SubNetID, "12");
        QCOMPARE(column(m, ColSubNetID), QStringList(3, "12"));
        QCOMPARE(marks(m), QList<bool>(3, true));

        m.LoadCheckedCommands(play, {});
        m.SetSyncChecked(SyncBox::SubNetID, false);
        QVERIFY(m.SelectCell(1, 1));
        m.SetSyncChecked(SyncBox::DeviceID, true);
        QVERIFY(m.SelectCell(2, 1)); // filling the box counts as typing
        QCOMPARE(column(m, ColDeviceID), QStringList(3, "3"));
        QCOMPARE(marks(m), QList<bool>(3, true));
    }

    // Typing into one box is one step, whatever it changed in other rows;
    // undo puts rows, marks and editors back, and Save writes what is shown.
    void undoAndRedoOfTheRowsBeforeSaving()
    {
        QVERIFY(put(1, 0, 1, 1, 0, 2) && put(2, 0, 1, 1, 0, 3));
        CommandGridModel m(logMessages, settings, lookups);
        m.LoadCheckedCommands(play, {});
        m.SetSyncChecked(SyncBox::SubNetID, true);
        QVERIFY(m.SelectCell(1, 1));
        m.EditText(E::SubNetID, "3");
        m.EditText(E::SubNetID, "34");
        m.LeaveEditor(E::SubNetID);
        m.EditText(E::DeviceID, "40");
        m.LeaveEditor(E::DeviceID);
        QCOMPARE(m.cell(1, ColDeviceID), QStringLiteral("40"));

        m.Undo();
        QCOMPARE(m.cell(1, ColDeviceID), QStringLiteral("2"));
        QVERIFY(!m.editorVisible(E::DeviceID));
        QCOMPARE(column(m, ColSubNetID), QStringList(2, "34"));
        m.Undo();
        QCOMPARE(column(m, ColSubNetID), QStringList(2, "1"));
        while (m.canUndo()) // filling the box on selection marked the rows
            m.Undo();
        QCOMPARE(marks(m), QList<bool>(2, false));
        while (m.canRedo())
            m.Redo();
        m.Undo();
        QCOMPARE(column(m, ColSubNetID), QStringList(2, "34"));
        QVERIFY(m.canRedo());
        QVERIFY(m.SelectCell(2, 1));
        m.EditText(E::Remark, "new");
        m.LeaveEditor(E::Remark);
        QVERIFY(!m.canRedo());
        QVERIFY(m.Save());
        QCOMPARE(stored(2).SubnetID, quint8(34));
        QCOMPARE(stored(1).DeviceID, quint8(2));
    }

    void delayIsCheckedWhileTyping()
    {
        ScriptedMessages boxes;
        QVERIFY(put(1, 0, 1, 1) && put(2, 0, 1, 1));
        CommandGridModel m(boxes, settings, lookups);
        m.LoadCheckedCommands(play, {});
        m.SetSyncChecked(SyncBox::Delay, true);
        QVERIFY(m.SelectCell(1, 1));
        m.EditText(E::Delay, "a");
        m.EditText(E::Delay, "700000");
        QCOMPARE(boxes.texts(), (QStringList{"Date type is incorrect, only numbers!",
                                             "Invalid number, scope is within 0-600000"}));
        QCOMPARE(column(m, ColDelay), QStringList(2, "0"));
        m.EditText(E::Delay, "250");
        QCOMPARE(column(m, ColDelay), QStringList(2, "250"));
    }

    void runningTimeFollowsRowsOfTheSameTypeOnly()
    {
        QVERIFY(put(1, 4, 1, 1, 65) && put(2, 0, 1, 1) && put(3, 4, 1, 1, 10));
        CommandGridModel m(logMessages, settings, lookups);
        m.LoadCheckedCommands(play, {});
        QVERIFY(m.SelectCell(1, 1));
        QCOMPARE(QStringList({m.editorText(E::Minute), m.editorText(E::Second)}), (QStringList{"1", "5"}));
        m.SetSyncChecked(SyncBox::ThirdPara, true);
        m.EditText(E::Minute, "2");
        QCOMPARE(column(m, ColThirdPara),
                 (QStringList{"2:5(Running Time)", "N/A", "2:5(Running Time)"}));
        QCOMPARE(marks(m), (QList<bool>{true, false, true}));

        // Only a time within 0-60 minutes and 0-59 seconds is copied.
        m.EditText(E::Minute, "60");
        m.EditText(E::Second, "59");
        QCOMPARE(column(m, ColThirdPara)[2], QStringLiteral("60:59(Running Time)"));
        m.EditText(E::Second, "60");
        m.EditText(E::Minute, "61");
        m.EditText(E::Second, "1");
        QCOMPARE(column(m, ColThirdPara)[2], QStringLiteral("60:59(Running Time)"));
    }

    void typeChangeRewritesTheParameters()
    {
        QVERIFY(put(1, 0, 5, 300) && put(2, 0, 5, 3));
        CommandGridModel m(logMessages, settings, lookups);
        m.LoadCheckedCommands(play, {});
        QVERIFY(m.SelectCell(1, 1));
        m.ChooseItem(E::Type, 4);
        QCOMPARE(QStringList({m.cell(1, ColFirstPara), m.cell(1, ColSecondPara), m.cell(1, ColThirdPara)}),
                 (QStringList{"1(Channel)", "0(Level)", "0:0(Running Time)"}));
        QVERIFY(m.editorVisible(E::Minute) && m.editorVisible(E::SecondPara));
        QVERIFY(!m.RowModified(1));
        m.ChooseItem(E::Type, 10); // no third box for a kind that sends no third value
        QVERIFY(m.editorVisible(E::FirstPara) && m.editorVisible(E::SecondPara) && !m.editorVisible(E::Minute));
        m.ChooseItem(E::Type, 5);
        QVERIFY(m.SelectCell(2, 1));
        QCOMPARE(m.cell(1, ColType), QStringLiteral("Broadcast Scene"));
        QCOMPARE(m.cell(1, ColFirstPara), QStringLiteral("All Areas"));
        QVERIFY(m.RowModified(1));
        m.ChooseItem(E::Type, 7);
        QCOMPARE(m.cell(2, ColSecondPara), QStringLiteral("Stop(Status)"));
        QVERIFY(m.Save());
        QCOMPARE(stored(1).CommandTypeID, quint8(5));
        QCOMPARE(stored(1).FirstParameter, quint16(255));
        QCOMPARE(stored(2).CommandTypeID, quint8(7));
        QCOMPARE(stored(2).SecondParameter, quint16(0));
    }

    // A row given a kind gets what a blank command given that kind gets,
    // never the numbers the editors held for the row edited before.
    void aNewKindFillsItsDefaultsNotThePreviousRows()
    {
        QVERIFY(put(1, 0, 1, 1) && put(2, 3, 0, 0) && put(3, 0, 8, 200));
        CommandGridModel m(logMessages, settings, lookups);
        m.LoadCheckedCommands(play, {});
        QVERIFY(m.SelectCell(1, 1));
        m.EditText(E::FirstPara, "2");
        m.EditText(E::SecondPara, "5");
        QVERIFY(m.SelectCell(2, 1));
        m.ChooseItem(E::Type, 4);
        const QStringList defaults{"1(Channel)", "0(Level)", "0:0(Running Time)"};
        QCOMPARE(QStringList({m.editorText(E::FirstPara), m.editorText(E::SecondPara), m.editorText(E::Minute),
                              m.editorText(E::Second)}),
                 (QStringList{"1", "0", "0", "0"}));
        QVERIFY(m.SelectCell(3, 1));
        m.ChooseItem(E::Type, 4);
        m.ClickBackground();
        QCOMPARE(QStringList({m.cell(1, ColFirstPara), m.cell(1, ColSecondPara)}),
                 (QStringList{"2(Area)", "5(Scene)"}));
        for (int row : {2, 3})
            QCOMPARE(QStringList({m.cell(row, ColFirstPara), m.cell(row, ColSecondPara), m.cell(row, ColThirdPara)}),
                     defaults);
        QVERIFY(m.Save());
        for (int id : {2, 3}) {
            QCOMPARE(stored(id).CommandTypeID, quint8(4));
            const TControlObject c = stored(id);
            QCOMPARE(QList<int>({c.FirstParameter, c.SecondParameter, c.ThirdParameter}), (QList<int>{1, 0, 0}));
        }
    }

    // Kinds whose list has no name for the default: nothing is picked for
    // the operator, and such a row is not saved until one is.
    void aRowNotStorableAsShownIsRefused()
    {
        ScriptedMessages boxes;
        QVERIFY(put(1, 0, 1, 1) && put(2, 0, 1, 1, 0, 2, 6));
        CommandGridModel m(boxes, settings, lookups);
        m.LoadCheckedCommands(play, {});
        QVERIFY(m.SelectCell(1, 1));
        m.EditText(E::DeviceID, "9");
        QVERIFY(m.SelectCell(2, 1));
        m.ChooseItem(E::Type, 12);
        QCOMPARE(m.editorIndex(E::List), -1);
        QVERIFY(!m.Save());
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].kind, ScriptedMessages::Shown::Error);
        for (const char* part : {"CMD ID 2", "Sequence ID 6", "Second parameter \"0(Alarm Type)\""})
            QVERIFY2(boxes.shown[0].text.contains(part), qPrintable(boxes.shown[0].text));
        QCOMPARE(stored(1).DeviceID, quint8(2));
        QCOMPARE(stored(2).CommandTypeID, quint8(0));
        QCOMPARE(marks(m), (QList<bool>{true, true}));
        QVERIFY(!m.saved());

        QVERIFY(m.SelectCell(2, 1));
        m.ChooseItem(E::List, 1);
        QVERIFY(m.Save());
        QCOMPARE(stored(1).DeviceID, quint8(9));
        QCOMPARE(stored(2).CommandTypeID, quint8(12));
        QCOMPARE(stored(2).SecondParameter, quint16(257));

        // Every row given the mode kind at once: the rows not visited are refused.
        boxes.clear();
        m.SetSyncChecked(SyncBox::Kind, true);
        QVERIFY(m.SelectCell(1, 1));
        m.ChooseItem(E::Type, 11);
        QCOMPARE(column(m, ColSecondPara), QStringList(2, "0(Mode)"));
        QVERIFY(!m.Save());
        QVERIFY2(boxes.texts().value(0).contains("CMD ID 1"), qPrintable(boxes.texts().value(0)));
        QCOMPARE(stored(1).CommandTypeID, quint8(0));
        QCOMPARE(stored(2).CommandTypeID, quint8(12));
    }

    void unknownStatusNamesOnSelection()
    {
        QVERIFY(put(1, 7, 1, 9) && put(2, 12, 1, 999) && put(3, 2, 1, 9) && put(4, 0, 1, 1));
        CommandGridModel m(logMessages, settings, lookups);
        m.LoadCheckedCommands(play, {});
        for (int row = 1; row <= 4; ++row)
            QVERIFY(m.SelectCell(row, 1));
        QCOMPARE(column(m, ColSecondPara).mid(0, 3),
                 (QStringList{"Stop(Status)", "Burglar(Alarm Type)", "(Status)"}));
        QCOMPARE(marks(m), (QList<bool>{true, true, false, false}));
    }

    void theListIsTheRowKindsLookupsWithItsOwnChoice()
    {
        QVERIFY(put(1, 7, 1, 2) && put(2, 12, 1, 257));
        CommandGridModel m(logMessages, settings, lookups);
        m.LoadCheckedCommands(play, {});
        QVERIFY(m.SelectCell(1, 1));
        QCOMPARE(m.EditorItems(E::List), (QStringList{"Stop", "Open", "Close"}));
        QCOMPARE(m.editorText(E::List), QStringLiteral("Close"));
        m.ChooseItem(E::List, 1);
        QVERIFY(m.SelectCell(2, 1));
        QCOMPARE(m.listLookup(), ParameterLookup::SecurityAlarmType);
        QCOMPARE(m.editorText(E::List), QStringLiteral("Fire"));
        QCOMPARE(m.cell(1, ColSecondPara), QStringLiteral("Open(Status)"));
        // A row made a curtain shows the curtain's default, not row 1's choice.
        m.ChooseItem(E::Type, 7);
        QCOMPARE(m.editorText(E::List), QStringLiteral("Stop"));
    }

    void runningTimeBeyondAnHour()
    {
        QVERIFY(put(1, 4, 1, 1, 0));
        CommandGridModel m(logMessages, settings, lookups);
        m.LoadCheckedCommands(play, {});
        QVERIFY(m.SelectCell(1, 1));
        m.EditText(E::Minute, "61");
        m.EditText(E::Second, "");
        m.LeaveEditor(E::Second);
        QCOMPARE(m.editorText(E::Second), QStringLiteral("0"));
        m.EditText(E::Second, "30");
        m.LeaveEditor(E::Minute);
        QCOMPARE(m.cell(1, ColThirdPara), QStringLiteral("61:30(Running Time)"));
        QVERIFY(m.Save());
        QCOMPARE(stored(1).ThirdParameter, quint16(3690));
    }

    void closingAsksAboutChanges()
    {
        ScriptedMessages boxes;
        QVERIFY(put(1, 0, 1, 1));
        CommandGridModel m(boxes, settings, lookups);
        m.LoadCheckedCommands(play, {});
        QVERIFY(m.CloseQuery());
        QVERIFY(boxes.shown.isEmpty());
        QVERIFY(m.SelectCell(1, 1));
        m.EditText(E::DeviceID, "40");
        m.ClickBackground();
        boxes.answerNext(MessageAnswer::Cancel);
        QVERIFY(!m.CloseQuery());
        QCOMPARE(boxes.shown.value(0).caption, QStringLiteral("Inquire"));
        QCOMPARE(boxes.shown.value(0).text, QStringLiteral("Do you need to save data?"));
        boxes.answerNext(MessageAnswer::No);
        QVERIFY(m.CloseQuery());
        QCOMPARE(stored(1).DeviceID, quint8(2));
        QVERIFY(!m.saved());
        boxes.answerNext(MessageAnswer::Yes);
        QVERIFY(m.CloseQuery());
        QCOMPARE(stored(1).DeviceID, quint8(40));
        QVERIFY(m.saved());
        QVERIFY(!m.anyRowModified());
    }

    void saveWithoutChangesWritesNothing()
    {
        QVERIFY(put(1, 0, 1, 1));
        CommandGridModel m(logMessages, settings, lookups);
        int calls = 0;
        m.setWriter([&calls](const ShowStore::CommandTarget&, const QList<TControlObject>&) {
            ++calls;
            return GridWriteResult{};
        });
        m.LoadCheckedCommands(play, {});
        QVERIFY(m.Save());
        QCOMPARE(calls, 0);
        QVERIFY(m.saved());
    }

    void failingSaveWritesNothingAndKeepsTheChanges()
    {
        ScriptedMessages boxes;
        QVERIFY(put(1, 0, 1, 1) && put(2, 0, 1, 1) && put(3, 0, 1, 1));
        QVERIFY(RunSql("create trigger lockThree before update on CommandsForPlay when old.CommandID=3 "
                       "begin select raise(abort, 'command 3 is locked'); end"));
        CommandGridModel m(boxes, settings, lookups);
        m.LoadCheckedCommands(play, {});
        m.SetSyncChecked(SyncBox::DeviceID, true);
        QVERIFY(m.SelectCell(1, 1));
        m.EditText(E::DeviceID, "77");
        QVERIFY(!m.Save());
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].kind, ScriptedMessages::Shown::Error);
        QVERIFY2(boxes.shown[0].text.contains("command 3 is locked"), qPrintable(boxes.shown[0].text));
        QCOMPARE(stored(1).DeviceID, quint8(2));
        QCOMPARE(column(m, ColDeviceID), QStringList(3, "77"));
        QCOMPARE(marks(m), QList<bool>(3, true));
        QVERIFY(!m.saved());
        boxes.answerNext(MessageAnswer::Yes);
        QVERIFY(!m.CloseQuery()); // the changes are not thrown away after a failed save
    }

    void remarksKeepTheirQuotes()
    {
        QVERIFY(put(1, 0, 1, 1));
        const QString remark = QStringLiteral("it's \"on\" (a)");
        CommandGridModel m(logMessages, settings, lookups);
        m.LoadCheckedCommands(play, {});
        QVERIFY(m.SelectCell(1, 1));
        m.EditText(E::Remark, remark + QStringLiteral(" and far too long"));
        QCOMPARE(m.editorText(E::Remark).size(), 20);
        m.EditText(E::Remark, remark);
        m.LeaveEditor(E::Remark);
        QVERIFY(m.Save());
        QCOMPARE(stored(1).Remark, remark);
        m.LoadCheckedCommands(play, {});
        QCOMPARE(m.cell(1, ColRemark), remark);
    }

    void unknownTypeNameKeepsTheStoredKind()
    {
        QVERIFY(put(1, 9, 4, 5));
        CommandGridModel m(logMessages, settings, lookups);
        m.LoadCheckedCommands(play, {});
        lookups.CommandTypeList[9].Note = QStringLiteral("Renamed");
        QVERIFY(m.SelectCell(1, 1));
        QCOMPARE(m.editorIndex(E::Type), -1);
        m.EditText(E::DeviceID, "8");
        QVERIFY(m.Save());
        QCOMPARE(stored(1).CommandTypeID, quint8(9));
        QCOMPARE(stored(1).FirstParameter, quint16(4));
    }

private:
    std::unique_ptr<TestProgramFolder> m_folder;
};

QTEST_MAIN(TestCommandGridModel)
#include "tst_commandgridmodel.moc"
