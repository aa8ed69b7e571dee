#include "addresssettings.h"

#include "messages.h"
#include "buslink.h"
#include "settingsfiles.h"
#include "textops.h"

AddressSettings::AddressSettings(MessagePresenter& messages, SettingsFiles& files, BusLink& link)
    : AddressSettings(messages, files, link, Ports{})
{
}

AddressSettings::AddressSettings(MessagePresenter& messages, SettingsFiles& files, BusLink& link, Ports ports)
    : m_messages(messages)
    , m_files(files)
    , m_ports(ports)
    , m_link(link)
{
}

QString AddressSettings::initialSubnet() const
{
    return QString::number(m_link.identity().subnet);
}

QString AddressSettings::initialDevice() const
{
    return QString::number(m_link.identity().device);
}

bool AddressSettings::orvaneInitiallyChecked() const
{
    return m_link.port() == m_ports.orvane;
}

QString AddressSettings::portBusyMessage(quint16 port)
{
    return QStringLiteral("Fail to initialize UDP socket!\r\nThe UDP port ") + QString::number(port)
           + QStringLiteral(" might has already been used by another software!") + QStringLiteral("\r\n")
           + QStringLiteral("You must close another software and try again later,") + QStringLiteral("\r\n")
           + QStringLiteral("or choose another UDP port!");
}

AddressSettings::SaveResult AddressSettings::save(const QString& subnetText, const QString& deviceText,
                                                  bool orvaneChecked, QWidget* owner)
{
    for (const QString& number : {subnetText, deviceText}) {
        QString refusal;
        if (!CheckNumber(number, true, 0, 254, &refusal)) {
            m_messages.tell(owner, refusal);
            return SaveResult::Refused;
        }
    }

    const quint16 chosen = orvaneChecked ? m_ports.orvane : m_ports.showControl;
    if (chosen != m_link.port()) {
        // The new port is bound before the old one is let go; on failure the
        // program goes on listening where it did.
        if (!m_link.movePort(chosen)) {
            m_messages.tell(owner, portBusyMessage(chosen));
            return SaveResult::PortBusy;
        }
        WritePort(m_files, chosen);
    }

    WriteSubnetId(m_files, subnetText);
    WriteDeviceId(m_files, deviceText);
    BusIdentity own = m_link.identity();
    own.subnet = static_cast<quint8>(subnetText.trimmed().toInt());
    own.device = static_cast<quint8>(deviceText.trimmed().toInt());
    m_link.setIdentity(own);
    return SaveResult::Saved;
}
