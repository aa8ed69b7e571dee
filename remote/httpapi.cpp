#include "httpapi.h"

#include "remoteactions.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonParseError>

#include <cmath>
#include <optional>

namespace {

const QString ApiPrefix = QStringLiteral("/api/v1/");

HttpApiResponse json(int status, const QJsonDocument& document)
{
    HttpApiResponse r;
    r.status = status;
    r.body = document.toJson(QJsonDocument::Compact);
    return r;
}

HttpApiResponse ok(const QJsonObject& object)
{
    return json(200, QJsonDocument(object));
}

HttpApiResponse methodNotAllowed(const QByteArray& allowed)
{
    HttpApiResponse r = HttpApi::Error(405, QStringLiteral("method not allowed"));
    r.headers.append({QByteArrayLiteral("Allow"), allowed});
    return r;
}

// The body of an action: empty (or blanks) for none, otherwise a JSON
// object. Anything else is malformed.
std::optional<QJsonObject> actionBody(const QByteArray& body, QString* why)
{
    if (body.trimmed().isEmpty())
        return QJsonObject();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError) {
        *why = QStringLiteral("malformed JSON: ") + error.errorString();
        return std::nullopt;
    }
    if (!document.isObject()) {
        *why = QStringLiteral("the body must be a JSON object");
        return std::nullopt;
    }
    return document.object();
}

// A finite number from 0 up to `max`, when the key is there; `present`
// says whether it was.
std::optional<double> number(const QJsonObject& body, const QString& key, double max, bool* present, QString* why)
{
    const QJsonValue v = body.value(key);
    *present = !v.isUndefined() && !v.isNull();
    if (!*present)
        return 0.0;
    const double n = v.toDouble(std::nan(""));
    if (!v.isDouble() || !std::isfinite(n) || n < 0 || n > max) {
        *why = QStringLiteral("\"%1\" must be a number from 0 to %2").arg(key).arg(max, 0, 'f', 0);
        return std::nullopt;
    }
    return n;
}

HttpApiResponse withState(RemoteActions& actions)
{
    return ok({{QStringLiteral("ok"), true}, {QStringLiteral("state"), actions.state()}});
}

HttpApiResponse page()
{
    QFile file(QString::fromLatin1(HttpApi::PageResource));
    if (!file.open(QIODevice::ReadOnly))
        return HttpApi::Error(404, QStringLiteral("the page is not part of this build"));
    HttpApiResponse r;
    r.contentType = QByteArrayLiteral("text/html; charset=utf-8");
    r.headers.append({QByteArrayLiteral("Cache-Control"), QByteArrayLiteral("no-store")});
    r.body = file.readAll();
    return r;
}

// The show in "shows/<id>/play", or nothing when the path is not of that form.
std::optional<int> playedShow(const QString& route)
{
    const QStringList parts = route.split(QLatin1Char('/'));
    if (parts.size() != 3 || parts.at(0) != QLatin1String("shows") || parts.at(2) != QLatin1String("play"))
        return std::nullopt;
    const QString& id = parts.at(1);
    bool isNumber = !id.isEmpty() && id.size() <= 9;
    for (const QChar c : id)
        isNumber = isNumber && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    // A ShowID that is not a whole number names no show.
    return isNumber ? id.toInt() : -1;
}

HttpApiResponse action(RemoteActions& actions, const QString& route, const QByteArray& body)
{
    QString why;
    const std::optional<QJsonObject> object = actionBody(body, &why);
    if (!object)
        return HttpApi::Error(400, why);
    bool present = false;
    if (const std::optional<int> show = playedShow(route)) {
        const std::optional<double> from = number(*object, QStringLiteral("fromSecond"), 1e7, &present, &why);
        if (!from)
            return HttpApi::Error(400, why);
        if (*show < 0 || !actions.play(*show, present ? from : std::nullopt))
            return HttpApi::Error(404, QStringLiteral("no show %1").arg(route.section(QLatin1Char('/'), 1, 1)));
    } else if (route == QLatin1String("seek")) {
        const std::optional<double> to = number(*object, QStringLiteral("positionMs"), 1e10, &present, &why);
        if (!to)
            return HttpApi::Error(400, why);
        if (!present)
            return HttpApi::Error(400, QStringLiteral("\"positionMs\" is missing"));
        actions.seek(qint64(std::llround(*to)));
    } else if (route == QLatin1String("pause")) {
        actions.pause();
    } else if (route == QLatin1String("resume")) {
        actions.resume();
    } else if (route == QLatin1String("stop")) {
        actions.stop();
    }
    return withState(actions);
}

bool isAction(const QString& route)
{
    return route == QLatin1String("pause") || route == QLatin1String("resume") || route == QLatin1String("stop") ||
           route == QLatin1String("seek") || playedShow(route).has_value();
}

bool isReading(const QString& route)
{
    return route == QLatin1String("version") || route == QLatin1String("shows") || route == QLatin1String("state") ||
           route == QLatin1String("events");
}

} // namespace

QByteArray HttpApiRequest::header(const QByteArray& name) const
{
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

namespace HttpApi {

bool TokenMatches(const QString& token, const QByteArray& given)
{
    const QByteArray expected = token.toUtf8();
    // Every byte of the longer one is looked at whatever the others hold.
    const qsizetype n = qMax(expected.size(), given.size());
    unsigned difference = expected.size() == given.size() ? 0u : 1u;
    for (qsizetype i = 0; i < n; ++i) {
        const unsigned a = i < expected.size() ? quint8(expected.at(i)) : 0u;
        const unsigned b = i < given.size() ? quint8(given.at(i)) : 0u;
        difference |= a ^ b;
    }
    return difference == 0;
}

bool Authorized(const QString& token, const HttpApiRequest& request, bool queryAllowed)
{
    if (token.isEmpty())
        return true;
    const QByteArray authorization = request.header(QByteArrayLiteral("Authorization")).trimmed();
    static const QByteArray bearer = QByteArrayLiteral("bearer ");
    if (authorization.size() > bearer.size() && authorization.left(bearer.size()).toLower() == bearer)
        return TokenMatches(token, authorization.mid(bearer.size()).trimmed());
    if (queryAllowed && request.query.hasQueryItem(QStringLiteral("token")))
        return TokenMatches(token,
                            request.query.queryItemValue(QStringLiteral("token"), QUrl::FullyDecoded).toUtf8());
    return false;
}

HttpApiResponse Error(int status, const QString& text)
{
    return json(status, QJsonDocument(QJsonObject{{QStringLiteral("ok"), false}, {QStringLiteral("error"), text}}));
}

HttpApiResponse Handle(RemoteActions& actions, const QString& token, const HttpApiRequest& request)
{
    if (request.body.size() > MaxRequestBytes)
        return Error(413, QStringLiteral("the request is larger than %1 bytes").arg(MaxRequestBytes));

    const bool isGet = request.method == "GET";
    const bool isPost = request.method == "POST";
    const QString& path = request.path;

    // The page holds no data and asks for the token itself: it loads
    // without one, and everything it then asks for is checked.
    if (path == QLatin1String("/") || path == QLatin1String("/index.html"))
        return isGet ? page() : methodNotAllowed("GET");
    if (!path.startsWith(ApiPrefix))
        return Error(404, QStringLiteral("no such path"));
    const QString route = path.mid(ApiPrefix.size());
    const bool events = route == QLatin1String("events");
    if (!Authorized(token, request, events))
        return Error(401, QStringLiteral("a valid token is required"));

    if (isReading(route)) {
        if (!isGet)
            return methodNotAllowed("GET");
        if (route == QLatin1String("version"))
            return ok(actions.versionInfo());
        if (route == QLatin1String("shows"))
            return json(200, QJsonDocument(actions.shows()));
        if (route == QLatin1String("state"))
            return ok(actions.state());
        return Error(400, QStringLiteral("the events are sent over a WebSocket"));
    }
    if (isAction(route))
        return isPost ? action(actions, route, request.body) : methodNotAllowed("POST");
    return Error(404, QStringLiteral("no such path"));
}

} // namespace HttpApi
