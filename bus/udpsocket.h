#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QtGlobal>

#include <array>

// The program's one UDP socket and the wire format of bus packets over UDP.
//
// Every datagram is: the four local octets, a 10-byte protocol tag, the lead
// code AA AA, then the bus packet proper (length, source subnet and device,
// device type FFFD, operation code, target subnet and device, payload) and a
// CRC-16/XMODEM over length byte .. last payload byte, high byte first.

namespace BusWire {
constexpr int SendBufferSize = 1300;
constexpr int HeaderSize = 25;          // local address, tag, lead code, packet head
constexpr int FrameOverhead = 27;       // header plus CRC
constexpr int MaxPayload = SendBufferSize - FrameOverhead; // 1273
constexpr int LongFormThreshold = 80;   // a length above this goes out as 0xFF
constexpr quint16 GatewayPort = 6000;   // bus gateways listen here, whatever our own port
constexpr quint16 SourceDeviceType = 0xFFFD;
} // namespace BusWire

// The receive buffer the program's socket asks for: room for a burst of
// some tens of thousands of small datagrams while the window is busy.
constexpr int UdpReceiveBufferBytes = 16 * 1024 * 1024;

// CRC-16/XMODEM (polynomial 0x1021, initial 0, no reflection, no final XOR).
quint16 BusCrc16(const quint8* bytes, int count);

// The CRC of the first count bytes, high byte first.
std::array<quint8, 2> pblPackCRC(const quint8* bytes, int count);

// True when the two bytes after the first count bytes hold their CRC, high
// byte first. The caller guarantees count + 2 readable bytes.
bool BusCrcMatches(const quint8* bytes, int count);

// The protocol tag of a generation: "RODOVEVARA" up to 3, "VORTELUMEN" from 4.
QByteArray ProtocolTag(quint8 generation);

// Directed broadcast of the local address's class: a.255.255.255 below 128,
// a.b.255.255 below 192, a.b.c.255 from 192 up.
QHostAddress BroadcastDestination(const std::array<quint8, 4>& octets);

struct BusFrameSource {
    std::array<quint8, 4> localOctets{0, 0, 0, 0};
    quint8 generation = 3;
    quint8 subnet = 0;
    quint8 device = 0;
};

// The whole datagram for one packet, or an empty array when the payload does
// not fit in the send buffer (count < 0 or count > MaxPayload).
QByteArray FrameDatagram(const BusFrameSource& source, quint16 operationCode, quint8 targetSubnet,
                         quint8 targetDevice, const quint8* payload, int count, bool longForm = false);

// Binds the socket to the port on every local address (gateways broadcast,
// and a socket bound to one unicast address would not see broadcasts);
// localAddress becomes LocalAddress and fills every datagram's header.
// A port already in use fails; with reportFailure the failure is logged.
// Port 0 takes a free port the system chooses (UDPSocketPort tells which).
// Datagrams go to destinationPort; the bus gateways' port unless a test
// plays the gateway on a port of its own.
bool InitUDPSocket(const QString& localAddress, quint16 port, bool reportFailure,
                   quint16 destinationPort = BusWire::GatewayPort);

// Moves the open socket to another port on LocalAddress without a moment
// of deafness: the new port is bound first, and only then is the old socket
// closed. When the new port cannot be bound (another program holds it) the
// old socket stays open and bound as it was, and the result is false; the
// caller tells the operator. Moving to the port already held changes
// nothing. Without an open socket it opens one. Says nothing itself.
bool MoveUDPSocket(quint16 port);

// Closes the socket when one is open; harmless otherwise.
void CloseUDPSocket();

bool IsUDPSocketOpen();

// The open socket's descriptor, or -1.
int UDPSocketHandle();

// The port the open socket is bound to, or 0.
quint16 UDPSocketPort();

// Frames the first count payload bytes and broadcasts the datagram to port
// 6000 (the destination port the socket was opened with). Own subnet, device, generation and local octets are read at every
// call. Without an open socket nothing is sent.
void SendBusPacket(const quint8* payload, int count, quint16 operationCode, quint8 targetSubnet,
                   quint8 targetDevice, bool longForm = false);

// Announces socket changes, so that a reader can let go of a descriptor
// before it is closed and pick up the new one after a reopen or a move.
class UdpSocketEvents : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
Q_SIGNALS:
    void aboutToClose();
    void opened();
};

UdpSocketEvents& UDPSocketEvents();
