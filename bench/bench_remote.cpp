// Remote control against the bus, run by hand inside a loopback-only network
// namespace:
//   unshare -n sh -c 'ip link set lo up && exec build/benchbin/bench_remote [rounds]'
// It refuses to run while any network interface other than loopback is up.
//
// The program session runs as in the program (UDP bus link on port 15000,
// address 1/99 on 127.0.0.1, a show with universal switch 1 whose play set
// is one command to device 77) with remote control on at 127.0.0.1:15080.
// Side by side, `rounds` times each (200 by default):
// 1. from a universal switch datagram sent to the program to the play set's
//    datagram on the gateways' port, against the same from an HTTP
//    "POST /api/v1/shows/1/play" written on an open connection;
// 2. from a change of playing state to its "state" event at each of 20
//    WebSocket clients;
// 3. the program's CPU time over 10 s with nothing happening: remote control
//    off, then on without a client.

#include "benchsupport.h"
#include "buswire.h"
#include "fakemediaplayer.h"
#include "inifile.h"
#include "messages.h"
#include "programfolder.h"
#include "programsession.h"
#include "rawsql.h"
#include "remotehost.h"
#include "remotesettings.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkDatagram>
#include <QTcpSocket>
#include <QTimer>
#include <QUdpSocket>
#include <QWebSocket>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr quint16 ProgramPort = 15000;
constexpr quint16 GatewayPort = 6000;
constexpr quint16 HttpPort = 15080;
constexpr quint8 PlaySetDevice = 77;
constexpr quint8 StopSetDevice = 78;

// Runs the event loop until the condition holds or the time is up.
bool waitFor(const std::function<bool()>& done, int ms)
{
    QElapsedTimer t;
    t.start();
    QTimer wake; // so that the time limit is looked at while nothing happens
    wake.start(1);
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    return done();
}

// The event loop alone for a while.
void idle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Figures {
    std::vector<double> ms;
    void print(const char* what) const
    {
        std::vector<double> v = ms;
        std::sort(v.begin(), v.end());
        const auto at = [&v](double q) { return v.empty() ? -1.0 : v[std::min(v.size() - 1, size_t(q * v.size()))]; };
        std::printf("  %-34s n=%3zu  p50 %7.2f ms  p95 %7.2f ms  max %7.2f ms\n", what, v.size(), at(0.5), at(0.95),
                    v.empty() ? -1.0 : v.back());
    }
};

double cpuSeconds()
{
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return double(use.ru_utime.tv_sec + use.ru_stime.tv_sec) + double(use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
}

bool prepareFolder(const TestProgramFolder& folder)
{
    IniFile system(folder.path(QStringLiteral("Database/System.ini")));
    IniFile shows(folder.path(QStringLiteral("Database/Show.ini")));
    const bool written = system.write(QStringLiteral("SubnetID"), QStringLiteral("SubnetID"), QStringLiteral("1")) &&
                         system.write(QStringLiteral("DeviceID"), QStringLiteral("DeviceID"), QStringLiteral("99")) &&
                         system.write(QStringLiteral("ip"), QStringLiteral("ip"), QStringLiteral("127.0.0.1")) &&
                         system.write(QStringLiteral("Port"), QStringLiteral("Port"), QString::number(ProgramPort)) &&
                         shows.write(QStringLiteral("1"), QStringLiteral("ShowName"), QStringLiteral("Bench")) &&
                         shows.write(QStringLiteral("1"), QStringLiteral("URL"), QStringLiteral("/media/bench.avi"));
    return written && RunSql(QStringLiteral("insert into Show(ShowID,SequenceNo,ActivedUniversalSwitch,"
                                            "UniversalSwitchID) values(1,1,1,1)")) &&
           RunSql(QStringLiteral("insert into CommandsForPlay(CommandID,SequenceNo,SubnetID,DeviceID,CommandTypeID,"
                                 "FirstParameter,SecondParameter,ThirdParameter,DelayMS) values(1,1,1,%1,4,1,100,0,0)")
                      .arg(PlaySetDevice)) &&
           RunSql(QStringLiteral("insert into CommandsForStop(CommandID,SequenceNo,SubnetID,DeviceID,CommandTypeID,"
                                 "FirstParameter,SecondParameter,ThirdParameter,DelayMS) values(1,1,1,%1,4,1,0,0,0)")
                      .arg(StopSetDevice));
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (!OnlyLoopbackIsUp()) {
        std::fprintf(stderr, "Refusing to run: a network interface other than loopback is up. Run it inside "
                             "unshare -n sh -c 'ip link set lo up && exec ...'.\n");
        return 2;
    }
    const int rounds = argc > 1 ? qMax(1, QByteArray(argv[1]).toInt()) : 200;

    TestProgramFolder folder;
    if (!folder.isValid() || !folder.openDatabase() || !prepareFolder(folder)) {
        std::fprintf(stderr, "cannot prepare the program folder\n");
        return 1;
    }
    FakeMediaPlayer player;
    LogMessagePresenter messages;
    ProgramSessionDependencies deps;
    deps.player = &player;
    deps.hostAddresses = [] { return QStringList{QStringLiteral("127.0.0.1")}; };
    deps.messages = &messages;
    ProgramSession session(std::move(deps));
    if (!session.start()) {
        std::fprintf(stderr, "the session did not start\n");
        return 1;
    }
    RemoteHost remote(session, messages);
    RemoteSettings on;
    on.enabled = true;
    on.httpPort = HttpPort;
    on.oscPort = 0;

    // The gateways' side: every datagram the program broadcasts.
    QUdpSocket gateways;
    if (!gateways.bind(QHostAddress::AnyIPv4, GatewayPort, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint)) {
        std::fprintf(stderr, "cannot listen on the gateways' port\n");
        return 1;
    }
    QElapsedTimer clock;
    clock.start();
    qint64 playSetAt = -1, stopSetAt = -1;
    QObject::connect(&gateways, &QUdpSocket::readyRead, [&] {
        while (gateways.hasPendingDatagrams()) {
            const QByteArray d = gateways.receiveDatagram().data();
            if (d.size() < 27 || quint8(d.at(14)) != 0xAA)
                continue;
            if (quint8(d.at(24)) == PlaySetDevice && playSetAt < 0)
                playSetAt = clock.nsecsElapsed();
            else if (quint8(d.at(24)) == StopSetDevice)
                stopSetAt = clock.nsecsElapsed();
        }
    });

    BusFrameSource device;
    device.localOctets = {127, 0, 0, 1};
    device.subnet = 1;
    device.device = 50;
    const quint8 on1[] = {1, 255};
    const QByteArray switchOn = FrameDatagram(device, 0xE01C, 1, 99, on1, 2);
    QUdpSocket bus;

    std::printf("Remote control against the bus, %d rounds each\n", rounds);
    // 1. Switching the show on.
    if (!remote.apply(on)) {
        std::fprintf(stderr, "remote control did not start on port %u\n", HttpPort);
        return 1;
    }
    QTcpSocket http;
    http.connectToHost(QHostAddress::LocalHost, HttpPort);
    if (!http.waitForConnected(2000)) {
        std::fprintf(stderr, "no HTTP connection\n");
        return 1;
    }
    QObject::connect(&http, &QTcpSocket::readyRead, [&http] { http.readAll(); });
    const QByteArray request = "POST /api/v1/shows/1/play HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 0\r\n\r\n";
    Figures bySwitch, byRemote;
    int lost = 0;
    for (int i = 0; i < 2 * rounds; ++i) {
        const bool remotely = i % 2 == 1;
        stopSetAt = -1;
        session.switchShowOff();
        waitFor([&] { return stopSetAt >= 0 || player.playState() != MediaPlayer::Playing; }, 1000);
        idle(150); // past the bus's pause after the stop set
        playSetAt = -1;
        const qint64 start = clock.nsecsElapsed();
        if (remotely)
            http.write(request);
        else
            bus.writeDatagram(switchOn, QHostAddress::LocalHost, ProgramPort);
        if (!waitFor([&] { return playSetAt >= 0; }, 2000)) {
            ++lost;
            continue;
        }
        (remotely ? byRemote : bySwitch).ms.push_back(double(playSetAt - start) / 1e6);
    }
    std::printf("1. switch on to the play set's datagram%s\n",
                lost ? qPrintable(QStringLiteral(" (%1 lost)").arg(lost)) : "");
    bySwitch.print("universal switch datagram");
    byRemote.print("HTTP POST /api/v1/shows/1/play");

    // 2. A change of state reaching 20 event clients.
    constexpr int Clients = 20;
    std::vector<std::unique_ptr<QWebSocket>> clients;
    std::vector<qint64> heard(Clients, -1);
    int snapshots = 0;
    for (int c = 0; c < Clients; ++c) {
        auto socket = std::make_unique<QWebSocket>();
        QObject::connect(socket.get(), &QWebSocket::textMessageReceived, [&, c](const QString& text) {
            const QString type = QJsonDocument::fromJson(text.toUtf8()).object().value(QStringLiteral("type")).toString();
            if (type == QLatin1String("snapshot"))
                ++snapshots;
            else if (type == QLatin1String("state") && heard[size_t(c)] < 0)
                heard[size_t(c)] = clock.nsecsElapsed();
        });
        socket->open(QUrl(QStringLiteral("ws://127.0.0.1:%1/api/v1/events").arg(HttpPort)));
        clients.push_back(std::move(socket));
    }
    if (!waitFor([&] { return snapshots == Clients; }, 5000)) {
        std::fprintf(stderr, "only %d of %d event clients connected\n", snapshots, Clients);
        return 1;
    }
    Figures toClients;
    for (int i = 0; i < rounds; ++i) {
        std::fill(heard.begin(), heard.end(), -1);
        const qint64 start = clock.nsecsElapsed();
        if (i % 2 == 0)
            session.pauseShow();
        else
            session.resumeShow();
        waitFor([&] { return std::all_of(heard.begin(), heard.end(), [](qint64 at) { return at >= 0; }); }, 2000);
        for (qint64 at : heard)
            if (at >= 0)
                toClients.ms.push_back(double(at - start) / 1e6);
        idle(5);
    }
    std::printf("2. a change of state to each of %d WebSocket clients\n", Clients);
    toClients.print("state event");
    clients.clear();
    http.close();

    // 3. Idle CPU.
    session.switchShowOff();
    std::printf("3. CPU over 10 s with nothing happening (the session's 100 ms show timer running)\n");
    for (bool enabled : {false, true}) {
        if (enabled)
            remote.apply(on);
        else
            remote.stop();
        idle(500);
        const double before = cpuSeconds();
        idle(10000);
        std::printf("  remote control %-3s                 %.3f s CPU\n", enabled ? "on" : "off",
                    cpuSeconds() - before);
    }
    remote.stop();
    session.end();
    return 0;
}
