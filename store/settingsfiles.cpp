#include "settingsfiles.h"

#include "inifile.h"
#include "textops.h"

#include <QDir>
#include <QRegularExpression>

#include <array>
#include <limits>
#include <memory>

namespace {

QString readFrom(const IniFile* ini, const QString& section, const QString& key,
                 const QString& defaultValue = QString())
{
    return ini ? ini->read(section, key, defaultValue) : defaultValue;
}

bool writeTo(IniFile* ini, const QString& section, const QString& key, const QString& value)
{
    return ini && ini->write(section, key, value);
}

// An optional sign and decimal digits, of any length.
bool isWholeNumber(const QString& text)
{
    static const QRegularExpression wholeNumber(QStringLiteral("^[+-]?[0-9]+$"));
    return wholeNumber.match(text).hasMatch();
}

} // namespace

bool ParseSettingsInteger(const QString& text, qint32* value)
{
    const QString trimmed = text.trimmed();
    qsizetype i = 0;
    if (i < trimmed.size() && (trimmed[i] == u'+' || trimmed[i] == u'-'))
        ++i;
    if (i == trimmed.size())
        return false;
    for (qsizetype j = i; j < trimmed.size(); ++j) {
        if (trimmed[j] < u'0' || trimmed[j] > u'9')
            return false;
    }
    bool ok = false;
    const qlonglong wide = trimmed.toLongLong(&ok);
    if (!ok || wide < std::numeric_limits<qint32>::min() || wide > std::numeric_limits<qint32>::max())
        return false;
    if (value)
        *value = static_cast<qint32>(wide);
    return true;
}

SettingsFiles::SettingsFiles() = default;
SettingsFiles::~SettingsFiles() = default;
SettingsFiles::SettingsFiles(SettingsFiles&&) noexcept = default;
SettingsFiles& SettingsFiles::operator=(SettingsFiles&&) noexcept = default;

QStringList OpenSettingsFiles(SettingsFiles& pv, const IniFile::BeforeReplaceHook& beforeReplace)
{
    pv.ShowIni = std::make_unique<IniFile>(ProgramPath(QStringLiteral("Database/Show.ini")), beforeReplace);
    pv.SystemIni = std::make_unique<IniFile>(ProgramPath(QStringLiteral("Database/System.ini")), beforeReplace);
    pv.LanguageIni = std::make_unique<IniFile>(ProgramPath(QStringLiteral("Language/English.ini")), beforeReplace);
    QStringList failures;
    for (const IniFile* ini : {pv.ShowIni.get(), pv.SystemIni.get(), pv.LanguageIni.get()}) {
        if (!ini->readError().isEmpty())
            failures << ini->readError() + QStringLiteral(" (") + QDir::toNativeSeparators(ini->path())
                            + QLatin1Char(')');
    }
    return failures;
}

SystemSettings ReadSystemSettings(const IniFile& ini)
{
    SystemSettings s;
    qint32 n = 0;

    // Subnet, device, mute and volume go through a plain integer conversion;
    // the first that is not a whole number ends the reading, leaving the
    // later values at their defaults.
    if (!ParseSettingsInteger(ini.read("SubnetID", "SubnetID", "0"), &n)) {
        s.complete = false;
        return s;
    }
    s.subnetId = static_cast<quint8>(n);
    if (!ParseSettingsInteger(ini.read("DeviceID", "DeviceID", "0"), &n)) {
        s.complete = false;
        return s;
    }
    s.deviceId = static_cast<quint8>(n);

    s.configuredIp = ini.read("ip", "ip");

    // Port and generation never stop the reading: an unusable value is
    // replaced silently.
    if (ParseSettingsInteger(ini.read("Port", "Port"), &n) && n >= 0 && n <= 65535)
        s.port = static_cast<quint16>(n);
    else
        s.port = 15000;

    if (ParseSettingsInteger(ini.read("Generation", "GenerationNo", "3"), &n) && n >= 4 && n <= 255)
        s.generation = static_cast<quint8>(n);
    else
        s.generation = 3;

    if (!ParseSettingsInteger(ini.read("IP", "MUTE", "0"), &n)) {
        s.complete = false;
        return s;
    }
    s.mute = n == 1;
    if (!ParseSettingsInteger(ini.read("IP", "VOL", "20"), &n)) {
        s.complete = false;
        return s;
    }
    s.volume = n & 0xFF;
    return s;
}

AddressChoice ChooseLocalAddress(const QStringList& hostAddresses, const QString& configuredIp)
{
    for (const QString& address : hostAddresses) {
        if (address.trimmed() == configuredIp)
            return {configuredIp, false};
    }
    return {hostAddresses.isEmpty() ? QString() : hostAddresses.first(), true};
}

QString ApplyLocalAddress(IniFile& ini, const QStringList& hostAddresses, const QString& configuredIp,
                          bool* writeFailed)
{
    const AddressChoice choice = ChooseLocalAddress(hostAddresses, configuredIp);
    const bool failed = choice.writeBack && !ini.write("ip", "ip", choice.localAddress);
    if (writeFailed)
        *writeFailed = failed;
    return choice.localAddress;
}

bool WriteMuteAndVolume(SettingsFiles& files, bool mute, int volume)
{
    IniFile* ini = files.SystemIni.get();
    return ini
        && ini->write("IP", {{"MUTE", mute ? QStringLiteral("1") : QStringLiteral("0")},
                             {"VOL", QString::number(volume)}});
}

bool WritePort(SettingsFiles& files, quint16 port)
{
    return writeTo(files.SystemIni.get(), "Port", "Port", QString::number(port));
}

bool WriteSubnetId(SettingsFiles& files, const QString& subnetId)
{
    return writeTo(files.SystemIni.get(), "SubnetID", "SubnetID", subnetId);
}

bool WriteDeviceId(SettingsFiles& files, const QString& deviceId)
{
    return writeTo(files.SystemIni.get(), "DeviceID", "DeviceID", deviceId);
}

FiringSettings ReadFiringSettings(const IniFile& ini)
{
    FiringSettings s;
    if (ini.read(QStringLiteral("Firing"), QStringLiteral("Mode")).trimmed().compare(QLatin1String("precise"),
                                                                                      Qt::CaseInsensitive) == 0)
        s.mode = FiringSettings::Precise;
    const QString offset = ini.read(QStringLiteral("Firing"), QStringLiteral("OffsetMS"), QStringLiteral("0")).trimmed();
    qint32 n = 0;
    if (ParseSettingsInteger(offset, &n))
        s.offsetMS = qBound(FiringSettings::MinOffsetMS, int(n), FiringSettings::MaxOffsetMS);
    else if (isWholeNumber(offset)) // beyond 32 bits, but still far one way
        s.offsetMS = offset.startsWith(u'-') ? FiringSettings::MinOffsetMS : FiringSettings::MaxOffsetMS;
    return s;
}

bool WriteFiringSettings(SettingsFiles& files, const FiringSettings& s)
{
    IniFile* ini = files.SystemIni.get();
    if (!ini || s.offsetMS < FiringSettings::MinOffsetMS || s.offsetMS > FiringSettings::MaxOffsetMS)
        return false;
    return ini->write(QStringLiteral("Firing"),
                      {{QStringLiteral("Mode"),
                        s.mode == FiringSettings::Precise ? QStringLiteral("precise") : QStringLiteral("tick")},
                       {QStringLiteral("OffsetMS"), QString::number(s.offsetMS)}});
}

QString ShowNameOf(const SettingsFiles& files, int showId)
{
    return readFrom(files.ShowIni.get(), QString::number(showId), "ShowName");
}

QString ShowUrlOf(const SettingsFiles& files, int showId)
{
    return readFrom(files.ShowIni.get(), QString::number(showId), "URL");
}

bool WriteShowEntry(SettingsFiles& files, int showId, const QString& name, const QString& url)
{
    IniFile* ini = files.ShowIni.get();
    return ini && ini->write(QString::number(showId), {{"ShowName", name}, {"URL", url}});
}

QString LanguageText(const SettingsFiles& files, const QString& section, const QString& key,
                     const QString& defaultValue)
{
    return readFrom(files.LanguageIni.get(), section, key, defaultValue);
}

QString ControlTypeName(const SettingsFiles& files, int controlTypeId, const QString& defaultText)
{
    return LanguageText(files, QStringLiteral("ControlType"), QString::number(controlTypeId), defaultText);
}

QString ParameterLabel(const SettingsFiles& files, int number)
{
    return ParameterLabel(files, QStringLiteral("%1").arg(number, 5, 10, QLatin1Char('0')));
}

QString ParameterLabel(const SettingsFiles& files, const QString& key)
{
    return LanguageText(files, QStringLiteral("ParameterOfControlType"), key);
}

QString GridHeading(const SettingsFiles& files, int column)
{
    static const std::array<const char*, 10> keys{"00023", "00024", "00025", "00026", "00027",
                                                  "00028", "00029", "00030", "00031", "00035"};
    if (column < 0 || column >= static_cast<int>(keys.size()))
        return QString();
    return LanguageText(files, QStringLiteral("Public"), QString::fromLatin1(keys[column]));
}
