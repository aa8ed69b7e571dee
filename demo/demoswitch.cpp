// Starts a demo show the way a bus device would: sends "universal switch N
// on" to the program's own address on this machine until the program
// answers, then ends. Gives up after 30 seconds.
//
//   tavolan_demoswitch [SWITCH]

#include "buswire.h"

#include <QCoreApplication>
#include <QNetworkDatagram>
#include <QTimer>
#include <QUdpSocket>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const quint8 switchNo = argc > 1 ? quint8(QByteArray(argv[1]).toUInt()) : 1;
    // The demo program's own bus address and port (its System.ini).
    constexpr quint8 ProgramSubnet = 1;
    constexpr quint8 ProgramDevice = 99;
    constexpr quint16 ProgramPort = 15000;
    constexpr quint8 OwnDevice = 50;

    BusFrameSource self;
    self.localOctets = {127, 0, 0, 1};
    self.subnet = ProgramSubnet;
    self.device = OwnDevice;
    const quint8 payload[] = {switchNo, 255};
    const QByteArray switchOn = FrameDatagram(self, 0xE01C, ProgramSubnet, ProgramDevice, payload, 2);

    // The answer is broadcast to the gateways' port.
    QUdpSocket answers;
    if (!answers.bind(QHostAddress::AnyIPv4, 6000, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint)) {
        std::fprintf(stderr, "tavolan_demoswitch: cannot listen on port 6000\n");
        return 1;
    }
    QObject::connect(&answers, &QUdpSocket::readyRead, &app, [&] {
        while (answers.hasPendingDatagrams()) {
            const QByteArray d = answers.receiveDatagram().data();
            if (d.size() >= 27 && quint8(d.at(14)) == 0xAA && quint8(d.at(21)) == 0xE0 && quint8(d.at(22)) == 0x1D &&
                quint8(d.at(24)) == OwnDevice && quint8(d.at(25)) == switchNo)
                app.exit(0);
        }
    });

    QUdpSocket bus;
    QTimer resend;
    QObject::connect(&resend, &QTimer::timeout, &app,
                     [&] { bus.writeDatagram(switchOn, QHostAddress::LocalHost, ProgramPort); });
    resend.start(500);
    QTimer::singleShot(30000, &app, [&] {
        std::fprintf(stderr, "tavolan_demoswitch: no answer from the program\n");
        app.exit(1);
    });
    return app.exec();
}
