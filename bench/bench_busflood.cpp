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
// 3. A sustained flood (100,000 datagrams a second for 5 s unless --rate and
//    --seconds say otherwise) sent from a thread of its own while the show
//    plays, with a universal switch command for the program every 500 ms in
//    among the foreign datagrams; without and with the monitor open:
//    datagrams sent and read, the share read, the socket's drops as the
//    kernel counts them, switch commands answered (as a gateway listening on
//    loopback hears the acknowledgements) and the longest gap.
//    --sustained-only skips 1 and 2.

#include "benchsupport.h"
#include "busmonitorwindow.h"
#include "commandsequencer.h"
#include "fakemediaplayer.h"
#include "filechooser.h"
#include "lookups.h"
#include "messages.h"
#include "showrunner.h"
#include "showswitchtarget.h"
#include "udpbuslink.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <QUdpSocket>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <netinet/in.h>
#include <numeric>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

// Answers switches for the benchmark's shows and does nothing else.
class NoWindow : public ShowSwitchTarget {
public:
    const QVector<TShow>& shows() const override { return BenchShows().shows; }
    void switchShowOn(int) override {}
    void switchShowOff() override {}
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
    quint64 monitorSkipped = 0;
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
Result run(UdpBusLink& receiver, int total, bool withMonitor, bool withShow)
{
    Result r;
    const quint64 readBefore = receiver.datagramsRead();
    LogMessagePresenter log; // what the monitor would tell the operator
    QtFileChooser files;
    const LookupLists lookups; // the monitor names no lookup entries here
    std::unique_ptr<BusMonitorWindow> monitor;
    if (withMonitor) {
        monitor = std::make_unique<BusMonitorWindow>(receiver, log, files, BenchSettings(), lookups);
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
        SendCommand(receiver, subnet, device, kind, first, second, third);
    });
    ShowRunner runner(BenchShows(), player, sequencer, BenchSettings());
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
        r.monitorSkipped = monitor->log().skipped();
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
    std::printf("   %-22s sent %5d, read %5llu (%5.1f%%) in %7.1f ms; %5d ticks, longest gap %6.2f ms", label, r.sent,
                static_cast<unsigned long long>(r.read), 100.0 * double(r.read) / std::max(1, r.sent), r.ms, r.ticks,
                r.worstGapMs);
    if (r.monitorRows > 0 || r.monitorReceived > 0)
        std::printf("; monitor saw %llu received, %llu sent, skipped %llu, keeps %d rows",
                    static_cast<unsigned long long>(r.monitorReceived), static_cast<unsigned long long>(r.monitorSent),
                    static_cast<unsigned long long>(r.monitorSkipped), r.monitorRows);
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

// The drops the kernel counted for our UDP socket on the port (the last
// column of /proc/net/udp), or -1 when no such socket is listed.
qint64 kernelDrops(quint16 port)
{
    QFile file(QStringLiteral("/proc/net/udp"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    const QByteArray local = QByteArray(":") + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    file.readLine(); // heading
    while (!file.atEnd()) {
        const QList<QByteArray> fields = file.readLine().simplified().split(' ');
        if (fields.size() > 2 && fields[1].endsWith(local))
            return fields.last().toLongLong();
    }
    return -1;
}

constexpr quint8 FloodSwitch = 3;
constexpr int SwitchEveryMs = 500;

// Sends `rate` datagrams a second to the program's port for `seconds`, from
// a thread and a socket of its own, paced on a steady clock in small
// batches; every SwitchEveryMs one of them is a universal switch command
// for the program.
struct SustainedSender {
    std::atomic<quint64> sent{0};
    std::atomic<int> switches{0};

    void run(int rate, double seconds, const QByteArray& foreign, const QByteArray& switchCommand)
    {
        const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(ProgramPort);
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (fd < 0 || ::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
            std::fprintf(stderr, "the flood's socket could not be opened\n");
            if (fd >= 0)
                ::close(fd);
            return;
        }
        constexpr int Batch = 32;
        iovec plain{const_cast<char*>(foreign.constData()), size_t(foreign.size())};
        iovec sw{const_cast<char*>(switchCommand.constData()), size_t(switchCommand.size())};
        mmsghdr messages[Batch]{};
        const auto start = std::chrono::steady_clock::now();
        quint64 count = 0;
        int switchCount = 0;
        for (;;) {
            const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            if (elapsed >= seconds)
                break;
            const quint64 due = quint64(elapsed * rate);
            const int switchesDue = int(elapsed * 1000 / SwitchEveryMs);
            while (count < due) {
                const int n = int(std::min<quint64>(Batch, due - count));
                for (int i = 0; i < n; ++i) {
                    messages[i].msg_hdr.msg_iov = &plain;
                    messages[i].msg_hdr.msg_iovlen = 1;
                }
                if (switchCount < switchesDue) {
                    messages[0].msg_hdr.msg_iov = &sw;
                    ++switchCount;
                }
                const int done = ::sendmmsg(fd, messages, unsigned(n), 0);
                if (done <= 0)
                    break;
                count += quint64(done);
            }
            sent = count;
            switches = switchCount;
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
        ::close(fd);
    }
};

// A gateway on loopback: counts the program's acknowledgements of switch
// FloodSwitch until told to stop.
struct AckListener {
    int fd = -1;
    quint16 port = 0;
    std::atomic<bool> stop{false};
    std::atomic<int> acks{0};

    bool open()
    {
        fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = htonl(INADDR_ANY);
        socklen_t size = sizeof at;
        timeval wait{0, 50000};
        if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0
            || ::getsockname(fd, reinterpret_cast<sockaddr*>(&at), &size) != 0
            || ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait) != 0)
            return false;
        port = ntohs(at.sin_port);
        return true;
    }
    void run()
    {
        quint8 b[2048];
        while (!stop) {
            const ssize_t n = ::recv(fd, b, sizeof b, 0);
            if (n == 29 && quint16(b[21] << 8 | b[22]) == BusReceive::UniversalSwitchAck && b[25] == FloodSwitch)
                ++acks;
        }
    }
    ~AckListener()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

struct SustainedResult {
    quint64 sent = 0;
    quint64 read = 0;
    qint64 drops = 0;
    int switches = 0;
    int acks = 0;
    double worstGapMs = 0;
    int firings = 0;
    int expectedFirings = 0;
    quint64 monitorReceived = 0;
    quint64 monitorSent = 0;
    quint64 monitorSkipped = 0;
    int monitorRows = 0;
};

SustainedResult runSustained(UdpBusLink& receiver, AckListener& listener, int rate, double seconds,
                             bool withMonitor)
{
    SustainedResult r;
    LogMessagePresenter log; // what the monitor would tell the operator
    QtFileChooser files;
    const LookupLists lookups; // the monitor names no lookup entries here
    std::unique_ptr<BusMonitorWindow> monitor;
    if (withMonitor) {
        monitor = std::make_unique<BusMonitorWindow>(receiver, log, files, BenchSettings(), lookups);
        monitor->show();
        QTimer::singleShot(300, qApp, &QCoreApplication::quit);
        QCoreApplication::exec();
    }

    // The show plays through the flood, and switch FloodSwitch belongs to it.
    const int firings = int(std::ceil(seconds * MediaSpeed / 2));
    LoadFiringBenchShow(firings);
    BenchShows().shows[0].ActivedUniversalSwitch = 1;
    BenchShows().shows[0].UniversalSwitchID = FloodSwitch;
    BenchShows().currentId = BenchShows().shows[0].ShowID;
    FakeMediaPlayer player;
    QVector<bool> fired(firings + 1, false);
    CommandSequencer sequencer([&](quint8 subnet, quint8 device, quint8 kind, quint16 first, quint16 second,
                                   quint16 third) {
        if (device >= 1 && device <= firings)
            fired[device] = true;
        SendCommand(receiver, subnet, device, kind, first, second, third);
    });
    ShowRunner runner(BenchShows(), player, sequencer, BenchSettings());

    QElapsedTimer clock;
    clock.start();
    int ticks = 0;
    qint64 lastTick = 0;
    qint64 worstGap = 0;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (ticks++ > 0 && now - lastTick > worstGap)
            worstGap = now - lastTick;
        lastTick = now;
    });
    player.setUrl(QStringLiteral("bench"));
    QTimer showTick;
    showTick.setInterval(100);
    QObject::connect(&showTick, &QTimer::timeout, [&] {
        player.playTo(clock.nsecsElapsed() / 1e9 * MediaSpeed);
        runner.tick();
    });

    const BusFrameSource foreign{{127, 0, 0, 2}, 3, 7, 8};
    const quint8 payload[4] = {1, 2, 3, 4};
    const QByteArray datagram = FrameDatagram(foreign, 0x0031, 7, 9, payload, 4);
    const quint8 on[2] = {FloodSwitch, 1};
    const QByteArray switchCommand = FrameDatagram(foreign, BusReceive::UniversalSwitch, 1, 99, on, 2);

    const quint64 readBefore = receiver.datagramsRead();
    const qint64 dropsBefore = kernelDrops(ProgramPort);
    const int acksBefore = listener.acks;
    SustainedSender sender;
    tick.start();
    showTick.start();
    std::atomic<bool> floodDone{false};
    std::thread flood([&] {
        sender.run(rate, seconds, datagram, switchCommand);
        floodDone = true;
    });
    // Polled from the event loop without blocking it; a little time after
    // the last datagram lets the receiver take what is still queued.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (floodDone) {
            poll.stop();
            QTimer::singleShot(300, qApp, &QCoreApplication::quit);
        }
    });
    poll.start(20);
    QCoreApplication::exec();
    flood.join();
    tick.stop();
    showTick.stop();
    sequencer.stop();

    r.sent = sender.sent;
    r.switches = sender.switches;
    r.read = receiver.datagramsRead() - readBefore;
    const qint64 dropsAfter = kernelDrops(ProgramPort);
    r.drops = dropsBefore < 0 || dropsAfter < 0 ? -1 : dropsAfter - dropsBefore;
    r.acks = listener.acks - acksBefore;
    r.worstGapMs = worstGap / 1e6;
    // The time points whose second the show's last tick reached.
    r.expectedFirings = std::min(firings, int(player.currentPosition() / 2));
    r.firings = int(std::count(fired.begin() + 1, fired.end(), true));
    if (monitor) {
        r.monitorReceived = monitor->log().seen(BusDirection::Received);
        r.monitorSent = monitor->log().seen(BusDirection::Sent);
        r.monitorSkipped = monitor->log().skipped();
        r.monitorRows = monitor->log().rowCount();
    }
    return r;
}

void printSustained(const char* label, const SustainedResult& r)
{
    std::printf("   %-22s sent %8llu, read %8llu (%5.1f%%), kernel drops %lld; switches answered %d of %d; "
                "firings %d of %d; longest gap %6.1f ms",
                label, static_cast<unsigned long long>(r.sent), static_cast<unsigned long long>(r.read),
                r.sent ? 100.0 * double(r.read) / double(r.sent) : 0.0, static_cast<long long>(r.drops), r.acks,
                r.switches, r.firings, r.expectedFirings, r.worstGapMs);
    if (r.monitorReceived > 0)
        std::printf("\n   %-22s monitor saw %llu received, %llu sent, skipped %llu, keeps %d rows", "",
                    static_cast<unsigned long long>(r.monitorReceived), static_cast<unsigned long long>(r.monitorSent),
                    static_cast<unsigned long long>(r.monitorSkipped), r.monitorRows);
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
    QCommandLineParser options;
    options.setApplicationDescription(QStringLiteral("Floods the program's bus port; see the source's head."));
    options.addHelpOption();
    const QCommandLineOption secondsOption(QStringLiteral("seconds"),
                                           QStringLiteral("Length of the sustained flood (default 5)."),
                                           QStringLiteral("s"), QStringLiteral("5"));
    const QCommandLineOption rateOption(QStringLiteral("rate"),
                                        QStringLiteral("Datagrams a second in the sustained flood (default 100000)."),
                                        QStringLiteral("n"), QStringLiteral("100000"));
    const QCommandLineOption sustainedOnly(QStringLiteral("sustained-only"),
                                           QStringLiteral("Run only the sustained flood."));
    options.addOptions({secondsOption, rateOption, sustainedOnly});
    options.process(app);
    const double seconds = options.value(secondsOption).toDouble();
    const int rate = options.value(rateOption).toInt();
    if (seconds <= 0 || rate <= 0) {
        std::fprintf(stderr, "--seconds and --rate take positive numbers\n");
        return 2;
    }
    if (!OnlyLoopbackIsUp()) {
        std::fprintf(stderr, "Refusing to run: a network interface other than loopback is up. Run it inside "
                             "unshare -n sh -c 'ip link set lo up && exec ...'.\n");
        return 2;
    }

    // The gateway that hears the program's answers listens on loopback.
    AckListener listener;
    if (!listener.open()) {
        std::fprintf(stderr, "the gateway's socket could not be opened\n");
        return 1;
    }
    std::thread listening([&] { listener.run(); });
    UdpBusLink receiver(listener.port);
    receiver.setIdentity({1, 99, 3, QStringLiteral("127.0.0.1")});
    if (!receiver.open(QStringLiteral("127.0.0.1"), ProgramPort)) {
        listener.stop = true;
        listening.join();
        std::fprintf(stderr, "port %u is busy\n", unsigned(ProgramPort));
        return 1;
    }
    NoWindow window;
    receiver.startReceiving(window);

    if (!options.isSet(sustainedOnly)) {
        std::printf("1. flood of %d datagrams, bursts of 200\n", FloodTotal);
        for (int round = 0; round < 3; ++round) {
            printFlood("without the monitor:", run(receiver, FloodTotal, false, false));
            printFlood("with the monitor open:", run(receiver, FloodTotal, true, false));
        }

        std::printf("2. a show firing %d time points (media at %.1fx), the flood spread over it\n", Firings,
                    MediaSpeed);
        printShow("show alone:", run(receiver, 0, false, true));
        printShow("show + flood:", run(receiver, FloodTotal, false, true));
        printShow("show + flood + monitor:", run(receiver, FloodTotal, true, true));
    }

    std::printf("3. sustained flood of %d datagrams a second for %g s, a show playing, a switch command every "
                "%d ms\n",
                rate, seconds, SwitchEveryMs);
    printSustained("without the monitor:", runSustained(receiver, listener, rate, seconds, false));
    printSustained("with the monitor open:", runSustained(receiver, listener, rate, seconds, true));

    receiver.close();
    listener.stop = true;
    listening.join();
    return 0;
}
