#pragma once

#include <QAbstractHttpServer>
#include <QHostAddress>
#include <QJsonObject>
#include <QString>

#include <memory>
#include <vector>

class QWebSocket;
class RemoteBusFeed;
class RemoteControl;

// Remote control over HTTP: every request goes to the API's routing
// (httpapi.h) and its answer back; a WebSocket on the events path gets the
// snapshot and then every change. Listens only once listen() succeeded.
class RemoteServer : public QAbstractHttpServer {
    Q_OBJECT
public:
    // Bytes a monitoring client may leave unread before datagrams are left
    // out for it.
    static constexpr qint64 MaxMonitorBacklog = 1024 * 1024;

    // With a token every request and WebSocket must carry it.
    RemoteServer(RemoteControl& control, const QString& token, QObject* parent = nullptr);
    ~RemoteServer() override;

    // Listens on the address and port (0: one the system chooses). False,
    // with the reason in `error`, when it cannot be taken.
    bool listen(const QHostAddress& address, quint16 port, QString* error = nullptr);
    // The port listened on, or 0.
    quint16 port() const { return m_port; }
    // WebSockets receiving the events.
    int eventClients() const { return int(m_clients.size()); }

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    struct Client {
        std::unique_ptr<QWebSocket> socket;
        bool monitor = false;
    };

    void takeWebSockets();
    void dropClient(QWebSocket* socket);
    void send(const QJsonObject& event, bool monitorOnly = false);
    void followMonitor();

    RemoteControl& m_control;
    QString m_token;
    quint16 m_port = 0;
    std::vector<Client> m_clients;
    std::unique_ptr<RemoteBusFeed> m_feed;
};
