#include "addresssettings.h"

#include "messages.h"
#include "publicvariable.h"
#include "settingsfiles.h"
#include "textops.h"
#include "udpsocket.h"

AddressSettings::AddressSettings(MessagePresenter& messages)
    : AddressSettings(messages, Ports{})
{
}

AddressSettings::AddressSettings(MessagePresenter& messages, Ports ports, SocketMover mover)
    : m_messages(messages)
    , m_ports(ports)
    , m_mover(mover ? std::move(mover) : SocketMover(&MoveUDPSocket))
{
}

QString AddressSettings::initialSubnet() const
{
    return QString::number(mPublicVariable().SubnetID);
}

QString AddressSettings::initialDevice() const
{
    return QString::number(mPublicVariable().DeviceID);
}

bool AddressSettings::orvaneInitiallyChecked() const
{
    return mPublicVariable().UdpPort == m_ports.orvane;
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

    PublicVariables& pv = mPublicVariable();
    const quint16 chosen = orvaneChecked ? m_ports.orvane : m_ports.showControl;
    if (chosen != pv.UdpPort) {
        // The new port is bound before the old one is let go; on failure the
        // program goes on listening where it did.
        if (!m_mover(chosen)) {
            m_messages.tell(owner, portBusyMessage(chosen));
            return SaveResult::PortBusy;
        }
        pv.UdpPort = chosen;
        WritePort(chosen);
    }

    WriteSubnetId(subnetText);
    WriteDeviceId(deviceText);
    pv.SubnetID = static_cast<quint8>(subnetText.trimmed().toInt());
    pv.DeviceID = static_cast<quint8>(deviceText.trimmed().toInt());
    return SaveResult::Saved;
}
