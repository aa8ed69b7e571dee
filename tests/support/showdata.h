#pragma once

#include "commandsequencer.h"
#include "inifile.h"
#include "manualpacingtimer.h"
#include "rawsql.h"
#include "settingsfiles.h"

#include <QString>
#include <QVector>

// Helpers that put shows, time points and commands into an open test
// database, and a sequencer whose sends are recorded against a manual clock.

inline bool AddShow(int showId, int sequenceNo, int activedSwitch = 0, int switchId = 0)
{
    return RunSql(QStringLiteral("insert into Show(ShowID,SequenceNo,ActivedUniversalSwitch,UniversalSwitchID) "
                                 "values(%1,%2,%3,%4)")
                      .arg(showId)
                      .arg(sequenceNo)
                      .arg(activedSwitch)
                      .arg(switchId));
}

inline bool AddTimePoint(int showId, int timePointId, int second)
{
    return RunSql(QStringLiteral("insert into TimePoint(ShowID,TimePointID,SecondOfTimePoint) values(%1,%2,%3)")
                      .arg(showId)
                      .arg(timePointId)
                      .arg(second));
}

// A command of a time point; device doubles as a marker the tests look for.
// An empty delay text leaves DelayMS empty, as a blank command has it.
inline bool AddShowCommand(int showId, int timePointId, int commandId, int sequenceNo, int device,
                           const QString& delay = QStringLiteral("0"), int kind = 4)
{
    return RunSql(
        QStringLiteral("insert into CommandsForShow(ShowID,TimePointID,CommandID,SequenceNo,SubnetID,DeviceID,"
                       "CommandTypeID,FirstParameter,SecondParameter,ThirdParameter,DelayMS) "
                       "values(%1,%2,%3,%4,1,%5,%6,5,100,3,%7)")
            .arg(showId)
            .arg(timePointId)
            .arg(commandId)
            .arg(sequenceNo)
            .arg(device)
            .arg(kind)
            .arg(delay.isEmpty() ? QStringLiteral("NULL") : delay));
}

inline bool AddSetCommand(const QString& table, int commandId, int sequenceNo, int device,
                          const QString& delay = QStringLiteral("0"))
{
    return RunSql(QStringLiteral("insert into %1(CommandID,SequenceNo,SubnetID,DeviceID,CommandTypeID,"
                                 "FirstParameter,SecondParameter,ThirdParameter,DelayMS) "
                                 "values(%2,%3,1,%4,4,5,100,3,%5)")
                      .arg(table)
                      .arg(commandId)
                      .arg(sequenceNo)
                      .arg(device)
                      .arg(delay.isEmpty() ? QStringLiteral("NULL") : delay));
}

// Opens Database/Show.ini of the test folder into the settings files.
inline IniFile& OpenShowIni(SettingsFiles& settings, const QString& path)
{
    settings.ShowIni = std::make_unique<IniFile>(path);
    return *settings.ShowIni;
}

inline void WriteShowIni(SettingsFiles& settings, int showId, const QString& name, const QString& url)
{
    IniFile& ini = *settings.ShowIni;
    ini.write(QString::number(showId), QStringLiteral("ShowName"), name);
    ini.write(QString::number(showId), QStringLiteral("URL"), url);
}

// Time points built in memory for the runner: a command to device `device`
// of subnet 1 (kind 4), and a time point at `second` with its commands.
namespace RunnerData {
inline TControlObject cmd(int device, qint32 delayMS = 0)
{
    TControlObject c;
    c.SubnetID = 1;
    c.DeviceID = quint8(device);
    c.CommandTypeID = 4;
    c.DelayMS = delayMS;
    return c;
}

inline TTimePoint point(int second, QVector<TControlObject> commands)
{
    TTimePoint p;
    p.SecondOfTimePoint = second;
    p.Commands = std::move(commands);
    return p;
}
} // namespace RunnerData

// A sequencer on a manual clock that records the target device of every
// command it sends and when it went out.
struct RecordingSequencer {
    struct Sent {
        quint8 subnet;
        quint8 device;
        quint8 kind;
        quint16 first, second, third;
        qint64 at;
    };

    RecordingSequencer()
    {
        auto owned = std::make_unique<ManualPacingTimer>();
        timer = owned.get();
        sequencer = std::make_unique<CommandSequencer>(
            [this](quint8 subnet, quint8 device, quint8 kind, quint16 first, quint16 second, quint16 third) {
                sent.append({subnet, device, kind, first, second, third, timer->now()});
            },
            std::move(owned));
    }

    QVector<int> devices() const
    {
        QVector<int> out;
        for (const Sent& s : sent)
            out.append(s.device);
        return out;
    }

    ManualPacingTimer* timer = nullptr;
    std::unique_ptr<CommandSequencer> sequencer;
    QVector<Sent> sent;
};
