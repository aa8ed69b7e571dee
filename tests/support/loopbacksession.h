#pragma once

#include "loopbackbuslink.h"
#include "programsession.h"

#include <memory>

// A program session for a test, with the given player and presenter, on
// the host address 127.0.0.1 and the given bus link.
inline std::unique_ptr<ProgramSession> MakeTestSession(MediaPlayer& player, MessagePresenter& messages,
                                                       std::unique_ptr<BusLink> link)
{
    ProgramSessionDependencies deps;
    deps.player = &player;
    deps.busLink = std::move(link);
    deps.hostAddresses = [] { return QStringList{QStringLiteral("127.0.0.1")}; };
    deps.messages = &messages;
    return std::make_unique<ProgramSession>(std::move(deps));
}

// The same on a loopback bus: the program's end (127.0.0.1) is the
// session's, the gateways' end (127.0.0.2, port 6000) goes to `gateway` for
// the test to hold, and `programEnd`, when given, points at the program's.
inline std::unique_ptr<ProgramSession> MakeLoopbackSession(MediaPlayer& player, MessagePresenter& messages,
                                                           std::unique_ptr<LoopbackBusLink>& gateway,
                                                           LoopbackBusLink** programEnd = nullptr)
{
    auto program = std::make_unique<LoopbackBusLink>(0x7F000001);
    if (programEnd)
        *programEnd = program.get();
    gateway = std::make_unique<LoopbackBusLink>(0x7F000002);
    LoopbackBusLink::join(*program, *gateway);
    gateway->open(QStringLiteral("127.0.0.2"), 6000);
    return MakeTestSession(player, messages, std::move(program));
}
