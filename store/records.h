#pragma once

#include <QString>
#include <QVector>
#include <QtGlobal>

// In-memory records of the show model. Field widths follow the database
// columns as the program holds them: bytes and 16-bit words keep the low
// bits of whatever integer was read.

struct TControlObject {
    qint32 CommandID = 0;
    qint32 SequenceNo = 0;
    QString Remark;
    quint8 SubnetID = 0;
    quint8 DeviceID = 0;
    quint8 CommandTypeID = 0;
    quint16 FirstParameter = 0;
    quint16 SecondParameter = 0;
    quint16 ThirdParameter = 0;
    qint32 DelayMS = 0;
};

struct TTimePoint {
    qint32 TimePointID = 0;
    qint32 SecondOfTimePoint = 0;
    QString Remark;
    QVector<TControlObject> Commands; // ascending SequenceNo
};

struct TShow {
    qint32 ShowID = 0;
    QString URL;
    quint8 ActivedUniversalSwitch = 0;
    quint8 UniversalSwitchID = 0;
    QVector<TTimePoint> TimePoints; // ascending SecondOfTimePoint, filled when loaded for playing
};

struct TDefineNote {
    qint32 ID = 0;
    QString Note;
};

struct TSecurityAlarmType {
    qint32 ID = 0;
    QString Note;
    qint32 Value = 0;
};

// One command of a list as the authoring windows show it, and whether its
// DelayMS was stored empty.
struct CommandListRow {
    TControlObject command;
    bool delayIsEmpty = false;
};

// Which command list a dialog works on.
enum CommandSetCode {
    CommandsForShowSet = 1,
    CommandsForPlaySet = 2,
    CommandsForPauseSet = 3,
    CommandsForStopSet = 4,
};
