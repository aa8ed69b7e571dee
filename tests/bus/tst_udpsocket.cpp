#include "commandcodec.h"
#include "publicvariable.h"
#include "udpsocket.h"

#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QUdpSocket>
#include <QtTest>

// The program's UDP socket: binding, sending, refusing, moving to another
// port. Every port here is one the system chose, so copies of this test and
// others can run side by side; the fixed ports 15000 and 6000 are covered by
// tst_gatewayport.
class TestUdpSocket : public QObject {
    Q_OBJECT

    QUdpSocket* gateway = nullptr; // plays the bus gateways, on a port of its own

    QNetworkDatagram nextAtGateway()
    {
        if (!gateway->hasPendingDatagrams())
            gateway->waitForReadyRead(5000);
        return gateway->receiveDatagram();
    }

    bool openOwnSocket(bool reportFailure = true)
    {
        return InitUDPSocket(QStringLiteral("127.0.0.1"), 0, reportFailure, gateway->localPort());
    }

    // One command out, and the port it came from.
    int sendAndSeeSenderPort()
    {
        SendCommand(1, 20, 4, 5, 100, 3);
        const QNetworkDatagram d = nextAtGateway();
        return d.isValid() ? d.senderPort() : -1;
    }

private Q_SLOTS:
    void init()
    {
        ResetPublicVariables();
        PublicVariables& pv = mPublicVariable();
        pv.SubnetID = 1;
        pv.DeviceID = 99;
        pv.LocalAddress = QStringLiteral("127.0.0.1");
        pv.LocalOctets = {127, 0, 0, 1};
        // What the socket layer reports goes to the log as a warning; a
        // warning a test does not expect fails it.
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        gateway = new QUdpSocket(this);
        QVERIFY(gateway->bind(QHostAddress::AnyIPv4, 0));
    }

    void cleanup()
    {
        CloseUDPSocket();
        delete gateway;
        gateway = nullptr;
    }

    void sendsToTheClassBroadcastOnTheGatewayPort()
    {
        QVERIFY(openOwnSocket());
        const quint16 ownPort = UDPSocketPort();
        QVERIFY(ownPort != 0);

        // Kinds 3 and 13 put nothing on the wire: the first datagram to
        // arrive is the kind 4 command sent after them.
        SendCommand(1, 20, 3, 5, 100, 3);
        SendCommand(1, 20, 13, 5, 100, 3);
        SendCommand(1, 20, 4, 5, 100, 3);
        const QNetworkDatagram first = nextAtGateway();
        QCOMPARE(first.data().left(29).toHex(' '),
                 QByteArray::fromHex("7F000001" "524F444F564556415241" "AAAA0F0163FFFD0031011405640003")
                     .toHex(' '));
        QVERIFY(BusCrcMatches(reinterpret_cast<const quint8*>(first.data().constData()) + 16, 13));
        QCOMPARE(first.destinationAddress(), QHostAddress(QStringLiteral("127.255.255.255")));
        QCOMPARE(first.destinationPort(), int(gateway->localPort()));
        QCOMPARE(first.senderPort(), int(ownPort));

        // Own address and generation are read at every send.
        mPublicVariable().SubnetID = 7;
        mPublicVariable().DeviceID = 8;
        mPublicVariable().ProtocolGeneration = 4;
        SendSwitchAck(3, 4, 5, 255);
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
        SendBusPacket(reinterpret_cast<const quint8*>(payload.constData()), 1274, 0x1234, 1, 2);

        SendBusPacket(reinterpret_cast<const quint8*>(payload.constData()), 1273, 0x1234, 1, 2);
        QCOMPARE(nextAtGateway().data().size(), 1300);
    }

    void busyPortFailsToBind()
    {
        QUdpSocket other;
        QVERIFY(other.bind(QHostAddress::AnyIPv4, 0, QAbstractSocket::DontShareAddress));
        const quint16 taken = other.localPort();

        QTest::ignoreMessage(QtWarningMsg, "Fail to initialize UDP socket!");
        QVERIFY(!InitUDPSocket(QStringLiteral("127.0.0.1"), taken, true));
        QVERIFY(!IsUDPSocketOpen());
        QCOMPARE(UDPSocketPort(), quint16(0));

        // Not asked to report, it says nothing; nor does sending without a
        // socket.
        QVERIFY(!InitUDPSocket(QStringLiteral("127.0.0.1"), taken, false));
        SendCommand(1, 2, 0, 1, 2, 3);

        // Opening on a free port works, and closing twice is harmless.
        QVERIFY(InitUDPSocket(QStringLiteral("127.0.0.1"), 0, false));
        QVERIFY(IsUDPSocketOpen());
        QCOMPARE(mPublicVariable().LocalAddress, QStringLiteral("127.0.0.1"));
        CloseUDPSocket();
        CloseUDPSocket();
        QVERIFY(!IsUDPSocketOpen());

        // Our own socket holds its port against others, too.
        QVERIFY(InitUDPSocket(QStringLiteral("127.0.0.1"), 0, false));
        QUdpSocket third;
        QVERIFY(!third.bind(QHostAddress::AnyIPv4, UDPSocketPort(), QAbstractSocket::DontShareAddress));
    }

    void moveKeepsTheSocketWhenTheNewPortIsTaken()
    {
        QVERIFY(openOwnSocket());
        const int handle = UDPSocketHandle();
        const quint16 port = UDPSocketPort();
        QUdpSocket other;
        QVERIFY(other.bind(QHostAddress::AnyIPv4, 0, QAbstractSocket::DontShareAddress));
        QSignalSpy closing(&UDPSocketEvents(), &UdpSocketEvents::aboutToClose);
        QSignalSpy opened(&UDPSocketEvents(), &UdpSocketEvents::opened);

        QVERIFY(!MoveUDPSocket(other.localPort()));
        QVERIFY(IsUDPSocketOpen());
        QCOMPARE(UDPSocketHandle(), handle);
        QCOMPARE(UDPSocketPort(), port);
        QCOMPARE(closing.count(), 0);
        QCOMPARE(opened.count(), 0); // and nothing is said: the caller tells the operator
        QCOMPARE(sendAndSeeSenderPort(), int(port));
    }

    void moveBindsTheNewPortThenLetsGoOfTheOld()
    {
        QVERIFY(openOwnSocket());
        const quint16 oldPort = UDPSocketPort();
        QSignalSpy closing(&UDPSocketEvents(), &UdpSocketEvents::aboutToClose);
        QSignalSpy opened(&UDPSocketEvents(), &UdpSocketEvents::opened);

        QVERIFY(MoveUDPSocket(0));
        const quint16 newPort = UDPSocketPort();
        QVERIFY(newPort != 0 && newPort != oldPort);
        QCOMPARE(closing.count(), 1);
        QCOMPARE(opened.count(), 1);
        QCOMPARE(mPublicVariable().LocalAddress, QStringLiteral("127.0.0.1"));
        // Still to the same gateways, now from the new port.
        QCOMPARE(sendAndSeeSenderPort(), int(newPort));

        // The port already held: nothing to do, nothing closed.
        const int handle = UDPSocketHandle();
        QVERIFY(MoveUDPSocket(newPort));
        QCOMPARE(UDPSocketHandle(), handle);
        QCOMPARE(closing.count(), 1);

        // Without a socket a move opens one.
        CloseUDPSocket();
        QVERIFY(MoveUDPSocket(0));
        QVERIFY(IsUDPSocketOpen());
        QVERIFY(sendAndSeeSenderPort() > 0);
    }
};

QTEST_MAIN(TestUdpSocket)
#include "tst_udpsocket.moc"
