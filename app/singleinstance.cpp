#include "singleinstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

namespace {
const QByteArray ActivateRequest = QByteArrayLiteral("activate\n");
}

SingleInstance::SingleInstance(const QString& key, const QString& folder, QObject* parent)
    : QObject(parent), m_key(key), m_folder(folder)
{
    // QDir::tempPath() is empty when TMPDIR names a folder that does not
    // exist; the lock must never land in whatever the working folder is.
    if (m_folder.isEmpty())
        m_folder = QDir::tempPath();
    if (m_folder.isEmpty())
        m_folder = QDir::homePath();
    QDir().mkpath(m_folder);
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
    if (m_lock)
        m_lock->unlock();
}

QString SingleInstance::DefaultKey(const QString& programFolder)
{
    // One copy per user and program folder: the key carries a short hash of
    // both, so that two people logged in on one machine do not meet, and two
    // program folders may run side by side.
    const QByteArray user = QDir::homePath().toUtf8() + '/' + qgetenv("USER") + qgetenv("USERNAME") + '\n'
                            + (programFolder.isEmpty() ? QByteArray() : QDir(programFolder).canonicalPath().toUtf8());
    const QByteArray hash = QCryptographicHash::hash(user, QCryptographicHash::Sha1).toHex().left(12);
    return QStringLiteral("TfrmMainTavolan-") + QString::fromLatin1(hash);
}

QString SingleInstance::lockFilePath() const
{
    return QDir(m_folder).filePath(m_key + QStringLiteral(".lock"));
}

QString SingleInstance::serverName() const
{
    return QDir(m_folder).filePath(m_key + QStringLiteral(".socket"));
}

bool SingleInstance::tryBecomePrimary()
{
    if (m_primary)
        return true;
    m_lock = std::make_unique<QLockFile>(lockFilePath());
    // A lock whose holder is gone (a crash) is stale at once, whatever its
    // age; a live holder keeps it for as long as it runs.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        m_lock.reset();
        return false;
    }
    m_primary = true;

    // We hold the lock, so a socket file left behind belongs to a dead copy.
    QLocalServer::removeServer(serverName());
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    m_server->listen(serverName()); // without it we still run, only unreachable
    return true;
}

void SingleInstance::onNewConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            // Only the one short request is known; anything longer is dropped.
            const QByteArray data = socket->read(64);
            if (data.startsWith(ActivateRequest.trimmed()))
                Q_EMIT activationRequested();
            socket->disconnectFromServer();
        });
    }
}

bool SingleInstance::activateRunningInstance(int timeoutMs)
{
    // Runs in the later copy before any window exists, so waiting here
    // holds up nothing.
    QLocalSocket socket;
    socket.connectToServer(serverName());
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(ActivateRequest);
    const bool written = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(timeoutMs);
    return written;
}
