#include "showmodel.h"

#include "commandlist.h"
#include "database.h"
#include "publicvariable.h"
#include "sqltext.h"

#include <QSqlError>

bool LoadShowTimePoints(TShow& show)
{
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
        while (commands.next())
            point.Commands.append(ReadCommandRow(commands));
        const bool commandsRead = !commands.lastError().isValid();
        commands.finish();
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
