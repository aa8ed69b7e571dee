#include "remotesettings.h"

#include "inifile.h"
#include "settingsfiles.h"

#include <QHostAddress>

namespace {

const QString kSection = QStringLiteral("Remote");

quint16 readPort(const IniFile& ini, const char* key, quint16 fallback, bool zeroAllowed)
{
    qint32 n = 0;
    const QString text = ini.read(kSection, QString::fromLatin1(key)).trimmed();
    if (!ParseSettingsInteger(text, &n) || n > 65535 || n < (zeroAllowed ? 0 : 1))
        return fallback;
    return quint16(n);
}

} // namespace

RemoteSettings ReadRemoteSettings(const IniFile& ini)
{
    RemoteSettings s;
    s.enabled = ini.read(kSection, QStringLiteral("Enabled")).trimmed() == QLatin1String("1");
    s.httpPort = readPort(ini, "HttpPort", s.httpPort, false);
    s.oscPort = readPort(ini, "OscPort", s.oscPort, true);
    const QString bind = ini.read(kSection, QStringLiteral("Bind")).trimmed();
    if (!bind.isEmpty())
        s.bind = bind;
    s.token = ini.read(kSection, QStringLiteral("Token")).trimmed();
    return s;
}

bool WriteRemoteSettings(SettingsFiles& files, const RemoteSettings& s)
{
    IniFile* ini = files.SystemIni.get();
    if (!ini || QHostAddress(s.bind).isNull() || s.token.contains(QLatin1Char('\n')))
        return false;
    return ini->write(kSection, {{QStringLiteral("Enabled"), s.enabled ? QStringLiteral("1") : QStringLiteral("0")},
                                 {QStringLiteral("HttpPort"), QString::number(s.httpPort)},
                                 {QStringLiteral("OscPort"), QString::number(s.oscPort)},
                                 {QStringLiteral("Bind"), s.bind},
                                 {QStringLiteral("Token"), s.token}});
}
