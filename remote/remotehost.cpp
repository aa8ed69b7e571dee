#include "remotehost.h"

#include "inifile.h"
#include "messages.h"
#include "programsession.h"
#include "remotecontrol.h"
#include "remoteserver.h"

#include <QHostAddress>

RemoteHost::RemoteHost(ProgramSession& session, MessagePresenter& messages, QObject* parent)
    : QObject(parent), m_session(session), m_messages(messages),
      m_control(std::make_unique<RemoteControl>(session))
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
    if (!address.isNull() && server->listen(address, settings.httpPort, &why)) {
        m_server = std::move(server);
        return true;
    }
    m_messages.error(nullptr, QStringLiteral("Remote control could not listen on %1 port %2: %3\n"
                                             "The program goes on without it; choose another port in "
                                             "\"Remote Control...\".")
                                  .arg(settings.bind)
                                  .arg(settings.httpPort)
                                  .arg(why));
    return false;
}

void RemoteHost::stop()
{
    m_server.reset();
}
