#include "udpbuslink.h"

#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QtTest>

// The bus over UDP: binding, sending, refusing, moving to another port. Every port here is one the system chose, so copies of this test and
// others can run side by side; the fixed ports 15000 and 6000 are covered by
// tst_gatewayport.
class TestUdpBusLink : public QObject {
    Q_OBJECT

    QUdpSocket* gateway = nullptr; // plays the bus gateways, on a port of its own
    std::unique_ptr<UdpBusLink> link;

    QNetworkDatagram nextAtGateway()
    {
        if (!gateway->hasPendingDatagrams())
            gateway->waitForReadyRead(5000);
        return gateway->receiveDatagram();
    }

    bool openOwnSocket() { return link->open(QStringLiteral("127.0.0.1"), 0); }

    // One command out, and the port it came from.
    int sendAndSeeSenderPort()
    {
        SendCommand(*link, 1, 20, 4, 5, 100, 3);
        const QNetworkDatagram d = nextAtGateway();
        return d.isValid() ? d.senderPort() : -1;
    }

private Q_SLOTS:
    void init()
    {
        // What the bus layer reports goes to the log as a warning; a warning
        // a test does not expect fails it.
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        gateway = new QUdpSocket(this);
        QVERIFY(gateway->bind(QHostAddress::AnyIPv4, 0));
        link = std::make_unique<UdpBusLink>(gateway->localPort());
        link->setIdentity({1, 99, 3, QStringLiteral("127.0.0.1")});
    }

    void cleanup()
    {
        link.reset();
        delete gateway;
        gateway = nullptr;
    }

    void sendsToTheClassBroadcastOnTheGatewayPort()
    {
        QVERIFY(openOwnSocket());
        const quint16 ownPort = link->port();
        QVERIFY(ownPort != 0);

        // Kinds 3 and 13 put nothing on the wire: the first datagram to
        // arrive is the kind 4 command sent after them.
        SendCommand(*link, 1, 20, 3, 5, 100, 3);
        SendCommand(*link, 1, 20, 13, 5, 100, 3);
        SendCommand(*link, 1, 20, 4, 5, 100, 3);
        const QNetworkDatagram first = nextAtGateway();
        QCOMPARE(first.data().left(29).toHex(' '),
                 QByteArray::fromHex("7F000001" "524F444F564556415241" "AAAA0F0163FFFD0031011405640003")
                     .toHex(' '));
        QVERIFY(BusCrcMatches(reinterpret_cast<const quint8*>(first.data().constData()) + 16, 13));
        QCOMPARE(first.destinationAddress(), QHostAddress(QStringLiteral("127.255.255.255")));
        QCOMPARE(first.destinationPort(), int(gateway->localPort()));
        QCOMPARE(first.senderPort(), int(ownPort));

        // Own address and generation are read at every send.
        link->setIdentity({7, 8, 4, QStringLiteral("127.0.0.1")});
        SendSwitchAck(*link, 3, 4, 5, 255);
        const QByteArray ack = nextAtGateway().data();
        QCOMPARE(ack.size(), 29);
        QCOMPARE(ack.mid(4, 10), QByteArray("VORTELUMEN"));
        QCOMPARE(ack.mid(16, 11).toHex(), QByteArray("0d0708fffde01d030405ff"));
    }

    void refusesPayloadsThatDoNotFit()
    {
        QVERIFY(openOwnSocket());
        QByteArray payload(1274, '\x11');
        QTest::ignoreMessage(QtWarningMsg, "A payload of 1274 bytes does not fit in one datagram(pblSendBUF)");
        link->sendPacket(reinterpret_cast<const quint8*>(payload.constData()), 1274, 0x1234, 1, 2);

        link->sendPacket(reinterpret_cast<const quint8*>(payload.constData()), 1273, 0x1234, 1, 2);
        QCOMPARE(nextAtGateway().data().size(), 1300);
    }

    void busyPortFailsToBind()
    {
        QUdpSocket other;
        QVERIFY(other.bind(QHostAddress::AnyIPv4, 0, QAbstractSocket::DontShareAddress));
        const quint16 taken = other.localPort();

        // The link says nothing itself: the session tells the operator.
        QVERIFY(!link->open(QStringLiteral("127.0.0.1"), taken));
        QVERIFY(!link->isOpen());
        QCOMPARE(link->port(), quint16(0));

        // Sending without a socket does nothing and says nothing.
        SendCommand(*link, 1, 2, 4, 1, 2, 3);

        // Opening on a free port works, and closing twice is harmless.
        QVERIFY(link->open(QStringLiteral("127.0.0.1"), 0));
        QVERIFY(link->isOpen());
        QCOMPARE(link->localAddress(), QStringLiteral("127.0.0.1"));
        link->close();
        link->close();
        QVERIFY(!link->isOpen());

        // Our own socket holds its port against others, too.
        QVERIFY(link->open(QStringLiteral("127.0.0.1"), 0));
        QUdpSocket third;
        QVERIFY(!third.bind(QHostAddress::AnyIPv4, link->port(), QAbstractSocket::DontShareAddress));
    }

    void moveKeepsTheSocketWhenTheNewPortIsTaken()
    {
        QVERIFY(openOwnSocket());
        const int handle = link->handle();
        const quint16 port = link->port();
        QUdpSocket other;
        QVERIFY(other.bind(QHostAddress::AnyIPv4, 0, QAbstractSocket::DontShareAddress));

        QVERIFY(!link->movePort(other.localPort()));
        QVERIFY(link->isOpen());
        QCOMPARE(link->handle(), handle);
        QCOMPARE(link->port(), port);
        QCOMPARE(sendAndSeeSenderPort(), int(port));
    }

    void moveBindsTheNewPortThenLetsGoOfTheOld()
    {
        QVERIFY(openOwnSocket());
        const quint16 oldPort = link->port();

        QVERIFY(link->movePort(0));
        const quint16 newPort = link->port();
        QVERIFY(newPort != 0 && newPort != oldPort);
        QCOMPARE(link->localAddress(), QStringLiteral("127.0.0.1"));
        // Still to the same gateways, now from the new port.
        QCOMPARE(sendAndSeeSenderPort(), int(newPort));

        // The port already held: nothing to do, nothing closed.
        const int handle = link->handle();
        QVERIFY(link->movePort(newPort));
        QCOMPARE(link->handle(), handle);

        // Without a socket a move opens one.
        link->close();
        QVERIFY(link->movePort(0));
        QVERIFY(link->isOpen());
        QVERIFY(sendAndSeeSenderPort() > 0);
    }
};

QTEST_MAIN(TestUdpBusLink)
#include "tst_udpbuslink.moc"
