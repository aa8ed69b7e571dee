#include "showmodel.h"

#include "commandrows.h"
#include "database.h"
#include "publicvariable.h"
#include "sqltext.h"

#include <QSqlError>
#include <QSqlRecord>
#include <QVariant>

namespace {

// The load in one joined read. False, with the show untouched, when the
// statement cannot be run at all; otherwise *complete tells whether the
// walk reached the end.
bool loadJoined(TShow& show, bool* complete)
{
    QSqlQuery rows = StandaloneQuery();
    if (!rows.exec(SqlSelectShowForPlaying(show.ShowID)))
        return false;
    show.TimePoints.clear();
    const QSqlRecord columns = rows.record();
    const int pointRow = columns.indexOf(QStringLiteral("TimePointRow"));
    const int pointId = columns.indexOf(QStringLiteral("TimePointID"));
    const int second = columns.indexOf(QStringLiteral("SecondOfTimePoint"));
    const int remark = columns.indexOf(QStringLiteral("TimePointRemark"));
    const int hasCommand = columns.indexOf(QStringLiteral("HasCommand"));
    const CommandRowReader commands(columns);
    const auto intAt = [&rows](int index) {
        const QVariant value = rows.value(index);
        bool ok = false;
        const qlonglong number = value.toLongLong(&ok);
        return value.isNull() ? 0 : ok ? int(number) : value.toString().trimmed().toInt();
    };
    // The rows of one time point follow each other; a new one starts where
    // the time point row changes.
    bool started = false;
    qlonglong lastRow = 0;
    while (rows.next()) {
        const qlonglong row = rows.value(pointRow).toLongLong();
        if (!started || row != lastRow) {
            TTimePoint point;
            point.TimePointID = intAt(pointId);
            point.SecondOfTimePoint = intAt(second);
            const QVariant text = rows.value(remark);
            point.Remark = text.isNull() ? QString() : text.toString();
            show.TimePoints.append(point);
            started = true;
            lastRow = row;
        }
        if (intAt(hasCommand) != 0)
            show.TimePoints.last().Commands.append(commands.read(rows));
    }
    *complete = !rows.lastError().isValid();
    return true;
}

} // namespace

bool LoadShowTimePoints(TShow& show)
{
    bool joinedComplete = false;
    if (loadJoined(show, &joinedComplete))
        return joinedComplete;

    // When the time points cannot be read at all, the show keeps those of
    // its previous load.
    if (!OpenRows(DbQuery::General, SqlSelectTimePointsForPlaying(show.ShowID)))
        return false;
    show.TimePoints.clear();
    QSqlQuery& points = QueryObject(DbQuery::General);
    QSqlQuery& commands = QueryObject(DbQuery::Nested);
    bool complete = true;
    while (points.next()) {
        TTimePoint point;
        point.TimePointID = FieldInt(points, QStringLiteral("TimePointID"));
        point.SecondOfTimePoint = FieldInt(points, QStringLiteral("SecondOfTimePoint"));
        point.Remark = FieldText(points, QStringLiteral("Remark"));
        if (!OpenRows(DbQuery::Nested, SqlSelectTimePointCommandsForPlaying(show.ShowID, point.TimePointID))) {
            show.TimePoints.append(point);
            complete = false;
            break;
        }
        const bool commandsRead = ReadCommandRows(commands, &point.Commands);
        show.TimePoints.append(point);
        if (!commandsRead) {
            complete = false;
            break;
        }
    }
    if (complete && points.lastError().isValid())
        complete = false;
    points.finish();
    return complete;
}

TShow* FindShow(int showId)
{
    for (TShow& show : mPublicVariable().ShowList) {
        if (show.ShowID == showId)
            return &show;
    }
    return nullptr;
}
