#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLockFile;

// Makes sure only one copy of the program runs for this user. The first copy
// holds a lock file and listens on a local socket; a later copy finds the
// lock held, asks the first to bring its window back and ends. The lock is
// tied to the holder's process, so a copy that crashed does not block the
// next start.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // key names the lock and the socket; folder is where both live (the
    // temporary folder when empty). Tests pass their own.
    explicit SingleInstance(const QString& key = DefaultKey(QString()), const QString& folder = QString(),
                            QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this is the first copy: the lock is now held and the
    // activation socket listens. False when another live copy holds it.
    bool tryBecomePrimary();
    bool isPrimary() const { return m_primary; }

    // From a later copy: asks the running one to show its window. True when
    // the request was delivered.
    bool activateRunningInstance(int timeoutMs = 2000);

    QString lockFilePath() const;
    QString serverName() const;

    // The key of this user's copy on the program folder (empty: the key of
    // the user alone).
    static QString DefaultKey(const QString& programFolder = QString());

Q_SIGNALS:
    // In the first copy: a later copy asked for the window.
    void activationRequested();

private:
    void onNewConnection();

    QString m_key;
    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
    bool m_primary = false;
};

// The text a later copy shows before it ends.
inline const char* const AlreadyOpenedText = "Tavolan Software has already been opened!";
