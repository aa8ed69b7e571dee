#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>

class QUdpSocket;
class RemoteControl;
struct OscMessage;
struct RemoteSettings;

// Remote control over OSC (UDP), on the GUI thread's event loop:
//
//   /tavolan/show/play i   the show with this ShowID plays
//   /tavolan/pause, /tavolan/resume, /tavolan/stop
//   /tavolan/state         asks for the state only
//
// Each of them is answered to its sender with
//   /tavolan/state s i s i   state ("playing", "paused", "stopped"), show id
//                            (0 for none), show name, position in ms.
// With a token set, the token is the first argument (a string) of every
// message. A message without it or with another one, a packet that is not a
// well-formed OSC message, an unknown address or arguments of other types
// are dropped: nothing is done and nothing is answered.
class OscServer : public QObject {
    Q_OBJECT
public:
    explicit OscServer(RemoteControl& remote, QObject* parent = nullptr);
    ~OscServer() override;

    // Listens as the settings say (after stopping): on bind:oscPort, with
    // their token. Remote control switched off or an OSC port of 0 listens
    // nowhere and is no failure. False, with error() telling why, when the
    // address is not one or the port cannot be bound.
    bool start(const RemoteSettings& settings);
    // Listens on this address and port (0: one the system picks), expecting
    // the token when it is not empty.
    bool listen(const QHostAddress& address, quint16 port, const QString& token = {});
    void stop();

    bool isListening() const;
    // The port bound, 0 while not listening.
    quint16 port() const;
    QString error() const { return m_error; }

    // Datagrams read in one turn of the event loop; the rest wait for the
    // next turn so that a flood cannot hold the loop.
    static constexpr int DatagramsPerTurn = 64;

private:
    void readTurn();
    void handle(const QByteArray& packet, const QHostAddress& sender, quint16 senderPort);
    bool carriesToken(const OscMessage& message) const;
    QByteArray stateAnswer() const;

    RemoteControl& m_remote;
    QUdpSocket* m_socket = nullptr;
    QByteArray m_token;
    QByteArray m_buffer;
    bool m_turnQueued = false;
    QString m_error;
};
