#include "inifile.h"
#include "settingsfiles.h"
#include "textops.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestSettingsFiles : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    SettingsFiles m_settings;

    QString file(const QString& relative) const { return m_dir->filePath(relative); }

    static void put(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    static QByteArray contents(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void init()
    {
        m_settings = SettingsFiles();
        m_dir = std::make_unique<QTemporaryDir>();
        QDir(m_dir->path()).mkpath("Database");
        QDir(m_dir->path()).mkpath("Language");
        SetProgramFolder(m_dir->path());
    }
    void cleanup()
    {
        SetProgramFolder(QString());
    }

    void systemSettings_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<int>("subnet");
        QTest::addColumn<int>("device");
        QTest::addColumn<QString>("ip");
        QTest::addColumn<int>("port");
        QTest::addColumn<int>("generation");
        QTest::addColumn<bool>("mute");
        QTest::addColumn<int>("volume");
        QTest::addColumn<bool>("complete");

        QTest::newRow("empty file gives defaults") << QByteArray() << 0 << 0 << "" << 15000 << 3 << false << 20 << true;
        QTest::newRow("all keys, any letter case")
            << QByteArray("[subnetid]\nSUBNETID=12\n[DeviceId]\ndeviceid=200\n[IP]\nIP=10.1.2.3\nmute=1\nvol=35\n"
                          "[port]\nport=6000\n[GENERATION]\nGenerationNo=4\n")
            << 12 << 200 << "10.1.2.3" << 6000 << 4 << true << 35 << true;

        const QByteArray base = "[SubnetID]\nSubnetID=1\n[DeviceID]\nDeviceID=2\n";
        QTest::newRow("port 70000") << base + "[Port]\nPort=70000\n" << 1 << 2 << "" << 15000 << 3 << false << 20 << true;
        QTest::newRow("port empty") << base + "[Port]\nPort=\n" << 1 << 2 << "" << 15000 << 3 << false << 20 << true;
        QTest::newRow("port text") << base + "[Port]\nPort=abc\n" << 1 << 2 << "" << 15000 << 3 << false << 20 << true;
        QTest::newRow("port 0") << base + "[Port]\nPort=0\n" << 1 << 2 << "" << 0 << 3 << false << 20 << true;
        QTest::newRow("port 65535") << base + "[Port]\nPort=65535\n" << 1 << 2 << "" << 65535 << 3 << false << 20 << true;

        for (const char* g : {"0", "2", "abc", "300"})
            QTest::addRow("generation \"%s\" gives 3", g)
                << base + "[Generation]\nGenerationNo=" + g + "\n" << 1 << 2 << "" << 15000 << 3 << false << 20 << true;
        QTest::newRow("generation 4") << base + "[Generation]\nGenerationNo=4\n" << 1 << 2 << "" << 15000 << 4 << false << 20 << true;
        QTest::newRow("generation 255") << base + "[Generation]\nGenerationNo=255\n" << 1 << 2 << "" << 15000 << 255 << false << 20 << true;

        QTest::newRow("mute other integer is not muted") << base + "[IP]\nMUTE=2\n" << 1 << 2 << "" << 15000 << 3 << false << 20 << true;
        QTest::newRow("volume low 8 bits") << base + "[IP]\nVOL=291\n" << 1 << 2 << "" << 15000 << 3 << false << 35 << true;
        QTest::newRow("subnet low 8 bits") << QByteArray("[SubnetID]\nSubnetID=300\n") << 44 << 0 << "" << 15000 << 3 << false << 20 << true;

        // A subnet, device, mute or volume that is not a whole number stops
        // the reading: everything after it keeps its default.
        const QByteArray rest = "[ip]\nip=10.0.0.9\n[Port]\nPort=6000\n[Generation]\nGenerationNo=5\n[IP]\nMUTE=1\nVOL=40\n";
        QTest::newRow("subnet not a number")
            << "[SubnetID]\nSubnetID=abc\n[DeviceID]\nDeviceID=7\n" + rest << 0 << 0 << "" << 15000 << 3 << false << 20 << false;
        QTest::newRow("device empty")
            << "[SubnetID]\nSubnetID=3\n[DeviceID]\nDeviceID=\n" + rest << 3 << 0 << "" << 15000 << 3 << false << 20 << false;
        QTest::newRow("mute not a number")
            << base + "[ip]\nip=10.0.0.9\n[Port]\nPort=6000\n[IP]\nMUTE=yes\nVOL=40\n" << 1 << 2 << "10.0.0.9" << 6000 << 3
            << false << 20 << false;
        QTest::newRow("volume beyond 32 bits")
            << base + "[IP]\nMUTE=1\nVOL=99999999999\n" << 1 << 2 << "" << 15000 << 3 << true << 20 << false;
    }
    void systemSettings()
    {
        QFETCH(QByteArray, ini);
        put(file("Database/System.ini"), ini);
        const SystemSettings s = ReadSystemSettings(IniFile(file("Database/System.ini")));
        QTEST(int(s.subnetId), "subnet");
        QTEST(int(s.deviceId), "device");
        QTEST(s.configuredIp, "ip");
        QTEST(int(s.port), "port");
        QTEST(int(s.generation), "generation");
        QTEST(s.mute, "mute");
        QTEST(s.volume, "volume");
        QTEST(s.complete, "complete");
    }

    void localAddressChoice()
    {
        const QStringList host{"192.168.1.20", " 10.0.0.7 ", "127.0.0.1"};
        AddressChoice c = ChooseLocalAddress(host, "10.0.0.7");
        QCOMPARE(c.localAddress, QStringLiteral("10.0.0.7"));
        QVERIFY(!c.writeBack);

        c = ChooseLocalAddress(host, "10.0.0.70");
        QCOMPARE(c.localAddress, QStringLiteral("192.168.1.20"));
        QVERIFY(c.writeBack);

        c = ChooseLocalAddress(host, "");
        QCOMPARE(c.localAddress, QStringLiteral("192.168.1.20"));
        QVERIFY(c.writeBack);

        c = ChooseLocalAddress({}, "10.0.0.7");
        QCOMPARE(c.localAddress, QString());
        QVERIFY(c.writeBack);
    }

    void unknownAddressIsReplacedInTheFile()
    {
        put(file("Database/System.ini"), "[IP]\nMUTE=0\nVOL=20\n[ip]\nip=172.16.0.99\n");
        OpenSettingsFiles(m_settings);
        IniFile& ini = *m_settings.SystemIni;
        const SystemSettings s = ReadSystemSettings(ini);
        QCOMPARE(ApplyLocalAddress(ini, {"127.0.0.1", "127.0.0.2"}, s.configuredIp), QStringLiteral("127.0.0.1"));
        QCOMPARE(contents(file("Database/System.ini")), QByteArray("[IP]\nMUTE=0\nVOL=20\n[ip]\nip=127.0.0.1\n"));

        // The kept address leaves the file alone.
        const QByteArray now = contents(file("Database/System.ini"));
        QCOMPARE(ApplyLocalAddress(ini, {"127.0.0.2", "127.0.0.1"}, "127.0.0.1"), QStringLiteral("127.0.0.1"));
        QCOMPARE(contents(file("Database/System.ini")), now);

        // No address at all: empty text is used and written.
        QCOMPARE(ApplyLocalAddress(ini, {}, "127.0.0.1"), QString());
        QVERIFY(ini.contains("ip", "ip"));
        QCOMPARE(IniFile(file("Database/System.ini")).read("ip", "ip", "none"), QString());
    }

    void systemWritersShareSectionsWithTheReaders()
    {
        put(file("Database/System.ini"), "[ip]\nip=127.0.0.1\n");
        OpenSettingsFiles(m_settings);
        QVERIFY(WriteMuteAndVolume(m_settings, true, 35));
        QVERIFY(WritePort(m_settings, 6000));
        QVERIFY(WriteSubnetId(m_settings, "12"));
        QVERIFY(WriteDeviceId(m_settings, "254"));
        QCOMPARE(contents(file("Database/System.ini")),
                 QByteArray("[ip]\nip=127.0.0.1\nMUTE=1\nVOL=35\n[Port]\nPort=6000\n[SubnetID]\nSubnetID=12\n"
                            "[DeviceID]\nDeviceID=254\n"));
        const SystemSettings s = ReadSystemSettings(IniFile(file("Database/System.ini")));
        QVERIFY(s.complete);
        QCOMPARE(s.mute, true);
        QCOMPARE(s.volume, 35);
        QCOMPARE(int(s.port), 6000);
        QCOMPARE(int(s.subnetId), 12);
        QCOMPARE(int(s.deviceId), 254);

        QVERIFY(WriteMuteAndVolume(m_settings, false, 0));
        QCOMPARE(IniFile(file("Database/System.ini")).read("IP", "MUTE"), QStringLiteral("0"));
        QVERIFY(!WriteSubnetId(m_settings, "1\n[Port]\nPort=1"));
    }

    void showEntries()
    {
        put(file("Database/Show.ini"), "[7]\nShowName=Opening\nURL=/media/opening.mp4\n");
        OpenSettingsFiles(m_settings);
        QCOMPARE(ShowNameOf(m_settings, 7), QStringLiteral("Opening"));
        QCOMPARE(ShowUrlOf(m_settings, 7), QStringLiteral("/media/opening.mp4"));
        QCOMPARE(ShowNameOf(m_settings, 8), QString());

        QVERIFY(WriteShowEntry(m_settings, 12, "Finale", "/media/finale.mp4"));
        QVERIFY(WriteShowEntry(m_settings, 7, "Opening night", "/media/opening.mp4"));
        QCOMPARE(contents(file("Database/Show.ini")),
                 QByteArray("[7]\nShowName=Opening night\nURL=/media/opening.mp4\n"
                            "[12]\nShowName=Finale\nURL=/media/finale.mp4\n"));

        // A name or path with a line break could forge other shows' entries.
        const QByteArray before = contents(file("Database/Show.ini"));
        QVERIFY(!WriteShowEntry(m_settings, 12, "x\n[7]\nURL=/etc/passwd", "/media/finale.mp4"));
        QVERIFY(!WriteShowEntry(m_settings, 12, "Finale", "/media/a.mp4\r\n[SubnetID]"));
        QCOMPARE(contents(file("Database/Show.ini")), before);
        QCOMPARE(ShowNameOf(m_settings, 12), QStringLiteral("Finale"));
    }

    void missingFilesReadEmptyAndWritesCreateThem()
    {
        OpenSettingsFiles(m_settings);
        const SystemSettings s = ReadSystemSettings(*m_settings.SystemIni);
        QCOMPARE(int(s.port), 15000);
        QCOMPARE(s.volume, 20);
        QCOMPARE(ShowUrlOf(m_settings, 1), QString());
        QCOMPARE(ControlTypeName(m_settings, 3, "3"), QStringLiteral("3"));
        QVERIFY(!QFile::exists(file("Database/Show.ini")));
        QVERIFY(WriteShowEntry(m_settings, 1, "One", "/m/one.mp3"));
        QVERIFY(QFile::exists(file("Database/Show.ini")));
        QVERIFY(!QFile::exists(file("Database/System.ini")));
    }

    void unreadableFileIsReportedAndNeverOverwritten()
    {
        // A folder where the file should be cannot be read; writing into it
        // must not replace it with a file holding one key.
        QDir(m_dir->path()).mkpath("Database/System.ini");
        const QStringList failures = OpenSettingsFiles(m_settings);
        QCOMPARE(failures.size(), 1);
        QVERIFY2(failures[0].contains("System.ini"), qPrintable(failures[0]));
        QCOMPARE(int(ReadSystemSettings(*m_settings.SystemIni).port), 15000);
        QVERIFY(!WriteMuteAndVolume(m_settings, true, 10));
        QVERIFY(QFileInfo(file("Database/System.ini")).isDir());
        QVERIFY(WriteShowEntry(m_settings, 1, "Still fine", "/m/a.mp4"));
    }

    void nothingOpenMeansDefaultsAndRefusedWrites()
    {
        QCOMPARE(ShowNameOf(m_settings, 1), QString());
        QCOMPARE(ControlTypeName(m_settings, 1, "fallback"), QStringLiteral("fallback"));
        QVERIFY(!WriteShowEntry(m_settings, 1, "a", "b"));
        QVERIFY(!WriteMuteAndVolume(m_settings, true, 1));
        QVERIFY(!WritePort(m_settings, 6000));
    }

    void languageTexts()
    {
        put(file("Language/English.ini"),
            "[ControlType]\r\n0=Universal Switch\r\n12=Curtain\r\n"
            "[ParameterOfControlType]\r\n00001=Switch No.\r\n00012=Status\r\n"
            "[Public]\r\n00023=Subnet ID\r\n00031=Param 3\r\n00035=Remark\r\n00032=not a heading\r\n");
        OpenSettingsFiles(m_settings);
        QCOMPARE(ControlTypeName(m_settings, 0), QStringLiteral("Universal Switch"));
        QCOMPARE(ControlTypeName(m_settings, 12, "3"), QStringLiteral("Curtain"));
        QCOMPARE(ControlTypeName(m_settings, 5, "3"), QStringLiteral("3"));
        QCOMPARE(ParameterLabel(m_settings, 1), QStringLiteral("Switch No."));
        QCOMPARE(ParameterLabel(m_settings, 12), QStringLiteral("Status"));
        QCOMPARE(ParameterLabel(m_settings, "00012"), QStringLiteral("Status"));
        QCOMPARE(ParameterLabel(m_settings, 2), QString());
        QCOMPARE(GridHeading(m_settings, 0), QStringLiteral("Subnet ID"));
        QCOMPARE(GridHeading(m_settings, 8), QStringLiteral("Param 3"));
        QCOMPARE(GridHeading(m_settings, 9), QStringLiteral("Remark"));
        QCOMPARE(GridHeading(m_settings, 10), QString());
        QCOMPARE(GridHeading(m_settings, -1), QString());
    }

    void shippedLanguageFileHasEveryText()
    {
        SetProgramFolder(TAVOLAN_SHIPPED_DIR);
        OpenSettingsFiles(m_settings);
        for (int kind = 0; kind <= 12; ++kind)
            QVERIFY2(!ControlTypeName(m_settings, kind).isEmpty(), qPrintable(QString::number(kind)));
        for (int n = 1; n <= 12; ++n)
            QVERIFY2(!ParameterLabel(m_settings, n).isEmpty(), qPrintable(QString::number(n)));
        for (int column = 0; column < 10; ++column)
            QVERIFY2(!GridHeading(m_settings, column).isEmpty(), qPrintable(QString::number(column)));
    }
};

QTEST_MAIN(TestSettingsFiles)
#include "tst_settingsfiles.moc"
