// Floods the program's bus port with foreign datagrams and measures how long
// the GUI thread goes without serving a 1 ms timer while the receiver works,
// with and without the bus monitor open, and how a show playing meanwhile
// keeps its firing timing.
// Sends UDP: run only in a loopback-only network namespace, e.g.
//   unshare -n sh -c 'ip link set lo up && exec build/benchbin/bench_busflood'
// It refuses to run while any interface other than loopback is up. The
// monitor's window is drawn on the offscreen platform unless
// QT_QPA_PLATFORM says otherwise.
//
// 1. A flood of 20,000 datagrams sent as fast as the event loop lets the
//    sender run (bursts of 200): datagrams read, longest gap between 1 ms
//    timer ticks; without and with the monitor.
// 2. A show firing every other media second (media at 7.3x on a wall clock,
//    the fake player, the show runner on its 100 ms tick), alone, under the
//    same 20,000 datagrams spread over the show, and with the monitor open
//    as well: firing latency from the crossing of a time point's second to
//    its first datagram, and the longest gap.

#include "busmonitorwindow.h"
#include "busreceiver.h"
#include "benchsupport.h"
#include "commandsequencer.h"
#include "fakemediaplayer.h"
#include "mRWFun.h"
#include "mSocket.h"
#include "publicvariable.h"
#include "showrunner.h"
#include "showswitchtarget.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QUdpSocket>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <numeric>

namespace {

class NoWindow : public ShowSwitchTarget {
public:
    void selectShowRow(int) override {}
    void playPlayer() override {}
    void stopPlayer() override {}
};

constexpr int FloodTotal = 20000;
constexpr quint16 ProgramPort = 15000;
constexpr double MediaSpeed = 7.3;
constexpr int Firings = 60;

struct Result {
    int sent = 0;
    quint64 read = 0;
    double ms = 0;
    int ticks = 0;
    double worstGapMs = 0;
    quint64 monitorSent = 0;
    quint64 monitorReceived = 0;
    int monitorRows = 0;
    QVector<double> latency;
    int missed = 0;
};

double percentile(QVector<double> v, double p)
{
    if (v.isEmpty())
        return 0;
    std::sort(v.begin(), v.end());
    return v.at(std::min<qsizetype>(v.size() - 1, qsizetype(p * double(v.size() - 1) + 0.5)));
}

// One run: a flood (total datagrams; all at once, or spread over the show
// when one plays), optionally the monitor open and a show playing.
Result run(BusReceiver& receiver, int total, bool withMonitor, bool withShow)
{
    Result r;
    const quint64 readBefore = receiver.datagramsRead();
    std::unique_ptr<BusMonitorWindow> monitor;
    if (withMonitor) {
        monitor = std::make_unique<BusMonitorWindow>();
        monitor->show();
        // Drawn once before the clock starts: an operator's monitor is
        // already on screen when traffic comes.
        QTimer::singleShot(300, qApp, &QCoreApplication::quit);
        QCoreApplication::exec();
    }

    QElapsedTimer clock;
    clock.start();
    qint64 lastTick = 0;
    qint64 worstGap = 0;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (r.ticks++ > 0 && now - lastTick > worstGap)
            worstGap = now - lastTick;
        lastTick = now;
    });

    // The show: time points every other media second, three commands each.
    FakeMediaPlayer player;
    struct Send {
        int device;
        double at;
    };
    QVector<Send> sends;
    CommandSequencer sequencer([&](quint8 subnet, quint8 device, quint8 kind, quint16 first, quint16 second,
                                   quint16 third) {
        sends.append({device, clock.nsecsElapsed() / 1e6});
        SendCommand(subnet, device, kind, first, second, third);
    });
    ShowRunner runner(player, sequencer);
    QTimer showTick;
    showTick.setInterval(100);
    const auto wallMsAt = [](int second) { return second * 1000.0 / MediaSpeed; };
    const double showMs = wallMsAt(2 * Firings + 2);
    if (withShow) {
        LoadFiringBenchShow(Firings);
        player.setUrl(QStringLiteral("bench"));
        QObject::connect(&showTick, &QTimer::timeout, [&] {
            player.playTo(clock.nsecsElapsed() / 1e9 * MediaSpeed);
            runner.tick();
        });
    }

    QUdpSocket sender;
    const BusFrameSource foreign{{127, 0, 0, 2}, 3, 7, 8};
    const quint8 payload[4] = {1, 2, 3, 4};
    const QByteArray datagram = FrameDatagram(foreign, 0x0031, 7, 9, payload, 4);
    // Alone: bursts of 200 (about what a socket buffer holds) with the event
    // loop in between. With a show: the same total spread over 90% of it.
    const int burstEvery = withShow ? 10 : 0;
    const int burstSize = withShow ? std::max(1, int(total / (showMs * 0.9 / burstEvery))) : 200;
    QTimer burst;
    QObject::connect(&burst, &QTimer::timeout, [&] {
        for (int i = 0; i < burstSize && r.sent < total; ++i, ++r.sent)
            sender.writeDatagram(datagram, QHostAddress::LocalHost, ProgramPort);
        if (r.sent >= total) {
            burst.stop();
            if (!withShow)
                QTimer::singleShot(200, qApp, &QCoreApplication::quit);
        }
    });

    if (withShow)
        QTimer::singleShot(int(showMs), Qt::PreciseTimer, qApp, &QCoreApplication::quit);
    QTimer::singleShot(120000, qApp, &QCoreApplication::quit);
    tick.start();
    if (total > 0)
        burst.start(burstEvery);
    else if (!withShow)
        QTimer::singleShot(200, qApp, &QCoreApplication::quit);
    if (withShow)
        showTick.start();
    QCoreApplication::exec();
    tick.stop();
    showTick.stop();
    burst.stop();
    sequencer.stop();

    r.ms = clock.nsecsElapsed() / 1e6;
    r.worstGapMs = worstGap / 1e6;
    r.read = receiver.datagramsRead() - readBefore;
    if (monitor) {
        monitor->log().flush();
        r.monitorSent = monitor->log().seen(BusDirection::Sent);
        r.monitorReceived = monitor->log().seen(BusDirection::Received);
        r.monitorRows = monitor->log().rowCount();
    }
    if (withShow) {
        QVector<bool> fired(Firings + 1, false);
        for (int i = 0; i < sends.size(); ++i) {
            const int device = sends[i].device;
            if (device < 1 || device > Firings || fired[device])
                continue;
            fired[device] = true;
            r.latency.append(sends[i].at - wallMsAt(2 * device));
        }
        r.missed = int(std::count(fired.begin() + 1, fired.end(), false));
    }
    return r;
}

void printFlood(const char* label, const Result& r)
{
    std::printf("   %-22s sent %5d, read %5llu in %7.1f ms; %5d ticks, longest gap %6.2f ms", label, r.sent,
                static_cast<unsigned long long>(r.read), r.ms, r.ticks, r.worstGapMs);
    if (r.monitorRows > 0 || r.monitorReceived > 0)
        std::printf("; monitor saw %llu received, %llu sent, keeps %d rows",
                    static_cast<unsigned long long>(r.monitorReceived), static_cast<unsigned long long>(r.monitorSent),
                    r.monitorRows);
    std::printf("\n");
}

void printShow(const char* label, const Result& r)
{
    const double mean = std::accumulate(r.latency.begin(), r.latency.end(), 0.0) / std::max<qsizetype>(1, r.latency.size());
    std::printf("   %-22s firings %3d of %d (missed %d): latency mean %5.1f ms, p99 %5.1f ms, max %5.1f ms; "
                "longest gap %6.2f ms; flood read %llu of %d",
                label, int(r.latency.size()), Firings, r.missed, mean, percentile(r.latency, 0.99),
                percentile(r.latency, 1.0), r.worstGapMs, static_cast<unsigned long long>(r.read), r.sent);
    if (r.monitorRows > 0)
        std::printf("; monitor saw %llu received, %llu sent", static_cast<unsigned long long>(r.monitorReceived),
                    static_cast<unsigned long long>(r.monitorSent));
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv)
{
    // The offscreen platform's note on every window shown says nothing here.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (!text.contains(QLatin1String("propagateSizeHints")))
            std::fprintf(stderr, "%s\n", qPrintable(text));
        if (type == QtFatalMsg)
            std::abort();
    });
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (!OnlyLoopbackIsUp()) {
        std::fprintf(stderr, "Refusing to run: a network interface other than loopback is up. Run it inside "
                             "unshare -n sh -c 'ip link set lo up && exec ...'.\n");
        return 2;
    }

    PublicVariables& pv = mPublicVariable();
    pv.SubnetID = 1;
    pv.DeviceID = 99;
    pv.LocalOctets = {127, 0, 0, 1};
    if (!InitUDPSocket(QStringLiteral("127.0.0.1"), ProgramPort, false)) {
        std::fprintf(stderr, "port %u is busy\n", unsigned(ProgramPort));
        return 1;
    }
    NoWindow window;
    BusReceiver receiver(window);
    receiver.start();

    std::printf("1. flood of %d datagrams, bursts of 200\n", FloodTotal);
    for (int round = 0; round < 3; ++round) {
        printFlood("without the monitor:", run(receiver, FloodTotal, false, false));
        printFlood("with the monitor open:", run(receiver, FloodTotal, true, false));
    }

    std::printf("2. a show firing %d time points (media at %.1fx), the flood spread over it\n", Firings, MediaSpeed);
    printShow("show alone:", run(receiver, 0, false, true));
    printShow("show + flood:", run(receiver, FloodTotal, false, true));
    printShow("show + flood + monitor:", run(receiver, FloodTotal, true, true));

    CloseUDPSocket();
    return 0;
}
