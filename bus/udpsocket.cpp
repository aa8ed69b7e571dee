#include "udpsocket.h"

#include "busobserver.h"
#include "messages.h"
#include "publicvariable.h"

#include <QDebug>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <exception>

namespace {

constexpr std::array<quint16, 256> makeCrcTable()
{
    std::array<quint16, 256> table{};
    for (int i = 0; i < 256; ++i) {
        quint16 crc = quint16(i << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? quint16((crc << 1) ^ 0x1021) : quint16(crc << 1);
        table[i] = crc;
    }
    return table;
}

constexpr std::array<quint16, 256> crcTable = makeCrcTable();

int socketHandle = -1;
quint16 destinationPort = BusWire::GatewayPort;

// A non-blocking UDP socket bound to the port on every local address, with
// broadcast permission; -1 when the port cannot be bound.
int openBoundSocket(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_UDP);
    if (fd < 0)
        return -1;
    // No SO_REUSEADDR: a port another program holds must make us fail.
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    // A burst from the bus must wait in the socket rather than be dropped
    // by the kernel before we read it. The system may grant less (its
    // net.core.rmem_max); what it granted is logged.
    const int asked = UdpReceiveBufferBytes;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &asked, sizeof asked);
    int granted = 0;
    socklen_t size = sizeof granted;
    if (::getsockopt(fd, SOL_SOCKET, SO_RCVBUF, &granted, &size) == 0)
        qInfo().noquote() << QStringLiteral("UDP receive buffer: %1 bytes asked, %2 granted").arg(asked).arg(granted);
    return fd;
}

quint16 boundPort(int fd)
{
    sockaddr_in address{};
    socklen_t size = sizeof address;
    if (fd < 0 || ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return 0;
    return ntohs(address.sin_port);
}

QString errorText(const std::exception& e)
{
    return QString::fromLocal8Bit(e.what());
}

// The socket layer is handed no presenter: what goes wrong here is logged.
void logFailure(const QString& text)
{
    LogMessagePresenter().error(nullptr, text);
}

} // namespace

quint16 BusCrc16(const quint8* bytes, int count)
{
    quint16 crc = 0;
    if (!bytes)
        return crc;
    for (int i = 0; i < count; ++i)
        crc = quint16(crc << 8) ^ crcTable[((crc >> 8) ^ bytes[i]) & 0xFF];
    return crc;
}

std::array<quint8, 2> pblPackCRC(const quint8* bytes, int count)
{
    try {
        const quint16 crc = BusCrc16(bytes, count);
        return {quint8(crc >> 8), quint8(crc & 0xFF)};
    } catch (const std::exception& e) {
        logFailure(errorText(e) + QStringLiteral("(pblPackCRC)"));
        return {0, 0};
    }
}

bool BusCrcMatches(const quint8* bytes, int count)
{
    try {
        if (!bytes || count < 0)
            return false;
        // Positions are plain ints: runs longer than 255 bytes are checked
        // at their real end, not at a position wrapped to 8 bits.
        const std::array<quint8, 2> crc = pblPackCRC(bytes, count);
        return bytes[count] == crc[0] && bytes[count + 1] == crc[1];
    } catch (const std::exception& e) {
        logFailure(errorText(e) + QStringLiteral("(pblCheckCRC)"));
        return false;
    }
}

QByteArray ProtocolTag(quint8 generation)
{
    return generation <= 3 ? QByteArrayLiteral("RODOVEVARA") : QByteArrayLiteral("VORTELUMEN");
}

QHostAddress BroadcastDestination(const std::array<quint8, 4>& octets)
{
    quint32 a = octets[0], b = octets[1], c = octets[2];
    quint32 ip;
    if (a < 128)
        ip = (a << 24) | 0x00FFFFFFu;
    else if (a < 192)
        ip = (a << 24) | (b << 16) | 0x0000FFFFu;
    else
        ip = (a << 24) | (b << 16) | (c << 8) | 0xFFu;
    return QHostAddress(ip);
}

QByteArray FrameDatagram(const BusFrameSource& source, quint16 operationCode, quint8 targetSubnet,
                         quint8 targetDevice, const quint8* payload, int count, bool longForm)
{
    if (count < 0 || count > BusWire::MaxPayload || (count > 0 && !payload))
        return {};

    QByteArray datagram;
    datagram.reserve(BusWire::FrameOverhead + count);
    for (quint8 octet : source.localOctets)
        datagram.append(char(octet));
    datagram.append(ProtocolTag(source.generation));
    datagram.append(char(0xAA));
    datagram.append(char(0xAA));
    const int length = count + 11;
    datagram.append(char(longForm || length > BusWire::LongFormThreshold ? 0xFF : length));
    datagram.append(char(source.subnet));
    datagram.append(char(source.device));
    datagram.append(char(BusWire::SourceDeviceType >> 8));
    datagram.append(char(BusWire::SourceDeviceType & 0xFF));
    datagram.append(char(operationCode >> 8));
    datagram.append(char(operationCode & 0xFF));
    datagram.append(char(targetSubnet));
    datagram.append(char(targetDevice));
    if (count > 0)
        datagram.append(reinterpret_cast<const char*>(payload), count);

    const auto* run = reinterpret_cast<const quint8*>(datagram.constData()) + 16;
    const std::array<quint8, 2> crc = pblPackCRC(run, 9 + count);
    datagram.append(char(crc[0]));
    datagram.append(char(crc[1]));
    return datagram;
}

UdpSocketEvents& UDPSocketEvents()
{
    static UdpSocketEvents events;
    return events;
}

bool InitUDPSocket(const QString& localAddress, quint16 port, bool reportFailure, quint16 destination)
{
    mPublicVariable().LocalAddress = localAddress;
    CloseUDPSocket();

    const int fd = openBoundSocket(port);
    if (fd < 0) {
        if (reportFailure)
            logFailure(QStringLiteral("Fail to initialize UDP socket!"));
        return false;
    }
    socketHandle = fd;
    destinationPort = destination;
    Q_EMIT UDPSocketEvents().opened();
    return true;
}

bool MoveUDPSocket(quint16 port)
{
    if (socketHandle < 0)
        return InitUDPSocket(mPublicVariable().LocalAddress, port, false, destinationPort);
    if (port != 0 && port == boundPort(socketHandle))
        return true;

    const int fd = openBoundSocket(port);
    if (fd < 0)
        return false;
    CloseUDPSocket();
    socketHandle = fd;
    Q_EMIT UDPSocketEvents().opened();
    return true;
}

void CloseUDPSocket()
{
    if (socketHandle < 0)
        return;
    Q_EMIT UDPSocketEvents().aboutToClose();
    ::close(socketHandle);
    socketHandle = -1;
}

bool IsUDPSocketOpen()
{
    return socketHandle >= 0;
}

int UDPSocketHandle()
{
    return socketHandle;
}

quint16 UDPSocketPort()
{
    return boundPort(socketHandle);
}

void SendBusPacket(const quint8* payload, int count, quint16 operationCode, quint8 targetSubnet,
                   quint8 targetDevice, bool longForm)
{
    try {
        if (count < 0 || count > BusWire::MaxPayload) {
            logFailure(QStringLiteral("A payload of %1 bytes does not fit in one datagram").arg(count)
                       + QStringLiteral("(pblSendBUF)"));
            return;
        }
        const PublicVariables& pv = mPublicVariable();
        const BusFrameSource source{pv.LocalOctets, pv.ProtocolGeneration, pv.SubnetID, pv.DeviceID};
        const QByteArray datagram =
            FrameDatagram(source, operationCode, targetSubnet, targetDevice, payload, count, longForm);
        if (datagram.isEmpty() || socketHandle < 0)
            return;

        sockaddr_in destination{};
        destination.sin_family = AF_INET;
        destination.sin_port = htons(destinationPort);
        destination.sin_addr.s_addr = htonl(BroadcastDestination(pv.LocalOctets).toIPv4Address());
        // Fire-and-forget: a failed send is not retried or reported.
        const ssize_t sent = ::sendto(socketHandle, datagram.constData(), size_t(datagram.size()), 0,
                                      reinterpret_cast<const sockaddr*>(&destination), sizeof destination);
        if (sent >= 0)
            NotifyBusObserver(BusDirection::Sent, reinterpret_cast<const quint8*>(datagram.constData()),
                              int(datagram.size()), int(datagram.size()), ntohl(destination.sin_addr.s_addr),
                              destinationPort);
    } catch (const std::exception& e) {
        logFailure(errorText(e) + QStringLiteral("(pblSendBUF)"));
    }
}
