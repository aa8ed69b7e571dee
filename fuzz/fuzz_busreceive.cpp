// Feeds arbitrary bytes to the receive path as if they had arrived on the
// program's bus link, with a fake session. The link is never opened, so
// answers are framed but never sent.

#include "busdispatch.h"
#include "commandcodec.h"
#include "loopbackbuslink.h"
#include "showswitchtarget.h"

#include <cstdio>
#include <cstdlib>

namespace {

// Nothing on the receive path may report a failure; the bus reports its
// failures to the log as warnings.
void failOnWarnings(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtDebugMsg || type == QtInfoMsg)
        return;
    std::fprintf(stderr, "unexpected message: %s\n", qPrintable(text));
    std::abort();
}

TShow makeShow(int id, quint8 active, quint8 switchNo)
{
    TShow s;
    s.ShowID = id;
    s.ActivedUniversalSwitch = active;
    s.UniversalSwitchID = switchNo;
    return s;
}

QVector<TShow> freshShows()
{
    return {makeShow(11, 1, 5), makeShow(12, 1, 5), makeShow(13, 0, 6),
            makeShow(14, 1, 7), makeShow(15, 2, 8), makeShow(16, 1, 0)};
}

// Behaves like the session, which rebuilds its show list when it loads a
// show: the dispatcher must not hold on to list entries across the call.
class FakeSession : public ShowSwitchTarget {
public:
    const QVector<TShow>& shows() const override { return list; }
    void switchShowOn(int index) override
    {
        if (index < 0 || index >= list.size())
            std::abort();
        currentId = list.at(index).ShowID;
        list = freshShows();
    }
    void switchShowOff() override {}

    QVector<TShow> list;
    int currentId = -1;
};

FakeSession session;
LoopbackBusLink* busLink = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qInstallMessageHandler(failOnWarnings);
    busLink = new LoopbackBusLink;
    busLink->setIdentity({1, 99, 3, QStringLiteral("127.0.0.1")});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const quint8* data, size_t size)
{
    if (size > 65535)
        return 0;
    session.list = freshShows();
    session.currentId = -1;
    const int n = int(size);

    // Two passes: once for the show that is not loaded, once with it loaded.
    AcceptBusDatagram(data, n, QStringLiteral("127.0.0.2"), busLink->identity(), session, *busLink);
    AcceptBusDatagram(data, n, QStringLiteral("127.0.0.2"), busLink->identity(), session, *busLink);

    // The monitor's reading of a datagram: frame check, packet head and the
    // command decoded from the payload, all within the datagram's bytes.
    if (n >= 27) {
        const quint8* packet = data + 16;
        const BusPacketHead head = ReadBusPacketHead(packet);
        const int payloadEnd = CheckBusFrame(data, n) == BusFrameCheck::Accepted ? 16 + head.length - 2 : n;
        const int count = payloadEnd - 16 - BusPacketPayloadOffset;
        if (count >= 0 && payloadEnd <= n)
            (void)DecodeCommand(head.operationCode, packet + BusPacketPayloadOffset, count);
    }

    // Whatever the program frames, it must take back as the same packet.
    const int count = n < 69 ? n : 69;
    const BusFrameSource source{{127, 0, 0, 1}, quint8(size), 1, 99};
    const QByteArray framed = FrameDatagram(source, quint16(size * 31), quint8(size), 20, data, count);
    const auto back = ExtractBusPacket(reinterpret_cast<const quint8*>(framed.constData()), int(framed.size()));
    if (!back || *back != framed.mid(16))
        std::abort();
    return 0;
}
