#include "remotehost.h"

#include "inifile.h"
#include "messages.h"
#include "oscserver.h"
#include "programsession.h"
#include "remotecontrol.h"
#include "remoteserver.h"

#include <QHostAddress>

RemoteHost::RemoteHost(ProgramSession& session, MessagePresenter& messages, QObject* parent)
    : QObject(parent), m_session(session), m_messages(messages),
      m_control(std::make_unique<RemoteControl>(session)),
      m_osc(std::make_unique<OscServer>(*m_control))
{
}

RemoteHost::~RemoteHost()
{
    stop();
}

bool RemoteHost::reload()
{
    const IniFile* ini = m_session.settingsFiles().SystemIni.get();
    return apply(ini ? ReadRemoteSettings(*ini) : RemoteSettings());
}

bool RemoteHost::apply(const RemoteSettings& settings)
{
    stop();
    m_settings = settings;
    if (!settings.enabled || m_session.hasEnded())
        return true;
    const QHostAddress address(settings.bind);
    QString why = QStringLiteral("\"%1\" is not an IP address").arg(settings.bind);
    auto server = std::make_unique<RemoteServer>(*m_control, settings.token);
    bool started = !address.isNull() && server->listen(address, settings.httpPort, &why);
    if (started)
        m_server = std::move(server);
    else
        tellNotListening(QStringLiteral("Remote control"), settings.httpPort, why);
    if (!m_osc->start(settings)) {
        tellNotListening(QStringLiteral("Remote control over OSC"), settings.oscPort, m_osc->error());
        started = false;
    }
    return started;
}

void RemoteHost::tellNotListening(const QString& what, quint16 port, const QString& why)
{
    m_messages.error(nullptr, QStringLiteral("%1 could not listen on %2 port %3: %4\n"
                                             "The program goes on without it; choose another port in "
                                             "\"Remote Control...\".")
                                  .arg(what, m_settings.bind)
                                  .arg(port)
                                  .arg(why));
}

void RemoteHost::stop()
{
    m_server.reset();
    m_osc->stop();
}
