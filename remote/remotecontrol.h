#pragma once

#include "remoteactions.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QObject>
#include <QTimer>

#include <optional>

class ProgramSession;

// What remote control sees of the program and may ask of it, in the terms of
// its JSON: the show list, the playing state and the actions, and the
// changes as signals. Every action is a program session operation, so a
// remote "play show N" is what a universal switch turning show N on does,
// and a remote "stop" what turning it off does. No event is worked out while
// nobody listens.
class RemoteControl : public QObject, public RemoteActions {
    Q_OBJECT
public:
    explicit RemoteControl(ProgramSession& session, QObject* parent = nullptr);

    // {"name":"Tavolan","version":"...","api":1}
    static QJsonObject version();
    QJsonObject versionInfo() const override { return version(); }
    // [{"id":1,"name":"...","sequence":1,"switch":5,"switchActive":true,
    //   "media":"...","timePoints":12}, ...] in the show list's order.
    QJsonArray shows() const override;
    // {"show":{"id":1,"name":"..."}|null,"state":"playing|paused|stopped",
    //  "positionMs":..,"durationMs":..,"firing":{"mode":"tick|precise","offsetMs":0}}
    QJsonObject state() const override;

    // The show with this ShowID plays (from the second, when given); false
    // when the list holds no such show.
    bool play(int showId, std::optional<double> fromSecond = std::nullopt) override;
    void pause() override;
    void resume() override;
    void stop() override;
    void seek(qint64 positionMs) override;

    // The number of those listening to the events; while it is 0 the
    // signals below stay quiet and the position is not followed.
    void addListener();
    void removeListener();
    int listeners() const { return m_listeners; }

    ProgramSession& session() const { return m_session; }

Q_SIGNALS:
    // The state after a change of show or of playing state.
    void stateChanged(const QJsonObject& state);
    // Once a second while a show plays.
    void positionChanged(qint64 positionMs);
    // A time point of the show fired with this many commands.
    void fired(int showId, qint64 second, int commands);
    // The show list was read afresh.
    void showsChanged();

private:
    void followPosition();

    ProgramSession& m_session;
    QTimer m_position;
    int m_listeners = 0;
};
