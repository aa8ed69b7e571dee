#pragma once

#include "records.h"

#include <QString>
#include <QStringList>

// Every SQL statement the program issues, built in one place. Values are
// written as decimal text; remarks go through QuoteText. Windows take their
// statements from here and never write SQL of their own.

// The table of a play, pause or stop command set: "CommandsForPlay",
// "CommandsForPause" or "CommandsForStop"; "CommandsForShow" for the
// commands of a time point.
QString CommandTableName(CommandSetCode set);

// ---- Shows ----
QString SqlSelectShows();                                // ordered by SequenceNo
QString SqlSelectShow(int showId);
QString SqlSelectMaxShowSequenceNo();                    // MaxIndex
QString SqlSelectMaxShowId();                            // MaxIndex
QString SqlInsertShow(int showId, int sequenceNo, int activedUniversalSwitch, int universalSwitchId);
QString SqlUpdateShow(int showId, int sequenceNo, int activedUniversalSwitch, int universalSwitchId);
// Commands, then time points, then the show row, to be run in one transaction.
QStringList SqlDeleteShow(int showId);

// ---- Time points ----
QString SqlSelectTimePoints(int showId);                 // time point list of the settings window
QString SqlSelectTimePointsForPlaying(int showId);       // loading a show for playing
QString SqlSelectTimePoint(int showId, int timePointId);
QString SqlSelectTimePointAtSecond(int showId, int seconds);
QString SqlSelectMaxTimePointId(int showId);             // MaxIndex
QString SqlInsertTimePoint(int showId, int timePointId, int seconds);
QString SqlUpdateTimePoint(int showId, int timePointId, int seconds, const QString& remark);
// Its commands, then the time point row, to be run in one transaction.
QStringList SqlDeleteTimePoint(int showId, int timePointId);

// A show's time points with their commands, for loading it for playing in one
// read: time points as T2 orders them, each time point's commands as C2
// orders them, ties in the order those statements give (time point, then
// command identity). A time point without commands gives one row whose
// HasCommand is 0. Command columns keep their names; the time point's own
// are TimePointRow (its row's storage identity), TimePointID,
// SecondOfTimePoint and TimePointRemark.
QString SqlSelectShowForPlaying(int showId);

// ---- Commands of a time point ----
QString SqlSelectTimePointCommands(int showId, int timePointId);           // lists, preview and copy
QString SqlSelectTimePointCommandsForPlaying(int showId, int timePointId); // loading a show for playing
QString SqlSelectMaxTimePointCommandId(int showId, int timePointId);       // MaxIndex
QString SqlInsertBlankTimePointCommand(int showId, int timePointId, int commandId);
// A pasted command: every column of the record, its CommandID and
// SequenceNo as the caller set them.
QString SqlInsertTimePointCommand(int showId, int timePointId, const TControlObject& command);
QString SqlUpdateTimePointCommand(int showId, int timePointId, const TControlObject& command);
QString SqlDeleteTimePointCommand(int showId, int timePointId, int commandId);

// ---- Play, pause and stop sets (table from CommandTableName) ----
QString SqlSelectCommandSetForList(CommandSetCode set);  // settings window list and preview
QString SqlSelectCommandSet(const QString& table);       // copy, and sending on a play-state change
QString SqlSelectMaxCommandSetId(const QString& table);  // MaxIndex
QString SqlInsertBlankCommandSetCommand(const QString& table, int commandId);
QString SqlInsertCommandSetCommand(const QString& table, const TControlObject& command);
QString SqlUpdateCommandSetCommand(const QString& table, const TControlObject& command);
QString SqlDeleteCommandSetCommand(const QString& table, int commandId);

// ---- Lookup tables ----
QString SqlSelectUniversalSwitchStatuses();
QString SqlSelectCommandTypes();
QString SqlSelectSecurityAlarmTypes();
QString SqlSelectSecurityModes();
QString SqlSelectCurtainStatuses();
