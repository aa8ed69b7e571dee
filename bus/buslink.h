#pragma once

#include "buswire.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QtGlobal>

#include <array>
#include <vector>

class BusObserver;
class ShowSwitchTarget;

// Who the program is on the bus: its own subnet and device (the target of
// the universal-switch commands it answers, the source of what it sends),
// the protocol generation and its own IPv4 address, which heads every
// datagram and picks the broadcast address.
struct BusIdentity {
    quint8 subnet = 0;
    quint8 device = 0;
    quint8 generation = 3;
    QString localAddress; // empty: nothing received is acted on
    // The address's four numbers (text that is not a number counts 0).
    std::array<quint8, 4> localOctets() const;
};

// The program's way onto the bus: where datagrams go out and come in. The
// program uses the UDP link (udpbuslink.h) on the LAN; tests that are not
// about the socket join two loopback links (loopbackbuslink.h) and bind no
// port. Whatever the link, a datagram is framed, checked and dispatched the
// same way: sendPacket() frames with the identity of the moment, and
// everything received goes through received(), which shows it to the
// observer, checks it and hands universal-switch commands to the target.
class BusLink : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~BusLink() override;

    // Takes the port (0: one the system chooses) with localAddress as the
    // identity's own address. False when the port is held by another
    // program; the link is then closed. Says nothing itself.
    virtual bool open(const QString& localAddress, quint16 port) = 0;
    // Moves to another port without a moment of deafness: the new port is
    // taken first, and only then the old one let go. When the new port
    // cannot be taken the old one stays as it was and the result is false.
    // Moving to the port already held changes nothing; without an open link
    // it opens one on the address last given.
    virtual bool movePort(quint16 port) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // The port held, or 0.
    virtual quint16 port() const = 0;
    QString localAddress() const { return m_identity.localAddress; }
    // Read at every send and receive; a change takes effect with the next
    // datagram.
    const BusIdentity& identity() const { return m_identity; }
    void setIdentity(const BusIdentity& identity)
    {
        m_identity = identity;
        m_octets = identity.localOctets();
    }
    // The own address's numbers, worked out once per change, not per send.
    const std::array<quint8, 4>& localOctets() const { return m_octets; }

    // Frames the first count payload bytes with the identity's subnet,
    // device, generation and local address and sends the datagram
    // to the bus gateways. A payload too long for one datagram is refused
    // with an error box ("(pblSendBUF)"). Nothing goes out while closed.
    void sendPacket(const quint8* payload, int count, quint16 operationCode, quint8 targetSubnet,
                    quint8 targetDevice, bool longForm = false);

    // From now on, received universal-switch commands for our own address
    // go to the target (not owned), until stopReceiving().
    void startReceiving(ShowSwitchTarget& target);
    void stopReceiving();
    bool isReceiving() const { return m_target != nullptr; }

    // Watchers (not owned: the bus monitor, remote control's monitor feed)
    // see every datagram sent or received, after it went out or came in, in
    // the order they were added. Adding one twice adds it once.
    void addObserver(BusObserver* observer);
    void removeObserver(BusObserver* observer);
    bool hasObserver(const BusObserver* observer) const;
    bool isObserved() const { return !m_observers.empty(); }

    // Datagrams taken in since the link was made.
    quint64 datagramsRead() const { return m_datagramsRead; }

protected:
    // Puts a framed datagram on the way to the gateways; false when it did
    // not go. peer and port say where it went, for the observer.
    virtual bool transmit(const QByteArray& datagram, quint32* peer, quint16* port) = 0;
    // A datagram came in: `count` bytes of it are at bytes, `size` is its
    // real size (larger for one too long for the receive buffer, which is
    // shown to the observer and dropped). peer is the sender's IPv4 address
    // (0 when unknown), port its port.
    void received(const quint8* bytes, int count, int size, quint32 peer, quint16 port);
    // Receiving started or stopped; a link that watches a socket follows.
    virtual void receivingChanged() {}
    void setLocalAddress(const QString& address)
    {
        m_identity.localAddress = address;
        m_octets = m_identity.localOctets();
    }

private:
    ShowSwitchTarget* m_target = nullptr;
    std::vector<BusObserver*> m_observers;
    BusIdentity m_identity;
    std::array<quint8, 4> m_octets{0, 0, 0, 0};
    quint64 m_datagramsRead = 0;
};

// Puts one stored command on the bus: one datagram to the target device,
// fire-and-forget. Does not wait; callers pace their command lists.
void SendCommand(BusLink& link, quint8 subnet, quint8 device, quint8 kind, quint16 first, quint16 second,
                 quint16 third);

// Answers a universal-switch command (operation 0xE01D) to the device that sent it.
void SendSwitchAck(BusLink& link, quint8 subnet, quint8 device, quint8 switchNo, quint8 status);
