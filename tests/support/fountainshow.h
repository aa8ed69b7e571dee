#pragma once

#include "busdispatch.h"
#include "buswire.h"
#include "inifile.h"
#include "loopbackbuslink.h"
#include "programfolder.h"
#include "showdata.h"

#include <QFile>
#include <QStringList>

// The program folder the session tests start from: the program at 1/99 on
// 127.0.0.1, port 6000, and show 7 "Fountain" (/media/fountain.mp4) on
// universal switch 5 with a time point at second 2 for device 40; the play
// set goes to device 50, the stop set to device 60. The folder's database
// is left open. `systemIniExtra` is added to System.ini. False when a write
// failed.
inline bool PutFountainShow(TestProgramFolder& folder, const QByteArray& systemIniExtra = {})
{
    QFile ini(folder.path(QStringLiteral("Database/System.ini")));
    if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        ini.write("[Port]\nPort=6000\n[ip]\nip=127.0.0.1\n[SubnetID]\nSubnetID=1\n[DeviceID]\nDeviceID=99\n" +
                  systemIniExtra) < 0)
        return false;
    ini.close();
    IniFile shows(folder.path(QStringLiteral("Database/Show.ini")));
    return folder.openDatabase() && AddShow(7, 1, 1, 5) && AddTimePoint(7, 1, 2) && AddShowCommand(7, 1, 1, 1, 40) &&
           AddSetCommand(QStringLiteral("CommandsForPlay"), 1, 1, 50) &&
           AddSetCommand(QStringLiteral("CommandsForStop"), 1, 1, 60) &&
           shows.write(QStringLiteral("7"), QStringLiteral("ShowName"), QStringLiteral("Fountain")) &&
           shows.write(QStringLiteral("7"), QStringLiteral("URL"), QStringLiteral("/media/fountain.mp4"));
}

// What reached the gateway's end since last asked, as "operation code in
// hex:target device".
inline QStringList TakeGatewayArrivals(LoopbackBusLink& gateway)
{
    QStringList out;
    for (const QByteArray& d : gateway.takeArrived()) {
        const BusPacketHead head = ReadBusPacketHead(reinterpret_cast<const quint8*>(d.constData()) + 16);
        out << QStringLiteral("%1:%2").arg(head.operationCode, 4, 16, QLatin1Char('0')).arg(head.targetDevice);
    }
    return out;
}
