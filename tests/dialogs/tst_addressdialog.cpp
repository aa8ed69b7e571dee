#include "addressdialog.h"
#include "busdispatch.h"
#include "inifile.h"
#include "programfolder.h"
#include "scriptedmessages.h"
#include "recordingswitchtarget.h"
#include "settingsfiles.h"
#include "udpbuslink.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QUdpSocket>
#include <QtTest>

#include <memory>

namespace {

constexpr quint8 kSwitchNo = 5;

using SwitchWitness = RecordingSwitchTarget;

// The program's link, counting its moves.
class CountingLink : public UdpBusLink {
public:
    using UdpBusLink::UdpBusLink;
    bool movePort(quint16 port) override
    {
        ++moves;
        return UdpBusLink::movePort(port);
    }
    int moves = 0;
};

// A free port the system chose, released again for the test to use.
quint16 freePort()
{
    QUdpSocket probe;
    if (!probe.bind(QHostAddress::AnyIPv4, 0, QAbstractSocket::DontShareAddress))
        return 0;
    return probe.localPort();
}

} // namespace

// The address and port dialog: what it refuses, what it writes to
// System.ini, and that the program keeps hearing switch commands whether the
// port moves or not. The two port choices are ports the system chose; one
// case uses the real 15000 and 6000 (under the fixed-port lock).
class TestAddressDialog : public QObject {
    Q_OBJECT

    SettingsFiles files;

    std::unique_ptr<TestProgramFolder> folder;
    std::unique_ptr<ScriptedMessages> boxes;
    std::unique_ptr<SwitchWitness> witness;
    std::unique_ptr<CountingLink> link;
    QUdpSocket* device = nullptr; // a bus device behind a gateway
    AddressSettings::Ports ports;

    AddressSettings settings() { return AddressSettings(*boxes, files, *link, ports); }

    // The program's own pair of ports.
    AddressSettings realPorts() { return AddressSettings(*boxes, files, *link); }

    QString systemIni(const QString& section, const QString& key) const
    {
        return IniFile(folder->path(QStringLiteral("Database/System.ini"))).read(section, key, QStringLiteral("-"));
    }

    // A universal switch "on" for our address sent to the given port; true
    // when the program's receiver acted on it.
    bool switchReaches(quint16 port)
    {
        const BusIdentity& own = link->identity();
        QByteArray payload;
        payload.append(char(kSwitchNo)).append(char(255));
        const BusFrameSource source{{127, 0, 0, 1}, 3, 3, 4};
        const QByteArray datagram =
            FrameDatagram(source, BusReceive::UniversalSwitch, own.subnet, own.device,
                          reinterpret_cast<const quint8*>(payload.constData()), int(payload.size()));
        witness->calls.clear();
        device->writeDatagram(datagram, QHostAddress::LocalHost, port);
        return QTest::qWaitFor([this] { return !witness->calls.isEmpty(); }, 3000)
               && witness->calls.first() == QStringLiteral("on 0");
    }

private Q_SLOTS:
    void init()
    {
        files = SettingsFiles();
        folder = std::make_unique<TestProgramFolder>();
        QVERIFY(folder->isValid());
        OpenSettingsFiles(files);
        boxes = std::make_unique<ScriptedMessages>();

        device = new QUdpSocket(this);
        QVERIFY(device->bind(QHostAddress::AnyIPv4, 0));
        link = std::make_unique<CountingLink>(device->localPort());
        link->setIdentity({1, 99, 3, QStringLiteral("127.0.0.1")});
        QVERIFY(link->open(QStringLiteral("127.0.0.1"), 0));
        ports.showControl = link->port();
        ports.orvane = freePort();
        QVERIFY(ports.orvane != 0 && ports.orvane != ports.showControl);

        witness = std::make_unique<SwitchWitness>();
        witness->list = {SwitchWitness::show(1, true, kSwitchNo)};
        link->startReceiving(*witness);
    }

    void cleanup()
    {
        link.reset();
        delete device;
        device = nullptr;
        boxes.reset();
        folder.reset();
        files = SettingsFiles();
    }

    void opensWithTheCurrentValues()
    {
        AddressDialog dialog(nullptr, settings());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Software Address and UDP Port Settings"));
        QCOMPARE(dialog.editSubnetID->text(), QStringLiteral("1"));
        QCOMPARE(dialog.editDeviceID->text(), QStringLiteral("99"));
        QVERIFY(dialog.rdobtnPortOfShowControl->isChecked());
        QVERIFY(!dialog.rdobtnPortOfOrvane->isChecked());
        QCOMPARE(dialog.size(), QSize(527, 340));
    }

    void numbersOutsideTheRangeAreRefused_data()
    {
        QTest::addColumn<QString>("subnet");
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("message");
        const QString range = QStringLiteral("Invalid number, scope is within 0-254");
        const QString notNumber = QStringLiteral("Date type is incorrect, only numbers!");
        QTest::newRow("subnet 255") << "255" << "3" << range;
        QTest::newRow("device 255") << "3" << "255" << range;
        QTest::newRow("subnet text") << "abc" << "3" << notNumber;
        QTest::newRow("device empty") << "3" << "" << notNumber;
    }

    void numbersOutsideTheRangeAreRefused()
    {
        QFETCH(QString, subnet);
        QFETCH(QString, device);
        QFETCH(QString, message);
        AddressSettings s = settings();
        // Even with the other port chosen, nothing moves.
        QCOMPARE(s.save(subnet, device, true), AddressSettings::SaveResult::Refused);
        QCOMPARE(boxes->texts(), QStringList{message});
        QCOMPARE(link->moves, 0);
        QCOMPARE(link->port(), ports.showControl);
        QCOMPARE(systemIni("SubnetID", "SubnetID"), QStringLiteral("-"));
        QCOMPARE(systemIni("Port", "Port"), QStringLiteral("-"));
        QCOMPARE(link->identity().subnet, quint8(1));
    }

    void onlyTheAddressChanged()
    {
        const int handle = link->handle();
        AddressSettings s = settings();
        QCOMPARE(s.save(QStringLiteral("12"), QStringLiteral("007"), false), AddressSettings::SaveResult::Saved);
        QVERIFY(boxes->shown.isEmpty());
        QCOMPARE(systemIni("SubnetID", "SubnetID"), QStringLiteral("12"));
        QCOMPARE(systemIni("DeviceID", "DeviceID"), QStringLiteral("007")); // as typed
        QCOMPARE(systemIni("Port", "Port"), QStringLiteral("-"));
        QCOMPARE(link->moves, 0);
        QCOMPARE(link->handle(), handle);
        QCOMPARE(link->identity().subnet, quint8(12));
        QCOMPARE(link->identity().device, quint8(7));
        // The receiver now answers to the new address.
        QVERIFY(switchReaches(ports.showControl));
    }

    void aPortHeldElsewhereChangesNothing()
    {
        QUdpSocket other;
        QVERIFY(other.bind(QHostAddress::AnyIPv4, ports.orvane, QAbstractSocket::DontShareAddress));

        AddressDialog dialog(nullptr, settings());
        dialog.show();
        dialog.editSubnetID->setText(QStringLiteral("20"));
        dialog.rdobtnPortOfOrvane->setChecked(true);
        dialog.bitbtnSave->click();

        QCOMPARE(boxes->shown.size(), 1);
        QCOMPARE(boxes->shown[0].kind, ScriptedMessages::Shown::Notice);
        QVERIFY(boxes->shown[0].caption.isEmpty());
        QCOMPARE(boxes->shown[0].text, AddressSettings::portBusyMessage(ports.orvane));
        QVERIFY(boxes->shown[0].text.contains(QStringLiteral("The UDP port %1 might").arg(ports.orvane)));
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));

        QCOMPARE(systemIni("Port", "Port"), QStringLiteral("-"));
        QCOMPARE(systemIni("SubnetID", "SubnetID"), QStringLiteral("-"));
        QCOMPARE(link->port(), ports.showControl);
        QCOMPARE(link->identity().subnet, quint8(1));
        // Still listening where it was: a switch command still starts the show.
        QCOMPARE(link->port(), ports.showControl);
        QVERIFY(switchReaches(ports.showControl));
    }

    void switchingThePortMovesTheReceiver()
    {
        AddressDialog dialog(nullptr, settings());
        dialog.show();
        dialog.rdobtnPortOfOrvane->setChecked(true);
        dialog.bitbtnSave->click();
        QVERIFY(boxes->shown.isEmpty());
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));

        QCOMPARE(link->port(), ports.orvane);
        QCOMPARE(link->port(), ports.orvane);
        QCOMPARE(systemIni("Port", "Port"), QString::number(ports.orvane));
        QCOMPARE(systemIni("SubnetID", "SubnetID"), QStringLiteral("1"));
        QVERIFY(switchReaches(ports.orvane));
        // The old port is free again.
        QUdpSocket old;
        QVERIFY(old.bind(QHostAddress::AnyIPv4, ports.showControl, QAbstractSocket::DontShareAddress));

        AddressDialog reopened(nullptr, settings());
        QVERIFY(reopened.rdobtnPortOfOrvane->isChecked());

        // Saving again with the same port leaves the socket alone.
        const int handle = link->handle();
        reopened.bitbtnSave->click();
        QCOMPARE(link->moves, 1);
        QCOMPARE(link->handle(), handle);
    }

    void theProgramsOwnPorts()
    {
        // The real pair: from 15000 to 6000 and back.
        QVERIFY(link->open(QStringLiteral("127.0.0.1"), 15000));
        {
            AddressDialog dialog(nullptr, realPorts());
            QVERIFY(dialog.rdobtnPortOfShowControl->isChecked());
            dialog.rdobtnPortOfOrvane->setChecked(true);
            dialog.bitbtnSaveClick();
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
        }
        QCOMPARE(link->port(), quint16(6000));
        QCOMPARE(systemIni("Port", "Port"), QStringLiteral("6000"));
        QVERIFY(switchReaches(6000));

        AddressDialog reopened(nullptr, realPorts());
        QVERIFY(reopened.rdobtnPortOfOrvane->isChecked());
        QCOMPARE(reopened.rdobtnPortOfOrvane->text(), QStringLiteral("Orvane Port 6000"));
        reopened.rdobtnPortOfShowControl->setChecked(true);
        reopened.bitbtnSaveClick();
        QCOMPARE(link->port(), quint16(15000));
        QCOMPARE(systemIni("Port", "Port"), QStringLiteral("15000"));
    }
};

QTEST_MAIN(TestAddressDialog)
#include "tst_addressdialog.moc"
