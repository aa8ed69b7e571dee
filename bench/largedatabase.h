#pragma once

#include "benchsupport.h"
#include "database.h"
#include "programfolder.h"

#include <QFile>
#include <QSqlQuery>
#include <QString>

#include <cstdio>

// The large show database the snapshot and undo benchmarks work on: 50
// shows of 600 time points of 10 commands each (300,000 command rows, about
// 16 MB), with Show.ini and System.ini beside it, written into the open
// database of the folder.
inline constexpr int LargeDatabaseShows = 50;
inline constexpr int LargeDatabaseTimePoints = 600;
inline constexpr int LargeDatabaseCommands = 10;

inline bool FillLargeShowDatabase(const TestProgramFolder& folder)
{
    QSqlQuery begin = StandaloneQuery();
    if (!begin.exec(QStringLiteral("begin")))
        return false;
    QSqlQuery show = StandaloneQuery();
    show.prepare(QStringLiteral("insert into Show(ShowID,SequenceNo,ActivedUniversalSwitch,UniversalSwitchID) values(?,?,0,0)"));
    QSqlQuery point = StandaloneQuery();
    point.prepare(QStringLiteral("insert into TimePoint(ShowID,TimePointID,SecondOfTimePoint,Remark) values(?,?,?,?)"));
    QSqlQuery command = StandaloneQuery();
    command.prepare(QStringLiteral(
        "insert into CommandsForShow(ShowID,TimePointID,CommandID,SequenceNo,SubnetID,DeviceID,CommandTypeID,"
        "FirstParameter,SecondParameter,ThirdParameter,DelayMS) values(?,?,?,?,1,?,4,5,100,3,20)"));
    QString ini;
    for (int s = 1; s <= LargeDatabaseShows; ++s) {
        show.addBindValue(s);
        show.addBindValue(s);
        if (!show.exec())
            return false;
        ini += QStringLiteral("[%1]\nShowName=Show %1\nURL=/srv/shows/show%1.mp4\n").arg(s);
        for (int t = 1; t <= LargeDatabaseTimePoints; ++t) {
            const int pointId = s * 1000 + t;
            point.addBindValue(s);
            point.addBindValue(pointId);
            point.addBindValue(t);
            point.addBindValue(QStringLiteral("cue %1").arg(t));
            if (!point.exec())
                return false;
            for (int c = 1; c <= LargeDatabaseCommands; ++c) {
                command.addBindValue(s);
                command.addBindValue(pointId);
                command.addBindValue(pointId * 100 + c);
                command.addBindValue(c);
                command.addBindValue(c);
                if (!command.exec())
                    return false;
            }
        }
    }
    QSqlQuery commit = StandaloneQuery();
    if (!commit.exec(QStringLiteral("commit")))
        return false;
    QFile showIni(folder.path(QStringLiteral("Database/Show.ini")));
    QFile systemIni(folder.path(QStringLiteral("Database/System.ini")));
    return showIni.open(QIODevice::WriteOnly) && showIni.write(ini.toUtf8()) > 0
           && systemIni.open(QIODevice::WriteOnly) && systemIni.write("[Port]\nPort=6000\n") > 0;
}

// What a benchmark on the large database starts with: the loopback guard,
// then the database filled. 0 when ready, otherwise the exit code (the
// reason has been printed).
inline int PrepareLargeDatabaseBench(TestProgramFolder& folder)
{
    if (!OnlyLoopbackIsUp()) {
        std::fprintf(stderr, "Refusing to run: a network interface other than loopback is up. Run it inside "
                             "unshare -rn sh -c 'ip link set lo up && exec ...'.\n");
        return 2;
    }
    if (!folder.isValid() || !folder.openDatabase() || !FillLargeShowDatabase(folder)) {
        std::fprintf(stderr, "Could not make the test database\n");
        return 1;
    }
    return 0;
}
