#include "programlocation.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void Put(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray Bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

class TestProgramLocation : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    ProgramLocations m_at;
    QStringList m_unwritable;

    QString path(const QString& relative) const { return m_dir.filePath(relative); }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
        Put(path("usr/share/tavolan/Database/DB.mdb"), "shipped db");
        Put(path("usr/share/tavolan/Language/English.ini"), "[Public]\n");
        QDir().mkpath(path("usr/share/tavolan/FormsDesignPosition"));
        QDir().mkpath(path("usr/bin"));
        m_unwritable.clear();
        m_at = ProgramLocations{};
        m_at.executableFolder = path("usr/bin");
        m_at.dataHome = path("home/.local/share");
        m_at.shippedDefaults = path("usr/share/tavolan");
        m_at.writable = [this](const QString& folder) {
            return !m_unwritable.contains(QDir(folder).absolutePath()) && FolderIsWritable(folder);
        };
    }

    // An installed program: the data home's folder is made from the shipped
    // defaults on first start; later starts keep what the operator changed.
    void firstStartSeedsTheDataHomeWithoutOverwriting()
    {
        const ProgramFolderChoice first = ChooseProgramFolder(m_at);
        QVERIFY2(first, qPrintable(first.failure));
        QCOMPARE(first.folder, path("home/.local/share/tavolan"));
        QVERIFY(first.seeded);
        QCOMPARE(Bytes(path("home/.local/share/tavolan/Database/DB.mdb")), QByteArray("shipped db"));
        QVERIFY(QFileInfo(path("home/.local/share/tavolan/FormsDesignPosition")).isDir());

        Put(path("home/.local/share/tavolan/Database/DB.mdb"), "the operator's shows");
        QFile::remove(path("home/.local/share/tavolan/Language/English.ini"));
        const ProgramFolderChoice again = ChooseProgramFolder(m_at);
        QVERIFY(again.seeded); // the missing language file came back
        QCOMPARE(Bytes(path("home/.local/share/tavolan/Database/DB.mdb")), QByteArray("the operator's shows"));
        QCOMPARE(Bytes(path("home/.local/share/tavolan/Language/English.ini")), QByteArray("[Public]\n"));
    }

    // A build tree or copied folder keeps working where it is, unless it
    // cannot be written; --folder wins over both.
    void ownFolderThenDataHomeAndRequestedFirst()
    {
        QDir().mkpath(path("usr/bin/Database"));
        QCOMPARE(ChooseProgramFolder(m_at).folder, path("usr/bin"));
        QVERIFY(!QFileInfo::exists(path("usr/bin/Language")));

        m_unwritable << path("usr/bin");
        QCOMPARE(ChooseProgramFolder(m_at).folder, path("home/.local/share/tavolan"));

        m_at.requested = path("site");
        const ProgramFolderChoice chosen = ChooseProgramFolder(m_at);
        QCOMPARE(chosen.folder, path("site"));
        QCOMPARE(Bytes(path("site/Database/DB.mdb")), QByteArray("shipped db"));
    }

    // A folder that cannot be made or written is refused with its name,
    // and nothing is chosen in its place.
    void unwritableFolderIsRefused()
    {
        Put(path("home/.local/share"), "a file where the data home should be");
        ProgramFolderChoice refused = ChooseProgramFolder(m_at);
        QVERIFY(!refused);
        QVERIFY(refused.failure.contains(path("home/.local/share/tavolan")));

        m_at.requested = path("site");
        m_unwritable << m_dir.path();
        refused = ChooseProgramFolder(m_at);
        QVERIFY(!refused);
        QVERIFY(refused.failure.contains(QStringLiteral("--folder")));
        QVERIFY(!QFileInfo::exists(path("site")));
    }
};

QTEST_GUILESS_MAIN(TestProgramLocation)
#include "tst_programlocation.moc"
