#pragma once

#include "remotesettings.h"

#include <QObject>

#include <memory>

class MessagePresenter;
class ProgramSession;
class RemoteControl;
class RemoteServer;

// Remote control as the program runs it: the session's RemoteControl and,
// while [Remote] is enabled, the HTTP server on the port and address set.
// Settings applied again stop the server and start it anew; a port that
// cannot be taken is told to the operator and the program goes on without
// remote control.
class RemoteHost : public QObject {
    Q_OBJECT
public:
    // The presenter (not owned) tells the operator what went wrong.
    RemoteHost(ProgramSession& session, MessagePresenter& messages, QObject* parent = nullptr);
    ~RemoteHost() override;

    // Reads [Remote] of System.ini and applies it.
    bool reload();
    // Stops what runs and starts what the settings ask for. False when the
    // server was asked for and could not listen (the operator was told).
    bool apply(const RemoteSettings& settings);
    // Stops the server.
    void stop();

    const RemoteSettings& settings() const { return m_settings; }
    RemoteControl& control() const { return *m_control; }
    // The server, while it listens; null otherwise.
    RemoteServer* server() const { return m_server.get(); }

private:
    ProgramSession& m_session;
    MessagePresenter& m_messages;
    RemoteSettings m_settings;
    std::unique_ptr<RemoteControl> m_control;
    std::unique_ptr<RemoteServer> m_server;
};
