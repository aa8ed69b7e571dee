#include "busdispatch.h"
#include "fakemediaplayer.h"
#include "fountainshow.h"
#include "inifile.h"
#include "loopbackbuslink.h"
#include "loopbacksession.h"
#include "osccodec.h"
#include "oscserver.h"
#include "programfolder.h"
#include "programsession.h"
#include "remotecontrol.h"
#include "remotesettings.h"
#include "scriptedmessages.h"
#include "showdata.h"

#include <QFile>
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QtTest>

#include <limits>

Q_DECLARE_METATYPE(OscMessage)

namespace {

OscMessage message(const char* address, QList<OscArgument> arguments = {})
{
    return {QByteArray(address), std::move(arguments)};
}

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

} // namespace

// OSC messages as bytes, and remote control over OSC: a real UDP client on
// 127.0.0.1 talks to the server, which works a program session whose bus is
// a loopback pair (the test holds the gateways' end).
class TestOsc : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgramFolder> folder;
    std::unique_ptr<ScriptedMessages> boxes;
    std::unique_ptr<FakeMediaPlayer> fake;
    std::unique_ptr<LoopbackBusLink> gateway;
    std::unique_ptr<ProgramSession> session;
    std::unique_ptr<RemoteControl> remote;
    std::unique_ptr<OscServer> server;
    std::unique_ptr<QUdpSocket> client;

    // Show 7 "Fountain"; its play set goes to device 50, the stop set to 60.
    void makeServer()
    {
        folder = std::make_unique<TestProgramFolder>();
        QVERIFY(folder->isValid());
        QFile ini(folder->path(QStringLiteral("Database/System.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write("[Port]\nPort=6000\n[ip]\nip=127.0.0.1\n[SubnetID]\nSubnetID=1\n[DeviceID]\nDeviceID=99\n");
        ini.close();
        QVERIFY(folder->openDatabase());
        QVERIFY(AddShow(7, 1, 1, 5));
        QVERIFY(AddSetCommand(QStringLiteral("CommandsForPlay"), 1, 1, 50));
        QVERIFY(AddSetCommand(QStringLiteral("CommandsForStop"), 1, 1, 60));
        IniFile shows(folder->path(QStringLiteral("Database/Show.ini")));
        QVERIFY(shows.write(QStringLiteral("7"), QStringLiteral("ShowName"), QStringLiteral("Fountain")));
        QVERIFY(shows.write(QStringLiteral("7"), QStringLiteral("URL"), QStringLiteral("/media/fountain.mp4")));

        boxes = std::make_unique<ScriptedMessages>();
        fake = std::make_unique<FakeMediaPlayer>();
        session = MakeLoopbackSession(*fake, *boxes, gateway);
        QVERIFY(session->start());
        remote = std::make_unique<RemoteControl>(*session);
        server = std::make_unique<OscServer>(*remote);
        client = std::make_unique<QUdpSocket>();
        QVERIFY(client->bind(QHostAddress::LocalHost, 0));
    }

    void send(const OscMessage& m) { sendRaw(EncodeOscMessage(m)); }
    void sendRaw(const QByteArray& bytes)
    {
        QCOMPARE(client->writeDatagram(bytes, QHostAddress::LocalHost, server->port()), qint64(bytes.size()));
    }

    // The server's next answer, as "state id name positionMs".
    QString answer()
    {
        if (!QTest::qWaitFor([&] { return client->hasPendingDatagrams(); }, 3000))
            return QStringLiteral("(no answer)");
        const QByteArray bytes = client->receiveDatagram().data();
        const OscDecoded d = DecodeOscMessage(bytes);
        if (!d.ok || d.message.address != "/tavolan/state" || d.message.typeTags() != "sisi")
            return QStringLiteral("(bad answer %1)").arg(QString::fromLatin1(bytes.toHex()));
        const auto& a = d.message.arguments;
        return QStringLiteral("%1 %2 %3 %4").arg(a[0].text()).arg(a[1].i).arg(a[2].text()).arg(a[3].i);
    }
    bool noAnswer()
    {
        QTest::qWait(150);
        return !client->hasPendingDatagrams();
    }

    // Operation code and device of what reached the gateways since last asked.
    QStringList atGateway()
    {
        QTest::qWait(100);
        return TakeGatewayArrivals(*gateway);
    }

private Q_SLOTS:
    void cleanup()
    {
        client.reset();
        server.reset();
        remote.reset();
        session.reset();
        fake.reset();
        gateway.reset();
        boxes.reset();
        folder.reset();
    }

    // ---- the codec ----

    void encodesAndDecodes_data()
    {
        QTest::addColumn<OscMessage>("message");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("no arguments") << message("/a") << hex("2f610000 2c000000");
        QTest::newRow("address of 4") << message("/abc") << hex("2f616263 00000000 2c000000");
        QTest::newRow("int") << message("/tavolan/show/play", {OscArgument::int32(7)})
                             << hex("2f746176 6f6c616e 2f73686f 772f706c 61790000 2c690000 00000007");
        QTest::newRow("negative int") << message("/n", {OscArgument::int32(-2)}) << hex("2f6e0000 2c690000 fffffffe");
        QTest::newRow("float") << message("/f", {OscArgument::float32(1.0f)}) << hex("2f660000 2c660000 3f800000");
        QTest::newRow("strings") << message("/s", {OscArgument::string(QStringLiteral("hi")), OscArgument::string({}),
                                                   OscArgument::string(QStringLiteral("abc"))})
                                 << hex("2f730000 2c737373 00000000 68690000 00000000 61626300");
        QTest::newRow("utf-8 string") << message("/u", {OscArgument::string(QStringLiteral("Brunnen \u00fc"))})
                                      << hex("2f750000 2c730000 4272756e 6e656e20 c3bc0000");
        QTest::newRow("blobs") << message("/b", {OscArgument::blob("abc"), OscArgument::blob({}), OscArgument::blob("wxyz")})
                               << hex("2f620000 2c626262 00000000 00000003 61626300 00000000 00000004 7778797a");
        QTest::newRow("all kinds") << message("/tavolan/state", {OscArgument::string(QStringLiteral("playing")),
                                                                 OscArgument::int32(7), OscArgument::float32(-0.5f),
                                                                 OscArgument::blob(QByteArray(5, '\x01'))})
                                   << hex("2f746176 6f6c616e 2f737461 74650000 2c736966 62000000 706c6179 696e6700"
                                          "00000007 bf000000 00000005 01010101 01000000");
    }
    void encodesAndDecodes()
    {
        QFETCH(OscMessage, message);
        QFETCH(QByteArray, bytes);
        QCOMPARE(EncodeOscMessage(message).toHex(' '), bytes.toHex(' '));
        const OscDecoded d = DecodeOscMessage(bytes);
        QVERIFY2(d.ok, qPrintable(d.refusal));
        QVERIFY(d.message == message);
    }

    void decodesWhatOldSendersSend()
    {
        // No type tag string at all: the address alone.
        const OscDecoded d = DecodeOscMessage(hex("2f746176 6f6c616e 2f73746f 70000000"));
        QVERIFY(d.ok);
        QCOMPARE(d.message.address, QByteArray("/tavolan/stop"));
        QVERIFY(d.message.arguments.isEmpty());
        // Floats keep their bits, NaN too.
        const OscMessage nan = message("/f", {OscArgument::float32(std::numeric_limits<float>::quiet_NaN())});
        QVERIFY(DecodeOscMessage(EncodeOscMessage(nan)).message == nan);
    }

    void refuses_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not a multiple of 4") << hex("2f610000 2c0000");
        QTest::newRow("over 64 KB") << EncodeOscMessage(message("/b", {OscArgument::blob(QByteArray(65536, 'x'))}));
        QTest::newRow("address without NUL") << hex("2f616263");
        QTest::newRow("address padded with junk") << hex("2f610001 2c000000");
        QTest::newRow("address empty") << hex("00000000 2c000000");
        QTest::newRow("address without slash") << hex("61000000 2c000000");
        QTest::newRow("address with a blank") << hex("2f612062 00000000 2c000000");
        QTest::newRow("bundle") << hex("2362756e 646c6500 00000000 00000001 00000008 2f610000 2c000000");
        QTest::newRow("tags without comma") << hex("2f610000 69000000 00000001");
        QTest::newRow("tags without NUL") << hex("2f610000 2c696969");
        QTest::newRow("unknown tag") << hex("2f610000 2c780000 00000001");
        QTest::newRow("tag without argument") << hex("2f610000 2c690000");
        QTest::newRow("int cut short") << hex("2f610000 2c696900 00000001");
        QTest::newRow("string without NUL") << hex("2f610000 2c730000 61626364");
        QTest::newRow("string padded with junk") << hex("2f610000 2c730000 61620041");
        QTest::newRow("blob size negative") << hex("2f610000 2c620000 ffffffff");
        QTest::newRow("blob longer than packet") << hex("2f610000 2c620000 7fffffff 61626364");
        QTest::newRow("blob padded with junk") << hex("2f610000 2c620000 00000001 61626364");
        QTest::newRow("blob cut short") << hex("2f610000 2c620000 00000005 61626364 65");
        QTest::newRow("bytes after the arguments") << hex("2f610000 2c690000 00000001 00000002");
    }
    void refuses()
    {
        QFETCH(QByteArray, bytes);
        const OscDecoded d = DecodeOscMessage(bytes);
        QVERIFY(!d.ok);
        QVERIFY(!d.refusal.isEmpty());
        // The same bytes at the end of a larger buffer: nothing past them is read.
        QByteArray larger = bytes + QByteArray(8, '\0');
        QVERIFY(!DecodeOscMessage(larger.constData(), bytes.size()).ok);
    }

    void refusesEveryCutOfAMessage()
    {
        const QByteArray whole = EncodeOscMessage(message("/tavolan/x", {OscArgument::string(QStringLiteral("token")),
                                                                        OscArgument::int32(1), OscArgument::float32(2),
                                                                        OscArgument::blob("blob!")}));
        for (qsizetype n = 0; n < whole.size(); ++n) {
            const OscDecoded d = DecodeOscMessage(whole.constData(), n);
            // Cut right after the address, it is a message without arguments.
            QCOMPARE(d.ok, n == 12);
        }
    }

    // ---- the server ----

    void playsPausesResumesStopsAndTells()
    {
        makeServer();
        QVERIFY(server->listen(QHostAddress::LocalHost, 0));
        QVERIFY(server->isListening());
        QVERIFY(server->port() != 0);

        send(message("/tavolan/state"));
        QCOMPARE(answer(), QStringLiteral("stopped 0  0"));

        send(message("/tavolan/show/play", {OscArgument::int32(7)}));
        QCOMPARE(answer(), QStringLiteral("playing 7 Fountain 0"));
        QCOMPARE(atGateway(), QStringList{QStringLiteral("0031:50")});
        QCOMPARE(fake->url(), QStringLiteral("/media/fountain.mp4"));

        fake->playTo(1.5);
        send(message("/tavolan/state"));
        QCOMPARE(answer(), QStringLiteral("playing 7 Fountain 1500"));
        send(message("/tavolan/pause"));
        QCOMPARE(answer(), QStringLiteral("paused 7 Fountain 1500"));
        send(message("/tavolan/resume"));
        QCOMPARE(answer(), QStringLiteral("playing 7 Fountain 1500"));
        atGateway();

        send(message("/tavolan/stop"));
        QVERIFY(answer().startsWith(QStringLiteral("stopped ")));
        QVERIFY(QTest::qWaitFor([&] { return !gateway->arrived().isEmpty(); }, 2000));
        QCOMPARE(atGateway(), QStringList{QStringLiteral("0031:60")});

        // A show the list does not hold: nothing plays, the state is told.
        send(message("/tavolan/show/play", {OscArgument::int32(99)}));
        QVERIFY(answer().startsWith(QStringLiteral("stopped ")));
        QVERIFY(atGateway().isEmpty());
        // The show id as a whole float, as many controllers send it.
        send(message("/tavolan/show/play", {OscArgument::float32(7.0f)}));
        QVERIFY(answer().startsWith(QStringLiteral("playing 7 Fountain ")));
        QCOMPARE(atGateway(), QStringList{QStringLiteral("0031:50")});
        QVERIFY(boxes->shown.isEmpty());
    }

    void withATokenOnlyItsBearerIsHeard()
    {
        makeServer();
        QVERIFY(server->listen(QHostAddress::LocalHost, 0, QStringLiteral("s3cret")));
        const QList<QList<OscArgument>> refused = {
            {OscArgument::int32(7)},
            {OscArgument::string(QStringLiteral("s3creT")), OscArgument::int32(7)},
            {OscArgument::string(QStringLiteral("s3cre")), OscArgument::int32(7)},
            {OscArgument::string(QStringLiteral("s3cret!")), OscArgument::int32(7)},
            {OscArgument::blob("s3cret"), OscArgument::int32(7)},
            {OscArgument::int32(7), OscArgument::string(QStringLiteral("s3cret"))},
        };
        for (const auto& args : refused)
            send(message("/tavolan/show/play", args));
        send(message("/tavolan/state"));
        QVERIFY(noAnswer());
        QVERIFY(atGateway().isEmpty());
        QCOMPARE(fake->playState(), int(MediaPlayer::Undefined));

        send(message("/tavolan/show/play", {OscArgument::string(QStringLiteral("s3cret")), OscArgument::int32(7)}));
        QCOMPARE(answer(), QStringLiteral("playing 7 Fountain 0"));
        QCOMPARE(atGateway(), QStringList{QStringLiteral("0031:50")});
        send(message("/tavolan/state", {OscArgument::string(QStringLiteral("s3cret"))}));
        QCOMPARE(answer(), QStringLiteral("playing 7 Fountain 0"));
    }

    void dropsWhatItCannotTakeAndAnswersTheNext()
    {
        makeServer();
        QVERIFY(server->listen(QHostAddress::LocalHost, 0));
        sendRaw(hex("00"));
        sendRaw(hex("2f746176 6f6c616e 2f73746f"));
        sendRaw(hex("2362756e 646c6500 00000000 00000001"));
        sendRaw(QByteArray(60000, '\xff'));
        send(message("/tavolan/show/play"));
        send(message("/tavolan/show/play", {OscArgument::string(QStringLiteral("7"))}));
        send(message("/tavolan/show/play", {OscArgument::float32(7.5f)}));
        send(message("/tavolan/pause", {OscArgument::int32(1)}));
        send(message("/tavolan/nothing"));
        QVERIFY(noAnswer());
        QVERIFY(atGateway().isEmpty());

        send(message("/tavolan/state"));
        QCOMPARE(answer(), QStringLiteral("stopped 0  0"));

        // A burst larger than one turn's share is answered in full.
        const int burst = 3 * OscServer::DatagramsPerTurn / 2;
        for (int n = 0; n < burst; ++n)
            send(message("/tavolan/state"));
        for (int n = 0; n < burst; ++n)
            QCOMPARE(answer(), QStringLiteral("stopped 0  0"));
    }

    void startsAndStopsAsTheSettingsSay()
    {
        makeServer();
        RemoteSettings settings;
        settings.enabled = true;
        settings.oscPort = 0;
        QVERIFY(server->start(settings));
        QVERIFY(!server->isListening());
        settings.oscPort = 15081;
        settings.enabled = false;
        QVERIFY(server->start(settings));
        QVERIFY(!server->isListening());

        settings.enabled = true;
        settings.bind = QStringLiteral("not an address");
        QVERIFY(!server->start(settings));
        QVERIFY(!server->error().isEmpty());

        // A port another socket holds cannot be had; once it is free, it can.
        QUdpSocket holder;
        QVERIFY(holder.bind(QHostAddress::LocalHost, 0, QAbstractSocket::DontShareAddress));
        settings.bind = QStringLiteral("127.0.0.1");
        settings.oscPort = holder.localPort();
        QVERIFY(!server->start(settings));
        QVERIFY(!server->isListening());
        QVERIFY(!server->error().isEmpty());
        holder.close();
        QVERIFY2(server->start(settings), qPrintable(server->error()));
        QCOMPARE(server->port(), settings.oscPort);
        send(message("/tavolan/state"));
        QCOMPARE(answer(), QStringLiteral("stopped 0  0"));

        // Started again with a token, the new settings hold.
        settings.token = QStringLiteral("t");
        QVERIFY(server->start(settings));
        send(message("/tavolan/state"));
        QVERIFY(noAnswer());
        send(message("/tavolan/state", {OscArgument::string(QStringLiteral("t"))}));
        QCOMPARE(answer(), QStringLiteral("stopped 0  0"));

        const quint16 was = server->port();
        server->stop();
        QVERIFY(!server->isListening());
        QCOMPARE(server->port(), quint16(0));
        client->writeDatagram(EncodeOscMessage(message("/tavolan/state", {OscArgument::string(QStringLiteral("t"))})),
                              QHostAddress::LocalHost, was);
        QVERIFY(noAnswer());
    }
};

QTEST_GUILESS_MAIN(TestOsc)
#include "tst_osc.moc"
