// Floods the program's bus port with foreign datagrams and measures how long
// the GUI thread goes without serving a 1 ms timer while the receiver works.
// Sends UDP: run only in a loopback-only network namespace, e.g.
//   unshare -n sh -c 'ip link set lo up && exec build/benchbin/bench_busflood'

#include "busreceiver.h"
#include "mSocket.h"
#include "publicvariable.h"
#include "showswitchtarget.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QUdpSocket>

#include <cstdio>

namespace {
class NoWindow : public ShowSwitchTarget {
public:
    void selectShowRow(int) override {}
    void playPlayer() override {}
    void stopPlayer() override {}
};
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int total = 20000;
    const quint16 port = 15000;

    PublicVariables& pv = mPublicVariable();
    pv.SubnetID = 1;
    pv.DeviceID = 99;
    pv.LocalOctets = {127, 0, 0, 1};
    if (!InitUDPSocket(QStringLiteral("127.0.0.1"), port, false)) {
        std::fprintf(stderr, "port %u is busy\n", unsigned(port));
        return 1;
    }
    NoWindow window;
    BusReceiver receiver(window);
    receiver.start();

    QUdpSocket sender;
    const BusFrameSource foreign{{127, 0, 0, 2}, 3, 7, 8};
    const quint8 payload[4] = {1, 2, 3, 4};
    const QByteArray datagram = FrameDatagram(foreign, 0x0031, 7, 9, payload, 4);

    QElapsedTimer clock;
    clock.start();
    qint64 lastTick = 0;
    qint64 worstGap = 0;
    int ticks = 0;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (ticks++ > 0 && now - lastTick > worstGap)
            worstGap = now - lastTick;
        lastTick = now;
    });
    tick.start();

    // Bursts of 200 (about what a socket buffer holds), the event loop in
    // between. Datagrams the socket buffer cannot hold are dropped by the
    // kernel, as on a real network; the read count shows how many got in.
    int sent = 0;
    QTimer burst;
    QObject::connect(&burst, &QTimer::timeout, [&] {
        for (int i = 0; i < 200 && sent < total; ++i, ++sent)
            sender.writeDatagram(datagram, QHostAddress::LocalHost, port);
        if (sent >= total) {
            burst.stop();
            QTimer::singleShot(200, &app, &QCoreApplication::quit);
        }
    });
    burst.start(0);
    QTimer::singleShot(60000, &app, &QCoreApplication::quit);
    app.exec();

    std::printf("sent %d, read %llu in %.1f ms; %d ticks, longest gap between ticks %.2f ms\n", sent,
                static_cast<unsigned long long>(receiver.datagramsRead()), clock.nsecsElapsed() / 1e6, ticks,
                worstGap / 1e6);
    CloseUDPSocket();
    return 0;
}
