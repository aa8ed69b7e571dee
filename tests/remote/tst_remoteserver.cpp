#include "busdispatch.h"
#include "fakemediaplayer.h"
#include "fountainshow.h"
#include "httpapi.h"
#include "inifile.h"
#include "loopbackbuslink.h"
#include "loopbacksession.h"
#include "oscserver.h"
#include "programfolder.h"
#include "programsession.h"
#include "remotecontrol.h"
#include "remotehost.h"
#include "remoteserver.h"
#include "scriptedmessages.h"
#include "showdata.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>
#include <QWebSocket>
#include <QtTest>

// Remote control over loopback: a program session on a loopback bus (the
// test holds the gateways' end), the server on a port the system chooses,
// and HTTP and WebSocket clients on 127.0.0.1.
class TestRemoteServer : public QObject {
    Q_OBJECT

    struct Reply {
        int status = 0;
        QByteArray contentType;
        QByteArray body;
        QJsonObject object() const { return QJsonDocument::fromJson(body).object(); }
    };

    std::unique_ptr<TestProgramFolder> folder;
    std::unique_ptr<ScriptedMessages> boxes;
    std::unique_ptr<FakeMediaPlayer> fake;
    LoopbackBusLink* program = nullptr;
    std::unique_ptr<LoopbackBusLink> gateway;
    std::unique_ptr<ProgramSession> session;
    std::unique_ptr<RemoteControl> control;
    std::unique_ptr<RemoteServer> server;
    QNetworkAccessManager web;

    void startServer(const QString& token = {})
    {
        server = std::make_unique<RemoteServer>(*control, token);
        QString why;
        QVERIFY2(server->listen(QHostAddress::LocalHost, 0, &why), qPrintable(why));
        QVERIFY(server->port() != 0);
    }

    QString url(const QString& target, const char* scheme = "http") const
    {
        return QStringLiteral("%1://127.0.0.1:%2%3").arg(QLatin1String(scheme)).arg(server->port()).arg(target);
    }

    Reply call(const QByteArray& method, const QString& target, const QByteArray& body = {},
               const QByteArray& authorization = {})
    {
        QNetworkRequest request{QUrl(url(target))};
        if (!authorization.isEmpty())
            request.setRawHeader("Authorization", authorization);
        if (!body.isEmpty())
            request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
        std::unique_ptr<QNetworkReply> reply(web.sendCustomRequest(request, method, body));
        if (!QTest::qWaitFor([&] { return reply->isFinished(); }, 5000))
            return {};
        return {reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
                reply->header(QNetworkRequest::ContentTypeHeader).toByteArray(), reply->readAll()};
    }

    // An events client, with every message it got.
    struct Events {
        std::unique_ptr<QWebSocket> socket = std::make_unique<QWebSocket>();
        QList<QJsonObject> got;
        bool closed = false;
        QStringList types() const
        {
            QStringList out;
            for (const QJsonObject& e : got)
                out << e.value(QStringLiteral("type")).toString();
            return out;
        }
    };

    std::unique_ptr<Events> listen(const QString& target, const QByteArray& authorization = {})
    {
        auto events = std::make_unique<Events>();
        Events* e = events.get();
        connect(e->socket.get(), &QWebSocket::textMessageReceived, this,
                [e](const QString& text) { e->got << QJsonDocument::fromJson(text.toUtf8()).object(); });
        connect(e->socket.get(), &QWebSocket::disconnected, this, [e] { e->closed = true; });
        connect(e->socket.get(), qOverload<QAbstractSocket::SocketError>(&QWebSocket::error), this,
                [e](QAbstractSocket::SocketError) { qWarning() << e->socket->errorString(); });
        e->socket->setProxy(QNetworkProxy::NoProxy);
        QNetworkRequest request{QUrl(url(target, "ws"))};
        if (!authorization.isEmpty())
            request.setRawHeader("Authorization", authorization);
        e->socket->open(request);
        (void)QTest::qWaitFor([e] { return !e->got.isEmpty() || e->closed; }, 5000);
        return events;
    }

    void switchFromBus(int switchNo, int status)
    {
        const quint8 payload[2] = {quint8(switchNo), quint8(status)};
        gateway->sendRaw(FrameDatagram({{127, 0, 0, 2}, 3, 3, 4}, BusReceive::UniversalSwitch, 1, 99, payload, 2));
    }

    // Every datagram that reached the gateway once `count` have (or none came
    // for a while), minus universal-switch answers.
    QList<QByteArray> commandsAtGateway(int count)
    {
        (void)QTest::qWaitFor([&] { return gateway->arrived().size() >= count; }, 5000);
        QTest::qWait(150);
        QList<QByteArray> out;
        for (const QByteArray& d : gateway->takeArrived()) {
            if (ReadBusPacketHead(reinterpret_cast<const quint8*>(d.constData()) + 16).operationCode != 0xE01D)
                out << d;
        }
        return out;
    }

private Q_SLOTS:
    void initTestCase() { web.setProxy(QNetworkProxy::NoProxy); }

    void init()
    {
        folder = std::make_unique<TestProgramFolder>();
        QVERIFY(folder->isValid());
        boxes = std::make_unique<ScriptedMessages>();
        fake = std::make_unique<FakeMediaPlayer>();
        fake->setDuration(30);
        QVERIFY(PutFountainShow(*folder));

        session = MakeLoopbackSession(*fake, *boxes, gateway, &program);
        QVERIFY(session->start());
        control = std::make_unique<RemoteControl>(*session);
    }

    void cleanup()
    {
        server.reset();
        control.reset();
        session.reset();
        fake.reset();
        gateway.reset();
        program = nullptr;
        boxes.reset();
        folder.reset();
    }

    void everyEndpointAnswers()
    {
        startServer();
        Reply r = call("GET", QStringLiteral("/api/v1/version"));
        QCOMPARE(r.status, 200);
        QCOMPARE(r.contentType, QByteArray("application/json"));
        QCOMPARE(r.object(), RemoteControl::version());

        r = call("GET", QStringLiteral("/api/v1/shows"));
        QCOMPARE(r.status, 200);
        const QJsonArray shows = QJsonDocument::fromJson(r.body).array();
        QCOMPARE(shows.size(), 1);
        QCOMPARE(shows.at(0)[QStringLiteral("id")].toInt(), 7);
        QCOMPARE(shows.at(0)[QStringLiteral("name")].toString(), QStringLiteral("Fountain"));

        r = call("GET", QStringLiteral("/api/v1/state"));
        QCOMPARE(r.status, 200);
        QCOMPARE(r.object()[QStringLiteral("state")].toString(), QStringLiteral("stopped"));

        const auto stateAfter = [&](const QString& target, const QByteArray& body = {}) {
            const Reply a = call("POST", target, body);
            if (a.status != 200 || !a.object()[QStringLiteral("ok")].toBool())
                return QStringLiteral("status %1").arg(a.status);
            const QJsonObject s = a.object()[QStringLiteral("state")].toObject();
            return QStringLiteral("%1 %2 at %3")
                .arg(s[QStringLiteral("show")][QStringLiteral("id")].toInt())
                .arg(s[QStringLiteral("state")].toString())
                .arg(s[QStringLiteral("positionMs")].toInteger());
        };
        QCOMPARE(stateAfter(QStringLiteral("/api/v1/shows/7/play"), "{\"fromSecond\":12}"),
                 QStringLiteral("7 playing at 12000"));
        QCOMPARE(fake->url(), QStringLiteral("/media/fountain.mp4"));
        QCOMPARE(stateAfter(QStringLiteral("/api/v1/pause")), QStringLiteral("7 paused at 12000"));
        QCOMPARE(stateAfter(QStringLiteral("/api/v1/seek"), "{\"positionMs\":4500}"),
                 QStringLiteral("7 paused at 4500"));
        QCOMPARE(stateAfter(QStringLiteral("/api/v1/resume")), QStringLiteral("7 playing at 4500"));
        QCOMPARE(stateAfter(QStringLiteral("/api/v1/stop")).section(u' ', 1, 1), QStringLiteral("stopped"));

        r = call("GET", QStringLiteral("/"));
        QCOMPARE(r.status, 200);
        QVERIFY(r.contentType.startsWith("text/html"));
        QVERIFY(r.body.contains("<html"));
    }

    // Each error has its status and a JSON body; the server goes on.
    void errorsAreAnsweredNotFatal()
    {
        startServer();
        const struct {
            QByteArray method;
            QString target;
            QByteArray body;
            int status;
        } cases[] = {{"POST", QStringLiteral("/api/v1/shows/99/play"), {}, 404},
                     {"GET", QStringLiteral("/api/v2/state"), {}, 404},
                     {"GET", QStringLiteral("/api/v1/pause"), {}, 405},
                     {"PUT", QStringLiteral("/api/v1/state"), "{}", 405},
                     {"POST", QStringLiteral("/api/v1/seek"), "{\"positionMs\":", 400},
                     {"POST", QStringLiteral("/api/v1/shows/7/play"), "\"fromSecond\"", 400},
                     {"POST", QStringLiteral("/api/v1/stop"), QByteArray(70 * 1024, 'x'), 413}};
        for (const auto& c : cases) {
            const Reply r = call(c.method, c.target, c.body);
            QCOMPARE(r.status, c.status);
            QCOMPARE(r.object()[QStringLiteral("ok")], QJsonValue(false));
        }
        QCOMPARE(fake->playState(), int(MediaPlayer::Undefined));

        // Bytes that are no HTTP, then a request far beyond the limit: each
        // connection ends, and the server still answers.
        QTcpSocket raw;
        raw.connectToHost(QHostAddress::LocalHost, server->port());
        QVERIFY(raw.waitForConnected(5000));
        raw.write("\x01\x02 nonsense \r\n\r\n");
        QTRY_VERIFY(raw.state() == QAbstractSocket::UnconnectedState);
        QTcpSocket flood;
        flood.connectToHost(QHostAddress::LocalHost, server->port());
        QVERIFY(flood.waitForConnected(5000));
        flood.write("POST /api/v1/stop HTTP/1.1\r\nHost: x\r\nContent-Length: 10000000\r\n\r\n");
        flood.write(QByteArray(200 * 1024, 'x'));
        QTRY_VERIFY(flood.state() == QAbstractSocket::UnconnectedState);
        QVERIFY(flood.readAll().startsWith("HTTP/1.1 413"));
        QCOMPARE(call("GET", QStringLiteral("/api/v1/state")).status, 200);
    }

    // With a token nothing happens without it: no show plays, nothing goes
    // on the bus, no events are told.
    void theTokenIsRequired()
    {
        startServer(QStringLiteral("tok-1"));
        for (const QByteArray& auth : {QByteArray(), QByteArray("Bearer tok-2"), QByteArray("Bearer tok-")}) {
            QCOMPARE(call("POST", QStringLiteral("/api/v1/shows/7/play"), {}, auth).status, 401);
            QCOMPARE(call("GET", QStringLiteral("/api/v1/state"), {}, auth).status, 401);
        }
        QCOMPARE(call("POST", QStringLiteral("/api/v1/shows/7/play?token=tok-1")).status, 401);
        QCOMPARE(call("GET", QStringLiteral("/")).status, 200); // the page asks for the token itself
        QTest::qWait(200);
        QCOMPARE(fake->playState(), int(MediaPlayer::Undefined));
        QVERIFY(gateway->arrived().isEmpty());

        std::unique_ptr<Events> stranger = listen(QStringLiteral("/api/v1/events?token=nope"));
        QTRY_VERIFY(stranger->closed);
        QVERIFY(stranger->got.isEmpty());
        QCOMPARE(control->listeners(), 0);

        QCOMPARE(call("GET", QStringLiteral("/?token=tok-1")).status, 200);
        QCOMPARE(call("POST", QStringLiteral("/api/v1/shows/7/play"), {}, "Bearer tok-1").status, 200);
        QCOMPARE(fake->playState(), int(MediaPlayer::Playing));
        std::unique_ptr<Events> known = listen(QStringLiteral("/api/v1/events?token=tok-1"));
        QCOMPARE(known->types(), QStringList{QStringLiteral("snapshot")});
        std::unique_ptr<Events> bearer = listen(QStringLiteral("/api/v1/events"), "Bearer tok-1");
        QCOMPARE(bearer->types(), QStringList{QStringLiteral("snapshot")});
        std::unique_ptr<Events> elsewhere = listen(QStringLiteral("/api/v1/state"), "Bearer tok-1");
        QTRY_VERIFY(elsewhere->closed);
        QCOMPARE(server->eventClients(), 2);
    }

    // A remote play is a universal switch of the same show: the same
    // datagrams, byte for byte (the switch's answer aside).
    void aRemotePlaySendsWhatABusSwitchSends()
    {
        startServer();
        // The play set, then the time point (again at each tick of its
        // second: the first two are compared).
        switchFromBus(5, 1);
        fake->playTo(2.3);
        const QList<QByteArray> fromBus = commandsAtGateway(3).mid(0, 2);
        QCOMPARE(fromBus.size(), 2);
        switchFromBus(5, 0);
        commandsAtGateway(2);

        QCOMPARE(call("POST", QStringLiteral("/api/v1/shows/7/play")).status, 200);
        fake->playTo(2.3);
        QCOMPARE(commandsAtGateway(2).mid(0, 2), fromBus);
        QCOMPARE(call("POST", QStringLiteral("/api/v1/stop")).status, 200);
    }

    // The snapshot first, then each change as it happens; nothing is
    // followed once the last client has gone.
    void eventsFollowTheShow()
    {
        startServer();
        QCOMPARE(control->listeners(), 0);
        std::unique_ptr<Events> events = listen(QStringLiteral("/api/v1/events"));
        QCOMPARE(events->types(), QStringList{QStringLiteral("snapshot")});
        const QJsonObject snapshot = events->got.at(0);
        QCOMPARE(snapshot[QStringLiteral("state")][QStringLiteral("state")].toString(), QStringLiteral("stopped"));
        QCOMPARE(snapshot[QStringLiteral("shows")].toArray().size(), 1);
        QCOMPARE(control->listeners(), 1);

        QCOMPARE(call("POST", QStringLiteral("/api/v1/shows/7/play")).status, 200);
        fake->playTo(2.3);
        QTRY_VERIFY(events->types().contains(QStringLiteral("fired")));
        QTRY_VERIFY_WITH_TIMEOUT(events->types().contains(QStringLiteral("position")), 3000);
        const QStringList types = events->types();
        QCOMPARE(types.at(1), QStringLiteral("state"));
        QVERIFY(types.indexOf(QStringLiteral("fired")) < types.indexOf(QStringLiteral("position")));
        const QJsonObject state = events->got.at(types.lastIndexOf(QStringLiteral("state")))[QStringLiteral("state")].toObject();
        QCOMPARE(state[QStringLiteral("state")].toString(), QStringLiteral("playing"));
        QCOMPARE(state[QStringLiteral("show")][QStringLiteral("id")].toInt(), 7);
        const QJsonObject fired = events->got.at(types.indexOf(QStringLiteral("fired")));
        QCOMPARE(fired, (QJsonObject{{QStringLiteral("type"), QStringLiteral("fired")},
                                     {QStringLiteral("show"), 7},
                                     {QStringLiteral("second"), 2},
                                     {QStringLiteral("commands"), 1}}));
        QCOMPARE(events->got.at(types.indexOf(QStringLiteral("position")))[QStringLiteral("positionMs")].toInt(),
                 2300);
        QVERIFY(!types.contains(QStringLiteral("datagram")));

        session->reloadShowList();
        QTRY_VERIFY(events->types().contains(QStringLiteral("shows")));

        events->socket->close();
        QTRY_COMPARE(server->eventClients(), 0);
        QCOMPARE(control->listeners(), 0);
    }

    // A monitoring client gets the datagrams as the bus monitor lists them,
    // and the bus link is watched only while it is there.
    void aMonitorClientSeesTheDatagrams()
    {
        startServer();
        std::unique_ptr<Events> plain = listen(QStringLiteral("/api/v1/events"));
        QVERIFY(!program->isObserved());
        std::unique_ptr<Events> monitor = listen(QStringLiteral("/api/v1/events?monitor=1"));
        QCOMPARE(monitor->types(), QStringList{QStringLiteral("snapshot")});
        QVERIFY(program->isObserved());

        switchFromBus(5, 1);
        QTRY_COMPARE(monitor->types().count(QStringLiteral("datagram")), 3);
        QList<QJsonObject> datagrams;
        for (const QJsonObject& e : monitor->got) {
            if (e[QStringLiteral("type")] == QStringLiteral("datagram"))
                datagrams << e;
        }
        QCOMPARE(datagrams.at(0)[QStringLiteral("direction")].toString(), QStringLiteral("Received"));
        QCOMPARE(datagrams.at(0)[QStringLiteral("target")].toString(), QStringLiteral("1/99"));
        QCOMPARE(datagrams.at(1)[QStringLiteral("direction")].toString(), QStringLiteral("Sent"));
        QCOMPARE(datagrams.at(0)[QStringLiteral("crc")].toString(), datagrams.at(1)[QStringLiteral("crc")].toString());
        QVERIFY(!datagrams.at(0)[QStringLiteral("bytes")].toString().isEmpty());
        QVERIFY(!plain->types().contains(QStringLiteral("datagram")));

        monitor->socket->close();
        QTRY_VERIFY(!program->isObserved());
    }

    // The host starts the server from [Remote], tells a port it cannot take
    // and starts again on new settings without a restart.
    void theHostFollowsTheSettings()
    {
        RemoteHost host(*session, *boxes);
        QVERIFY(host.reload());
        QVERIFY(!host.server()); // no [Remote]: nothing listens

        QTcpServer holder;
        QVERIFY(holder.listen(QHostAddress::LocalHost, 0));
        RemoteSettings s;
        s.enabled = true;
        s.oscPort = 0;
        s.httpPort = holder.serverPort();
        QVERIFY(!host.apply(s));
        QVERIFY(!host.server());
        QCOMPARE(boxes->shown.size(), 1);
        QVERIFY(boxes->texts().at(0).contains(QString::number(holder.serverPort())));

        s.httpPort = 0;
        QVERIFY(host.apply(s));
        QVERIFY(host.server() && host.server()->port() != 0);
        QVERIFY(!host.osc().isListening());

        // OSC beside it; a port it cannot take is told, HTTP goes on.
        QUdpSocket udpHolder;
        QVERIFY(udpHolder.bind(QHostAddress::LocalHost, 0));
        s.oscPort = udpHolder.localPort();
        QVERIFY(!host.apply(s));
        QVERIFY(host.server());
        QCOMPARE(boxes->shown.size(), 2);
        QVERIFY(boxes->texts().at(1).contains(QStringLiteral("OSC")));
        udpHolder.close();
        QVERIFY(host.apply(s));
        QVERIFY(host.osc().isListening());
        s.enabled = false;
        QVERIFY(host.apply(s));
        QVERIFY(!host.server());
        QVERIFY(!host.osc().isListening());
        QCOMPARE(boxes->shown.size(), 2);
        QVERIFY(session->showTimer().isActive());
    }
};

QTEST_GUILESS_MAIN(TestRemoteServer)
#include "tst_remoteserver.moc"
