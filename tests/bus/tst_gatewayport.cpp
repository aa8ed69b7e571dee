#include "udpbuslink.h"

#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QtTest>

// The fixed ports themselves: the program's default port 15000 and the bus
// gateways' port 6000. CTest runs this under the udp_fixed_ports lock, never
// beside another test that binds them.
class TestGatewayPort : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sendsToPort6000WhateverItsOwnPort()
    {
        QUdpSocket gateway;
        QVERIFY(gateway.bind(QHostAddress::AnyIPv4, BusWire::GatewayPort));
        UdpBusLink link;
        QVERIFY(link.open(QStringLiteral("127.0.0.1"), 15000));
        QCOMPARE(link.port(), quint16(15000));

        SendCommand(link, 1, 20, 4, 5, 100, 3);
        QVERIFY(gateway.waitForReadyRead(5000));
        QNetworkDatagram d = gateway.receiveDatagram();
        QCOMPARE(d.senderPort(), 15000);
        QCOMPARE(d.destinationPort(), 6000);
        QCOMPARE(d.destinationAddress(), QHostAddress(QStringLiteral("127.255.255.255")));

        // A move changes the port we send from, not the one we send to.
        QVERIFY(link.movePort(0));
        SendCommand(link, 1, 20, 4, 5, 100, 3);
        QVERIFY(gateway.hasPendingDatagrams() || gateway.waitForReadyRead(5000));
        d = gateway.receiveDatagram();
        QCOMPARE(d.senderPort(), int(link.port()));
        QCOMPARE(d.destinationPort(), 6000);
    }
};

QTEST_MAIN(TestGatewayPort)
#include "tst_gatewayport.moc"
