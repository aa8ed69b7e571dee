#include "showstore.h"

#include "commandrows.h"
#include "database.h"
#include "settingsfiles.h"
#include "statements.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

#include <limits>

namespace ShowStore {

namespace {

// ---- Statements -----------------------------------------------------------
// Each operation's statement, its values bound in order.

Statement selectShows()
{
    return {QStringLiteral("select * from Show order by SequenceNo"), {}};
}

Statement selectShow(int showId)
{
    return {QStringLiteral("select * from Show where ShowID=?"), {showId}};
}

Statement maxShowSequenceNo()
{
    return {QStringLiteral("select Max(SequenceNo) as MaxIndex from Show"), {}};
}

Statement maxShowId()
{
    return {QStringLiteral("select Max(ShowID) as MaxIndex from Show"), {}};
}

Statement insertShow(int showId, int sequenceNo, int activedUniversalSwitch, int universalSwitchId)
{
    return {QStringLiteral("insert into Show(ShowID,SequenceNo,ActivedUniversalSwitch,UniversalSwitchID) "
                           "values(?,?,?,?)"),
            {showId, sequenceNo, activedUniversalSwitch, universalSwitchId}};
}

Statement updateShow(int showId, int sequenceNo, int activedUniversalSwitch, int universalSwitchId)
{
    return {QStringLiteral("update Show set SequenceNo=?,ActivedUniversalSwitch=?,UniversalSwitchID=? "
                           "where ShowID=?"),
            {sequenceNo, activedUniversalSwitch, universalSwitchId, showId}};
}

// Commands, then time points, then the show row, to be run in one transaction.
QVector<Statement> deleteShow(int showId)
{
    return {{QStringLiteral("delete from CommandsForShow where ShowID=?"), {showId}},
            {QStringLiteral("delete from TimePoint where ShowID=?"), {showId}},
            {QStringLiteral("delete from Show where ShowID=?"), {showId}}};
}

Statement selectTimePoints(int showId)
{
    return {QStringLiteral("select * from TimePoint where ShowID=? order by SecondOfTimePoint"), {showId}};
}

Statement selectTimePoint(int showId, int timePointId)
{
    return {QStringLiteral("select * from TimePoint where ShowID=? and TimePointID=?"), {showId, timePointId}};
}

Statement selectTimePointAtSecond(int showId, int second)
{
    return {QStringLiteral("select * from TimePoint where SecondOfTimePoint=? and ShowID=?"), {second, showId}};
}

Statement maxTimePointId(int showId)
{
    return {QStringLiteral("select Max(TimePointID) as MaxIndex from TimePoint where ShowID=?"), {showId}};
}

Statement insertTimePoint(int showId, int timePointId, int second)
{
    return {QStringLiteral("insert into TimePoint(ShowID,TimePointID,SecondOfTimePoint) values(?,?,?)"),
            {showId, timePointId, second}};
}

Statement updateTimePoint(int showId, int timePointId, int second, const QString& remark)
{
    return {QStringLiteral("update TimePoint set SecondOfTimePoint=?,Remark=? where ShowID=? and TimePointID=?"),
            {second, TextValue(remark), showId, timePointId}};
}

// Its commands, then the time point row, to be run in one transaction.
QVector<Statement> deleteTimePoint(int showId, int timePointId)
{
    return {{QStringLiteral("delete from CommandsForShow where ShowID=? and TimePointID=?"), {showId, timePointId}},
            {QStringLiteral("delete from TimePoint where ShowID=? and TimePointID=?"), {showId, timePointId}}};
}

// The statements over a command list. A time point's commands are the rows
// of CommandsForShow with its show and time point; a set is a whole table.

QString setTable(const CommandTarget& target)
{
    return CommandTableName(target.setCode);
}

bool ofTimePoint(const CommandTarget& t)
{
    return t.setCode == CommandsForShowSet;
}

Statement selectCommands(const CommandTarget& t)
{
    if (ofTimePoint(t))
        return {QStringLiteral("select * from CommandsForShow where ShowID=? and TimePointID=? order by SequenceNo"),
                {t.showId, t.timePointId}};
    return {QStringLiteral("select * from %1 order by SequenceNo").arg(setTable(t)), {}};
}

Statement maxCommandId(const CommandTarget& t)
{
    if (ofTimePoint(t))
        return {QStringLiteral("select Max(CommandID) as MaxIndex from CommandsForShow where ShowID=? and "
                               "TimePointID=?"),
                {t.showId, t.timePointId}};
    return {QStringLiteral("select Max(CommandID) as MaxIndex from %1").arg(setTable(t)), {}};
}

// A blank command: kind 3, everything else 0, Remark and DelayMS left empty.
Statement blankInsert(const CommandTarget& t, int commandId)
{
    if (ofTimePoint(t))
        return {QStringLiteral("insert into CommandsForShow(ShowID,TimePointID,CommandID,SequenceNo,SubnetID,"
                               "DeviceID,CommandTypeID,FirstParameter,SecondParameter,ThirdParameter) "
                               "values(?,?,?,?,0,0,3,0,0,0)"),
                {t.showId, t.timePointId, commandId, commandId}};
    return {QStringLiteral("insert into %1(CommandID,SequenceNo,SubnetID,DeviceID,CommandTypeID,FirstParameter,"
                           "SecondParameter,ThirdParameter) values(?,?,0,0,3,0,0,0)")
                .arg(setTable(t)),
            {commandId, commandId}};
}

// Every column of the record, its CommandID and SequenceNo as the caller
// set them.
Statement copyInsert(const CommandTarget& t, const TControlObject& c)
{
    const QVariantList values{TextValue(c.Remark),   c.CommandID,           c.SequenceNo,
                              int(c.SubnetID),       int(c.DeviceID),       int(c.CommandTypeID),
                              int(c.FirstParameter), int(c.SecondParameter), int(c.ThirdParameter),
                              c.DelayMS};
    const QString columns = QStringLiteral("Remark,CommandID,SequenceNo,SubnetID,DeviceID,CommandTypeID,"
                                           "FirstParameter,SecondParameter,ThirdParameter,DelayMS");
    if (ofTimePoint(t))
        return {QStringLiteral("insert into CommandsForShow(ShowID,TimePointID,%1) values(?,?,?,?,?,?,?,?,?,?,?,?)")
                    .arg(columns),
                QVariantList{t.showId, t.timePointId} + values};
    return {QStringLiteral("insert into %1(%2) values(?,?,?,?,?,?,?,?,?,?)").arg(setTable(t), columns), values};
}

// Every column of the command with c's CommandID but its identity.
Statement update(const CommandTarget& t, const TControlObject& c)
{
    QVariantList values{int(c.CommandTypeID),   c.SequenceNo,          TextValue(c.Remark),
                        int(c.SubnetID),        int(c.DeviceID),       int(c.FirstParameter),
                        int(c.SecondParameter), int(c.ThirdParameter), c.DelayMS};
    QString sql = QStringLiteral("update %1 set CommandTypeID=?,SequenceNo=?,Remark=?,SubnetID=?,DeviceID=?,"
                                 "FirstParameter=?,SecondParameter=?,ThirdParameter=?,DelayMS=? where ")
                      .arg(setTable(t));
    if (ofTimePoint(t)) {
        sql += QStringLiteral("ShowID=? and TimePointID=? and ");
        values << t.showId << t.timePointId;
    }
    values << c.CommandID;
    return {sql + QStringLiteral("CommandID=?"), values};
}

Statement remove(const CommandTarget& t, int commandId)
{
    if (ofTimePoint(t))
        return {QStringLiteral("delete from CommandsForShow where ShowID=? and TimePointID=? and CommandID=?"),
                {t.showId, t.timePointId, commandId}};
    return {QStringLiteral("delete from %1 where CommandID=?").arg(setTable(t)), {commandId}};
}

// ---- Running them ---------------------------------------------------------

// The result of a "select Max(...) as MaxIndex" statement.
struct NextValue {
    int next = 1;
    bool empty = true; // no row had a value: the first identifier is 1
};

std::optional<NextValue> readNext(QSqlQuery& query, const Statement& maxStatement, int wanted, QString* error)
{
    if (!OpenStatement(query, maxStatement, error))
        return std::nullopt;
    NextValue result;
    if (query.next()) {
        const QVariant value = query.value(0);
        if (!value.isNull()) {
            bool ok = false;
            const qlonglong max = value.toLongLong(&ok);
            if (!ok) {
                *error = QStringLiteral("The largest identifier is not a number: ") + value.toString();
                query.finish();
                return std::nullopt;
            }
            // The new identifiers must all fit in the column's 32 bits.
            if (max > qlonglong(std::numeric_limits<int>::max()) - qMax(wanted, 1)) {
                *error = QStringLiteral("No identifier is left above ") + QString::number(max);
                query.finish();
                return std::nullopt;
            }
            result.next = int(max + 1);
            result.empty = false;
        }
    }
    if (!WalkedToEnd(query, error))
        return std::nullopt;
    return result;
}

IdResult nextId(const Statement& maxStatement)
{
    QSqlQuery query = StandaloneQuery();
    QString error;
    const auto next = readNext(query, maxStatement, 1, &error);
    return next ? IdResult::success(next->next) : IdResult::failure(error);
}

bool knownTarget(const CommandTarget& target)
{
    return !setTable(target).isEmpty();
}

QString unknownTarget()
{
    return QStringLiteral("There is no such command list");
}

// Runs the statements in one transaction: all of them or none.
EditResult runInTransaction(const QVector<Statement>& statements)
{
    DbTransaction tx;
    if (!tx.isActive())
        return EditResult::failure(tx.failureText());
    QSqlQuery query = StandaloneQuery();
    QString error;
    if (!RunStatements(query, statements, &error))
        return EditResult::failure(error); // tx rolls back
    if (!tx.commit())
        return EditResult::failure(tx.failureText());
    return EditResult::success();
}

// Inserts a numbered batch of commands in one transaction. makeStatement
// gets the new CommandID and whether the list was empty before.
template <typename MakeStatement>
Outcome<QVector<int>> insertBatch(const CommandTarget& target, int count, MakeStatement makeStatement)
{
    if (!knownTarget(target))
        return Outcome<QVector<int>>::failure(unknownTarget());
    if (count < 0)
        return Outcome<QVector<int>>::failure(QStringLiteral("The number of commands cannot be below 0"));
    DbTransaction tx;
    if (!tx.isActive())
        return Outcome<QVector<int>>::failure(tx.failureText());
    QSqlQuery query = StandaloneQuery();
    QString error;
    const auto first = readNext(query, maxCommandId(target), count, &error);
    if (!first)
        return Outcome<QVector<int>>::failure(error);
    QVector<int> ids;
    ids.reserve(count);
    for (int i = 0; i < count; ++i) {
        const int id = first->next + i;
        if (!RunStatement(query, makeStatement(i, id, first->empty), &error))
            return Outcome<QVector<int>>::failure(error); // tx rolls back
        ids.append(id);
    }
    if (!tx.commit())
        return Outcome<QVector<int>>::failure(tx.failureText());
    return Outcome<QVector<int>>::success(ids);
}

ShowRow showRowOf(const SettingsFiles& files, const QSqlQuery& row)
{
    ShowRow show;
    show.ShowID = FieldInt(row, QStringLiteral("ShowID"));
    show.SequenceNo = FieldInt(row, QStringLiteral("SequenceNo"));
    show.ActivedUniversalSwitch = FieldInt(row, QStringLiteral("ActivedUniversalSwitch"));
    show.UniversalSwitchID = FieldInt(row, QStringLiteral("UniversalSwitchID"));
    show.Name = ShowNameOf(files, show.ShowID);
    show.URL = ShowUrlOf(files, show.ShowID);
    return show;
}

// Show rows, with their names and media paths from Show.ini.
auto showRows(const SettingsFiles& files)
{
    return [&files](const QSqlQuery& row) { return showRowOf(files, row); };
}

TTimePoint timePointOf(const QSqlQuery& row)
{
    TTimePoint point;
    point.TimePointID = FieldInt(row, QStringLiteral("TimePointID"));
    point.SecondOfTimePoint = FieldInt(row, QStringLiteral("SecondOfTimePoint"));
    point.Remark = FieldText(row, QStringLiteral("Remark"));
    return point;
}

// A reader that looks each field up by name.
template <typename ReadRow> auto byName(ReadRow readRow)
{
    return [readRow](const QSqlRecord&) { return readRow; };
}

// Command rows, their columns looked up once.
auto commandListRows()
{
    return [](const QSqlRecord& columns) {
        return [reader = CommandRowReader(columns)](const QSqlQuery& row) {
            return CommandListRow{reader.read(row), reader.delayIsEmpty(row)};
        };
    };
}

// The rows of the statement, as far as the database lets them be read.
template <typename T, typename MakeReader> RowsRead<T> readRows(const Statement& statement, MakeReader makeReader)
{
    RowsRead<T> read;
    ReadRows(statement, makeReader, &read.rows, &read.error);
    return read;
}

// Every row, or the reason the read stopped.
template <typename T> Outcome<QVector<T>> whole(RowsRead<T> read)
{
    if (!read.complete())
        return Outcome<QVector<T>>::failure(read.error);
    return Outcome<QVector<T>>::success(std::move(read.rows));
}

// The first row of the statement, or none.
template <typename T, typename ReadRow>
Outcome<std::optional<T>> readFirst(const Statement& statement, ReadRow readRow)
{
    QSqlQuery query = StandaloneQuery();
    QString error;
    if (!OpenStatement(query, statement, &error))
        return Outcome<std::optional<T>>::failure(error);
    std::optional<T> row;
    if (query.next())
        row = readRow(query);
    if (!WalkedToEnd(query, &error))
        return Outcome<std::optional<T>>::failure(error);
    return Outcome<std::optional<T>>::success(row);
}

QString showIniFailure()
{
    return QStringLiteral("The show's name and media path could not be written to Show.ini");
}

int storedSwitchId(const ShowFields& fields)
{
    return fields.ActivedUniversalSwitch ? fields.UniversalSwitchID : 0;
}

// Writes the show's Show.ini entry once its row is committed. When the file
// refuses it, the statements take the committed change back, so that a
// failure leaves both as they were.
EditResult writeShowEntryOrTakeBack(SettingsFiles& files, int showId, const ShowFields& fields,
                                    const QVector<Statement>& takeBack)
{
    if (WriteShowEntry(files, showId, fields.Name, fields.URL))
        return EditResult::success();
    const EditResult undone = takeBack.isEmpty() ? EditResult::success() : runInTransaction(takeBack);
    if (undone)
        return EditResult::failure(showIniFailure());
    return EditResult::failure(showIniFailure() + QStringLiteral("; the database change could not be taken back "
                                                                 "either: ") + undone.error);
}

} // namespace

// ---- Shows ----------------------------------------------------------------

Outcome<QVector<ShowRow>> ReadShows(const SettingsFiles& files)
{
    return whole(ReadShowList(files));
}

RowsRead<ShowRow> ReadShowList(const SettingsFiles& files)
{
    return readRows<ShowRow>(selectShows(), byName(showRows(files)));
}

Outcome<std::optional<ShowRow>> ReadShow(const SettingsFiles& files, int showId)
{
    return readFirst<ShowRow>(selectShow(showId), showRows(files));
}

IdResult NextShowSequenceNo()
{
    return nextId(maxShowSequenceNo());
}

IdResult NextShowId()
{
    return nextId(maxShowId());
}

Outcome<bool> ShowNameExists(const SettingsFiles& files, const QString& name, std::optional<int> exceptShowId)
{
    const auto shows = ReadShows(files);
    if (!shows)
        return Outcome<bool>::failure(shows.error);
    for (const ShowRow& show : *shows) {
        if (show.Name == name && (!exceptShowId || show.ShowID != *exceptShowId))
            return Outcome<bool>::success(true);
    }
    return Outcome<bool>::success(false);
}

// The database is committed first and Show.ini written after it; when the
// file refuses the entry, the committed change is taken back, so a failure
// leaves both files as they were. (Writing the file first would leave an
// entry behind for a row that a refused commit, or a kill, never kept.)
IdResult AddShow(SettingsFiles& files, const ShowFields& fields)
{
    int showId = 0;
    {
        DbTransaction tx;
        if (!tx.isActive())
            return IdResult::failure(tx.failureText());
        QSqlQuery query = StandaloneQuery();
        QString error;
        const auto next = readNext(query, maxShowId(), 1, &error);
        if (!next)
            return IdResult::failure(error);
        showId = next->next;
        if (!RunStatement(query,
                          insertShow(showId, fields.SequenceNo, fields.ActivedUniversalSwitch ? 1 : 0,
                                     storedSwitchId(fields)),
                          &error))
            return IdResult::failure(error);
        if (!tx.commit())
            return IdResult::failure(tx.failureText());
    }
    const EditResult written = writeShowEntryOrTakeBack(files, showId, fields, deleteShow(showId));
    return written ? IdResult::success(showId) : IdResult::failure(written.error);
}

EditResult UpdateShow(SettingsFiles& files, int showId, const ShowFields& fields)
{
    std::optional<ShowRow> before;
    {
        DbTransaction tx;
        if (!tx.isActive())
            return EditResult::failure(tx.failureText());
        const auto read = readFirst<ShowRow>(selectShow(showId), showRows(files));
        if (!read)
            return EditResult::failure(read.error);
        before = *read;
        QSqlQuery query = StandaloneQuery();
        QString error;
        if (!RunStatement(query,
                          updateShow(showId, fields.SequenceNo, fields.ActivedUniversalSwitch ? 1 : 0,
                                     storedSwitchId(fields)),
                          &error))
            return EditResult::failure(error);
        if (!tx.commit())
            return EditResult::failure(tx.failureText());
    }
    // Without a row there was nothing to change, and nothing to take back.
    return writeShowEntryOrTakeBack(files, showId, fields,
                                    before ? QVector<Statement>{updateShow(showId, before->SequenceNo,
                                                                            before->ActivedUniversalSwitch,
                                                                            before->UniversalSwitchID)}
                                           : QVector<Statement>{});
}

EditResult DeleteShow(int showId)
{
    return runInTransaction(deleteShow(showId));
}

// ---- Time points --------------------------------------------------------

Outcome<QVector<TTimePoint>> ReadTimePoints(int showId)
{
    return whole(readRows<TTimePoint>(selectTimePoints(showId), byName(timePointOf)));
}

Outcome<std::optional<TTimePoint>> ReadTimePoint(int showId, int timePointId)
{
    return readFirst<TTimePoint>(selectTimePoint(showId, timePointId), timePointOf);
}

Outcome<bool> TimePointExistsAt(int showId, int second)
{
    const auto found
        = readFirst<bool>(selectTimePointAtSecond(showId, second), [](const QSqlQuery&) { return true; });
    if (!found)
        return Outcome<bool>::failure(found.error);
    return Outcome<bool>::success(found->has_value());
}

IdResult NextTimePointId(int showId)
{
    return nextId(maxTimePointId(showId));
}

IdResult AddTimePoint(int showId, int second)
{
    DbTransaction tx;
    if (!tx.isActive())
        return IdResult::failure(tx.failureText());
    QSqlQuery query = StandaloneQuery();
    QString error;
    const auto next = readNext(query, maxTimePointId(showId), 1, &error);
    if (!next)
        return IdResult::failure(error);
    if (!RunStatement(query, insertTimePoint(showId, next->next, second), &error))
        return IdResult::failure(error);
    if (!tx.commit())
        return IdResult::failure(tx.failureText());
    return IdResult::success(next->next);
}

EditResult UpdateTimePoint(int showId, int timePointId, int second, const QString& remark)
{
    return runInTransaction({updateTimePoint(showId, timePointId, second, remark)});
}

EditResult DeleteTimePoint(int showId, int timePointId)
{
    return runInTransaction(deleteTimePoint(showId, timePointId));
}

// ---- Commands -------------------------------------------------------------

Outcome<QVector<TControlObject>> ReadCommands(const CommandTarget& target)
{
    const auto read = whole(ReadCommandList(target));
    if (!read)
        return Outcome<QVector<TControlObject>>::failure(read.error);
    QVector<TControlObject> commands;
    commands.reserve(read->size());
    for (const CommandListRow& row : *read)
        commands.append(row.command);
    return Outcome<QVector<TControlObject>>::success(commands);
}

RowsRead<CommandListRow> ReadCommandList(const CommandTarget& target)
{
    if (!knownTarget(target))
        return {{}, unknownTarget()};
    return readRows<CommandListRow>(selectCommands(target), commandListRows());
}

IdResult NextCommandId(const CommandTarget& target)
{
    if (!knownTarget(target))
        return IdResult::failure(unknownTarget());
    return nextId(maxCommandId(target));
}

Outcome<QVector<int>> AddBlankCommands(const CommandTarget& target, int count)
{
    return insertBatch(target, count, [&target](int, int id, bool) { return blankInsert(target, id); });
}

Outcome<QVector<int>> PasteCommands(const CommandTarget& target, const QVector<TControlObject>& commands)
{
    return insertBatch(target, int(commands.size()), [&](int i, int id, bool listWasEmpty) {
        TControlObject copy = commands.at(i);
        copy.CommandID = id;
        if (!listWasEmpty)
            copy.SequenceNo = id;
        return copyInsert(target, copy);
    });
}

EditResult UpdateCommands(const CommandTarget& target, const QVector<TControlObject>& commands)
{
    if (!knownTarget(target))
        return EditResult::failure(unknownTarget());
    QVector<Statement> statements;
    for (const TControlObject& command : commands)
        statements << update(target, command);
    return runInTransaction(statements);
}

EditResult DeleteCommands(const CommandTarget& target, const QVector<int>& commandIds)
{
    if (!knownTarget(target))
        return EditResult::failure(unknownTarget());
    QVector<Statement> statements;
    for (int id : commandIds)
        statements << remove(target, id);
    return runInTransaction(statements);
}

} // namespace ShowStore
