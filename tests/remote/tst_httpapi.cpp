#include "httpapi.h"
#include "remoteactions.h"

#include <QJsonDocument>
#include <QtTest>

namespace {

// Remote actions that only note what they were asked.
class RecordingActions : public RemoteActions {
public:
    QStringList calls;
    QJsonObject versionInfo() const override { return {{QStringLiteral("name"), QStringLiteral("Tavolan")}}; }
    QJsonArray shows() const override { return {QJsonObject{{QStringLiteral("id"), 7}}}; }
    QJsonObject state() const override { return {{QStringLiteral("state"), QStringLiteral("stopped")}}; }
    bool play(int showId, std::optional<double> from) override
    {
        if (showId != 7)
            return false;
        calls << (from ? QStringLiteral("play 7 from %1").arg(*from) : QStringLiteral("play 7"));
        return true;
    }
    void pause() override { calls << QStringLiteral("pause"); }
    void resume() override { calls << QStringLiteral("resume"); }
    void stop() override { calls << QStringLiteral("stop"); }
    void seek(qint64 ms) override { calls << QStringLiteral("seek %1").arg(ms); }
};

HttpApiRequest request(const QByteArray& method, const QString& target, const QByteArray& body = {},
                       const QByteArray& authorization = {})
{
    const QUrl url(QStringLiteral("http://h") + target);
    HttpApiRequest r{method, url.path(), QUrlQuery(url), {}, body};
    if (!authorization.isEmpty())
        r.headers.append({QByteArrayLiteral("authorization"), authorization});
    return r;
}

} // namespace

// The routing on its own: statuses, bodies and what is asked of the program,
// request by request.
class TestHttpApi : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void routes_data()
    {
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("calls");

        QTest::newRow("version") << QByteArray("GET") << "/api/v1/version" << QByteArray() << 200 << "";
        QTest::newRow("shows") << QByteArray("GET") << "/api/v1/shows" << QByteArray() << 200 << "";
        QTest::newRow("play") << QByteArray("POST") << "/api/v1/shows/7/play" << QByteArray() << 200 << "play 7";
        QTest::newRow("play from") << QByteArray("POST") << "/api/v1/shows/7/play" << QByteArray("{\"fromSecond\":30}")
                                   << 200 << "play 7 from 30";
        QTest::newRow("play blank body") << QByteArray("POST") << "/api/v1/shows/7/play" << QByteArray(" \n") << 200
                                         << "play 7";
        QTest::newRow("pause") << QByteArray("POST") << "/api/v1/pause" << QByteArray("{}") << 200 << "pause";
        QTest::newRow("resume") << QByteArray("POST") << "/api/v1/resume" << QByteArray() << 200 << "resume";
        QTest::newRow("stop") << QByteArray("POST") << "/api/v1/stop" << QByteArray() << 200 << "stop";
        QTest::newRow("seek") << QByteArray("POST") << "/api/v1/seek" << QByteArray("{\"positionMs\":1500.6}") << 200
                              << "seek 1501";
        QTest::newRow("unknown show") << QByteArray("POST") << "/api/v1/shows/8/play" << QByteArray() << 404 << "";
        QTest::newRow("show not a number") << QByteArray("POST") << "/api/v1/shows/x/play" << QByteArray() << 404
                                           << "";
        QTest::newRow("unknown path") << QByteArray("GET") << "/api/v1/nothing" << QByteArray() << 404 << "";
        QTest::newRow("outside the api") << QByteArray("GET") << "/etc/passwd" << QByteArray() << 404 << "";
        QTest::newRow("get an action") << QByteArray("GET") << "/api/v1/stop" << QByteArray() << 405 << "";
        QTest::newRow("post a reading") << QByteArray("POST") << "/api/v1/state" << QByteArray() << 405 << "";
        QTest::newRow("delete the page") << QByteArray("DELETE") << "/" << QByteArray() << 405 << "";
        QTest::newRow("broken json") << QByteArray("POST") << "/api/v1/pause" << QByteArray("{") << 400 << "";
        QTest::newRow("array body") << QByteArray("POST") << "/api/v1/stop" << QByteArray("[1]") << 400 << "";
        QTest::newRow("from text") << QByteArray("POST") << "/api/v1/shows/7/play" << QByteArray("{\"fromSecond\":\"3\"}")
                                   << 400 << "";
        QTest::newRow("from negative") << QByteArray("POST") << "/api/v1/shows/7/play"
                                       << QByteArray("{\"fromSecond\":-1}") << 400 << "";
        QTest::newRow("seek without position") << QByteArray("POST") << "/api/v1/seek" << QByteArray("{}") << 400 << "";
        QTest::newRow("seek too far") << QByteArray("POST") << "/api/v1/seek" << QByteArray("{\"positionMs\":1e300}")
                                      << 400 << "";
        QTest::newRow("events without upgrade") << QByteArray("GET") << "/api/v1/events" << QByteArray() << 400 << "";
        QTest::newRow("too large") << QByteArray("POST") << "/api/v1/stop"
                                   << QByteArray(HttpApi::MaxRequestBytes + 1, ' ') << 413 << "";
    }

    void routes()
    {
        QFETCH(QByteArray, method);
        QFETCH(QString, target);
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        QFETCH(QString, calls);
        RecordingActions actions;
        const HttpApiResponse r = HttpApi::Handle(actions, QString(), request(method, target, body));
        QCOMPARE(r.status, status);
        QCOMPARE(actions.calls.join(u','), calls);
        QCOMPARE(r.contentType, QByteArray("application/json"));
        const QJsonDocument answer = QJsonDocument::fromJson(r.body);
        QVERIFY(!answer.isNull());
        if (status >= 400) {
            QCOMPARE(answer.object().value(QStringLiteral("ok")), QJsonValue(false));
            QVERIFY(!answer.object().value(QStringLiteral("error")).toString().isEmpty());
        } else if (method == "POST") {
            QCOMPARE(answer.object().value(QStringLiteral("ok")), QJsonValue(true));
            QCOMPARE(answer.object().value(QStringLiteral("state")).toObject(), actions.state());
        }
        if (status == 405)
            QVERIFY(!r.headers.isEmpty() && r.headers.first().first == "Allow");
    }

    // With a token: a bearer header for every request, the query for the
    // events; nothing is done without it.
    void theTokenGuardsEveryRequest()
    {
        const QString token = QStringLiteral("s3cret");
        RecordingActions actions;
        const auto status = [&](const QString& target, const QByteArray& auth, const QByteArray& method = "POST") {
            return HttpApi::Handle(actions, token, request(method, target, {}, auth)).status;
        };
        QCOMPARE(status(QStringLiteral("/api/v1/stop"), {}), 401);
        QCOMPARE(status(QStringLiteral("/api/v1/stop"), "Bearer s3cre"), 401);
        QCOMPARE(status(QStringLiteral("/api/v1/stop"), "Bearer s3cret2"), 401);
        QCOMPARE(status(QStringLiteral("/api/v1/stop"), "Basic s3cret"), 401);
        QCOMPARE(status(QStringLiteral("/api/v1/stop?token=s3cret"), {}), 401);
        QCOMPARE(status(QStringLiteral("/api/v1/nothing"), {}), 401);
        QVERIFY(actions.calls.isEmpty());
        QCOMPARE(status(QStringLiteral("/api/v1/stop"), "bearer  s3cret "), 200);
        QCOMPARE(actions.calls, QStringList{QStringLiteral("stop")});
        // The page itself asks for the token.
        QCOMPARE(status(QStringLiteral("/"), {}, "GET"), 200);
        QCOMPARE(status(QStringLiteral("/api/v1/events?token=s3cret"), {}, "GET"), 400);

        QVERIFY(HttpApi::TokenMatches(token, "s3cret"));
        QVERIFY(!HttpApi::TokenMatches(token, ""));
        QVERIFY(!HttpApi::TokenMatches(QStringLiteral("\u00e9"), "\xc3"));
        QVERIFY(HttpApi::TokenMatches(QStringLiteral("\u00e9"), "\xc3\xa9"));
    }
};

QTEST_GUILESS_MAIN(TestHttpApi)
#include "tst_httpapi.moc"
