#pragma once

// What the benchmark programs share: the loopback guard they start with and
// the show the playback figures fire.

#include "mediaplayer.h"
#include "settingsfiles.h"
#include "showmodel.h"
#include "udpbuslink.h"

#include <QElapsedTimer>
#include <QNetworkInterface>

#include <algorithm>
#include <cstdio>

// True when no network interface but loopback is up: the only state in which
// a benchmark may broadcast.
inline bool OnlyLoopbackIsUp()
{
    for (const QNetworkInterface& nic : QNetworkInterface::allInterfaces()) {
        const auto flags = nic.flags();
        if ((flags & QNetworkInterface::IsUp) && !(flags & QNetworkInterface::IsLoopBack))
            return false;
    }
    return true;
}

// What a firing benchmark starts with: the loopback guard, the program's
// address 200/200 on 127.0.0.1 and its socket on a port the system chooses,
// with every broadcast on loopback. 0 when all is ready, otherwise the exit
// code (the reason has been printed).
// The shows the benchmark plays.
inline LoadedShows& BenchShows()
{
    static LoadedShows shows;
    return shows;
}

// The settings files a benchmark's runner and monitor read (none open until
// a benchmark opens them).
inline SettingsFiles& BenchSettings()
{
    static SettingsFiles files;
    return files;
}

// The benchmark's own way onto the (loopback) bus.
inline UdpBusLink& BenchBusLink()
{
    static UdpBusLink link;
    return link;
}

inline int StartLoopbackFiringBench()
{
    if (!OnlyLoopbackIsUp()) {
        std::fprintf(stderr, "Refusing to run: a network interface other than loopback is up. Run it inside "
                             "unshare -n sh -c 'ip link set lo up && exec ...'.\n");
        return 2;
    }
    BenchBusLink().setIdentity({200, 200, 3, QStringLiteral("127.0.0.1")});
    if (!BenchBusLink().open(QStringLiteral("127.0.0.1"), 0)) {
        std::fprintf(stderr, "Could not open a UDP socket on 127.0.0.1\n");
        return 1;
    }
    if (!BroadcastDestination(BenchBusLink().identity().localOctets()).toString().startsWith(QStringLiteral("127."))) {
        std::fprintf(stderr, "Refusing to run: the broadcast destination is not on loopback\n");
        return 2;
    }
    return 0;
}

// Makes a show of these time points (show 1) the current one.
inline void MakeCurrentShow(QVector<TTimePoint> points)
{
    TShow show;
    show.ShowID = 1;
    show.TimePoints = std::move(points);
    BenchShows().shows = {show};
    BenchShows().currentIndex = 0;
    BenchShows().currentId = 1;
}

// A time point of one command of kind 4 to 1/device.
inline TTimePoint OneCommandTimePoint(int second, quint8 device, quint16 firstParameter = 0)
{
    TTimePoint p;
    p.SecondOfTimePoint = second;
    TControlObject c;
    c.SubnetID = 1;
    c.DeviceID = device;
    c.CommandTypeID = 4;
    c.FirstParameter = firstParameter;
    p.Commands.append(c);
    return p;
}

// Makes show 77 the current one: a time point every other media second (2,
// 4, ... 2 x firings), each sending three commands to device i with gaps of
// 20 and 30 ms, so that the sequencer is idle when each one's second begins.
inline void LoadFiringBenchShow(int firings)
{
    TShow show;
    show.ShowID = 77;
    for (int i = 1; i <= firings; ++i) {
        TTimePoint p;
        p.SecondOfTimePoint = 2 * i;
        for (int delay : {0, 20, 30}) {
            TControlObject c;
            c.SubnetID = 1;
            c.DeviceID = quint8(i);
            c.CommandTypeID = 4;
            c.DelayMS = delay;
            p.Commands.append(c);
        }
        show.TimePoints.append(p);
    }
    BenchShows().shows = {show};
    BenchShows().currentIndex = 0;
}

// A player whose position runs on the wall clock at `rate` while it plays;
// seeks move it at once. begin() reports a stop and a start, as a player
// does when it is given media; stop() reports the stop and goes back to 0.
class ClockPlayer : public MediaPlayer {
public:
    explicit ClockPlayer(double rate) : m_rate(rate) {}
    void begin()
    {
        m_base = 0.0;
        m_clock.start();
        m_state = Stopped;
        Q_EMIT playStateChanged(Stopped);
        m_state = Playing;
        Q_EMIT playStateChanged(Playing);
    }
    const QElapsedTimer& clock() const { return m_clock; }
    // Wall milliseconds from the start to the media second.
    double wallMsAtSecond(int second) const { return second * 1000.0 / m_rate; }

    QString url() const override { return QStringLiteral("clock"); }
    void setUrl(const QString&) override {}
    int playState() const override { return m_state; }
    void play() override {}
    void pause() override {}
    void stop() override
    {
        if (m_state == Stopped)
            return;
        m_state = Stopped;
        m_base = 0.0;
        Q_EMIT playStateChanged(Stopped);
    }
    double currentPosition() const override
    {
        return m_state == Playing ? m_base + double(m_clock.nsecsElapsed()) / 1e9 * m_rate : m_base;
    }
    void setCurrentPosition(double seconds) override
    {
        m_base = std::max(0.0, seconds);
        m_clock.start();
    }
    double duration() const override { return 0.0; }
    double playbackRate() const override { return m_rate; }
    QString failure() const override { return QString(); }
    int volume() const override { return 50; }
    void setVolume(int) override {}
    bool mute() const override { return false; }
    void setMute(bool) override {}
    bool fullScreen() const override { return false; }
    void setFullScreen(bool) override {}
    void release() override {}

private:
    double m_rate;
    double m_base = 0.0;
    int m_state = Stopped;
    QElapsedTimer m_clock;
};
