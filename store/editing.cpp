#include "editing.h"

#include "commandrows.h"
#include "database.h"
#include "settingsfiles.h"
#include "sqltext.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

#include <limits>

namespace ShowEditing {

namespace {

QString reasonOf(const QSqlQuery& query)
{
    if (!IsDatabaseOpen())
        return QStringLiteral("The show database is not open");
    const QString text = query.lastError().text().trimmed();
    return text.isEmpty() ? QStringLiteral("The statement could not be run") : text;
}

// Runs one statement on the query; on failure sets the reason.
bool run(QSqlQuery& query, const QString& statement, QString* error)
{
    query.finish();
    const bool ok = query.exec(statement);
    if (!ok)
        *error = reasonOf(query);
    query.finish();
    return ok;
}

bool runAll(QSqlQuery& query, const QStringList& statements, QString* error)
{
    for (const QString& statement : statements) {
        if (!run(query, statement, error))
            return false;
    }
    return true;
}

// Runs a select on the query, leaving it on its rows.
bool open(QSqlQuery& query, const QString& statement, QString* error)
{
    query.finish();
    if (query.exec(statement))
        return true;
    *error = reasonOf(query);
    query.finish();
    return false;
}

// The end of a walk: false with the reason when it ended on a read error.
bool walkedToEnd(QSqlQuery& query, QString* error)
{
    const bool ok = !query.lastError().isValid();
    if (!ok)
        *error = reasonOf(query);
    query.finish();
    return ok;
}

// The result of a "select Max(...) as MaxIndex" statement.
struct NextValue {
    int next = 1;
    bool empty = true; // no row had a value: the first identifier is 1
};

std::optional<NextValue> readNext(QSqlQuery& query, const QString& maxStatement, int wanted, QString* error)
{
    if (!open(query, maxStatement, error))
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
    if (!walkedToEnd(query, error))
        return std::nullopt;
    return result;
}

IdResult nextId(const QString& maxStatement)
{
    QSqlQuery query = StandaloneQuery();
    QString error;
    const auto next = readNext(query, maxStatement, 1, &error);
    return next ? IdResult::success(next->next) : IdResult::failure(error);
}

QString setTable(const CommandTarget& target)
{
    return CommandTableName(target.setCode);
}

bool knownTarget(const CommandTarget& target)
{
    return !setTable(target).isEmpty();
}

QString unknownTarget()
{
    return QStringLiteral("There is no such command list");
}

QString maxCommandIdStatement(const CommandTarget& t)
{
    return t.setCode == CommandsForShowSet ? SqlSelectMaxTimePointCommandId(t.showId, t.timePointId)
                                           : SqlSelectMaxCommandSetId(setTable(t));
}

QString blankInsert(const CommandTarget& t, int commandId)
{
    return t.setCode == CommandsForShowSet ? SqlInsertBlankTimePointCommand(t.showId, t.timePointId, commandId)
                                           : SqlInsertBlankCommandSetCommand(setTable(t), commandId);
}

QString copyInsert(const CommandTarget& t, const TControlObject& c)
{
    return t.setCode == CommandsForShowSet ? SqlInsertTimePointCommand(t.showId, t.timePointId, c)
                                           : SqlInsertCommandSetCommand(setTable(t), c);
}

QString update(const CommandTarget& t, const TControlObject& c)
{
    return t.setCode == CommandsForShowSet ? SqlUpdateTimePointCommand(t.showId, t.timePointId, c)
                                           : SqlUpdateCommandSetCommand(setTable(t), c);
}

QString remove(const CommandTarget& t, int commandId)
{
    return t.setCode == CommandsForShowSet ? SqlDeleteTimePointCommand(t.showId, t.timePointId, commandId)
                                           : SqlDeleteCommandSetCommand(setTable(t), commandId);
}

// Runs the statements in one transaction: all of them or none.
EditResult runInTransaction(const QStringList& statements)
{
    DbTransaction tx;
    if (!tx.isActive())
        return EditResult::failure(tx.failureText());
    QSqlQuery query = StandaloneQuery();
    QString error;
    if (!runAll(query, statements, &error))
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
    const auto first = readNext(query, maxCommandIdStatement(target), count, &error);
    if (!first)
        return Outcome<QVector<int>>::failure(error);
    QVector<int> ids;
    ids.reserve(count);
    for (int i = 0; i < count; ++i) {
        const int id = first->next + i;
        if (!run(query, makeStatement(i, id, first->empty), &error))
            return Outcome<QVector<int>>::failure(error); // tx rolls back
        ids.append(id);
    }
    if (!tx.commit())
        return Outcome<QVector<int>>::failure(tx.failureText());
    return Outcome<QVector<int>>::success(ids);
}

ShowRow showRowOf(const QSqlQuery& row)
{
    ShowRow show;
    show.ShowID = FieldInt(row, QStringLiteral("ShowID"));
    show.SequenceNo = FieldInt(row, QStringLiteral("SequenceNo"));
    show.ActivedUniversalSwitch = FieldInt(row, QStringLiteral("ActivedUniversalSwitch"));
    show.UniversalSwitchID = FieldInt(row, QStringLiteral("UniversalSwitchID"));
    show.Name = ShowNameOf(show.ShowID);
    show.URL = ShowUrlOf(show.ShowID);
    return show;
}

TTimePoint timePointOf(const QSqlQuery& row)
{
    TTimePoint point;
    point.TimePointID = FieldInt(row, QStringLiteral("TimePointID"));
    point.SecondOfTimePoint = FieldInt(row, QStringLiteral("SecondOfTimePoint"));
    point.Remark = FieldText(row, QStringLiteral("Remark"));
    return point;
}

// Reads the rows of the statement, each with the reader makeReader gives
// for the statement's columns, as far as the database lets it.
template <typename T, typename MakeReader> RowsRead<T> readRows(const QString& statement, MakeReader makeReader)
{
    RowsRead<T> read;
    QSqlQuery query = StandaloneQuery();
    if (!open(query, statement, &read.error))
        return read;
    const auto readRow = makeReader(query.record());
    while (query.next())
        read.rows.append(readRow(query));
    walkedToEnd(query, &read.error);
    return read;
}

// Every row, or the reason the read stopped.
template <typename T> Outcome<QVector<T>> whole(RowsRead<T> read)
{
    if (!read.complete())
        return Outcome<QVector<T>>::failure(read.error);
    return Outcome<QVector<T>>::success(std::move(read.rows));
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

// The first row of the statement read with readRow, or none.
template <typename T, typename ReadRow> Outcome<std::optional<T>> readFirst(const QString& statement, ReadRow readRow)
{
    QSqlQuery query = StandaloneQuery();
    QString error;
    if (!open(query, statement, &error))
        return Outcome<std::optional<T>>::failure(error);
    std::optional<T> row;
    if (query.next())
        row = readRow(query);
    if (!walkedToEnd(query, &error))
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
EditResult writeShowEntryOrTakeBack(int showId, const ShowFields& fields, const QStringList& takeBack)
{
    if (WriteShowEntry(showId, fields.Name, fields.URL))
        return EditResult::success();
    const EditResult undone = takeBack.isEmpty() ? EditResult::success() : runInTransaction(takeBack);
    if (undone)
        return EditResult::failure(showIniFailure());
    return EditResult::failure(showIniFailure() + QStringLiteral("; the database change could not be taken back "
                                                                 "either: ") + undone.error);
}

} // namespace

// ---- Shows ----------------------------------------------------------------

Outcome<QVector<ShowRow>> ReadShows()
{
    return whole(ReadShowList());
}

RowsRead<ShowRow> ReadShowList()
{
    return readRows<ShowRow>(SqlSelectShows(), byName(showRowOf));
}

Outcome<std::optional<ShowRow>> ReadShow(int showId)
{
    return readFirst<ShowRow>(SqlSelectShow(showId), showRowOf);
}

IdResult NextShowSequenceNo()
{
    return nextId(SqlSelectMaxShowSequenceNo());
}

IdResult NextShowId()
{
    return nextId(SqlSelectMaxShowId());
}

Outcome<bool> ShowNameExists(const QString& name, std::optional<int> exceptShowId)
{
    const auto shows = ReadShows();
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
IdResult AddShow(const ShowFields& fields)
{
    int showId = 0;
    {
        DbTransaction tx;
        if (!tx.isActive())
            return IdResult::failure(tx.failureText());
        QSqlQuery query = StandaloneQuery();
        QString error;
        const auto next = readNext(query, SqlSelectMaxShowId(), 1, &error);
        if (!next)
            return IdResult::failure(error);
        showId = next->next;
        if (!run(query, SqlInsertShow(showId, fields.SequenceNo, fields.ActivedUniversalSwitch ? 1 : 0,
                                      storedSwitchId(fields)),
                 &error))
            return IdResult::failure(error);
        if (!tx.commit())
            return IdResult::failure(tx.failureText());
    }
    const EditResult written = writeShowEntryOrTakeBack(showId, fields, SqlDeleteShow(showId));
    return written ? IdResult::success(showId) : IdResult::failure(written.error);
}

EditResult UpdateShow(int showId, const ShowFields& fields)
{
    std::optional<ShowRow> before;
    {
        DbTransaction tx;
        if (!tx.isActive())
            return EditResult::failure(tx.failureText());
        const auto read = readFirst<ShowRow>(SqlSelectShow(showId), showRowOf);
        if (!read)
            return EditResult::failure(read.error);
        before = *read;
        QSqlQuery query = StandaloneQuery();
        QString error;
        if (!run(query, SqlUpdateShow(showId, fields.SequenceNo, fields.ActivedUniversalSwitch ? 1 : 0,
                                      storedSwitchId(fields)),
                 &error))
            return EditResult::failure(error);
        if (!tx.commit())
            return EditResult::failure(tx.failureText());
    }
    // Without a row there was nothing to change, and nothing to take back.
    return writeShowEntryOrTakeBack(showId, fields,
                                    before ? QStringList{SqlUpdateShow(showId, before->SequenceNo,
                                                                       before->ActivedUniversalSwitch,
                                                                       before->UniversalSwitchID)}
                                           : QStringList{});
}

EditResult DeleteShow(int showId)
{
    return runInTransaction(SqlDeleteShow(showId));
}

// ---- Time points --------------------------------------------------------

Outcome<QVector<TTimePoint>> ReadTimePoints(int showId)
{
    return whole(readRows<TTimePoint>(SqlSelectTimePoints(showId), byName(timePointOf)));
}

Outcome<std::optional<TTimePoint>> ReadTimePoint(int showId, int timePointId)
{
    return readFirst<TTimePoint>(SqlSelectTimePoint(showId, timePointId), timePointOf);
}

Outcome<bool> TimePointExistsAt(int showId, int second)
{
    const auto found
        = readFirst<bool>(SqlSelectTimePointAtSecond(showId, second), [](const QSqlQuery&) { return true; });
    if (!found)
        return Outcome<bool>::failure(found.error);
    return Outcome<bool>::success(found->has_value());
}

IdResult NextTimePointId(int showId)
{
    return nextId(SqlSelectMaxTimePointId(showId));
}

IdResult AddTimePoint(int showId, int second)
{
    DbTransaction tx;
    if (!tx.isActive())
        return IdResult::failure(tx.failureText());
    QSqlQuery query = StandaloneQuery();
    QString error;
    const auto next = readNext(query, SqlSelectMaxTimePointId(showId), 1, &error);
    if (!next)
        return IdResult::failure(error);
    if (!run(query, SqlInsertTimePoint(showId, next->next, second), &error))
        return IdResult::failure(error);
    if (!tx.commit())
        return IdResult::failure(tx.failureText());
    return IdResult::success(next->next);
}

EditResult UpdateTimePoint(int showId, int timePointId, int second, const QString& remark)
{
    return runInTransaction({SqlUpdateTimePoint(showId, timePointId, second, remark)});
}

EditResult DeleteTimePoint(int showId, int timePointId)
{
    return runInTransaction(SqlDeleteTimePoint(showId, timePointId));
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
    const QString statement = target.setCode == CommandsForShowSet
        ? SqlSelectTimePointCommands(target.showId, target.timePointId)
        : SqlSelectCommandSetForList(target.setCode);
    return readRows<CommandListRow>(statement, commandListRows());
}

IdResult NextCommandId(const CommandTarget& target)
{
    if (!knownTarget(target))
        return IdResult::failure(unknownTarget());
    return nextId(maxCommandIdStatement(target));
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
    QStringList statements;
    for (const TControlObject& command : commands)
        statements << update(target, command);
    return runInTransaction(statements);
}

EditResult DeleteCommands(const CommandTarget& target, const QVector<int>& commandIds)
{
    if (!knownTarget(target))
        return EditResult::failure(unknownTarget());
    QStringList statements;
    for (int id : commandIds)
        statements << remove(target, id);
    return runInTransaction(statements);
}

} // namespace ShowEditing
