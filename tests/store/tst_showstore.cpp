#include "database.h"
#include "showstore.h"
#include "settingsfiles.h"
#include "statements.h"
#include "storedfixture.h"
#include "inifile.h"

#include <QSqlError>
#include <QtTest>

namespace ed = ShowStore;
using ed::CommandTarget;

namespace {

// CommandID:SequenceNo of each command, in the list's order.
QStringList idsAndSequence(const CommandTarget& target)
{
    QStringList out;
    const auto commands = ed::ReadCommands(target);
    for (const TControlObject& c : commands.value.value_or(QVector<TControlObject> {}))
        out << QStringLiteral("%1:%2").arg(c.CommandID).arg(c.SequenceNo);
    return out;
}

// A command put in place of the time point (or, with showId 0, of the play
// set), for device 10.
bool putStored(int showId, int timePointId, int commandId, int sequenceNo)
{
    if (showId == 0)
        return RunSql(QStringLiteral("insert into CommandsForPlay(CommandID,SequenceNo,DeviceID) values(%1,%2,10)")
                          .arg(commandId)
                          .arg(sequenceNo));
    return RunSql(QStringLiteral("insert into CommandsForShow(ShowID,TimePointID,CommandID,SequenceNo,DeviceID) "
                                 "values(%1,%2,%3,%4,10)")
                      .arg(showId)
                      .arg(timePointId)
                      .arg(commandId)
                      .arg(sequenceNo));
}

bool putTimePoint(int showId, int timePointId, int second)
{
    return RunSql(QStringLiteral("insert into TimePoint(ShowID,TimePointID,SecondOfTimePoint) values(%1,%2,%3)")
                      .arg(showId)
                      .arg(timePointId)
                      .arg(second));
}

bool putShow(int showId)
{
    return RunSql(QStringLiteral("insert into Show(ShowID,SequenceNo) values(%1,%1)").arg(showId));
}

TControlObject copied(int sequenceNo, int device, const QString& remark = QString())
{
    TControlObject c;
    c.CommandID = 99; // never used by a paste
    c.SequenceNo = sequenceNo;
    c.SubnetID = 2;
    c.DeviceID = quint8(device);
    c.CommandTypeID = 4;
    c.FirstParameter = 65535;
    c.DelayMS = 250;
    c.Remark = remark;
    return c;
}

// Another program with a read open on the database: until it ends, a commit
// here waits out the busy timeout and is refused ("database is locked").
class ReaderHoldingTheDatabase {
public:
    explicit ReaderHoldingTheDatabase(const QString& path)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name());
        db.setDatabaseName(path);
        if (db.open()) {
            m_query = std::make_unique<QSqlQuery>(db);
            held = m_query->exec(QStringLiteral("begin")) &&
                   m_query->exec(QStringLiteral("select count(*) from Show")) && m_query->next();
        }
    }
    ~ReaderHoldingTheDatabase()
    {
        m_query.reset();
        QSqlDatabase::database(name(), false).close();
        QSqlDatabase::removeDatabase(name());
    }
    bool held = false;

private:
    static QString name() { return QStringLiteral("another program"); }
    std::unique_ptr<QSqlQuery> m_query;
};

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The column as stored: its SQLite type and its bytes, e.g. "text:6974".
QString storedAs(const QString& column, const QString& table, const QString& where)
{
    QSqlQuery q = StandaloneQuery();
    if (!q.exec(QStringLiteral("select typeof(%1), hex(%1) from %2 where %3").arg(column, table, where)) || !q.next())
        return QStringLiteral("<no row>");
    return q.value(0).toString() + u':' + q.value(1).toString().toLower();
}

QString textBytes(const QString& text)
{
    return QStringLiteral("text:") + QString::fromLatin1(text.toUtf8().toHex());
}

// Each command of the list as "id:sequence:device:kind:remark".
QStringList described(const CommandTarget& target)
{
    QStringList out;
    const auto commands = ed::ReadCommands(target);
    for (const TControlObject& c : commands.value.value_or(QVector<TControlObject> {}))
        out << QStringLiteral("%1:%2:%3:%4:%5")
                   .arg(c.CommandID)
                   .arg(c.SequenceNo)
                   .arg(c.DeviceID)
                   .arg(c.CommandTypeID)
                   .arg(c.Remark);
    return out;
}

} // namespace

class TestEditing : public QObject, protected StoredDataFixture {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        QVERIFY(openStore());
        settings.ShowIni = std::make_unique<IniFile>(folder->path(QStringLiteral("Database/Show.ini")));
    }
    void cleanup()
    {
        closeStore();
    }

    void operationsInsideAnOpenReadLeaveItGoing()
    {
        for (int id = 1; id <= 3; ++id)
            QVERIFY(putShow(id));
        QVERIFY(RunSql(QStringLiteral("create trigger refuse before insert on CommandsForShow "
                                      "when new.DeviceID=13 begin select raise(abort, 'refused'); end")));
        QSqlQuery walk = StandaloneQuery();
        QVERIFY(walk.exec(QStringLiteral("select * from Show order by SequenceNo")));
        QList<int> walked;
        while (walk.next()) {
            const int showId = FieldInt(walk, QStringLiteral("ShowID"));
            walked << showId;
            const auto point = ed::AddTimePoint(showId, 10);
            QVERIFY(point);
            const CommandTarget target = CommandTarget::timePoint(showId, *point);
            QCOMPARE(*ed::NextCommandId(target), 1);
            QVERIFY(ed::AddBlankCommands(target, 2));
            QVERIFY(ed::PasteCommands(target, {copied(1, 7)}));
            QVERIFY(ed::DeleteCommands(target, {1}));
            QVERIFY(ed::ReadCommands(target));
            QVERIFY(ed::ReadTimePoints(showId));
            QCOMPARE(*ed::NextTimePointId(showId), 2);
            // A failed batch rolls back without ending the walk either.
            QVERIFY(!ed::PasteCommands(target, {copied(1, 8), copied(2, 13)}));
        }
        QVERIFY(!walk.lastError().isValid());
        walk.finish();
        QCOMPARE(walked, (QList<int> {1, 2, 3}));
        QCOMPARE(SelectedCount(QStringLiteral("select count(*) from CommandsForShow")), 6);
    }

    void aBatchThatFailsHalfWayLeavesTheTablesAsTheyWere()
    {
        QVERIFY(putShow(1));
        QVERIFY(putTimePoint(1, 1, 5));
        QVERIFY(putStored(1, 1, 1, 1));
        QVERIFY(putStored(1, 1, 2, 2));
        QVERIFY(RunSql(QStringLiteral("create trigger refuse before insert on CommandsForShow "
                                      "when new.CommandID=4 "
                                      "begin select raise(abort, 'refused by the test'); end")));
        const CommandTarget target = CommandTarget::timePoint(1, 1);

        // Paste and blank commands: the third insert fails, none stays.
        const auto pasted = ed::PasteCommands(target, {copied(1, 1), copied(2, 2), copied(3, 3)});
        QVERIFY(!pasted);
        QVERIFY(pasted.error.contains(QStringLiteral("refused by the test")));
        QVERIFY(!ed::AddBlankCommands(target, 3));
        QCOMPARE(idsAndSequence(target), (QStringList {"1:1", "2:2"}));

        // A save of several rows: the second update breaks, the first is undone.
        TControlObject first = copied(5, 50);
        first.CommandID = 1;
        QVERIFY(RunSql(QStringLiteral("create trigger refuseUpdate before update on CommandsForShow "
                                      "when new.DeviceID=66 begin select raise(abort, 'no update'); end")));
        TControlObject second = copied(6, 66);
        second.CommandID = 2;
        const auto saved = ed::UpdateCommands(target, {first, second});
        QVERIFY(!saved);
        QVERIFY(saved.error.contains(QStringLiteral("no update")));
        QCOMPARE(idsAndSequence(target), (QStringList {"1:1", "2:2"}));
        QVERIFY(ed::UpdateCommands(target, {first}));
        QCOMPARE(idsAndSequence(target), (QStringList {"2:2", "1:5"}));

        // Deletes of a show or a time point whose last statement fails keep
        // their commands and time points.
        QVERIFY(RunSql(QStringLiteral("create trigger keepShow before delete on Show "
                                      "begin select raise(abort, 'kept'); end")));
        QVERIFY(RunSql(QStringLiteral("create trigger keepPoint before delete on TimePoint "
                                      "begin select raise(abort, 'kept'); end")));
        QVERIFY(ed::DeleteShow(1).error.contains(QStringLiteral("kept")));
        QVERIFY(ed::DeleteTimePoint(1, 1).error.contains(QStringLiteral("kept")));
        QCOMPARE(SelectedCount(QStringLiteral("select count(*) from CommandsForShow")), 2);
        QCOMPARE(SelectedCount(QStringLiteral("select count(*) from TimePoint")), 1);

        // A deleted command table: a failure with its reason, no identifier.
        QVERIFY(RunSql(QStringLiteral("drop table CommandsForStop")));
        const auto next = ed::NextCommandId(CommandTarget::set(CommandsForStopSet));
        QVERIFY(!next.value);
        QVERIFY(next.error.contains(QStringLiteral("CommandsForStop")));
        QVERIFY(!ed::AddBlankCommands(CommandTarget::set(CommandsForStopSet), 1));
    }

    void pasteAndBlankCommandsNumberFromTheLargestIdentifier()
    {
        QVERIFY(putTimePoint(1, 1, 5));
        QVERIFY(putTimePoint(1, 2, 6));
        for (int id : {1, 2, 7})
            QVERIFY(putStored(1, 1, id, id));
        const QVector<TControlObject> clip {copied(30, 1, QStringLiteral("it's")), copied(10, 2), copied(20, 3)};

        // Into a list with commands: ids 8..10, each its id as sequence.
        const auto pasted = ed::PasteCommands(CommandTarget::timePoint(1, 1), clip);
        QCOMPARE(*pasted, (QVector<int> {8, 9, 10}));
        QCOMPARE(
            idsAndSequence(CommandTarget::timePoint(1, 1)), (QStringList {"1:1", "2:2", "7:7", "8:8", "9:9", "10:10"}));
        const auto read = ed::ReadCommands(CommandTarget::timePoint(1, 1));
        QCOMPARE(read->at(3).Remark, QStringLiteral("it's"));
        QCOMPARE(int(read->at(3).FirstParameter), 65535);
        QCOMPARE(read->at(3).DelayMS, 250);

        // Into an empty list: ids 1..3 keep the copied sequence numbers.
        QCOMPARE(*ed::PasteCommands(CommandTarget::timePoint(1, 2), clip), (QVector<int> {1, 2, 3}));
        QCOMPARE(idsAndSequence(CommandTarget::timePoint(1, 2)), (QStringList {"2:10", "3:20", "1:30"}));

        // Blank commands go on from the largest id, across the whole set table.
        QCOMPARE(*ed::AddBlankCommands(CommandTarget::timePoint(1, 1), 2), (QVector<int> {11, 12}));
        QVERIFY(putStored(0, 0, 5, 1));
        QCOMPARE(*ed::AddBlankCommands(CommandTarget::set(CommandsForPlaySet), 2), (QVector<int> {6, 7}));
        QCOMPARE(*ed::AddBlankCommands(CommandTarget::set(CommandsForStopSet), 2), (QVector<int> {1, 2}));
        const auto blank = ed::ReadCommands(CommandTarget::set(CommandsForStopSet));
        QCOMPARE(blank->size(), 2);
        QCOMPARE(int(blank->at(0).CommandTypeID), 3);
        QCOMPARE(blank->at(0).DelayMS, 0);
        QVERIFY(ed::AddBlankCommands(CommandTarget::set(CommandsForStopSet), 0));
        QVERIFY(!ed::AddBlankCommands(CommandTarget::set(CommandsForStopSet), -1));
        QVERIFY(!ed::ReadCommands(CommandTarget::set(CommandSetCode(9))));
    }

    void deletingAShowRemovesItsTimePointsAndCommandsOnly()
    {
        const auto first = ed::AddShow(settings, {1, true, 200, QStringLiteral("Opening"), QStringLiteral("/m/a.mp4")});
        const auto second = ed::AddShow(settings, {2, false, 9, QStringLiteral("Closing"), QStringLiteral("/m/b.mp4")});
        QCOMPARE(*first, 1);
        QCOMPARE(*second, 2);
        for (int show : {1, 2}) {
            QVERIFY(ed::AddTimePoint(show, 10));
            QVERIFY(ed::AddTimePoint(show, 20));
            QVERIFY(ed::AddBlankCommands(CommandTarget::timePoint(show, 1), 3));
            QVERIFY(ed::AddBlankCommands(CommandTarget::timePoint(show, 2), 1));
        }
        QVERIFY(ed::DeleteShow(1));
        QCOMPARE(SelectedCount(QStringLiteral("select count(*) from Show")), 1);
        QCOMPARE(SelectedCount(QStringLiteral("select count(*) from TimePoint where ShowID=1")), 0);
        QCOMPARE(SelectedCount(QStringLiteral("select count(*) from CommandsForShow where ShowID=1")), 0);
        QCOMPARE(SelectedCount(QStringLiteral("select count(*) from TimePoint where ShowID=2")), 2);
        QCOMPARE(SelectedCount(QStringLiteral("select count(*) from CommandsForShow where ShowID=2")), 4);

        QVERIFY(ed::DeleteTimePoint(2, 1));
        QCOMPARE(ed::ReadTimePoints(2)->size(), 1);
        QCOMPARE(SelectedCount(QStringLiteral("select count(*) from CommandsForShow where ShowID=2")), 1);
    }

    void showsCarryTheirNamesAndPathsFromShowIni()
    {
        QCOMPARE(*ed::NextShowSequenceNo(), 1);
        const auto id = ed::AddShow(settings, {5, true, 200, QStringLiteral("Opening"), QStringLiteral("/m/a.mp4")});
        QCOMPARE(*id, 1);
        QVERIFY(ed::UpdateShow(settings, 1, {4, false, 200, QStringLiteral("Opening act"), QStringLiteral("/m/c.mp4")}));
        const auto shown = ed::ReadShow(settings, 1);
        QVERIFY(shown && shown->has_value());
        const ed::ShowRow row = **shown;
        QCOMPARE(row.SequenceNo, 4);
        QCOMPARE(row.UniversalSwitchID, 0); // not active: stored as 0
        QCOMPARE(row.Name, QStringLiteral("Opening act"));
        QCOMPARE(row.URL, QStringLiteral("/m/c.mp4"));
        QVERIFY(!ed::ReadShow(settings, 7)->has_value());
        QCOMPARE(*ed::NextShowSequenceNo(), 5);
        QVERIFY(*ed::ShowNameExists(settings, QStringLiteral("Opening act")));
        QVERIFY(!*ed::ShowNameExists(settings, QStringLiteral("Opening act"), 1));
        QVERIFY(!*ed::ShowNameExists(settings, QStringLiteral("opening act")));

        // A name Show.ini cannot take keeps the row out as well.
        const auto refused = ed::AddShow(settings, {1, false, 0, QStringLiteral("two\nlines"), QStringLiteral("/m/d.mp4")});
        QVERIFY(!refused);
        QVERIFY(!refused.error.isEmpty());
        QCOMPARE(ed::ReadShows(settings)->size(), 1);

        // Time points: existence by second, remark and move.
        QCOMPARE(*ed::AddTimePoint(1, 75), 1);
        QVERIFY(*ed::TimePointExistsAt(1, 75));
        QVERIFY(!*ed::TimePointExistsAt(2, 75));
        QVERIFY(ed::UpdateTimePoint(1, 1, 3675, QStringLiteral("the 'big' one")));
        const auto point = ed::ReadTimePoint(1, 1);
        QCOMPARE((*point)->SecondOfTimePoint, 3675);
        QCOMPARE((*point)->Remark, QStringLiteral("the 'big' one"));
    }

    // Texts go in as bound values: whatever they hold, they are stored as
    // that text, byte for byte, and read back as typed.
    void textsAreStoredAndReadBackAsTyped_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("quotes") << QStringLiteral(u"it's \"the\" 'big' one");
        QTest::newRow("backslashes") << QStringLiteral(u"C:\\shows\\new\\'");
        QTest::newRow("percent and underscore") << QStringLiteral(u"100% _done_ %s %1");
        QTest::newRow("statement") << QStringLiteral(u"?'); drop table Show; --");
        QTest::newRow("Greek and Japanese") << QStringLiteral(u"Ωμέγα 東京");
        QTest::newRow("empty") << QString();
    }
    void textsAreStoredAndReadBackAsTyped()
    {
        QFETCH(QString, text);
        // The show's name lives in Show.ini, beside its row.
        const auto showId = ed::AddShow(settings, {1, false, 0, text, QStringLiteral("/m/a.mp4")});
        QVERIFY(showId);
        QCOMPARE((*ed::ReadShow(settings, *showId))->Name, text);
        QVERIFY(ed::UpdateShow(settings, *showId, {2, false, 0, text + text, QStringLiteral("/m/a.mp4")}));
        QCOMPARE((*ed::ReadShow(settings, *showId))->Name, text + text);

        const auto point = ed::AddTimePoint(*showId, 5);
        QVERIFY(point);
        QVERIFY(ed::UpdateTimePoint(*showId, *point, 6, text));
        QCOMPARE((*ed::ReadTimePoint(*showId, *point))->Remark, text);
        QCOMPARE(storedAs(QStringLiteral("Remark"), QStringLiteral("TimePoint"), QStringLiteral("TimePointID=1")),
                 textBytes(text));

        // Written by an edit, then pasted as it reads back: into a time point
        // and into a set.
        for (const CommandTarget& list :
             {CommandTarget::timePoint(*showId, *point), CommandTarget::set(CommandsForPauseSet)}) {
            const QString table = list.setCode == CommandsForShowSet ? QStringLiteral("CommandsForShow")
                                                                     : QStringLiteral("CommandsForPause");
            QCOMPARE(*ed::PasteCommands(list, {copied(1, 7, QStringLiteral("before"))}), QVector<int> {1});
            TControlObject edited = ed::ReadCommands(list)->at(0);
            edited.Remark = text;
            QVERIFY(ed::UpdateCommands(list, {edited}));
            QCOMPARE(*ed::PasteCommands(list, *ed::ReadCommands(list)), QVector<int> {2});
            const auto read = ed::ReadCommands(list);
            QCOMPARE(read->size(), 2);
            for (const TControlObject& c : *read) {
                QCOMPARE(c.Remark, text);
                QCOMPARE(storedAs(QStringLiteral("Remark"), table, QStringLiteral("CommandID=%1").arg(c.CommandID)),
                         textBytes(text));
            }
        }
        QCOMPARE(SelectedCount(QStringLiteral("select count(*) from Show")), 1);
    }

    // The statements of a list reach its rows and no others: the same
    // identifiers in other lists, and show and time point numbers swapped,
    // stay as they were.
    void everyListKeepsToItsOwnRows_data()
    {
        QTest::addColumn<int>("set");
        QTest::newRow("time point") << int(CommandsForShowSet);
        QTest::newRow("play") << int(CommandsForPlaySet);
        QTest::newRow("pause") << int(CommandsForPauseSet);
        QTest::newRow("stop") << int(CommandsForStopSet);
    }
    void everyListKeepsToItsOwnRows()
    {
        QFETCH(int, set);
        const QList<CommandTarget> lists{
            CommandTarget::timePoint(3, 7),          CommandTarget::timePoint(7, 3),
            CommandTarget::timePoint(3, 8),          CommandTarget::set(CommandsForPlaySet),
            CommandTarget::set(CommandsForPauseSet), CommandTarget::set(CommandsForStopSet)};
        const int at = set == CommandsForShowSet ? 0 : set + 1;
        const CommandTarget target = lists[at];
        QList<CommandTarget> others;
        for (int i = 0; i < lists.size(); ++i) {
            QVERIFY(ed::PasteCommands(lists[i], {copied(1, 11), copied(2, 12)}));
            if (i == at)
                continue;
            const CommandTarget& list = lists[i];
            QVERIFY(ed::PasteCommands(list, {copied(3, 13), copied(4, 14), copied(5, 15), copied(6, 16),
                                             copied(7, 17), copied(8, 18), copied(9, 19)}));
            others << list;
        }
        QStringList before;
        for (const CommandTarget& list : others)
            before << described(list);

        QCOMPARE(*ed::NextCommandId(target), 3);
        QCOMPARE(*ed::AddBlankCommands(target, 1), QVector<int> {3});
        QCOMPARE(*ed::PasteCommands(target, {copied(9, 20, QStringLiteral("new"))}), QVector<int> {4});
        TControlObject first = ed::ReadCommands(target)->at(0);
        first.SequenceNo = 7;
        first.DeviceID = 30;
        QVERIFY(ed::UpdateCommands(target, {first}));
        QVERIFY(ed::DeleteCommands(target, {2}));
        QCOMPARE(described(target), (QStringList {"3:3:0:3:", "4:4:20:4:new", "1:7:30:4:"}));
        // A blank command leaves its remark and delay empty.
        const auto blank = ed::ReadCommandList(target).rows.at(0);
        QVERIFY(blank.delayIsEmpty);
        const QString table = CommandTableName(CommandSetCode(set));
        const QString blankRow = set == CommandsForShowSet
                                     ? QStringLiteral("ShowID=3 and TimePointID=7 and CommandID=3")
                                     : QStringLiteral("CommandID=3");
        QCOMPARE(storedAs(QStringLiteral("Remark"), table, blankRow), QStringLiteral("null:"));

        QStringList after;
        for (const CommandTarget& list : others)
            after << described(list);
        QCOMPARE(after, before);
    }

    void timePointsKeepToTheirOwnShow()
    {
        for (int id : {3, 7})
            QVERIFY(putShow(id));
        QVERIFY(putTimePoint(3, 7, 70) && putTimePoint(7, 3, 30) && putTimePoint(3, 8, 80));
        QVERIFY(putStored(3, 7, 1, 1) && putStored(7, 3, 1, 1) && putStored(3, 8, 1, 1));
        QVERIFY(*ed::TimePointExistsAt(3, 70));
        QVERIFY(!*ed::TimePointExistsAt(7, 70));
        QVERIFY(!*ed::TimePointExistsAt(3, 30));
        QCOMPARE(*ed::NextTimePointId(3), 9);
        QCOMPARE(*ed::NextTimePointId(7), 4);

        QVERIFY(ed::UpdateTimePoint(3, 7, 75, QStringLiteral("moved")));
        QCOMPARE((*ed::ReadTimePoint(3, 7))->SecondOfTimePoint, 75);
        QCOMPARE((*ed::ReadTimePoint(7, 3))->SecondOfTimePoint, 30);
        QCOMPARE((*ed::ReadTimePoint(7, 3))->Remark, QString());

        QVERIFY(ed::DeleteTimePoint(3, 7));
        QCOMPARE(ed::ReadTimePoints(3)->size(), 1);
        QCOMPARE(ed::ReadTimePoints(7)->size(), 1);
        QCOMPARE(SelectedCount(QStringLiteral("select count(*) from CommandsForShow")), 2);
        QVERIFY(ed::DeleteShow(3));
        QVERIFY(ed::ReadTimePoints(3)->isEmpty());
        QCOMPARE(ed::ReadCommands(CommandTarget::timePoint(7, 3))->size(), 1);
        QCOMPARE(ed::ReadShows(settings)->size(), 1);
    }

    // A read that fails comes back with the database's reason, no rows.
    void aReadThatFailsTellsTheDatabasesReason()
    {
        QVERIFY(putShow(1));
        QVERIFY(RunSql(QStringLiteral("drop table CommandsForPause")));
        const auto list = ed::ReadCommandList(CommandTarget::set(CommandsForPauseSet));
        QVERIFY(!list.complete());
        QVERIFY(list.rows.isEmpty());
        QVERIFY2(list.error.contains(QStringLiteral("CommandsForPause")), qPrintable(list.error));
        const auto commands = ed::ReadCommands(CommandTarget::set(CommandsForPauseSet));
        QVERIFY(!commands && commands.error.contains(QStringLiteral("CommandsForPause")));

        QVERIFY(RunSql(QStringLiteral("drop table TimePoint")));
        QVERIFY(ed::ReadTimePoints(1).error.contains(QStringLiteral("TimePoint")));
        QVERIFY(ed::ReadTimePoint(1, 1).error.contains(QStringLiteral("TimePoint")));
        QVERIFY(ed::TimePointExistsAt(1, 1).error.contains(QStringLiteral("TimePoint")));

        QVERIFY(RunSql(QStringLiteral("alter table Show rename to Gone")));
        const auto shows = ed::ReadShowList(settings);
        QVERIFY(shows.rows.isEmpty());
        QVERIFY2(shows.error.contains(QStringLiteral("Show")), qPrintable(shows.error));
        QVERIFY(!ed::ReadShows(settings));
        QVERIFY(ed::ReadShow(settings, 1).error.contains(QStringLiteral("Show")));

        CloseDatabase();
        QCOMPARE(ed::ReadCommandList(CommandTarget::set(CommandsForPlaySet)).error,
                 QStringLiteral("The show database is not open"));
    }

    void aShowIsSavedWithItsShowIniEntryOrNotAtAll()
    {
        QVERIFY(ed::AddShow(settings, {1, true, 5, QStringLiteral("Opening"), QStringLiteral("/m/a.mp4")}));
        const QString iniPath = folder->path(QStringLiteral("Database/Show.ini"));
        const QByteArray iniBefore = fileBytes(iniPath);
        const auto unchanged = [&] {
            const auto row = ed::ReadShow(settings, 1);
            QVERIFY(row && row->has_value());
            QCOMPARE((*row)->SequenceNo, 1);
            QCOMPARE((*row)->UniversalSwitchID, 5);
            QCOMPARE((*row)->Name, QStringLiteral("Opening"));
            QCOMPARE(SelectedCount(QStringLiteral("select count(*) from Show")), 1);
            QCOMPARE(fileBytes(iniPath), iniBefore);
            settings.ShowIni->reload();
            QCOMPARE(ShowNameOf(settings, 2), QString());
        };
        const ed::ShowFields renamed{9, true, 7, QStringLiteral("Renamed"), QStringLiteral("/m/b.mp4")};
        const ed::ShowFields added{2, false, 0, QStringLiteral("Closing"), QStringLiteral("/m/c.mp4")};

        {
            // The database refuses the commit: Show.ini is not touched.
            ReaderHoldingTheDatabase reader(folder->path(QStringLiteral("Database/DB.mdb")));
            QVERIFY(reader.held);
            const auto edit = ed::UpdateShow(settings, 1, renamed);
            QVERIFY(!edit);
            QVERIFY2(edit.error.contains(QStringLiteral("locked")), qPrintable(edit.error));
            QVERIFY(!ed::AddShow(settings, added));
        }
        unchanged();

        // Show.ini refuses the entry: the committed row change is taken back.
        settings.ShowIni = std::make_unique<IniFile>(iniPath, [] { return false; });
        const auto edit = ed::UpdateShow(settings, 1, renamed);
        const auto add = ed::AddShow(settings, added);
        settings.ShowIni = std::make_unique<IniFile>(iniPath);
        QVERIFY(!edit);
        QVERIFY(!add);
        QVERIFY(add.error.contains(QStringLiteral("Show.ini")));
        unchanged();

        // Nothing is stuck: the same edit goes through afterwards.
        QVERIFY(ed::UpdateShow(settings, 1, renamed));
        QCOMPARE((*ed::ReadShow(settings, 1))->Name, QStringLiteral("Renamed"));
    }
};

QTEST_MAIN(TestEditing)
#include "tst_showstore.moc"
