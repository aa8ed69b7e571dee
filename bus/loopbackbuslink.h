#pragma once

#include "buslink.h"

#include <QList>
#include <QPointer>

// A bus inside the process: two links joined end to end. A datagram sent on
// one end arrives at the other after the sender's turn of the event loop,
// as from the wire, and is checked and dispatched there like any received
// datagram. Nothing binds a port, so tests run side by side without
// sharing anything. An end that plays a bus device keeps what reaches it.
class LoopbackBusLink : public BusLink {
    Q_OBJECT
public:
    // address is this end's IPv4 address as the other end sees the sender.
    explicit LoopbackBusLink(quint32 address = 0x7F000001, QObject* parent = nullptr);
    ~LoopbackBusLink() override;

    // Joins two ends; each one's datagrams go to the other.
    static void join(LoopbackBusLink& a, LoopbackBusLink& b);

    bool open(const QString& localAddress, quint16 port) override;
    bool movePort(quint16 port) override;
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    quint16 port() const override { return m_open ? m_port : 0; }

    // The datagrams that reached this end, in order of arrival.
    const QList<QByteArray>& arrived() const { return m_arrived; }
    QList<QByteArray> takeArrived();

    // Sends bytes as they are, unframed: a device sending whatever it likes.
    void sendRaw(const QByteArray& datagram);

    // Ports another program holds: opening or moving onto them fails.
    void setPortsTakenElsewhere(QList<quint16> ports) { m_taken = std::move(ports); }

Q_SIGNALS:
    void datagramArrived(const QByteArray& datagram);

protected:
    bool transmit(const QByteArray& datagram, quint32* peer, quint16* port) override;

private:
    void arrive(const QByteArray& datagram, quint32 peer, quint16 port);

    QPointer<LoopbackBusLink> m_peer;
    quint32 m_address;
    quint16 m_port = 0;
    bool m_open = false;
    QList<QByteArray> m_arrived;
    QList<quint16> m_taken;
};
