#pragma once

// What the benchmark programs share: the loopback guard they start with and
// the show the playback figures fire.

#include "mediaplayer.h"
#include "publicvariable.h"

#include <QElapsedTimer>
#include <QNetworkInterface>

#include <algorithm>

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
    mPublicVariable().ShowList = {show};
    mPublicVariable().CurrentShowIndex = 0;
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
