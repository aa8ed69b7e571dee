#include "remoteserver.h"

#include "httpapi.h"
#include "programsession.h"
#include "remotebusfeed.h"
#include "remotecontrol.h"

#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QJsonDocument>
#include <QMetaEnum>
#include <QNetworkRequest>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrlQuery>
#include <QWebSocket>

namespace {

// Refuses a request that keeps growing past the limit before it is whole,
// instead of holding it all: the HTTP layer keeps an unfinished request in
// the socket's buffer until it is complete.
class GuardedTcpServer : public QTcpServer {
public:
    using QTcpServer::QTcpServer;

    // Room for the request line and headers beside the largest body.
    static constexpr qint64 MaxBuffered = HttpApi::MaxRequestBytes + 16 * 1024;

protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto* socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        // Connected before the HTTP layer takes the socket, so this sees the
        // bytes first.
        connect(socket, &QIODevice::readyRead, socket, [socket] {
            if (socket->bytesAvailable() <= MaxBuffered)
                return;
            const QByteArray body = HttpApi::Error(413, QStringLiteral("the request is too large")).body;
            socket->readAll();
            socket->write("HTTP/1.1 413 Payload Too Large\r\nContent-Type: application/json\r\nConnection: close\r\n"
                          "Content-Length: " +
                          QByteArray::number(body.size()) + "\r\n\r\n" + body);
            socket->disconnectFromHost();
        });
        addPendingConnection(socket);
    }
};

QByteArray methodName(QHttpServerRequest::Method method)
{
    const char* key = QMetaEnum::fromType<QHttpServerRequest::Method>().valueToKey(int(method));
    return key ? QByteArray(key).toUpper() : QByteArray();
}

HttpApiRequest apiRequest(const QHttpServerRequest& request)
{
    HttpApiRequest r;
    r.method = methodName(request.method());
    r.path = request.url().path(QUrl::FullyDecoded);
    r.query = request.query();
    r.headers = request.headers();
    r.body = request.body();
    return r;
}

} // namespace

RemoteServer::RemoteServer(RemoteControl& control, const QString& token, QObject* parent)
    : QAbstractHttpServer(parent), m_control(control), m_token(token)
{
    connect(this, &QAbstractHttpServer::newWebSocketConnection, this, &RemoteServer::takeWebSockets);
    connect(&m_control, &RemoteControl::stateChanged, this, [this](const QJsonObject& state) {
        send({{QStringLiteral("type"), QStringLiteral("state")}, {QStringLiteral("state"), state}});
    });
    connect(&m_control, &RemoteControl::positionChanged, this, [this](qint64 ms) {
        send({{QStringLiteral("type"), QStringLiteral("position")}, {QStringLiteral("positionMs"), ms}});
    });
    connect(&m_control, &RemoteControl::fired, this, [this](int showId, qint64 second, int commands) {
        send({{QStringLiteral("type"), QStringLiteral("fired")},
              {QStringLiteral("show"), showId},
              {QStringLiteral("second"), second},
              {QStringLiteral("commands"), commands}});
    });
    connect(&m_control, &RemoteControl::showsChanged, this,
            [this] { send({{QStringLiteral("type"), QStringLiteral("shows")}}); });
}

RemoteServer::~RemoteServer()
{
    m_feed.reset();
    for (Client& client : m_clients) {
        client.socket->disconnect(this);
        client.socket->abort();
        m_control.removeListener();
    }
    m_clients.clear();
}

bool RemoteServer::listen(const QHostAddress& address, quint16 port, QString* error)
{
    auto server = std::make_unique<GuardedTcpServer>(this);
    if (!server->listen(address, port)) {
        if (error)
            *error = server->errorString();
        return false;
    }
    m_port = server->serverPort();
    bind(server.release());
    return true;
}

bool RemoteServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket)
{
    // A WebSocket handshake is left unanswered here: the HTTP layer answers
    // it and hands the WebSocket out, whose path and token are checked then.
    if (request.value(QByteArrayLiteral("upgrade")).compare("websocket", Qt::CaseInsensitive) == 0)
        return true;
    const HttpApiResponse answer = HttpApi::Handle(m_control, m_token, apiRequest(request));
    QHttpServerResponder responder = makeResponder(request, socket);
    responder.writeStatusLine(QHttpServerResponder::StatusCode(answer.status));
    responder.writeHeader(QByteArrayLiteral("Content-Type"), answer.contentType);
    responder.writeHeader(QByteArrayLiteral("Content-Length"), QByteArray::number(answer.body.size()));
    for (const auto& [name, value] : answer.headers)
        responder.writeHeader(name, value);
    responder.writeBody(answer.body);
    return true;
}

void RemoteServer::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket)
{
    makeResponder(request, socket).write(HttpApi::Error(404, QStringLiteral("no such path")).body,
                                         QByteArrayLiteral("application/json"),
                                         QHttpServerResponder::StatusCode::NotFound);
}

void RemoteServer::takeWebSockets()
{
    while (hasPendingWebSocketConnections()) {
        std::unique_ptr<QWebSocket> socket = nextPendingWebSocketConnection();
        if (!socket)
            continue;
        const QUrl url = socket->requestUrl();
        HttpApiRequest request;
        request.method = "GET";
        request.path = url.path(QUrl::FullyDecoded);
        request.query = QUrlQuery(url);
        const QByteArray authorization = socket->request().rawHeader("Authorization");
        if (!authorization.isEmpty())
            request.headers.append({QByteArrayLiteral("Authorization"), authorization});
        if (request.path != QLatin1String(HttpApi::EventsPath)) {
            socket->close(QWebSocketProtocol::CloseCodePolicyViolated, QStringLiteral("no such path"));
            socket.release()->deleteLater();
            continue;
        }
        if (!HttpApi::Authorized(m_token, request, true)) {
            socket->close(QWebSocketProtocol::CloseCodePolicyViolated, QStringLiteral("a valid token is required"));
            socket.release()->deleteLater();
            continue;
        }
        QWebSocket* ws = socket.get();
        const bool monitor = request.query.queryItemValue(QStringLiteral("monitor")) == QLatin1String("1");
        connect(ws, &QWebSocket::disconnected, this, [this, ws] { dropClient(ws); });
        m_clients.push_back({std::move(socket), monitor});
        m_control.addListener();
        const QJsonObject snapshot{{QStringLiteral("type"), QStringLiteral("snapshot")},
                                   {QStringLiteral("state"), m_control.state()},
                                   {QStringLiteral("shows"), m_control.shows()}};
        ws->sendTextMessage(QString::fromUtf8(QJsonDocument(snapshot).toJson(QJsonDocument::Compact)));
        followMonitor();
    }
}

void RemoteServer::dropClient(QWebSocket* socket)
{
    for (auto it = m_clients.begin(); it != m_clients.end(); ++it) {
        if (it->socket.get() != socket)
            continue;
        // The socket is in the middle of telling its disconnection.
        it->socket.release()->deleteLater();
        m_clients.erase(it);
        m_control.removeListener();
        followMonitor();
        return;
    }
}

void RemoteServer::send(const QJsonObject& event, bool monitorOnly)
{
    if (m_clients.empty())
        return;
    const QString text = QString::fromUtf8(QJsonDocument(event).toJson(QJsonDocument::Compact));
    for (const Client& client : m_clients) {
        if (monitorOnly && !client.monitor)
            continue;
        // A client that does not read its datagrams misses some rather than
        // have the program hold them all.
        if (monitorOnly && client.socket->bytesToWrite() > MaxMonitorBacklog)
            continue;
        client.socket->sendTextMessage(text);
    }
}

void RemoteServer::followMonitor()
{
    const bool wanted = std::any_of(m_clients.begin(), m_clients.end(), [](const Client& c) { return c.monitor; });
    if (wanted && !m_feed) {
        ProgramSession& session = m_control.session();
        m_feed = std::make_unique<RemoteBusFeed>(session.busLink(), session.settingsFiles(), session.lookups());
        connect(m_feed.get(), &RemoteBusFeed::datagram, this, [this](const QJsonObject& e) { send(e, true); });
    } else if (!wanted) {
        m_feed.reset();
    }
}
