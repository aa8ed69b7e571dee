#pragma once

#include "buslink.h"

#include <QPointer>

class QSocketNotifier;

// The bus over the LAN: one non-blocking UDP socket bound to the port on
// every local address (gateways broadcast, and a socket bound to one unicast
// address would not see broadcasts), sending to the gateways' port by
// directed broadcast. It is read on the GUI thread whenever datagrams are
// waiting; a flood is read in bounded turns with the event loop running in
// between, so the window stays responsive.
class UdpBusLink : public BusLink {
    Q_OBJECT
public:
    // The receive buffer asked for: room for a burst of some tens of
    // thousands of small datagrams while the window is busy. The system may
    // grant less (net.core.rmem_max); what it granted is logged.
    static constexpr int ReceiveBufferBytes = 16 * 1024 * 1024;
    // Datagrams read per turn of the event loop, at most; a turn also ends
    // after DrainBudgetMs of reading.
    static constexpr int DefaultBatchLimit = 1024;
    static constexpr int DrainBudgetMs = 4;

    // Datagrams go to destinationPort: the gateways' port, unless a test
    // plays the gateway on a port of its own.
    explicit UdpBusLink(quint16 destinationPort = BusWire::GatewayPort, QObject* parent = nullptr);
    ~UdpBusLink() override;

    bool open(const QString& localAddress, quint16 port) override;
    bool movePort(quint16 port) override;
    void close() override;
    bool isOpen() const override { return m_fd >= 0; }
    quint16 port() const override;

    // The socket's descriptor, or -1.
    int handle() const { return m_fd; }

    // One receive attempt: reads at most one datagram and acts on it. False
    // when nothing was waiting (or the link is closed).
    bool receiveOne();

    void setBatchLimit(int limit) { m_batchLimit = limit > 0 ? limit : 1; }
    int batchLimit() const { return m_batchLimit; }

protected:
    bool transmit(const QByteArray& datagram, quint32* peer, quint16* port) override;
    void receivingChanged() override;

private:
    void watchSocket();
    void releaseSocket();
    void scheduleDrain();
    void drain();

    int m_fd = -1;
    quint16 m_destinationPort;
    QPointer<QSocketNotifier> m_notifier;
    bool m_drainScheduled = false;
    bool m_draining = false;
    int m_batchLimit = DefaultBatchLimit;
};
