#include "sqltext.h"

#include "textops.h"

namespace {

QString num(qint64 value)
{
    return QString::number(value);
}

QString maxIndex(const QString& column, const QString& table)
{
    return QStringLiteral("select Max(") + column + QStringLiteral(") as MaxIndex ") + QStringLiteral(" from ")
           + table;
}

QString whereTimePointsOfShow(int showId)
{
    return QStringLiteral(" where ShowID=") + num(showId);
}

QString whereCommandsOfTimePoint(int showId, int timePointId)
{
    return QStringLiteral(" where ShowID=") + num(showId) + QStringLiteral(" and TimePointID=") + num(timePointId);
}

} // namespace

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

// ---- Shows ----

QString SqlSelectShows()
{
    return QStringLiteral("select * from Show order by SequenceNo");
}

QString SqlSelectShow(int showId)
{
    return QStringLiteral("select * from Show where ShowID=") + num(showId);
}

QString SqlSelectMaxShowSequenceNo()
{
    return maxIndex(QStringLiteral("SequenceNo"), QStringLiteral("Show"));
}

QString SqlSelectMaxShowId()
{
    return maxIndex(QStringLiteral("ShowID"), QStringLiteral("Show"));
}

QString SqlInsertShow(int showId, int sequenceNo, int activedUniversalSwitch, int universalSwitchId)
{
    return QStringLiteral("insert into Show(ShowID,SequenceNo,ActivedUniversalSwitch,UniversalSwitchID) values(")
           + num(showId) + QLatin1Char(',') + num(sequenceNo) + QLatin1Char(',') + num(activedUniversalSwitch)
           + QLatin1Char(',') + num(universalSwitchId) + QLatin1Char(')');
}

QString SqlUpdateShow(int showId, int sequenceNo, int activedUniversalSwitch, int universalSwitchId)
{
    return QStringLiteral("update show set SequenceNo=") + num(sequenceNo)
           + QStringLiteral(",ActivedUniversalSwitch=") + num(activedUniversalSwitch)
           + QStringLiteral(",UniversalSwitchID=") + num(universalSwitchId) + QStringLiteral(" where ShowID=")
           + num(showId);
}

QStringList SqlDeleteShow(int showId)
{
    return {QStringLiteral("delete from CommandsForShow where ShowID=") + num(showId),
            QStringLiteral("delete from TimePoint where ShowID=") + num(showId),
            QStringLiteral("delete from Show where ShowID=") + num(showId)};
}

// ---- Time points ----

QString SqlSelectTimePoints(int showId)
{
    return QStringLiteral("select * from TimePoint where ShowID=") + num(showId)
           + QStringLiteral(" order by SecondOfTimePoint");
}

QString SqlSelectTimePointsForPlaying(int showId)
{
    return QStringLiteral("select * from TimePoint where ShowID=") + num(showId)
           + QStringLiteral(" order by SecondOfTimePoint ");
}

QString SqlSelectTimePoint(int showId, int timePointId)
{
    return QStringLiteral("select * from TimePoint where ShowID=") + num(showId)
           + QStringLiteral(" and TimePointID=") + num(timePointId);
}

QString SqlSelectTimePointAtSecond(int showId, int seconds)
{
    return QStringLiteral("select * from TimePoint where SecondOfTimePoint=") + num(seconds)
           + QStringLiteral(" and ShowID=") + num(showId);
}

QString SqlSelectMaxTimePointId(int showId)
{
    return maxIndex(QStringLiteral("TimePointID"), QStringLiteral("TimePoint")) + QLatin1Char(' ')
           + whereTimePointsOfShow(showId);
}

QString SqlInsertTimePoint(int showId, int timePointId, int seconds)
{
    return QStringLiteral("insert into TimePoint(ShowID,TimePointID,SecondOfTimePoint) values(") + num(showId)
           + QLatin1Char(',') + num(timePointId) + QLatin1Char(',') + num(seconds) + QLatin1Char(')');
}

QString SqlUpdateTimePoint(int showId, int timePointId, int seconds, const QString& remark)
{
    return QStringLiteral("update TimePoint set SecondOfTimePoint=") + num(seconds) + QStringLiteral(" , Remark=")
           + QuoteText(remark) + QStringLiteral(" where ShowID=") + num(showId)
           + QStringLiteral(" and TimePointID=") + num(timePointId);
}

QStringList SqlDeleteTimePoint(int showId, int timePointId)
{
    return {QStringLiteral("delete from CommandsForShow where ShowID=") + num(showId)
                + QStringLiteral(" and TimePointID=") + num(timePointId),
            QStringLiteral("delete from TimePoint where ShowID=") + num(showId) + QStringLiteral(" and TimePointID=")
                + num(timePointId)};
}

QString SqlSelectShowForPlaying(int showId)
{
    return QStringLiteral("select t.rowid as TimePointRow, t.TimePointID as TimePointID, t.SecondOfTimePoint as SecondOfTimePoint, "
                          "t.Remark as TimePointRemark, (c.ShowID is not null) as HasCommand, c.CommandID, "
                          "c.SequenceNo, c.Remark, c.SubnetID, c.DeviceID, c.CommandTypeID, c.FirstParameter, "
                          "c.SecondParameter, c.ThirdParameter, c.DelayMS from TimePoint t left join "
                          "CommandsForShow c on c.ShowID=t.ShowID and c.TimePointID=t.TimePointID where t.ShowID=")
           + num(showId)
           + QStringLiteral(" order by t.SecondOfTimePoint, t.TimePointID, t.rowid, c.SequenceNo, c.CommandID, "
                            "c.rowid");
}

// ---- Commands of a time point ----

QString SqlSelectTimePointCommands(int showId, int timePointId)
{
    return QStringLiteral("select * from CommandsForShow where ShowID=") + num(showId)
           + QStringLiteral(" and TimePointID=") + num(timePointId) + QStringLiteral(" order by SequenceNo ");
}

QString SqlSelectTimePointCommandsForPlaying(int showId, int timePointId)
{
    return QStringLiteral("select * from CommandsForShow where ShowID=") + num(showId)
           + QStringLiteral(" and TimePointID=") + num(timePointId) + QStringLiteral(" order by SequenceNo");
}

QString SqlSelectMaxTimePointCommandId(int showId, int timePointId)
{
    return maxIndex(QStringLiteral("CommandID"), QStringLiteral("CommandsForShow")) + QLatin1Char(' ')
           + whereCommandsOfTimePoint(showId, timePointId);
}

QString SqlInsertBlankTimePointCommand(int showId, int timePointId, int commandId)
{
    return QStringLiteral("insert into CommandsForShow(ShowID,TimePointID,CommandID,SequenceNo,SubNetID,DeviceID,"
                          "CommandTypeID,FirstParameter,SecondParameter,ThirdParameter) values(")
           + num(showId) + QLatin1Char(',') + num(timePointId) + QLatin1Char(',') + num(commandId)
           + QLatin1Char(',') + num(commandId) + QLatin1Char(',') + QStringLiteral("0,0,") + QStringLiteral("3")
           + QLatin1Char(',') + QStringLiteral("0,0,0)");
}

QString SqlInsertTimePointCommand(int showId, int timePointId, const TControlObject& c)
{
    return QStringLiteral("insert into CommandsForShow(ShowID,TimePointID,Remark,CommandID,SequenceNo,SubnetID,"
                          "DeviceID,CommandTypeID,FirstParameter,SecondParameter,ThirdParameter,DelayMS) values(")
           + num(showId) + QLatin1Char(',') + num(timePointId) + QLatin1Char(',') + QuoteText(c.Remark)
           + QLatin1Char(',') + num(c.CommandID) + QLatin1Char(',') + num(c.SequenceNo) + QLatin1Char(',')
           + num(c.SubnetID) + QLatin1Char(',') + num(c.DeviceID) + QLatin1Char(',') + num(c.CommandTypeID)
           + QLatin1Char(',') + num(c.FirstParameter) + QLatin1Char(',') + num(c.SecondParameter)
           + QLatin1Char(',') + num(c.ThirdParameter) + QLatin1Char(',') + num(c.DelayMS) + QLatin1Char(')');
}

namespace {

// The common " set ..." part of both command updates.
QString commandAssignments(const QString& table, const TControlObject& c)
{
    return QStringLiteral("update ") + table + QStringLiteral(" set CommandTypeID=") + num(c.CommandTypeID)
           + QStringLiteral(" ,SequenceNo=") + num(c.SequenceNo) + QStringLiteral(" ,Remark=") + QuoteText(c.Remark)
           + QStringLiteral(",SubNetID=") + num(c.SubnetID) + QStringLiteral(",DeviceID=") + num(c.DeviceID)
           + QStringLiteral(",FirstParameter=") + num(c.FirstParameter) + QStringLiteral(",SecondParameter=")
           + num(c.SecondParameter) + QStringLiteral(",ThirdParameter=") + num(c.ThirdParameter)
           + QStringLiteral(",DelayMS=") + num(c.DelayMS);
}

} // namespace

QString SqlUpdateTimePointCommand(int showId, int timePointId, const TControlObject& c)
{
    return commandAssignments(QStringLiteral("CommandsForShow"), c) + QStringLiteral(" where ShowID=") + num(showId)
           + QStringLiteral(" and TimePointID=") + num(timePointId) + QStringLiteral(" and CommandID=")
           + num(c.CommandID);
}

QString SqlDeleteTimePointCommand(int showId, int timePointId, int commandId)
{
    return QStringLiteral("delete from CommandsForShow where ShowID=") + num(showId)
           + QStringLiteral(" and TimePointID=") + num(timePointId) + QStringLiteral(" and CommandID=")
           + num(commandId);
}

// ---- Play, pause and stop sets ----

QString SqlSelectCommandSetForList(CommandSetCode set)
{
    // The play set's list text has always had two blanks before "order".
    if (set == CommandsForPlaySet)
        return QStringLiteral("select * from CommandsForPlay  order by SequenceNo ");
    return SqlSelectCommandSet(CommandTableName(set));
}

QString SqlSelectCommandSet(const QString& table)
{
    return QStringLiteral("select * from ") + table + QStringLiteral(" order by SequenceNo ");
}

QString SqlSelectMaxCommandSetId(const QString& table)
{
    return maxIndex(QStringLiteral("CommandID"), table);
}

QString SqlInsertBlankCommandSetCommand(const QString& table, int commandId)
{
    return QStringLiteral("insert into ") + table + QStringLiteral("(CommandID,SequenceNo,SubNetID,")
           + QStringLiteral("DeviceID,CommandTypeID,FirstParameter,SecondParameter,ThirdParameter")
           + QStringLiteral(") values(") + num(commandId) + QLatin1Char(',') + num(commandId) + QLatin1Char(',')
           + QStringLiteral("0,0,") + QStringLiteral("3") + QLatin1Char(',') + QStringLiteral("0,0,0)");
}

QString SqlInsertCommandSetCommand(const QString& table, const TControlObject& c)
{
    return QStringLiteral("insert into ") + table + QStringLiteral("(Remark,CommandID,SequenceNo,SubnetID,")
           + QStringLiteral("DeviceID,CommandTypeID,FirstParameter,SecondParameter,ThirdParameter,DelayMS")
           + QStringLiteral(") values(") + QuoteText(c.Remark) + QLatin1Char(',') + num(c.CommandID)
           + QLatin1Char(',') + num(c.SequenceNo) + QLatin1Char(',') + num(c.SubnetID) + QLatin1Char(',')
           + num(c.DeviceID) + QLatin1Char(',') + num(c.CommandTypeID) + QLatin1Char(',') + num(c.FirstParameter)
           + QLatin1Char(',') + num(c.SecondParameter) + QLatin1Char(',') + num(c.ThirdParameter)
           + QLatin1Char(',') + num(c.DelayMS) + QLatin1Char(')');
}

QString SqlUpdateCommandSetCommand(const QString& table, const TControlObject& c)
{
    return commandAssignments(table, c) + QStringLiteral(" where CommandID=") + num(c.CommandID);
}

QString SqlDeleteCommandSetCommand(const QString& table, int commandId)
{
    return QStringLiteral("delete from ") + table + QStringLiteral(" where CommandID=") + num(commandId);
}

// ---- Lookup tables ----

QString SqlSelectUniversalSwitchStatuses()
{
    return QStringLiteral("select * from Define_Universal_Switch_Status order by ID");
}

QString SqlSelectCommandTypes()
{
    return QStringLiteral("select * from Define_Command_Type order by ID");
}

QString SqlSelectSecurityAlarmTypes()
{
    return QStringLiteral("select * from Define_Security_Alarm_Type order by ID");
}

QString SqlSelectSecurityModes()
{
    return QStringLiteral("select * from Define_Security_Mode  order by ID");
}

QString SqlSelectCurtainStatuses()
{
    return QStringLiteral("select * from Define_Curtain_Status order by ID");
}
