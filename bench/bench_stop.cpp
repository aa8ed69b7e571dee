// Switching a busy show off, run by hand inside a loopback-only network
// namespace:
//   unshare -n sh -c 'ip link set lo up && exec build/benchbin/bench_stop [seconds]'
// It refuses to run while any network interface other than loopback is up;
// every datagram goes to 127.255.255.255.
//
// A show of 100 one-command time points at every media second plays at
// normal speed on a clock-driven player, first in tick mode, then in precise
// mode: far more than the bus can take, so commands pile up. After `seconds`
// (6 by default) the player stops, as a universal switch turned off stops it,
// and the stop set (one command) goes out through the program's own handler.
// Reported: the show's commands sent before and after the stop, the lists
// still queued at the stop, and the time from the stop to the stop set's
// datagram; beside it the same stop of a show without time points, the bare
// baseline.

#include "benchsupport.h"
#include "commandcodec.h"
#include "commandsequencer.h"
#include "commandsets.h"
#include "database.h"
#include "programfolder.h"
#include "rawsql.h"
#include "showrunner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>

namespace {

constexpr quint8 StopSetDevice = 250;
constexpr int PointsPerSecond = 100;
constexpr int ShowSeconds = 60;

void putShow(bool withTimePoints)
{
    QVector<TTimePoint> points;
    for (int second = 0; withTimePoints && second < ShowSeconds; ++second)
        for (int i = 0; i < PointsPerSecond; ++i)
            points.append(OneCommandTimePoint(second, quint8(1 + second % 200)));
    MakeCurrentShow(points);
}

struct Outcome {
    int before = 0;
    int after = 0;
    int queuedLists = 0;
    double stopSetMs = -1.0;
};

Outcome run(FiringSettings::Mode mode, bool withTimePoints, int seconds)
{
    putShow(withTimePoints);
    Outcome r;
    QElapsedTimer clock;
    clock.start();
    qint64 stoppedAt = -1;
    CommandSequencer sequencer([&](quint8 subnet, quint8 device, quint8 kind, quint16 first, quint16 second,
                                   quint16 third) {
        SendCommand(BenchBusLink(), subnet, device, kind, first, second, third);
        if (stoppedAt < 0) {
            r.before += device != StopSetDevice;
        } else if (device == StopSetDevice) {
            if (r.stopSetMs < 0) {
                r.stopSetMs = double(clock.nsecsElapsed() - stoppedAt) / 1e6;
                QTimer::singleShot(1000, qApp, &QCoreApplication::quit); // anything after it?
            }
        } else {
            ++r.after;
        }
    });
    ClockPlayer player(1.0);
    ShowRunner runner(BenchShows(), player, sequencer, BenchSettings());
    FiringSettings settings;
    settings.mode = mode;
    runner.setFiringSettings(settings);
    // After the runner's own handler, as the main window connects it.
    QObject::connect(&player, &MediaPlayer::playStateChanged, &player,
                     [&](int state) { HandlePlayStateChange(player, sequencer, state); });

    QTimer ticks;
    ticks.setInterval(100);
    QObject::connect(&ticks, &QTimer::timeout, [&] { runner.tick(); });
    QTimer stop;
    stop.setSingleShot(true);
    QObject::connect(&stop, &QTimer::timeout, [&] {
        r.queuedLists = sequencer.pendingLists();
        stoppedAt = clock.nsecsElapsed();
        player.stop();
    });
    QTimer giveUp; // a stop set that has not come within a minute
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, qApp, &QCoreApplication::quit);

    player.begin();
    ticks.start();
    stop.start(seconds * 1000);
    giveUp.start(seconds * 1000 + 60000);
    QCoreApplication::exec();
    ticks.stop();
    sequencer.stop();
    return r;
}

void print(const char* label, const Outcome& r)
{
    std::printf("   %-30s sent %5d before the stop, %5d after it; %4d lists queued; stop set after ", label, r.before,
                r.after, r.queuedLists);
    if (r.stopSetMs < 0)
        std::printf("(none within a minute)\n");
    else
        std::printf("%8.1f ms\n", r.stopSetMs);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 6;
    if (const int refused = StartLoopbackFiringBench())
        return refused;
    // The stop set is read from a program folder's database, as on a site.
    TestProgramFolder folder;
    if (!folder.isValid() || !folder.openDatabase() ||
        !RunSql(QStringLiteral("insert into CommandsForStop(CommandID,SequenceNo,SubnetID,DeviceID,"
                               "CommandTypeID,FirstParameter,SecondParameter,ThirdParameter,DelayMS) "
                               "values(1,1,1,%1,4,0,0,0,0)")
                    .arg(StopSetDevice))) {
        std::fprintf(stderr, "Could not make the program folder's stop set\n");
        return 1;
    }

    std::printf("%d one-command time points a media second, stopped after %d s:\n", PointsPerSecond, seconds);
    for (auto mode : {FiringSettings::Tick, FiringSettings::Precise}) {
        const bool tick = mode == FiringSettings::Tick;
        print(tick ? "tick, idle show (baseline):" : "precise, idle show (baseline):", run(mode, false, seconds));
        print(tick ? "tick, busy show:" : "precise, busy show:", run(mode, true, seconds));
    }
    BenchBusLink().close();
    return 0;
}
