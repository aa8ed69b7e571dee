#include "oscserver.h"

#include "osccodec.h"
#include "remotecontrol.h"
#include "remotesettings.h"

#include <QJsonObject>
#include <QLoggingCategory>
#include <QTimer>
#include <QUdpSocket>

#include <cmath>
#include <limits>

// Refused packets are told here only when asked for
// (QT_LOGGING_RULES="tavolan.remote.osc.debug=true"): a flood of them must
// not become a flood of log lines.
Q_LOGGING_CATEGORY(lcOsc, "tavolan.remote.osc", QtWarningMsg)

namespace {

// Takes as long for every given token of one length, whatever its bytes.
bool sameSecret(const QByteArray& given, const QByteArray& expected)
{
    quint32 diff = quint32(given.size() ^ expected.size());
    const qsizetype n = expected.size();
    for (qsizetype k = 0; k < n; ++k) {
        const quint8 g = k < given.size() ? quint8(given.at(k)) : 0;
        diff |= quint32(g ^ quint8(expected.at(k)));
    }
    return diff == 0;
}

// A show id as an int, or as a float holding a whole number (what many OSC
// controllers send).
bool showIdOf(const OscArgument& a, int& id)
{
    if (a.type == OscArgument::Int32) {
        id = a.i;
        return true;
    }
    if (a.type == OscArgument::Float32 && std::isfinite(a.f) && a.f == std::trunc(a.f)
        && std::fabs(a.f) < 2147483648.0f) {
        id = int(a.f);
        return true;
    }
    return false;
}

} // namespace

OscServer::OscServer(RemoteControl& remote, QObject* parent) : QObject(parent), m_remote(remote)
{
}

OscServer::~OscServer()
{
    stop();
}

bool OscServer::start(const RemoteSettings& settings)
{
    stop();
    m_error.clear();
    if (!settings.enabled || settings.oscPort == 0)
        return true;
    QHostAddress address;
    if (!address.setAddress(settings.bind)) {
        m_error = tr("%1 is not an IP address").arg(settings.bind);
        return false;
    }
    return listen(address, settings.oscPort, settings.token);
}

bool OscServer::listen(const QHostAddress& address, quint16 port, const QString& token)
{
    stop();
    m_error.clear();
    auto* socket = new QUdpSocket(this);
    if (!socket->bind(address, port, QAbstractSocket::DontShareAddress)) {
        m_error = tr("OSC cannot listen on %1 port %2: %3").arg(address.toString()).arg(port).arg(socket->errorString());
        delete socket;
        return false;
    }
    m_socket = socket;
    m_token = token.toUtf8();
    m_buffer.resize(OscMaxPacketSize + 4);
    connect(m_socket, &QUdpSocket::readyRead, this, &OscServer::readTurn);
    return true;
}

void OscServer::stop()
{
    if (!m_socket)
        return;
    m_socket->disconnect(this);
    m_socket->close();
    m_socket->deleteLater();
    m_socket = nullptr;
    m_token.clear();
}

bool OscServer::isListening() const
{
    return m_socket != nullptr;
}

quint16 OscServer::port() const
{
    return m_socket ? m_socket->localPort() : 0;
}

void OscServer::readTurn()
{
    if (!m_socket)
        return;
    for (int n = 0; n < DatagramsPerTurn && m_socket->hasPendingDatagrams(); ++n) {
        QHostAddress sender;
        quint16 senderPort = 0;
        const qint64 size = m_socket->readDatagram(m_buffer.data(), m_buffer.size(), &sender, &senderPort);
        if (size < 0)
            break;
        handle(QByteArray::fromRawData(m_buffer.constData(), size), sender, senderPort);
        // An answer to the command may have led to stop() or a new start().
        if (!m_socket)
            return;
    }
    if (m_socket->hasPendingDatagrams() && !m_turnQueued) {
        m_turnQueued = true;
        QTimer::singleShot(0, this, [this] {
            m_turnQueued = false;
            readTurn();
        });
    }
}

void OscServer::handle(const QByteArray& packet, const QHostAddress& sender, quint16 senderPort)
{
    const OscDecoded decoded = DecodeOscMessage(packet);
    if (!decoded.ok) {
        qCDebug(lcOsc) << "refused from" << sender << senderPort << ":" << decoded.refusal;
        return;
    }
    if (!carriesToken(decoded.message)) {
        qCDebug(lcOsc) << "no or wrong token from" << sender << senderPort;
        return;
    }
    const QByteArray& address = decoded.message.address;
    QList<OscArgument> args = decoded.message.arguments;
    if (!m_token.isEmpty())
        args.removeFirst();

    if (address == "/tavolan/show/play") {
        int showId = 0;
        if (args.size() != 1 || !showIdOf(args.first(), showId))
            return;
        m_remote.play(showId);
    } else if (!args.isEmpty()) {
        return;
    } else if (address == "/tavolan/pause") {
        m_remote.pause();
    } else if (address == "/tavolan/resume") {
        m_remote.resume();
    } else if (address == "/tavolan/stop") {
        m_remote.stop();
    } else if (address != "/tavolan/state") {
        qCDebug(lcOsc) << "unknown address" << address;
        return;
    }
    if (m_socket && senderPort != 0)
        m_socket->writeDatagram(stateAnswer(), sender, senderPort);
}

bool OscServer::carriesToken(const OscMessage& message) const
{
    if (m_token.isEmpty())
        return true;
    if (message.arguments.isEmpty() || message.arguments.first().type != OscArgument::String)
        return false;
    return sameSecret(message.arguments.first().bytes, m_token);
}

QByteArray OscServer::stateAnswer() const
{
    const QJsonObject state = m_remote.state();
    const QJsonObject show = state.value(QStringLiteral("show")).toObject();
    const qint64 positionMs = qBound(qint64(0), qint64(state.value(QStringLiteral("positionMs")).toDouble()),
                                     qint64(std::numeric_limits<qint32>::max()));
    OscMessage answer;
    answer.address = "/tavolan/state";
    answer.arguments = {OscArgument::string(state.value(QStringLiteral("state")).toString()),
                        OscArgument::int32(show.value(QStringLiteral("id")).toInt(0)),
                        OscArgument::string(show.value(QStringLiteral("name")).toString()),
                        OscArgument::int32(qint32(positionMs))};
    return EncodeOscMessage(answer);
}
