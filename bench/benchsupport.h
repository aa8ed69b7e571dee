#pragma once

// What the benchmark programs share: the loopback guard they start with and
// the show the playback figures fire.

#include "publicvariable.h"

#include <QNetworkInterface>

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
