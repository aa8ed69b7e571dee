#pragma once

#include "remotesettings.h"

#include <QObject>

#include <memory>

class MessagePresenter;
class OscServer;
class ProgramSession;
class RemoteControl;
class RemoteServer;

// Remote control as the program runs it: the session's RemoteControl and,
// while [Remote] is enabled, the HTTP server and the OSC server on the
// ports and address set. Settings applied again stop both and start them
// anew; a port that cannot be taken is told to the operator and the program
// goes on without that server.
class RemoteHost : public QObject {
    Q_OBJECT
public:
    // The presenter (not owned) tells the operator what went wrong.
    RemoteHost(ProgramSession& session, MessagePresenter& messages, QObject* parent = nullptr);
    ~RemoteHost() override;

    // Reads [Remote] of System.ini and applies it.
    bool reload();
    // Stops what runs and starts what the settings ask for. False when a
    // server was asked for and could not listen (the operator was told).
    bool apply(const RemoteSettings& settings);
    // Stops both servers.
    void stop();

    const RemoteSettings& settings() const { return m_settings; }
    RemoteControl& control() const { return *m_control; }
    // The server, while it listens; null otherwise.
    RemoteServer* server() const { return m_server.get(); }
    OscServer& osc() const { return *m_osc; }

private:
    void tellNotListening(const QString& what, quint16 port, const QString& why);

    ProgramSession& m_session;
    MessagePresenter& m_messages;
    RemoteSettings m_settings;
    std::unique_ptr<RemoteControl> m_control;
    std::unique_ptr<RemoteServer> m_server;
    std::unique_ptr<OscServer> m_osc;
};
