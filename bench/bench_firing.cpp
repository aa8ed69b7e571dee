// Firing latency of the two firing modes side by side, run by hand inside a
// loopback-only network namespace:
//   unshare -n sh -c 'ip link set lo up && exec env QT_QPA_PLATFORM=offscreen build/benchbin/bench_firing [firings]'
// It refuses to run while any network interface other than loopback is up;
// every datagram goes to 127.255.255.255.
//
// Two runners watch one player at once, one in tick mode and one in precise
// mode, each with its own sequencer; a time point at every media second from
// 1 to `firings` (200 by default) sends one command. Latency is the player's
// reported position when the command leaves, minus the time point's second,
// in wall milliseconds (media milliseconds over the rate).
// 1. A clock-driven player (the fake: its position is the wall clock times
//    its rate, 7.3 by default).
// 2. The Qt player playing a generated silent WAV at its normal rate; the
//    tick's phase is walked so that it meets every phase of the second.
// 3. Seeks back and forth on the clock-driven player every 700 ms of wall
//    time: doubled and missed firings in precise mode.

#include "benchsupport.h"
#include "commandcodec.h"
#include "commandsequencer.h"
#include "mediaplayer.h"
#include "qtmediaplayer.h"
#include "showrunner.h"
#include "wavfile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <numeric>

namespace {

struct Firing {
    int second;
    double latencyMs;
    int segment;
};

// One runner and its sequencer, recording each command as it leaves.
struct Lane {
    Lane(MediaPlayer& player, FiringSettings::Mode mode, const int* segment)
        : sequencer([this, &player, segment](quint8 subnet, quint8 device, quint8 kind, quint16 first, quint16 second,
                                             quint16 third) {
              double rate = player.playbackRate();
              if (!(rate > 0.0))
                  rate = 1.0;
              fired.append({int(first), (player.currentPosition() - first) * 1000.0 / rate, *segment});
              SendCommand(BenchBusLink(), subnet, device, kind, first, second, third);
          }),
          runner(BenchShows(), player, sequencer, BenchSettings())
    {
        FiringSettings s;
        s.mode = mode;
        runner.setFiringSettings(s);
    }
    CommandSequencer sequencer;
    ShowRunner runner;
    QVector<Firing> fired;
};

void putShow(int firings)
{
    QVector<TTimePoint> points;
    for (int second = 1; second <= firings; ++second)
        points.append(OneCommandTimePoint(second, quint8(second), quint16(second)));
    MakeCurrentShow(points);
}

double percentile(QVector<double> v, double p)
{
    if (v.isEmpty())
        return 0.0;
    std::sort(v.begin(), v.end());
    return v.at(std::min<qsizetype>(v.size() - 1, qsizetype(std::ceil(p * v.size())) - 1));
}

void report(const char* label, const QVector<Firing>& fired, int firings)
{
    std::map<int, int> count;
    QVector<double> latency;
    for (const Firing& f : fired) {
        if (count[f.second]++ == 0)
            latency.append(f.latencyMs);
    }
    int missed = 0, repeated = 0;
    for (int s = 1; s <= firings; ++s) {
        const int n = count.count(s) ? count[s] : 0;
        missed += n == 0;
        repeated += std::max(0, n - 1);
    }
    const double mean = latency.isEmpty() ? 0.0
                                          : std::accumulate(latency.begin(), latency.end(), 0.0) / latency.size();
    std::printf("   %-8s %4d firings: mean %6.1f ms, p99 %6.1f ms, max %6.1f ms, min %6.1f ms; missed %d, "
                "repeats within a second %d\n",
                label, int(latency.size()), mean, percentile(latency, 0.99),
                latency.isEmpty() ? 0.0 : *std::max_element(latency.begin(), latency.end()),
                latency.isEmpty() ? 0.0 : *std::min_element(latency.begin(), latency.end()), missed, repeated);
}

// Runs both lanes until the player passes the last time point.
// With walkPhase, every tenth tick period is 37 ms longer, so that at
// normal speed the tick does not stay at one phase of the media second.
void sideBySide(MediaPlayer& player, int firings, const std::function<void()>& start, int timeoutMs,
                bool walkPhase = false)
{
    putShow(firings);
    int segment = 0;
    Lane tick(player, FiringSettings::Tick, &segment);
    Lane precise(player, FiringSettings::Precise, &segment);
    QTimer ticks;
    ticks.setInterval(100);
    int tickCount = 0;
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        tick.runner.tick();
        precise.runner.tick();
        if (walkPhase)
            ticks.setInterval(++tickCount % 10 == 0 ? 137 : 100);
    });
    QTimer watch;
    watch.setInterval(50);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        static int n = 0;
        if (qEnvironmentVariableIsSet("BENCH_DEBUG") && ++n % 20 == 0)
            std::printf("   debug: state %d position %.3f failure %s\n", player.playState(), player.currentPosition(),
                        qPrintable(player.failure()));
        if (player.currentPosition() > firings + 1.2)
            QCoreApplication::quit();
    });
    QTimer timeout; // local, so that it cannot end a later run
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, [] { QCoreApplication::quit(); });
    timeout.start(timeoutMs);
    start();
    ticks.start();
    watch.start();
    QCoreApplication::exec();
    ticks.stop();
    tick.sequencer.stop();
    precise.sequencer.stop();
    report("tick", tick.fired, firings);
    report("precise", precise.fired, firings);
}

void seekRun(int firings)
{
    // Seeks every 700 ms of wall time, alternating back 3.3 s and forward
    // 2.6 s (a net 0.9 s per two seeks on top of the play), so time points
    // are crossed again, passed over and landed near.
    const double rate = 7.3;
    ClockPlayer player(rate);
    putShow(firings);
    int segment = 0;
    Lane precise(player, FiringSettings::Precise, &segment);
    struct Segment {
        double from, to;
    };
    QVector<Segment> segments{{0.0, 0.0}};
    QTimer ticks;
    ticks.setInterval(100);
    QObject::connect(&ticks, &QTimer::timeout, [&] { precise.runner.tick(); });
    QTimer seeks;
    seeks.setInterval(700);
    bool back = true;
    QObject::connect(&seeks, &QTimer::timeout, [&] {
        const double at = player.currentPosition();
        segments.last().to = at;
        const double target = std::max(0.0, at + (back ? -3.3 : 2.6));
        back = !back;
        player.setCurrentPosition(target);
        segments.append({target, target});
        ++segment;
        if (target > firings + 1.2)
            QCoreApplication::quit();
    });
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, [] { QCoreApplication::quit(); });
    timeout.start(180000);
    player.begin();
    ticks.start();
    seeks.start();
    QCoreApplication::exec();
    segments.last().to = player.currentPosition();
    precise.sequencer.stop();

    // In each stretch of play between seeks, every time point from where it
    // began up to where it ended fires once. Time points within 20 ms of a
    // stretch's end may go either way and are not counted.
    int expected = 0, missed = 0, doubled = 0, unexpected = 0, borderline = 0;
    for (int i = 0; i < segments.size(); ++i) {
        std::map<int, int> count;
        for (const Firing& f : precise.fired)
            if (f.segment == i)
                ++count[f.second];
        const Segment& s = segments.at(i);
        for (int second = 1; second <= firings; ++second) {
            const int n = count.count(second) ? count[second] : 0;
            doubled += std::max(0, n - 1);
            const bool inside = second >= s.from && second <= s.to;
            if (std::abs(second - s.to) * 1000.0 < 20.0 * rate) {
                borderline += 1;
                continue;
            }
            if (inside) {
                ++expected;
                missed += n == 0;
            } else {
                unexpected += n > 0;
            }
        }
    }
    std::printf("3. seeks back and forth (%d seeks, precise, media at %.1fx): %d crossings expected, %d doubled, "
                "%d missed, %d fired outside their stretch, %d near a seek not counted\n",
                int(segments.size()) - 1, rate, expected, doubled, missed, unexpected, borderline);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const int firings = argc > 1 ? std::max(10, QString::fromLocal8Bit(argv[1]).toInt()) : 200;
    if (const int refused = StartLoopbackFiringBench())
        return refused;

    {
        const double rate = 7.3;
        std::printf("1. clock-driven player at %.1fx, tick and precise side by side:\n", rate);
        ClockPlayer player(rate);
        sideBySide(player, firings, [&] { player.begin(); }, int((firings + 5) * 1000 / rate));
    }
    {
        // The Qt player keeps real time here whatever rate it is given (with
        // no audio device its clock is the wall clock), so it plays at 1x.
        const double rate = 1.0;
        QTemporaryDir dir;
        const QString wav = dir.filePath(QStringLiteral("firing.wav"));
        WriteSilentWav(wav, (firings + 5) * 1000);
        QtMediaPlayer player;
        std::printf("2. Qt player on a generated WAV at %.1fx, tick and precise side by side:\n", rate);
        sideBySide(
            player, firings,
            [&] {
                player.setUrl(wav);
                player.play();
            },
            int((firings + 10) * 1000 / rate) + 10000, true);
        player.release();
    }
    seekRun(firings);
    BenchBusLink().close();
    return 0;
}
