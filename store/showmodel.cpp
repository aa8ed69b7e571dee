#include "showmodel.h"

#include "commandrows.h"
#include "database.h"
#include "statements.h"

#include <QSqlError>
#include <QSqlRecord>
#include <QVariant>

namespace {

// A show's time points with their commands in one read: time points as
// timePointsOf orders them, each time point's commands as commandsOf orders
// them, ties in the order those statements give (time point, then command
// identity). A time point without commands gives one row whose HasCommand
// is 0. Command columns keep their names; the time point's own are
// TimePointRow (its row's storage identity), TimePointID, SecondOfTimePoint
// and TimePointRemark.
Statement showForPlaying(int showId)
{
    return {QStringLiteral("select t.rowid as TimePointRow, t.TimePointID as TimePointID, "
                           "t.SecondOfTimePoint as SecondOfTimePoint, t.Remark as TimePointRemark, "
                           "(c.ShowID is not null) as HasCommand, c.CommandID, c.SequenceNo, c.Remark, c.SubnetID, "
                           "c.DeviceID, c.CommandTypeID, c.FirstParameter, c.SecondParameter, c.ThirdParameter, "
                           "c.DelayMS from TimePoint t left join CommandsForShow c on c.ShowID=t.ShowID and "
                           "c.TimePointID=t.TimePointID where t.ShowID=? order by t.SecondOfTimePoint, "
                           "t.TimePointID, t.rowid, c.SequenceNo, c.CommandID, c.rowid"),
            {showId}};
}

Statement timePointsOf(int showId)
{
    return {QStringLiteral("select * from TimePoint where ShowID=? order by SecondOfTimePoint"), {showId}};
}

Statement commandsOf(int showId, int timePointId)
{
    return {QStringLiteral("select * from CommandsForShow where ShowID=? and TimePointID=? order by SequenceNo"),
            {showId, timePointId}};
}

// The load in one joined read. False, with the show untouched, when the
// statement cannot be run at all; otherwise *complete tells whether the
// walk reached the end.
bool loadJoined(TShow& show, bool* complete)
{
    QSqlQuery rows = StandaloneQuery();
    QString error;
    if (!OpenStatement(rows, showForPlaying(show.ShowID), &error))
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
    *complete = WalkedToEnd(rows, &error);
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
    QSqlQuery points = StandaloneQuery();
    QString error;
    if (!OpenStatement(points, timePointsOf(show.ShowID), &error))
        return false;
    show.TimePoints.clear();
    QSqlQuery commands = StandaloneQuery();
    bool complete = true;
    while (points.next()) {
        TTimePoint point;
        point.TimePointID = FieldInt(points, QStringLiteral("TimePointID"));
        point.SecondOfTimePoint = FieldInt(points, QStringLiteral("SecondOfTimePoint"));
        point.Remark = FieldText(points, QStringLiteral("Remark"));
        if (!OpenStatement(commands, commandsOf(show.ShowID, point.TimePointID), &error)) {
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

TShow* LoadedShows::find(int showId)
{
    const int index = indexOf(showId);
    return index >= 0 ? &shows[index] : nullptr;
}

int LoadedShows::indexOf(int showId) const
{
    for (int i = 0; i < shows.size(); ++i) {
        if (shows.at(i).ShowID == showId)
            return i;
    }
    return -1;
}

const TShow* LoadedShows::current() const
{
    return currentIndex >= 0 && currentIndex < shows.size() ? &shows.at(currentIndex) : nullptr;
}
