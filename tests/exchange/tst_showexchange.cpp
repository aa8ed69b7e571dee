#include "programfolder.h"
#include "rawsql.h"
#include "scriptedmessages.h"
#include "settingsfiles.h"
#include "showdata.h"
#include "showexchange.h"
#include "ziparchive.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

using namespace ShowExchange;

namespace {

// A program folder with its database and Show.ini open.
struct Folder {
    TestProgramFolder folder;
    SettingsFiles files;
    Folder()
    {
        QVERIFY(folder.openDatabase());
        OpenShowIni(files, folder.path(QStringLiteral("Database/Show.ini")));
    }
};

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool insertCommand(int show, int point, int id, const QVariantList& fields)
{
    QSqlQuery q = StandaloneQuery();
    q.prepare(QStringLiteral("insert into CommandsForShow(ShowID,TimePointID,CommandID,SequenceNo,Remark,SubnetID,"
                             "DeviceID,CommandTypeID,FirstParameter,SecondParameter,ThirdParameter,DelayMS) "
                             "values(?,?,?,?,?,?,?,?,?,?,?,?)"));
    const QVariantList all = QVariantList{show, point, id} + fields;
    for (int i = 0; i < all.size(); ++i)
        q.bindValue(i, all[i]);
    return q.exec();
}

QJsonObject withoutIds(QJsonObject doc)
{
    QJsonObject show = doc.value(QStringLiteral("show")).toObject();
    show.remove(QStringLiteral("ShowID"));
    show.remove(QStringLiteral("SequenceNo"));
    doc.insert(QStringLiteral("show"), show);
    return doc;
}

const QVariant Null = QVariant(QMetaType(QMetaType::LongLong));

// A file written member by member, for the files the program never writes.
void writeRawPackage(const QString& path, const QByteArray& showJson, const QByteArray& manifest)
{
    ZipWriter zip;
    QVERIFY(zip.open(path));
    QVERIFY(zip.addBytes(QStringLiteral("show.json"), showJson));
    QVERIFY(zip.addBytes(QStringLiteral("manifest.json"), manifest));
    QVERIFY(zip.commit());
}

QByteArray manifestFor(const QByteArray& showJson, int version, const QByteArray& sha)
{
    QJsonObject member{{"path", "show.json"}, {"size", showJson.size()}, {"sha256", QString::fromLatin1(sha.toHex())}};
    return QJsonDocument(QJsonObject{{"formatVersion", version}, {"kind", "show"}, {"members", QJsonArray{member}}})
        .toJson();
}

} // namespace

class TestShowExchange : public QObject {
    Q_OBJECT

    QTemporaryDir out;
    QString showFile() const { return out.filePath(QStringLiteral("show.tavshow")); }

    // Exports the demo-like show 1 of a fresh folder, with its media, to showFile().
    QJsonObject exportRichShow(bool withMedia)
    {
        Folder a;
        const QString media = a.folder.path(QStringLiteral("clips/sun rise.mp4"));
        writeFile(media, QByteArray("video bytes \x01\x02\x00\xff", 17));
        if (!AddShow(1, 4, 1, 5))
            return {};
        WriteShowIni(a.files, 1, QStringLiteral("Sunrise ü"), media);
        RunSql(QStringLiteral("insert into TimePoint values(1,1,0,NULL)"));
        RunSql(QStringLiteral("insert into TimePoint values(1,2,7,'')"));
        RunSql(QStringLiteral("insert into TimePoint values(1,5,3,'it''s 100%')"));
        for (int kind = 0; kind <= 12; ++kind)
            insertCommand(1, 1 + kind % 3 * (kind % 3 == 2 ? 2 : 1), kind + 1,
                          {12 - kind, kind % 2 ? QVariant(QStringLiteral("Ωμέγα %1").arg(kind)) : Null, 255 - kind,
                           kind * 19, kind, 65535 - kind, kind * 1000, kind % 4, kind == 3 ? Null : QVariant(kind * 250)});
        const auto doc = ShowDocument(a.files, 1);
        const auto written = ExportShow(a.files, 1, showFile(), withMedia);
        if (!doc || !written)
            qWarning("%s%s", qPrintable(doc.error), qPrintable(written.error));
        if (!doc || !written)
            return {};
        return *doc;
    }

private slots:
    void aShowComesBackWithEveryField()
    {
        const QJsonObject original = exportRichShow(true);
        QVERIFY(!original.isEmpty());
        QCOMPARE(original.value("timePoints").toArray().size(), 3);

        Folder b;
        ScriptedMessages messages;
        messages.answerNext(MessageAnswer::Yes);
        const auto id = ImportShowAsked(b.files, showFile(), messages);
        QVERIFY2(id, qPrintable(messages.texts().join('\n')));
        QCOMPARE(withoutIds(*ShowDocument(b.files, *id)), withoutIds(original));
        QCOMPARE(SelectedCount("select count(*) from CommandsForShow where DelayMS is null"), 1);
        QCOMPARE(SelectedCount("select count(*) from TimePoint where Remark is null"), 1);
        QCOMPARE(SelectedCount("select count(*) from TimePoint where Remark=''"), 1);
        const QString media = b.folder.path(QStringLiteral("Media/sun rise.mp4"));
        QCOMPARE(ShowUrlOf(b.files, *id), media);
        QCOMPARE(readFile(media), QByteArray("video bytes \x01\x02\x00\xff", 17));
        QCOMPARE(ShowNameOf(b.files, *id), QStringLiteral("Sunrise ü"));
        QVERIFY(messages.shown.first().text.contains("13 commands"));
    }

    // A show of many commands, with texts that need escaping, comes back
    // whole through the statements of forty rows and those left over.
    void aShowOfManyCommandsComesBackWhole()
    {
        QJsonObject original;
        {
            Folder a;
            QVERIFY(AddShow(1, 1, 0, 0));
            WriteShowIni(a.files, 1, QStringLiteral("Ω \"quoted\" 😀"), QString());
            QVERIFY(RunSql(QStringLiteral("insert into TimePoint values(1,1,0,'cue \"1\"')")));
            QVERIFY(RunSql(QStringLiteral("insert into TimePoint values(1,2,5,NULL)")));
            for (int c = 1; c <= 93; ++c)
                QVERIFY(insertCommand(1, 1 + c % 2, c,
                                      {c, c % 3 ? QVariant(QStringLiteral("r\x1f\"%1\\").arg(c)) : Null, 1, 2, 3, 4, 5, 6,
                                       c == 7 ? QVariant(2.5) : QVariant(qint64(1) << 40)}));
            original = *ShowDocument(a.files, 1);
            QVERIFY(ExportShow(a.files, 1, showFile(), false));
        }
        Folder b;
        ScriptedMessages messages;
        messages.answerNext(MessageAnswer::Yes);
        const auto id = ImportShowAsked(b.files, showFile(), messages);
        QVERIFY2(id, qPrintable(messages.texts().join('\n')));
        QCOMPARE(withoutIds(*ShowDocument(b.files, *id)), withoutIds(original));
    }

    // A column a row lacks is stored empty; a key no column has is passed over.
    void rowsMayLackColumnsOrHaveMore()
    {
        const QByteArray json = R"({"show":{},"name":"x","media":"","timePoints":[{"TimePointID":4,"a":1,"zz":1,
            "commands":[{"CommandID":2,"AA":1,"Remark":"r","SubnetID":3,"zz":0},{"CommandID":3}]}]})";
        writeRawPackage(showFile(), json, manifestFor(json, 1, QCryptographicHash::hash(json, QCryptographicHash::Sha256)));
        Folder b;
        ScriptedMessages messages;
        messages.answerNext(MessageAnswer::Yes);
        QVERIFY(ImportShowAsked(b.files, showFile(), messages));
        QCOMPARE(SelectedCount("select count(*) from CommandsForShow where TimePointID=4 and CommandID=2 and Remark='r' "
                               "and SubnetID=3 and DeviceID is null and DelayMS is null"), 1);
        QCOMPARE(SelectedCount("select count(*) from CommandsForShow where CommandID=3 and Remark is null"), 1);
        QCOMPARE(SelectedCount("select count(*) from TimePoint where TimePointID=4 and SecondOfTimePoint is null"), 1);
    }

    void aDamagedFileIsRefusedAndNothingWritten_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("reason");
        QTest::newRow("end cut off") << "truncate" << "cut short";
        QTest::newRow("cut in half") << "half" << "";
        QTest::newRow("flipped byte") << "flip" << "damaged";
        QTest::newRow("hash mismatch") << "hash" << "SHA-256";
        QTest::newRow("unknown version") << "version" << "format version 2";
        QTest::newRow("over-large") << "large" << "larger than";
        QTest::newRow("not a zip") << "junk" << "cannot be imported";
    }
    void aDamagedFileIsRefusedAndNothingWritten()
    {
        QFETCH(QString, damage);
        QFETCH(QString, reason);
        QVERIFY(!exportRichShow(true).isEmpty());
        QByteArray bytes = readFile(showFile());
        const QByteArray json = QJsonDocument(QJsonObject{{"show", QJsonObject{}}, {"timePoints", QJsonArray{}}}).toJson();
        const QByteArray sha = QCryptographicHash::hash(json, QCryptographicHash::Sha256);
        Limits limits;
        if (damage == "truncate")
            writeFile(showFile(), bytes.left(bytes.size() - 30));
        else if (damage == "half")
            writeFile(showFile(), bytes.left(bytes.size() / 2));
        else if (damage == "flip")
            writeFile(showFile(), bytes.replace(bytes.indexOf("video bytes") + 3, 1, "X"));
        else if (damage == "hash")
            writeRawPackage(showFile(), json, manifestFor(json, 1, QByteArray(32, 'a')));
        else if (damage == "version")
            writeRawPackage(showFile(), json, manifestFor(json, 2, sha));
        else if (damage == "large")
            limits.maxMediaBytes = 10;
        else
            writeFile(showFile(), "PK\x03\x04 not really");

        Folder b;
        ScriptedMessages messages;
        messages.answerNext(MessageAnswer::Yes);
        const QByteArray iniBefore = readFile(b.folder.path("Database/Show.ini"));
        QVERIFY(!ImportShowAsked(b.files, showFile(), messages, nullptr, limits));
        QCOMPARE(messages.shown.size(), 1);
        QCOMPARE(messages.shown.first().kind, ScriptedMessages::Shown::Error);
        QVERIFY2(messages.shown.first().text.contains(reason), qPrintable(messages.shown.first().text));
        QCOMPARE(SelectedCount("select count(*) from Show"), 0);
        QCOMPARE(SelectedCount("select count(*) from CommandsForShow"), 0);
        QVERIFY(!QDir(b.folder.path("Media")).exists());
        QCOMPARE(readFile(b.folder.path("Database/Show.ini")), iniBefore);
    }

    void clashesAreShownAndNoStopsTheImport()
    {
        QVERIFY(!exportRichShow(false).isEmpty());
        Folder b;
        QVERIFY(AddShow(7, 1, 1, 5));
        WriteShowIni(b.files, 7, QStringLiteral("Sunrise ü"), QString());
        ScriptedMessages messages;
        messages.answerNext(MessageAnswer::No);
        QVERIFY(!ImportShowAsked(b.files, showFile(), messages));
        const QString asked = messages.shown.first().text;
        QVERIFY(asked.contains("A show named \"Sunrise ü\" exists already"));
        QVERIFY(asked.contains("Universal switch 5 is in use"));
        QVERIFY(asked.contains("sun rise.mp4 is not in the file nor in the Media folder"));
        QCOMPARE(SelectedCount("select count(*) from Show"), 1);

        messages.answerNext(MessageAnswer::Yes);
        const auto id = ImportShowAsked(b.files, showFile(), messages);
        QVERIFY(id);
        QCOMPARE(ShowNameOf(b.files, *id), QStringLiteral("Sunrise ü (2)"));
        QCOMPARE(SelectedCount(QStringLiteral("select ActivedUniversalSwitch+UniversalSwitchID from Show where ShowID=%1").arg(*id)), 0);
    }

    void aSetComesBackIntoAnotherSet()
    {
        Folder a;
        QVERIFY(AddSetCommand("CommandsForPlay", 1, 2, 11, QString()));
        QVERIFY(AddSetCommand("CommandsForPlay", 2, 1, 12));
        QVERIFY(AddSetCommand("CommandsForStop", 9, 1, 99));
        const QString path = out.filePath("play.tavshow");
        ScriptedMessages messages;
        QVERIFY(ExportSetAsked(CommandsForPlaySet, path, messages));
        const QJsonObject play = *SetDocument(CommandsForPlaySet);
        messages.answerNext(MessageAnswer::Yes);
        QVERIFY(ImportSetAsked(CommandsForStopSet, path, messages));
        QCOMPARE(SetDocument(CommandsForStopSet)->value("commands"), play.value("commands"));
        QCOMPARE(SelectedCount("select count(*) from CommandsForStop where DelayMS is null"), 1);
        // A show file is no set.
        QVERIFY(!exportRichShow(false).isEmpty());
    }

    // Random shows go out, come into an empty folder and go out again unchanged.
    void randomShowsSurviveTheRoundTrip()
    {
        QRandomGenerator rng(20261209);
        auto text = [&]() -> QVariant {
            switch (rng.bounded(4)) {
            case 0: return QVariant(QMetaType(QMetaType::QString));
            case 1: return QString();
            default: {
                QString s;
                for (int i = rng.bounded(12); i > 0; --i)
                    s += QChar(char16_t(rng.bounded(2) ? 0x20 + rng.bounded(0x5e) : 0x3b1 + rng.bounded(20)));
                return s;
            }
            }
        };
        auto number = [&](int max) -> QVariant { return rng.bounded(10) == 0 ? Null : QVariant(rng.bounded(max + 1)); };
        for (int round = 0; round < 200; ++round) {
            const QString path = out.filePath(QStringLiteral("r%1.tavshow").arg(round));
            QJsonObject first;
            QByteArray mediaHash;
            {
                Folder a;
                const int showId = 1 + rng.bounded(1000);
                QVERIFY(AddShow(showId, rng.bounded(50), rng.bounded(2), rng.bounded(256)));
                QString media;
                if (rng.bounded(3)) {
                    QByteArray bytes(rng.bounded(3000), Qt::Uninitialized);
                    for (char& c : bytes)
                        c = char(rng.bounded(256));
                    media = a.folder.path(QStringLiteral("m/clip%1.wav").arg(round));
                    writeFile(media, bytes);
                    mediaHash = QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
                }
                WriteShowIni(a.files, showId, text().toString(), media);
                for (int tp = 1, n = rng.bounded(8); tp <= n; ++tp) {
                    QSqlQuery q = StandaloneQuery();
                    q.prepare("insert into TimePoint values(?,?,?,?)");
                    q.addBindValue(showId), q.addBindValue(tp * 3), q.addBindValue(number(600)), q.addBindValue(text());
                    QVERIFY(q.exec());
                    for (int c = 1, m = rng.bounded(6); c <= m; ++c)
                        QVERIFY(insertCommand(showId, tp * 3, c, {number(99), text(), number(255), number(255),
                                                                   number(12), number(65535), number(65535),
                                                                   number(65535), number(60000)}));
                }
                first = *ShowDocument(a.files, showId);
                QVERIFY(ExportShow(a.files, showId, path, !media.isEmpty()));
            }
            Folder b;
            const auto package = ReadPackage(path);
            QVERIFY2(package, qPrintable(package.error));
            const auto plan = PlanShowImport(b.files, *package);
            QVERIFY(plan && !plan->hasClashes());
            const auto id = ImportShow(b.files, *package, *plan);
            QVERIFY2(id, qPrintable(id.error));
            const QString again = out.filePath(QStringLiteral("again%1.tavshow").arg(round));
            QVERIFY(ExportShow(b.files, *id, again, !mediaHash.isEmpty()));
            const auto second = ReadPackage(again);
            QVERIFY(second);
            QCOMPARE(withoutIds(second->document), withoutIds(first));
            QCOMPARE(second->mediaSha256, mediaHash);
        }
    }
};

QTEST_GUILESS_MAIN(TestShowExchange)
#include "tst_showexchange.moc"
