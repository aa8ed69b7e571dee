#include "busdispatch.h"
#include "busobserver.h"
#include "loopbackbuslink.h"
#include "recordingswitchtarget.h"

#include <QtTest>

namespace {

class RecordingObserver : public BusObserver {
public:
    void busDatagram(BusDirection direction, const quint8*, int count, int size, quint32 peer, quint16 port) override
    {
        seen << QStringLiteral("%1 %2/%3 %4:%5")
                    .arg(direction == BusDirection::Sent ? QStringLiteral("sent") : QStringLiteral("received"))
                    .arg(count)
                    .arg(size)
                    .arg(QHostAddress(peer).toString())
                    .arg(port);
    }
    QStringList seen;
};

QByteArray switchCommand(quint8 switchNo, quint8 status)
{
    const quint8 payload[2] = {switchNo, status};
    return FrameDatagram({{127, 0, 0, 2}, 3, 3, 4}, BusReceive::UniversalSwitch, 1, 99, payload, 2);
}

} // namespace

// Two loopback ends: what one sends reaches the other after the sender's
// turn, and is checked and dispatched there as a datagram from the wire.
class TestLoopbackBusLink : public QObject {
    Q_OBJECT

    std::unique_ptr<LoopbackBusLink> program, device;
    RecordingSwitchTarget target;

private Q_SLOTS:
    void init()
    {
        target.list = {RecordingSwitchTarget::show(7, true, 5)};
        program = std::make_unique<LoopbackBusLink>(0x7F000001);
        device = std::make_unique<LoopbackBusLink>(0x7F000002);
        LoopbackBusLink::join(*program, *device);
        program->setIdentity({1, 99, 3, {}});
        QVERIFY(program->open(QStringLiteral("127.0.0.1"), 6000));
        QVERIFY(device->open(QStringLiteral("127.0.0.2"), 0));
        target.calls.clear();
        program->startReceiving(target);
    }

    void cleanup()
    {
        program.reset();
        device.reset();
    }

    void aSwitchIsDispatchedAndAnsweredAsFromTheWire()
    {
        RecordingObserver observer;
        program->addObserver(&observer);
        device->sendRaw(switchCommand(5, 1));
        QVERIFY(target.calls.isEmpty()); // not before the sender's turn ends
        QTRY_COMPARE(target.calls, QStringList{QStringLiteral("on 0")});
        // The answer reaches the device, framed with the program's identity.
        QTRY_COMPARE(device->arrived().size(), 1);
        QCOMPARE(device->arrived().at(0).mid(16, 11).toHex(), QByteArray("0d0163fffde01d03040501"));
        QCOMPARE(observer.seen, (QStringList{QStringLiteral("received 29/29 127.0.0.2:49152"),
                                             QStringLiteral("sent 29/29 127.0.0.2:49152")}));
        QCOMPARE(program->datagramsRead(), quint64(1));
    }

    void whatTheWireWouldDropIsDropped()
    {
        QByteArray badCrc = switchCommand(5, 1);
        badCrc[badCrc.size() - 1] = char(badCrc.at(badCrc.size() - 1) ^ 1);
        device->sendRaw(badCrc);
        device->sendRaw(switchCommand(5, 1) + QByteArray(BusReceive::BufferSize, '\0')); // too long
        device->sendRaw(switchCommand(9, 1));                                           // no such switch
        device->sendRaw(switchCommand(5, 0));
        QTRY_COMPARE(target.calls, QStringList{QStringLiteral("off")});
        QCOMPARE(program->datagramsRead(), quint64(4));

        // Stopped receiving or closed: nothing more is acted on.
        program->stopReceiving();
        device->sendRaw(switchCommand(5, 1));
        QTest::qWait(20);
        program->startReceiving(target);
        program->close();
        device->sendRaw(switchCommand(5, 1));
        QTest::qWait(20);
        QCOMPARE(target.calls, QStringList{QStringLiteral("off")});
    }
};

QTEST_GUILESS_MAIN(TestLoopbackBusLink)
#include "tst_loopbackbuslink.moc"
