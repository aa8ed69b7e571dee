// Feeds arbitrary requests to remote control's HTTP API routing, the JSON
// parsing of bodies and the token check, over actions that only count what
// they are asked. The input is the request as lines: the method, the target
// (path and query), the Authorization header, then the body; a first byte
// that is odd makes the API ask for a token.

#include "httpapi.h"
#include "remoteactions.h"

#include <QJsonDocument>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

class CountingActions : public RemoteActions {
public:
    int done = 0;
    QJsonObject versionInfo() const override { return {{QStringLiteral("api"), 1}}; }
    QJsonArray shows() const override { return {QJsonObject{{QStringLiteral("id"), 7}}}; }
    QJsonObject state() const override { return {{QStringLiteral("state"), QStringLiteral("stopped")}}; }
    bool play(int showId, std::optional<double> from) override
    {
        if (from && (!(*from >= 0) || *from > 1e7))
            std::abort();
        ++done;
        return showId == 7;
    }
    void pause() override { ++done; }
    void resume() override { ++done; }
    void stop() override { ++done; }
    void seek(qint64 ms) override
    {
        if (ms < 0)
            std::abort();
        ++done;
    }
};

QByteArray takeLine(QByteArray& rest)
{
    const qsizetype end = rest.indexOf('\n');
    const QByteArray line = end < 0 ? rest : rest.left(end);
    rest = end < 0 ? QByteArray() : rest.mid(end + 1);
    return line;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const bool withToken = data[0] & 1;
    QByteArray rest(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    HttpApiRequest request;
    request.method = takeLine(rest);
    const QUrl target(QString::fromUtf8(takeLine(rest)));
    request.path = target.path(QUrl::FullyDecoded);
    request.query = QUrlQuery(target);
    request.headers.append({QByteArrayLiteral("Authorization"), takeLine(rest)});
    request.body = rest;

    CountingActions actions;
    const QString token = withToken ? QStringLiteral("tok") : QString();
    const HttpApiResponse response = HttpApi::Handle(actions, token, request);

    // Every answer is a status the API gives, with JSON (or the page); a
    // refused request did nothing.
    static const int statuses[] = {200, 400, 401, 404, 405, 413};
    if (std::find(std::begin(statuses), std::end(statuses), response.status) == std::end(statuses))
        std::abort();
    if (response.status != 200 && actions.done > 0 && response.status != 404)
        std::abort();
    if (response.contentType == "application/json" && QJsonDocument::fromJson(response.body).isNull())
        std::abort();
    if (response.status == 401 && !withToken)
        std::abort();
    return 0;
}
