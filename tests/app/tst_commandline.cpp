#include "backups.h"
#include "commandline.h"
#include "fountainshow.h"
#include "showexchange.h"
#include "singleinstance.h"
#include "version.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run {
    int status = -1;
    QString out, err;
};

Run run(const QStringList& arguments)
{
    Run r;
    QTextStream out(&r.out), err(&r.err);
    r.status = RunCommandLineTask(ParseCommandLine(QStringList{"tavolan"} + arguments), out, err);
    return r;
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// show.json of the show in the folder, without the keys an import assigns.
QJsonObject rowsOf(TestProgramFolder& folder, int showId)
{
    SettingsFiles files;
    OpenShowIni(files, folder.path("Database/Show.ini"));
    folder.openDatabase();
    QJsonObject doc = ShowExchange::ShowDocument(files, showId).value.value_or(QJsonObject{});
    doc.remove("show");
    return doc;
}

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT
    QTemporaryDir m_out;
    QString file(const QString& name) const { return m_out.filePath(name); }

    // The fountain show of a folder, with its media file "water" beside it.
    static void putFountain(TestProgramFolder& folder)
    {
        QVERIFY(PutFountainShow(folder));
        QVERIFY(IniFile(folder.path("Database/Show.ini")).write("7", "URL", folder.path("fountain.mp4")));
        QFile media(folder.path("fountain.mp4"));
        QVERIFY(media.open(QIODevice::WriteOnly) && media.write("water") == 5);
    }

private slots:
    void argumentsAreReadOrRefused_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("error");
        QTest::newRow("window") << QStringList{"--folder", "d"} << 0 << "";
        QTest::newRow("help") << QStringList{"--folder", "d", "--help"} << 2 << "";
        QTest::newRow("version") << QStringList{"--version"} << 3 << "";
        QTest::newRow("qt option") << QStringList{"-platform", "x"} << 1 << "platform";
        QTest::newRow("stray") << QStringList{"x"} << 1 << "Unexpected argument";
        QTest::newRow("export") << QStringList{"--with-media", "--export-show=7", "f"} << 4 << "";
        QTest::newRow("import") << QStringList{"--import-show", "f"} << 5 << "";
        QTest::newRow("no value") << QStringList{"--import-show"} << 1 << "Missing value";
        QTest::newRow("no file") << QStringList{"--export-show", "7"} << 1 << "needs the file";
        QTest::newRow("bad id") << QStringList{"--export-show", "-7", "f"} << 1 << "not a show ID";
        QTest::newRow("unknown") << QStringList{"--import-show", "f", "--bogus"} << 1 << "bogus";
    }
    void argumentsAreReadOrRefused()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, kind);
        QFETCH(QString, error);
        const CommandLineTask task = ParseCommandLine(QStringList{"tavolan"} + arguments);
        QCOMPARE(int(task.kind), kind);
        QCOMPARE(task.showId, kind == CommandLineTask::ExportShow ? 7 : 0);
        QCOMPARE(task.folder, arguments.contains("--folder") ? QStringLiteral("d") : QString());
        if (kind != CommandLineTask::Invalid)
            return;
        const Run r = run(arguments);
        QCOMPARE(r.status, CommandLineUsageStatus);
        QVERIFY2(r.out.isEmpty() && r.err.contains(error) && r.err.contains("Usage:"), qPrintable(r.err));
    }

    // Out of one folder with its media, into another twice: the second gets the clashes.
    void aShowGoesToAnotherFolder()
    {
        QJsonObject original;
        {
            TestProgramFolder a;
            putFountain(a);
            const Run r = run({"--export-show", "7", file("fountain.tavshow"), "--with-media"});
            QVERIFY2(r.status == 0 && r.out.contains("Show 7 \"Fountain\" was exported"), qPrintable(r.err));
            original = rowsOf(a, 7);
        }
        TestProgramFolder b;
        const Run first = run({"--import-show", file("fountain.tavshow")});
        QVERIFY2(first.status == 0 && first.err.isEmpty(), qPrintable(first.err));
        QVERIFY(first.out.contains("Imported show \"Fountain\" as ShowID 1 (1 time points, 1 commands)"));
        QVERIFY(first.out.contains("snapshot of the shows was taken first"));
        QCOMPARE(readFile(b.path("Media/fountain.mp4")), QByteArray("water"));
        QCOMPARE(ListSnapshots(b.path("Database/Backups")).size(), 1);

        const Run second = run({"--import-show", file("fountain.tavshow")});
        QVERIFY2(second.status == 0, qPrintable(second.err));
        QVERIFY(second.out.contains("as ShowID 2") && second.out.contains("is named \"Fountain (2)\""));
        QVERIFY(second.out.contains("Universal switch 5 is in use by another show"));
        QCOMPARE(rowsOf(b, 1), original);
        QCOMPARE(SelectedCount("select ActivedUniversalSwitch*10+UniversalSwitchID from Show order by ShowID"), 15);
        QCOMPARE(SelectedCount("select count(*) from Show where ActivedUniversalSwitch=0"), 1);
    }

    // Each failure is told on stderr and leaves no file, no row, no snapshot.
    void aFailureWritesNothing_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error");
        QTest::newRow("unknown show") << QStringList{"--export-show", "99", "x"} << "There is no show 99";
        QTest::newRow("no folder") << QStringList{"--export-show", "7", "no/x"} << "cannot be written";
        QTest::newRow("no database") << QStringList{"--export-show", "7", "x"} << "DB.mdb";
        QTest::newRow("no file") << QStringList{"--import-show", "x"} << "does not exist";
        QTest::newRow("junk") << QStringList{"--import-show", "junk"} << "cannot be imported";
        QTest::newRow("a set") << QStringList{"--import-show", "set"} << "command set, not a show";
    }
    void aFailureWritesNothing()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        TestProgramFolder a;
        QVERIFY(PutFountainShow(a));
        QVERIFY(ShowExchange::ExportSet(CommandsForPlaySet, file("set")));
        QFile junk(file("junk"));
        QVERIFY(junk.open(QIODevice::WriteOnly) && junk.write("PK\x03\x04 junk") > 0);
        if (QTest::currentDataTag() == QByteArray("no database"))
            QVERIFY(QFile::rename(a.path("Database/DB.mdb"), a.path("Database/gone.mdb")));
        const QByteArray ini = readFile(a.path("Database/Show.ini"));
        arguments.last() = file(arguments.last());
        const Run r = run(arguments);
        QCOMPARE(r.status, 1);
        QVERIFY2(r.out.isEmpty() && r.err.contains(error), qPrintable(r.err));
        QVERIFY(!QFileInfo::exists(file("x")) && !QFileInfo::exists(file("no/x")));
        QVERIFY(!a.openDatabase() || SelectedCount("select count(*) from Show") == 1);
        QCOMPARE(readFile(a.path("Database/Show.ini")), ini);
        QVERIFY(!QDir(a.path("Database/Backups")).exists());
    }

    // The program itself: an export with a display platform that does not
    // exist (a window would end it at once), and an import refused while a
    // copy runs.
    void theProgramRunsThemWithoutAWindow()
    {
        TestProgramFolder a;
        QVERIFY(PutFountainShow(a));
        QVERIFY(QFile::copy(TAVOLAN_EXECUTABLE, a.path("tavolan")));
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "no-such-platform");
        env.insert("TMPDIR", a.folder());
        program.setProcessEnvironment(env);
        program.start(a.path("tavolan"), {"--export-show", "7", file("program.tavshow")});
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), 0);
        QVERIFY(ShowExchange::ReadPackage(file("program.tavshow")));

        SingleInstance running(SingleInstance::DefaultKey(a.folder()), a.folder());
        QVERIFY(running.tryBecomePrimary());
        program.start(a.path("tavolan"), {"--import-show", file("program.tavshow")});
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), 1);
        QVERIFY(program.readAllStandardError().contains("Tavolan is running"));

        // The help and the version need no folder and no window; anything
        // else unknown is refused with the usage.
        program.start(a.path("tavolan"), {"--version"});
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), 0);
        QCOMPARE(program.readAllStandardOutput().trimmed(), QByteArray("Tavolan ") + TavolanVersion);
        program.start(a.path("tavolan"), {"--help"});
        QVERIFY(program.waitForFinished(60000));
        QVERIFY(program.exitCode() == 0 && program.readAllStandardOutput().contains("--folder DIR"));
        program.start(a.path("tavolan"), {"--bogus"});
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), CommandLineUsageStatus);
        QVERIFY(program.readAllStandardError().contains("Usage:"));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
