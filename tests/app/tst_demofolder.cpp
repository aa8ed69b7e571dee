#include "inifile.h"
#include "programfolder.h"
#include "buswire.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>

#ifndef TAVOLAN_DEMO_DIR
#error "TAVOLAN_DEMO_DIR must name the demo program folder"
#endif

namespace {

struct Caught {
    qint64 atMs;
    quint16 opcode;
    quint8 device;
    QByteArray payload;
};

} // namespace

// The demo program folder the build makes: what it holds, and its first show
// playing on the loopback bus when a bus device switches it on.
class TestDemoFolder : public QObject {
    Q_OBJECT

private:
    const QString m_demo = QStringLiteral(TAVOLAN_DEMO_DIR) + QLatin1Char('/');
    QUdpSocket m_listener;
    QList<Caught> m_caught;
    QElapsedTimer m_clock;
    QProcess m_program;

    void readDatagrams()
    {
        while (m_listener.hasPendingDatagrams()) {
            QByteArray d(int(m_listener.pendingDatagramSize()), '\0');
            m_listener.readDatagram(d.data(), d.size());
            if (d.size() < 27 || quint8(d.at(14)) != 0xAA)
                continue;
            const auto b = [&d](int i) { return quint8(d.at(i)); };
            // Everything between the target address and the two CRC bytes.
            m_caught.append({m_clock.elapsed(), quint16(b(21) << 8 | b(22)), b(24), d.mid(25, d.size() - 27)});
        }
    }

    const Caught* first(quint16 opcode, quint8 device, const QByteArray& payloadHex = {}) const
    {
        const QByteArray payload = QByteArray::fromHex(payloadHex);
        for (const Caught& c : m_caught)
            if (c.opcode == opcode && c.device == device && (payload.isEmpty() || c.payload == payload))
                return &c;
        return nullptr;
    }

    QString dump() const
    {
        QStringList lines;
        for (const Caught& c : m_caught)
            lines << QStringLiteral("%1ms op %2 -> %3 %4")
                         .arg(c.atMs)
                         .arg(c.opcode, 4, 16, QLatin1Char('0'))
                         .arg(c.device)
                         .arg(QString::fromLatin1(c.payload.toHex(' ')));
        return lines.join(QLatin1Char('\n'));
    }

private Q_SLOTS:
    void folderHoldsProgramShowsAndMedia()
    {
        QVERIFY(QFileInfo(m_demo + QStringLiteral("tavolan")).isExecutable());
        QVERIFY(QFileInfo::exists(m_demo + QStringLiteral("Language/English.ini")));
        QVERIFY(QFileInfo(m_demo + QStringLiteral("FormsDesignPosition")).isDir());

        // Every datagram of the demo stays on this machine.
        IniFile system(m_demo + QStringLiteral("Database/System.ini"));
        QCOMPARE(system.read(QStringLiteral("ip"), QStringLiteral("ip"), QString()), QStringLiteral("127.0.0.1"));

        // Each show has a name, a media file that exists, time points with
        // commands; the play, pause and stop sets are filled.
        IniFile shows(m_demo + QStringLiteral("Database/Show.ini"));
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("demo"));
        db.setDatabaseName(m_demo + QStringLiteral("Database/DB.mdb"));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        QVERIFY(db.open());
        {
            const auto count = [&db](const QString& sql) {
                QSqlQuery q(sql, db);
                return q.next() ? q.value(0).toInt() : -1;
            };
            QSqlQuery q(QStringLiteral("select ShowID from Show"), db);
            int showCount = 0;
            while (q.next()) {
                const QString id = q.value(0).toString();
                ++showCount;
                QVERIFY(!shows.read(id, QStringLiteral("ShowName"), QString()).isEmpty());
                const QFileInfo media(shows.read(id, QStringLiteral("URL"), QString()));
                QVERIFY2(media.isAbsolute() && media.size() > 100000, qPrintable(media.filePath()));
                QVERIFY(count(QStringLiteral("select count(*) from TimePoint where ShowID = %1").arg(id)) >= 4);
            }
            QVERIFY(showCount >= 1);
            QVERIFY(count(QStringLiteral("select count(distinct CommandTypeID) from CommandsForShow")) >= 5);
            for (const char* table : {"CommandsForPlay", "CommandsForPause", "CommandsForStop"})
                QVERIFY(count(QStringLiteral("select count(*) from %1").arg(QLatin1String(table))) >= 1);
        }
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("demo"));
    }

    void firstShowPlaysOnTheBus()
    {
        // A copy, so the program's own writes at exit leave the demo alone;
        // the media stay where Show.ini names them.
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString folder = dir.path() + QLatin1Char('/');
        for (const char* part : {"Database", "Language", "FormsDesignPosition"})
            QVERIFY(CopyTree(m_demo + QLatin1String(part), folder + QLatin1String(part)));
        QDir().mkpath(folder + QStringLiteral("FormsDesignPosition"));
        QVERIFY(QFile::copy(m_demo + QStringLiteral("tavolan"), folder + QStringLiteral("tavolan")));

        QVERIFY2(m_listener.bind(QHostAddress::AnyIPv4, 6000, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint),
                 qPrintable(m_listener.errorString()));
        connect(&m_listener, &QUdpSocket::readyRead, this, &TestDemoFolder::readDatagrams);

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("GST_PLUGIN_FEATURE_RANK"),
                   QStringLiteral("pulsesink:NONE,alsasink:NONE,oss4sink:NONE,osssink:NONE,jackaudiosink:NONE,"
                                  "aasink:NONE"));
        QDir().mkpath(folder + QStringLiteral("tmp"));
        env.insert(QStringLiteral("TMPDIR"), folder + QStringLiteral("tmp"));
        m_program.setProcessEnvironment(env);
        m_program.setProcessChannelMode(QProcess::MergedChannels);
        m_clock.start();
        m_program.start(folder + QStringLiteral("tavolan"), {});
        QVERIFY(m_program.waitForStarted());

        // Universal switch 1 on, to the demo's own address 1/99 on port
        // 15000, until the program answers.
        BusFrameSource device;
        device.localOctets = {127, 0, 0, 1};
        device.subnet = 1;
        device.device = 50;
        const quint8 on[] = {1, 255};
        const QByteArray switchOn = FrameDatagram(device, 0xE01C, 1, 99, on, 2);
        QUdpSocket bus;
        QTimer resend;
        connect(&resend, &QTimer::timeout, this, [&] {
            if (!first(0xE01D, 50))
                bus.writeDatagram(switchOn, QHostAddress::LocalHost, 15000);
        });
        resend.start(300);
        QTRY_VERIFY2_WITH_TIMEOUT(first(0xE01D, 50) || m_program.state() == QProcess::NotRunning,
                                  qPrintable(dump() + QString::fromLocal8Bit(m_program.readAll())), 20000);
        resend.stop();

        // The play set (show lamp, switch 20 on), second 0 (house scene 1)
        // and second 3 (curtain 1 open) a good while after: the media plays.
        QTRY_VERIFY2_WITH_TIMEOUT(first(0xE3E0, 30, "0101"), qPrintable(dump()), 20000);
        const Caught* lamp = first(0xE01C, 40, "1401");
        const Caught* scene = first(0x0002, 20, "0101");
        const Caught* curtain = first(0xE3E0, 30, "0101");
        QVERIFY2(lamp && scene, qPrintable(dump()));
        QVERIFY2(lamp->atMs <= scene->atMs && curtain->atMs - scene->atMs >= 2000, qPrintable(dump()));
    }

    void cleanupTestCase()
    {
        if (m_program.state() != QProcess::NotRunning) {
            m_program.terminate();
            if (!m_program.waitForFinished(5000)) {
                m_program.kill();
                m_program.waitForFinished(5000);
            }
        }
    }
};

QTEST_MAIN(TestDemoFolder)
#include "tst_demofolder.moc"
