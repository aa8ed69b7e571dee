#pragma once

#include "database.h"

#include <QSqlQuery>
#include <QString>

// Statements the tests and benchmarks run straight on the open show
// database, each on a query of its own, to put rows in place, take them
// away or count them. Without an open database every statement fails.

// Runs a statement that returns no rows. False on any failure.
inline bool RunSql(const QString& statement)
{
    QSqlQuery query = StandaloneQuery();
    return query.exec(statement);
}

// The number a statement selects (a count), or -1 when it fails.
inline int SelectedCount(const QString& statement)
{
    QSqlQuery query = StandaloneQuery();
    if (!query.exec(statement) || !query.next())
        return -1;
    return query.value(0).toInt();
}
