#pragma once

#include <QJsonArray>
#include <QJsonObject>

#include <optional>

// What a remote client may see and ask, in the terms of its JSON. The
// program's RemoteControl carries it out on the program session; the HTTP
// API's routing only knows this, so that it can be tried without a session.
class RemoteActions {
public:
    virtual ~RemoteActions() = default;

    // {"name":"Tavolan","version":"...","api":1}
    virtual QJsonObject versionInfo() const = 0;
    virtual QJsonArray shows() const = 0;
    virtual QJsonObject state() const = 0;

    // The show with this ShowID plays (from the second, when given); false
    // when there is no such show.
    virtual bool play(int showId, std::optional<double> fromSecond) = 0;
    virtual void pause() = 0;
    virtual void resume() = 0;
    virtual void stop() = 0;
    virtual void seek(qint64 positionMs) = 0;
};
