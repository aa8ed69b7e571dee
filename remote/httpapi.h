#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrlQuery>

class RemoteActions;

// The HTTP API of remote control without sockets: one request in, one
// response out. The server adapts its connections to it; tests and the
// fuzzer call it directly.

using HttpHeaders = QList<QPair<QByteArray, QByteArray>>;

struct HttpApiRequest {
    QByteArray method; // "GET", "POST", ...
    QString path;      // decoded, without the query: "/api/v1/state"
    QUrlQuery query;
    HttpHeaders headers;
    QByteArray body;

    // The first header of this name (case-insensitive), or empty.
    QByteArray header(const QByteArray& name) const;
};

struct HttpApiResponse {
    int status = 200;
    QByteArray contentType = "application/json";
    HttpHeaders headers; // beside the content type
    QByteArray body;
};

namespace HttpApi {

// A request whose body is larger than this is refused (413) unread.
constexpr qsizetype MaxRequestBytes = 64 * 1024;
// Where the events are; the server upgrades it to a WebSocket.
inline constexpr char EventsPath[] = "/api/v1/events";
// The page, among the program's resources.
inline constexpr char PageResource[] = ":/remote/index.html";

// Whether `given` is the token, compared in a time that does not depend on
// where they differ.
bool TokenMatches(const QString& token, const QByteArray& given);
// Whether the request may go on: always without a token; with one, an
// "Authorization: Bearer <token>" header, or (where `queryAllowed`: the
// page and the events) a "token" query item, must carry it.
bool Authorized(const QString& token, const HttpApiRequest& request, bool queryAllowed);

// {"ok":false,"error":text} with the status.
HttpApiResponse Error(int status, const QString& text);

// Routes the request and carries it out on `actions`: GET version, shows,
// state, the page; POST play, pause, resume, stop, seek, each answered with
// the state after it. Errors: 400 malformed body, 401 missing or wrong
// token (nothing done), 404 unknown path or show, 405 wrong method, 413 too
// large. The events path without an upgrade is a 400.
HttpApiResponse Handle(RemoteActions& actions, const QString& token, const HttpApiRequest& request);

} // namespace HttpApi
