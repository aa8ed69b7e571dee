#include "statements.h"

#include "database.h"

#include <QSqlError>

QString CommandTableName(CommandSetCode set)
{
    switch (set) {
    case CommandsForShowSet:
        return QStringLiteral("CommandsForShow");
    case CommandsForPlaySet:
        return QStringLiteral("CommandsForPlay");
    case CommandsForPauseSet:
        return QStringLiteral("CommandsForPause");
    case CommandsForStopSet:
        return QStringLiteral("CommandsForStop");
    }
    return QString();
}

QVariant TextValue(const QString& text)
{
    // The driver binds a null QString as NULL; an empty remark has always
    // been stored as empty text.
    return text.isNull() ? QVariant(QStringLiteral("")) : QVariant(text);
}

QString ReasonOf(const QSqlQuery& query)
{
    if (!IsDatabaseOpen())
        return QStringLiteral("The show database is not open");
    const QString text = query.lastError().text().trimmed();
    return text.isEmpty() ? QStringLiteral("The statement could not be run") : text;
}

bool OpenStatement(QSqlQuery& query, const Statement& statement, QString* error)
{
    query.finish();
    bool ok = query.prepare(statement.sql);
    if (ok) {
        for (const QVariant& value : statement.values)
            query.addBindValue(value);
        ok = query.exec();
    }
    if (!ok) {
        *error = ReasonOf(query);
        query.finish();
    }
    return ok;
}

bool RunStatement(QSqlQuery& query, const Statement& statement, QString* error)
{
    const bool ok = OpenStatement(query, statement, error);
    query.finish();
    return ok;
}

bool RunStatements(QSqlQuery& query, const QVector<Statement>& statements, QString* error)
{
    for (const Statement& statement : statements) {
        if (!RunStatement(query, statement, error))
            return false;
    }
    return true;
}

bool WalkedToEnd(QSqlQuery& query, QString* error)
{
    const bool ok = !query.lastError().isValid();
    if (!ok)
        *error = ReasonOf(query);
    query.finish();
    return ok;
}
