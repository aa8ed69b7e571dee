#include "busdispatch.h"
#include "localaddresses.h"
#include "scriptedmessages.h"
#include "recordingswitchtarget.h"
#include "udpbuslink.h"

#include <QNetworkDatagram>
#include <QTimer>
#include <QUdpSocket>
#include <QtTest>

namespace {

constexpr quint8 kOwnSubnet = 1;
constexpr quint8 kOwnDevice = 99;

using FakeSession = RecordingSwitchTarget;

QByteArray frame(quint16 opcode, quint8 subnet, quint8 device, QByteArray payload, quint8 fromSubnet = 3,
                 quint8 fromDevice = 4, bool longForm = false)
{
    const BusFrameSource source{{127, 0, 0, 1}, 3, fromSubnet, fromDevice};
    return FrameDatagram(source, opcode, subnet, device, reinterpret_cast<const quint8*>(payload.constData()),
                         int(payload.size()), longForm);
}

QByteArray switchCommand(quint8 switchNo, quint8 status, quint8 subnet = kOwnSubnet, quint8 device = kOwnDevice)
{
    QByteArray payload;
    payload.append(char(switchNo)).append(char(status));
    return frame(BusReceive::UniversalSwitch, subnet, device, payload);
}

// Switch 7 belongs to the last show; turning it off is a harmless probe whose
// answer shows that everything sent before it has been handled.
QByteArray probe()
{
    return switchCommand(7, 0);
}

} // namespace

class TestBusReceiver : public QObject {
    Q_OBJECT

    FakeSession* window = nullptr;
    UdpBusLink* link = nullptr;
    // A bus device behind a gateway. Program and device are on ports the
    // system chose, and the program answers to the device's port.
    QUdpSocket* device = nullptr;

    // To the port the program listens on now, or to another one.
    void deliver(const QByteArray& datagram, quint16 port = 0)
    {
        if (port == 0)
            port = link->port();
        QVERIFY(port != 0);
        QCOMPARE(device->writeDatagram(datagram, QHostAddress::LocalHost, port), qint64(datagram.size()));
    }

    // Open the program's socket again, on a fresh port.
    bool reopenOwnSocket()
    {
        return link->open(QStringLiteral("127.0.0.1"), 0);
    }

    QByteArray nextAnswer()
    {
        // The program answers from its event loop, so the wait must run it.
        if (!QTest::qWaitFor([this] { return device->hasPendingDatagrams(); }, 5000))
            return {};
        return device->receiveDatagram().data();
    }

    void expectAnswer(quint8 switchNo, quint8 status, quint8 toSubnet = 3, quint8 toDevice = 4)
    {
        const QByteArray answer = nextAnswer();
        QCOMPARE(answer.size(), 29);
        const auto* b = reinterpret_cast<const quint8*>(answer.constData());
        QCOMPARE(quint16(b[21] << 8 | b[22]), BusReceive::UniversalSwitchAck);
        QCOMPARE(b[17], kOwnSubnet);
        QCOMPARE(b[18], kOwnDevice);
        QCOMPARE(b[23], toSubnet);
        QCOMPARE(b[24], toDevice);
        QCOMPARE(b[25], switchNo);
        QCOMPARE(b[26], status);
    }

private Q_SLOTS:
    void init()
    {
        device = new QUdpSocket(this);
        QVERIFY(device->bind(QHostAddress::AnyIPv4, 0));
        link = new UdpBusLink(device->localPort(), this);
        link->setIdentity({kOwnSubnet, kOwnDevice, 3, QStringLiteral("127.0.0.1")});
        QVERIFY(link->open(QStringLiteral("127.0.0.1"), 0));
        window = new FakeSession;
        window->list = {FakeSession::show(11, true, 5), FakeSession::show(12, true, 5),
                        FakeSession::show(13, false, 6), FakeSession::show(14, true, 7)};
        link->startReceiving(*window);
    }

    void cleanup()
    {
        delete link;
        delete window;
        delete device;
    }

    void switchCommandsStartResumeAndStopShows()
    {
        // Show 11 is switched on, and the sender hears back. Show 12 carries
        // the same switch but comes later.
        deliver(switchCommand(5, 255));
        expectAnswer(5, 255);
        QCOMPARE(window->calls, QStringList({"on 0"}));

        // Again: the session resumes it; answered again.
        window->calls.clear();
        deliver(switchCommand(5, 1));
        expectAnswer(5, 1);
        QCOMPARE(window->calls, QStringList({"on 0"}));

        // Another show's row keeps its place in the list, inactive shows included.
        window->calls.clear();
        deliver(switchCommand(7, 2));
        expectAnswer(7, 2);
        QCOMPARE(window->calls, QStringList({"on 3"}));

        // Off stops the player whichever show is playing.
        window->calls.clear();
        deliver(frame(BusReceive::UniversalSwitch, kOwnSubnet, kOwnDevice, QByteArray::fromHex("0500"), 9, 200));
        expectAnswer(5, 0, 9, 200);
        QCOMPARE(window->calls, QStringList({"off"}));
        QVERIFY(!device->hasPendingDatagrams());
    }

    void refusedDatagramsGetNoActionAndNoAnswer_data()
    {
        QTest::addColumn<QByteArray>("datagram");

        QByteArray badCrc = switchCommand(5, 255);
        badCrc[28] = char(badCrc[28] ^ 0x40);
        QTest::newRow("wrong crc") << badCrc;
        QTest::newRow("26 bytes") << switchCommand(5, 255).left(26);
        QByteArray noLead = switchCommand(5, 255);
        noLead[14] = char(0xAB);
        QTest::newRow("byte 14 not AA") << noLead;
        QByteArray badLead = switchCommand(5, 255);
        badLead[15] = char(0x56);
        QTest::newRow("byte 15 neither AA nor 55") << badLead;
        QTest::newRow("other subnet") << switchCommand(5, 255, 2, kOwnDevice);
        QTest::newRow("other device") << switchCommand(5, 255, kOwnSubnet, 98);
        QTest::newRow("broadcast subnet") << switchCommand(5, 255, 255, kOwnDevice);
        QTest::newRow("broadcast device") << switchCommand(5, 255, kOwnSubnet, 255);
        QTest::newRow("unknown switch") << switchCommand(8, 255);
        QTest::newRow("inactive show's switch") << switchCommand(6, 255);
        QTest::newRow("other operation") << frame(0xE01D, kOwnSubnet, kOwnDevice, QByteArray::fromHex("05FF"));
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("larger than the receive buffer") << switchCommand(5, 255) + QByteArray(2000, '\0');
        QTest::newRow("long form, huge length, unknown switch")
            << frame(BusReceive::UniversalSwitch, kOwnSubnet, kOwnDevice, QByteArray::fromHex("FFFF"), 3, 4, true);
    }

    void refusedDatagramsGetNoActionAndNoAnswer()
    {
        QFETCH(QByteArray, datagram);
        deliver(datagram);
        deliver(probe());
        expectAnswer(7, 0);
        QCOMPARE(window->calls, QStringList({"off"}));
        QVERIFY(!device->hasPendingDatagrams());
        QCOMPARE(link->datagramsRead(), quint64(2));
    }

    // A short-form packet is judged by the CRC in its last two bytes alone:
    // the length byte is never held against the datagram's size, and runs
    // longer than 255 bytes are checked at their real end.
    void shortFormIsJudgedByItsCrcAlone_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<bool>("accepted");

        auto withRun = [](quint8 lengthByte, int extraBytes, bool spoilCrc) {
            QByteArray datagram = switchCommand(7, 1);
            datagram.chop(2);
            datagram[16] = char(lengthByte);
            for (int i = 0; i < extraBytes; ++i)
                datagram.append(char(i * 13 + 1));
            const int run = int(datagram.size()) - 16;
            const auto crc = BusCrcBytes(reinterpret_cast<const quint8*>(datagram.constData()) + 16, run);
            datagram.append(char(crc[0])).append(char(spoilCrc ? crc[1] ^ 0x01 : crc[1]));
            return datagram;
        };
        QTest::newRow("length byte larger than the datagram") << withRun(0x28, 0, false) << true;
        QTest::newRow("length byte smaller than the datagram") << withRun(13, 20, false) << true;
        QTest::newRow("run of 300 bytes") << withRun(13, 289, false) << true;
        QTest::newRow("run of 300 bytes, last CRC byte wrong") << withRun(13, 289, true) << false;
        QTest::newRow("run of 1000 bytes") << withRun(13, 989, false) << true;
    }

    void shortFormIsJudgedByItsCrcAlone()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(bool, accepted);
        deliver(datagram);
        deliver(probe());
        if (accepted) {
            expectAnswer(7, 1);
            QCOMPARE(window->calls.mid(0, 1), QStringList({"on 3"}));
            window->calls = window->calls.mid(1);
        }
        expectAnswer(7, 0);
        QCOMPARE(window->calls, QStringList({"off"}));
        QVERIFY(!device->hasPendingDatagrams());
    }

    void alternativeLeadCodeAndLongFormAreAccepted()
    {
        QByteArray alternative = switchCommand(7, 1);
        alternative[15] = char(0x55);
        deliver(alternative);
        expectAnswer(7, 1);
        QCOMPARE(window->calls, QStringList({"on 3"}));

        // The long form carries no CRC check; its length comes from the bytes
        // that also hold switch number and status, and reaches past the datagram.
        window->calls.clear();
        QByteArray longForm = switchCommand(5, 9);
        longForm[16] = char(0xFF);
        longForm[27] = longForm[28] = 0;
        deliver(longForm);
        expectAnswer(5, 9);
        QCOMPARE(window->calls, QStringList({"on 0"}));
    }

    void unknownLocalAddressDropsEverything()
    {
        link->close();
        QVERIFY(link->open(QString(), 0));
        deliver(switchCommand(5, 255));
        QTRY_COMPARE(link->datagramsRead(), quint64(1));
        QVERIFY(window->calls.isEmpty());

        link->close();
        QVERIFY(reopenOwnSocket());
        deliver(probe());
        expectAnswer(7, 0);
        QCOMPARE(window->calls, QStringList({"off"}));
        QVERIFY(!device->hasPendingDatagrams());
    }

    void followsTheSocketToAnotherPort()
    {
        link->close();
        QVERIFY(reopenOwnSocket());
        deliver(switchCommand(5, 255));
        expectAnswer(5, 255);
        QCOMPARE(window->calls, QStringList({"on 0"}));

        // Once receiving stops, the socket is left alone.
        link->stopReceiving();
        deliver(probe());
        for (int i = 0; i < 20; ++i)
            QCoreApplication::processEvents();
        QCOMPARE(link->datagramsRead(), quint64(1));
    }

    void keepsReceivingWhenAMoveFails()
    {
        const quint16 port = link->port();
        QUdpSocket other;
        QVERIFY(other.bind(QHostAddress::AnyIPv4, 0, QAbstractSocket::DontShareAddress));
        QVERIFY(!link->movePort(other.localPort()));
        QCOMPARE(link->port(), port);

        deliver(switchCommand(5, 255));
        expectAnswer(5, 255);
        QCOMPARE(window->calls, QStringList({"on 0"}));
    }

    void movedSocketReceivesOnTheNewPortOnly()
    {
        const quint16 oldPort = link->port();
        QVERIFY(link->movePort(0));
        const quint16 newPort = link->port();
        QVERIFY(newPort != oldPort);

        // What goes to the old port reaches nobody; the probe on the new
        // port is the first and only datagram read.
        deliver(switchCommand(5, 255), oldPort);
        deliver(probe(), newPort);
        expectAnswer(7, 0);
        QCOMPARE(window->calls, QStringList({"off"}));
        QCOMPARE(link->datagramsRead(), quint64(1));
        QVERIFY(!device->hasPendingDatagrams());
    }

    void floodIsReadInBatchesBetweenOtherEvents()
    {
        link->setBatchLimit(8);
        const int flood = 100;
        for (int i = 0; i < flood; ++i)
            deliver(frame(quint16(0x1000 + i), 2, 3, QByteArray(20, char(i))));

        quint64 readWhenTimerFired = 0;
        bool fired = false;
        QTimer::singleShot(0, this, [&] {
            fired = true;
            readWhenTimerFired = link->datagramsRead();
        });
        QTRY_COMPARE(link->datagramsRead(), quint64(flood));
        QVERIFY(fired);
        QVERIFY(readWhenTimerFired < quint64(flood));

        deliver(probe());
        expectAnswer(7, 0);
        QCOMPARE(window->calls, QStringList({"off"}));
    }

    void localAddressesEndWithLoopback()
    {
        const QStringList table = LocalAddresses();
        QVERIFY(!table.isEmpty() && table.size() <= 5);
        const QString first = table.first();
        const int loopback = int(table.indexOf(QStringLiteral("127.0.0.1")));
        QVERIFY(loopback >= 0);
        for (int i = 0; i < loopback; ++i)
            QVERIFY(!QHostAddress(table[i]).isLoopback());
        // Inside a loopback-only network there is just the one address.
        if (first == QStringLiteral("127.0.0.1"))
            QCOMPARE(table.size(), 1);
    }
};

QTEST_MAIN(TestBusReceiver)
#include "tst_busreceiver.moc"
