#include "inifile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestIniFile : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString path(const QString& name = QStringLiteral("test.ini")) const { return m_dir.filePath(name); }

    static void put(const QString& file, const QByteArray& bytes)
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    static QByteArray contents(const QString& file)
    {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly))
            return QByteArray();
        return f.readAll();
    }
    QStringList folderEntries() const
    {
        return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

private slots:
    void init()
    {
        for (const QString& name : folderEntries())
            QFile::remove(m_dir.filePath(name));
    }

    void namesMatchWithoutLetterCaseAndBlanks()
    {
        put(path(), "[ip]\nip=192.168.1.5\n\n [ Other ] \n  Key Name  =  spaced value \n");
        IniFile ini(path());
        QCOMPARE(ini.read("IP", "IP"), QStringLiteral("192.168.1.5"));
        QCOMPARE(ini.read("other", "KEY NAME"), QStringLiteral("spaced value"));

        // "IP"/"MUTE" and "ip"/"ip" must land in one and the same section.
        QVERIFY(ini.write("IP", "MUTE", "1"));
        QVERIFY(ini.write("Ip", "Ip", "10.0.0.1"));
        QCOMPARE(contents(path()),
                 QByteArray("[ip]\nip=10.0.0.1\nMUTE=1\n\n [ Other ] \n  Key Name  =  spaced value \n"));
        IniFile again(path());
        QCOMPARE(again.read("ip", "mute"), QStringLiteral("1"));
    }

    void missingFileReadsEmptyAndIsCreatedByFirstWrite()
    {
        IniFile ini(path("absent.ini"));
        QCOMPARE(ini.read("Port", "Port", "15000"), QStringLiteral("15000"));
        QVERIFY(ini.read("Port", "Port").isEmpty());
        QVERIFY(!ini.contains("Port", "Port"));
        QVERIFY(!QFile::exists(path("absent.ini")));

        QVERIFY(ini.write("Port", "Port", "6000"));
        QCOMPARE(contents(path("absent.ini")), QByteArray("[Port]\nPort=6000\n"));
        // An empty value is a value, not a missing key.
        QVERIFY(ini.write("Port", "Empty", ""));
        QVERIFY(ini.contains("port", "empty"));
        QCOMPARE(ini.read("port", "empty", "default"), QString());
    }

    void writeKeepsOtherLinesAndOrder()
    {
        const QByteArray before = "; settings written by hand\n"
                                  "stray=outside any section\n"
                                  "[A]\n"
                                  "# a comment\n"
                                  "one=1\n"
                                  "two = 2\n"
                                  "\n"
                                  "[B]\n"
                                  "one=b1\n";
        put(path(), before);
        IniFile ini(path());
        QVERIFY(!ini.contains("A", "stray"));

        QVERIFY(ini.write("a", "TWO", "22"));   // replaced in place, key spelled as before
        QVERIFY(ini.write("A", "three", "3"));  // added after the section's last line, before the blank
        QVERIFY(ini.write("C", "x", "y"));      // new section at the end
        QCOMPARE(contents(path()), QByteArray("; settings written by hand\n"
                                              "stray=outside any section\n"
                                              "[A]\n"
                                              "# a comment\n"
                                              "one=1\n"
                                              "two=22\n"
                                              "three=3\n"
                                              "\n"
                                              "[B]\n"
                                              "one=b1\n"
                                              "[C]\n"
                                              "x=y\n"));
        QCOMPARE(ini.read("B", "one"), QStringLiteral("b1"));
    }

    void crlfFileStaysCrlfAndValuesSurviveTheRoundTrip()
    {
        put(path(), "[Show]\r\nShowName=Old\r\nURL=C:\\media\\a.mp4\r\n");
        IniFile ini(path());
        QCOMPARE(ini.read("Show", "ShowName"), QStringLiteral("Old"));
        const QString name = QStringLiteral("Feuerwerk \u00fcber dem See = 2 \u2013 \u201cfinale\u201d");
        QVERIFY(ini.write("Show", "ShowName", name));
        QCOMPARE(contents(path()),
                 QByteArray("[Show]\r\nShowName=") + name.toUtf8() + "\r\nURL=C:\\media\\a.mp4\r\n");
        IniFile fresh(path());
        QCOMPARE(fresh.read("show", "showname"), name);
        QCOMPARE(fresh.read("show", "url"), QStringLiteral("C:\\media\\a.mp4"));
    }

    void eightBitFileKeepsItsBytes()
    {
        put(path(), "[L]\nname=caf\xe9\nother=1\n");
        IniFile ini(path());
        QCOMPARE(ini.read("L", "name"), QStringLiteral("caf\u00e9"));
        QVERIFY(ini.write("L", "other", "2"));
        QCOMPARE(contents(path()), QByteArray("[L]\nname=caf\xe9\nother=2\n"));
    }

    void lineBreaksAreRefused_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("newline in value") << "12" << "ShowName" << "evil\n[ip]\nip=6.6.6.6";
        QTest::newRow("carriage return in value") << "12" << "URL" << "a\rb";
        QTest::newRow("line break in key") << "12" << "Show\nName" << "x";
        QTest::newRow("line break in section") << "1\n2" << "ShowName" << "x";
        QTest::newRow("bracket in section") << "1]x" << "ShowName" << "x";
        QTest::newRow("equals in key") << "12" << "a=b" << "x";
        QTest::newRow("empty key") << "12" << " " << "x";
        QTest::newRow("empty section") << "" << "ShowName" << "x";
    }
    void lineBreaksAreRefused()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        const QByteArray before = "[12]\nShowName=kept\n";
        put(path(), before);
        IniFile ini(path());
        QVERIFY(!ini.write(section, key, value));
        QCOMPARE(contents(path()), before);
        QCOMPARE(ini.read("12", "ShowName"), QStringLiteral("kept"));
        QVERIFY(!ini.contains("ip", "ip"));

        // Several keys at once: one bad name or value refuses them all.
        QVERIFY(!ini.write(section, {{"ShowName", "fine"}, {key, value}}));
        QCOMPARE(contents(path()), before);
        QCOMPARE(ini.read("12", "ShowName"), QStringLiteral("kept"));
    }

    void interruptedWriteLeavesOldFileWhole()
    {
        const QByteArray before = "[IP]\nMUTE=0\nVOL=20\n";
        put(path(), before);

        // The hook runs once the new contents are written aside: the old file
        // must still be whole then, and stay whole when the write dies there.
        QByteArray seenDuringWrite;
        bool refuse = true;
        IniFile ini(path(), [&] {
            seenDuringWrite = contents(path());
            return !refuse;
        });
        QVERIFY(!ini.write("IP", {{"MUTE", "1"}, {"VOL", "35"}}));

        QCOMPARE(seenDuringWrite, before);
        QCOMPARE(contents(path()), before);
        QCOMPARE(folderEntries(), QStringList{"test.ini"});
        QCOMPARE(ini.read("IP", "MUTE"), QStringLiteral("0"));
        // Another file of the same path has a hook of its own.
        seenDuringWrite.clear();
        QVERIFY(IniFile(path()).write("Other", "Key", "1"));
        QVERIFY(seenDuringWrite.isEmpty());
        put(path(), before);

        // The next write goes through and takes both keys together.
        refuse = false;
        QVERIFY(ini.write("IP", {{"MUTE", "1"}, {"VOL", "35"}}));
        QCOMPARE(contents(path()), QByteArray("[IP]\nMUTE=1\nVOL=35\n"));
        QCOMPARE(folderEntries(), QStringList{"test.ini"});
    }

    void writeIntoMissingFolderFails()
    {
        const QString file = m_dir.filePath("no/such/folder/x.ini");
        IniFile ini(file);
        QVERIFY(!ini.write("A", "b", "c"));
        QVERIFY(!QFile::exists(file));
        QVERIFY(!ini.contains("A", "b"));
    }

    void duplicateSectionsAndKeysUseTheFirst()
    {
        put(path(), "[S]\nk=first\nk=second\n[s]\nother=x\n[]\nlost=1\n");
        IniFile ini(path());
        QCOMPARE(ini.read("S", "k"), QStringLiteral("first"));
        QCOMPARE(ini.read("S", "other"), QStringLiteral("x"));
        QVERIFY(!ini.contains("S", "lost")); // an empty section name still ends the section before it
        QVERIFY(ini.write("S", "k", "new"));
        QVERIFY(ini.write("S", "other", "y"));
        QCOMPARE(contents(path()), QByteArray("[S]\nk=new\nk=second\n[s]\nother=y\n[]\nlost=1\n"));
    }

    void reloadSeesChangesFromDisk()
    {
        put(path(), "[A]\nb=1\n");
        IniFile ini(path());
        put(path(), "[A]\nb=2\n");
        QCOMPARE(ini.read("A", "b"), QStringLiteral("1"));
        ini.reload();
        QCOMPARE(ini.read("A", "b"), QStringLiteral("2"));
    }
};

QTEST_MAIN(TestIniFile)
#include "tst_inifile.moc"
