#pragma once

#include "database.h"
#include "records.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <QVector>

// How the store runs its statements. A statement is a fixed text with ?
// placeholders and the values bound to them in order: no value is ever
// written into the text, so a remark such as it's, 100% or Ωμέγα is stored
// and read back exactly as typed. Only the store runs statements; windows
// and the player call its operations.
struct Statement {
    QString sql;
    QVariantList values;
};

// The table of a command list: "CommandsForShow" for the commands of a time
// point, "CommandsForPlay", "CommandsForPause" or "CommandsForStop" for the
// sets; empty for any other code. Table names cannot be bound, so the
// statements over a set take theirs from here, never from input.
QString CommandTableName(CommandSetCode set);

// A text to bind: an empty text is stored as empty text, not as NULL.
QVariant TextValue(const QString& text);

// The database's reason for the query's last failure.
QString ReasonOf(const QSqlQuery& query);

// Prepares the statement on the query, binds its values and runs it,
// leaving the query on its rows. False with the reason when it fails.
bool OpenStatement(QSqlQuery& query, const Statement& statement, QString* error);
// As OpenStatement for a statement without rows; the query is finished.
bool RunStatement(QSqlQuery& query, const Statement& statement, QString* error);
// Runs the statements on the query in their order, up to the first that fails.
bool RunStatements(QSqlQuery& query, const QVector<Statement>& statements, QString* error);
// The end of a walk over rows: false with the reason when it ended on a read
// error. The query is finished.
bool WalkedToEnd(QSqlQuery& query, QString* error);

// Runs the select on a query of its own and appends each row, read with the
// reader makeReader gives for the statement's columns. False with the
// reason when the statement could not be run (no row read) or the walk broke
// off (the rows before it read).
template <typename T, typename MakeReader>
bool ReadRows(const Statement& statement, MakeReader makeReader, QVector<T>* rows, QString* error)
{
    QSqlQuery query = StandaloneQuery();
    if (!OpenStatement(query, statement, error))
        return false;
    const auto readRow = makeReader(query.record());
    while (query.next())
        rows->append(readRow(query));
    return WalkedToEnd(query, error);
}
