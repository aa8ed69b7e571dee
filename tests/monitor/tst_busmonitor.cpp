#include "busmonitorwindow.h"
#include "lookups.h"
#include "loopbackbuslink.h"
#include "programfolder.h"
#include "recordingswitchtarget.h"
#include "scriptedfilechooser.h"
#include "scriptedmessages.h"
#include "settingsfiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

namespace {


QByteArray frame(quint16 operation, QByteArray payload, quint8 fromSubnet = 1, quint8 fromDevice = 99,
                 quint8 toSubnet = 7, quint8 toDevice = 9)
{
    const BusFrameSource source{{127, 0, 0, 1}, 3, fromSubnet, fromDevice};
    return FrameDatagram(source, operation, toSubnet, toDevice, reinterpret_cast<const quint8*>(payload.constData()),
                         int(payload.size()));
}

void feed(BusMonitorLog& log, const QByteArray& bytes, BusDirection direction = BusDirection::Received,
          int size = -1)
{
    log.busDatagram(direction, reinterpret_cast<const quint8*>(bytes.constData()), int(bytes.size()),
                    size < 0 ? int(bytes.size()) : size, 0x7F000001, 6000);
}

QString cell(const BusMonitorLog& log, int row, int column)
{
    return log.cellText(log.entry(row), column);
}

// The columns whose texts run longest, and those of them the table cuts
// short: a header or cell text wider than its column less the style's
// margins (and the grid line) is drawn with an ellipsis.
constexpr int wideColumns[] = {BusMonitorLog::Peer, BusMonitorLog::Kind, BusMonitorLog::Parameters};

QStringList elidedTexts(QTableView& table)
{
    QStringList cut;
    const QFontMetricsF cellFont(table.font(), &table);
    const int margin = table.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &table) + 1;
    QHeaderView* header = table.horizontalHeader();
    for (int c : wideColumns) {
        if (header->sectionSizeHint(c) > table.columnWidth(c))
            cut << table.model()->headerData(c, Qt::Horizontal).toString();
        for (int r = 0; r < table.model()->rowCount(); ++r) {
            const QString text = table.model()->index(r, c).data().toString();
            if (cellFont.horizontalAdvance(text) + 2 * margin + 1 > qreal(table.columnWidth(c)))
                cut << text;
        }
    }
    return cut;
}

} // namespace

// The bus monitor: what it reads from datagrams, how much it keeps, that it
// watches only while its window exists, and its filter and export.
class TestBusMonitor : public QObject {
    Q_OBJECT

    SettingsFiles settings;
    LookupLists lookups;

    LogMessagePresenter logMessages; // where the test does not read the messages
    ScriptedFileChooser files;

    TestProgramFolder* folder = nullptr;
    // The program's end of a loopback bus and a gateway's.
    std::unique_ptr<LoopbackBusLink> program, gateway;

private Q_SLOTS:
    void init()
    {
        settings = SettingsFiles();
        lookups = LookupLists();
        folder = new TestProgramFolder;
        QVERIFY(folder->isValid());
        OpenSettingsFiles(settings); // kind names and parameter labels of the language file
        program = std::make_unique<LoopbackBusLink>(0x7F000001);
        gateway = std::make_unique<LoopbackBusLink>(0x7F000002);
        LoopbackBusLink::join(*program, *gateway);
        program->setIdentity({1, 99, 3, {}});
        QVERIFY(program->open(QStringLiteral("127.0.0.1"), 6000));
        QVERIFY(gateway->open(QStringLiteral("127.0.0.2"), 6000));
    }

    void cleanup()
    {
        program.reset();
        gateway.reset();
        delete folder;
        folder = nullptr;
    }

    // Every kind the program sends reads back as the stored command it came
    // from, through the encoder's own table.
    void decodesEveryKind_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::addColumn<int>("third");
        QTest::addColumn<QString>("name");
        const int thirds[13] = {0, 0, 0, 0, 600, 0, 90, 0, 0, 0, 0, 0, 3};
        const char* names[13] = {"Scene Control",  "Sequence Control", "Universal Switch", "", "Single Channel Control",
                                 "Broadcast Scene", "Broadcast Channel", "Curtain Switch", "Panel Control",
                                 "Lighting Scene", "Lighting Sequence", "Security Mode",   "Security Alarm"};
        for (int kind = 0; kind <= 12; ++kind) {
            if (kind == 3)
                continue;
            const int first = (kind == 5 || kind == 6) ? 255 : 2;
            const int second = kind == 12 ? 0x0104 : 100;
            QTest::addRow("kind %d", kind) << kind << first << second << thirds[kind] << names[kind];
        }
    }

    void decodesEveryKind()
    {
        QFETCH(int, kind);
        QFETCH(int, first);
        QFETCH(int, second);
        QFETCH(int, third);
        QFETCH(QString, name);
        const std::optional<EncodedCommand> encoded = EncodeCommand(quint8(kind), first, second, third);
        QVERIFY(encoded);
        const QByteArray bytes = frame(encoded->operationCode, encoded->payload);
        const BusDatagramFacts f = ReadBusDatagramFacts(bytes, int(bytes.size()));
        QCOMPARE(f.check, BusFrameCheck::Accepted);
        QVERIFY(f.lengthMatches());
        QCOMPARE(f.head.operationCode, encoded->operationCode);
        QCOMPARE(f.head.targetSubnet, quint8(7));
        QCOMPARE(f.head.targetDevice, quint8(9));
        QVERIFY(f.command);
        QCOMPARE(int(f.command->kind), kind);
        QCOMPARE(int(f.command->first), first);
        QCOMPARE(int(f.command->second), second);
        QCOMPARE(int(f.command->third), third);

        BusMonitorLog log(settings, lookups);
        feed(log, bytes);
        log.flush();
        QCOMPARE(cell(log, 0, BusMonitorLog::Kind), name);
        QCOMPARE(cell(log, 0, BusMonitorLog::Crc), QStringLiteral("ok"));
        QCOMPARE(cell(log, 0, BusMonitorLog::Frame), QStringLiteral("ok"));
        QCOMPARE(cell(log, 0, BusMonitorLog::Source), QStringLiteral("1/99"));
    }

    void decodesParametersAndAnswers()
    {
        BusMonitorLog log(settings, lookups);
        feed(log, frame(0x0031, QByteArray::fromHex("05640258"))); // kind 4, run time 10:0
        feed(log, frame(0xE01D, QByteArray::fromHex("0501")));      // switch acknowledgement
        feed(log, frame(0x1234, QByteArray::fromHex("0102")));      // an operation we do not know
        feed(log, frame(0x0031, QByteArray::fromHex("0564")));      // known code, wrong payload length
        feed(log, frame(0xE01C, QByteArray::fromHex("09FF")));      // a switch status no entry names
        log.flush();
        QVERIFY2(cell(log, 4, BusMonitorLog::Parameters).endsWith(QStringLiteral(", 255(Status)")),
                 qPrintable(cell(log, 4, BusMonitorLog::Parameters)));
        QCOMPARE(cell(log, 0, BusMonitorLog::Operation), QStringLiteral("0x0031"));
        const QString params = cell(log, 0, BusMonitorLog::Parameters);
        QVERIFY2(params.startsWith(QStringLiteral("5(")) && params.contains(QStringLiteral("100("))
                     && params.contains(QStringLiteral("10:0")),
                 qPrintable(params));
        QCOMPARE(cell(log, 1, BusMonitorLog::Parameters), QStringLiteral("switch 5, status 1"));
        QVERIFY(!cell(log, 1, BusMonitorLog::Kind).isEmpty());
        for (int row : {2, 3}) {
            QVERIFY(cell(log, row, BusMonitorLog::Kind).isEmpty());
            QCOMPARE(cell(log, row, BusMonitorLog::Crc), QStringLiteral("ok"));
        }
        QCOMPARE(log.data(log.index(1, 0), BusMonitorLog::RawHexRole).toString(),
                 QString::fromLatin1(frame(0xE01D, QByteArray::fromHex("0501")).toHex(' ').toUpper()));
    }

    // Whatever arrives is shown for what it is, reading nothing beyond the
    // bytes that came.
    void showsMalformedDatagrams_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("frameText");
        QTest::addColumn<QString>("crc");
        QTest::addColumn<bool>("hasHead");
        const QByteArray good = frame(0x0002, QByteArray::fromHex("0102"));
        QByteArray badCrc = good;
        badCrc[badCrc.size() - 1] = char(badCrc.at(badCrc.size() - 1) ^ 0x01);
        QByteArray noLead = good;
        noLead[14] = char(0xAB);
        QByteArray longer = good + QByteArray("\x55", 1); // length byte says one byte fewer
        QByteArray shortLength = good;
        shortLength[16] = char(40);
        QByteArray longForm = good;
        longForm[16] = char(0xFF);
        longForm[25] = char(0x04); // declares far more than came
        longForm[26] = char(0x00);
        QTest::newRow("empty") << QByteArray() << 0 << "too short" << "" << false;
        QTest::newRow("ten bytes") << good.left(10) << 10 << "too short" << "" << false;
        QTest::newRow("one short of a frame") << good.left(26) << 26 << "too short" << "" << false;
        QTest::newRow("wrong lead code") << noLead << int(noLead.size()) << "no lead code" << "" << false;
        QTest::newRow("bad crc") << badCrc << int(badCrc.size()) << "ok" << "bad" << true;
        QTest::newRow("trailing byte") << longer << int(longer.size()) << "length 13, packet 14" << "bad" << true;
        QTest::newRow("length byte wrong") << shortLength << int(shortLength.size()) << "length 40, packet 13"
                                           << "bad" << true; // the CRC covers the length byte
        QTest::newRow("long form cut short") << longForm << int(longForm.size()) << "length 1035, packet 13"
                                             << "not checked" << true;
        QTest::newRow("too long for the buffer") << good << 5000 << "too long for the receive buffer" << "ok" << true;
    }

    void showsMalformedDatagrams()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, size);
        QFETCH(QString, frameText);
        QFETCH(QString, crc);
        QFETCH(bool, hasHead);
        // An exact-size copy on the heap, so a read past the end is a read
        // past the allocation.
        std::vector<quint8> exact(bytes.begin(), bytes.end());
        BusMonitorLog log(settings, lookups);
        log.busDatagram(BusDirection::Received, exact.data(), int(exact.size()), size, 0, 0);
        log.flush();
        QCOMPARE(log.rowCount(), 1);
        QCOMPARE(cell(log, 0, BusMonitorLog::Frame), frameText);
        QCOMPARE(cell(log, 0, BusMonitorLog::Crc), crc);
        QCOMPARE(log.entry(0).facts().hasHead, hasHead);
        QCOMPARE(cell(log, 0, BusMonitorLog::Size), QString::number(size));
        if (!hasHead) {
            QVERIFY(cell(log, 0, BusMonitorLog::Kind).startsWith(QStringLiteral("Malformed")));
            QVERIFY(cell(log, 0, BusMonitorLog::Source).isEmpty());
        }
    }

    // At most `capacity` rows, the newest; staged datagrams are bounded too
    // (what does not fit is skipped), and the counters see everything.
    void keepsOnlyTheLatestEntries()
    {
        BusMonitorLog log(settings, lookups, 100);
        QSignalSpy removed(&log, &QAbstractItemModel::rowsRemoved);
        for (int i = 0; i < 250; ++i) {
            feed(log, frame(0x0002, QByteArray::fromHex("0102"), 1, quint8(i)), BusDirection::Sent);
            if (i % 30 == 29)
                log.flush();
        }
        log.flush();
        QCOMPARE(log.rowCount(), 100);
        QCOMPARE(cell(log, 0, BusMonitorLog::Source), QStringLiteral("1/150"));
        QCOMPARE(cell(log, 99, BusMonitorLog::Source), QStringLiteral("1/249"));
        QVERIFY(removed.count() > 0);
        QCOMPARE(log.seen(BusDirection::Sent), quint64(250));

        for (int i = 0; i < 1000; ++i)
            feed(log, frame(0x0002, QByteArray::fromHex("0102"), 2, quint8(i)));
        QCOMPARE(log.waiting(), 100);
        QCOMPARE(log.skipped(), quint64(900));
        log.flush();
        QCOMPARE(log.rowCount(), 100);
        QCOMPARE(cell(log, 0, BusMonitorLog::Source), QStringLiteral("2/0"));
        QCOMPARE(cell(log, 99, BusMonitorLog::Source), QStringLiteral("2/99"));
        QCOMPARE(log.seen(BusDirection::Received), quint64(1000));

        // The batch enters on the flush timer by itself.
        log.clear();
        QCOMPARE(log.rowCount(), 0);
        QCOMPARE(log.seen(BusDirection::Sent), quint64(0));
        feed(log, frame(0x0002, QByteArray::fromHex("0102")));
        QCOMPARE(log.rowCount(), 0);
        QTRY_COMPARE(log.rowCount(), 1);

        log.setPaused(true);
        feed(log, frame(0x0002, QByteArray::fromHex("0102")));
        log.flush();
        QCOMPARE(log.rowCount(), 1);
        QCOMPARE(log.seen(BusDirection::Received), quint64(2));
        QCOMPARE(log.skipped(), quint64(0)); // paused is not skipped
    }

    // A flood between flushes: each flush takes at most its share of rows in
    // one batch, the rest are skipped and counted, and every datagram is
    // either a row that entered the table or a skipped one.
    void floodIsTakenInBoundedBatches()
    {
        BusMonitorWindow window(*program, logMessages, files, settings, lookups, nullptr, 500);
        BusMonitorLog& log = window.log();
        log.setMaxRowsPerFlush(50);
        QSignalSpy inserted(&log, &QAbstractItemModel::rowsInserted);
        const QByteArray datagram = frame(0x0002, QByteArray::fromHex("0102"), 2, 3);
        int entered = 0;
        for (int round = 0; round < 20; ++round) {
            for (int i = 0; i < 300; ++i)
                feed(log, datagram);
            QVERIFY(log.waiting() > 0 && log.waiting() <= 50);
            log.flush();
            QCOMPARE(inserted.count(), round + 1);
            const int rows = inserted.last().at(2).toInt() - inserted.last().at(1).toInt() + 1;
            QVERIFY(rows <= 50);
            entered += rows;
        }
        QCOMPARE(log.seen(BusDirection::Received), quint64(6000));
        QCOMPARE(log.skipped(), quint64(6000 - entered));
        QCOMPARE(log.rowCount(), std::min(500, entered));
        QVERIFY2(window.lblCounters->text().contains(QStringLiteral("Skipped: %1").arg(log.skipped())),
                 qPrintable(window.lblCounters->text()));

        window.btnClear->click();
        QCOMPARE(log.skipped(), quint64(0));
    }

    // The receiver reads and answers everything while the monitor keeps only
    // a few rows; the monitor still counts every datagram in each direction.
    void receiverIsUnaffectedByWhatTheMonitorSkips()
    {
        BusMonitorWindow window(*program, logMessages, files, settings, lookups);
        window.log().setMaxRowsPerFlush(5);
        window.log().setFlushInterval(3600 * 1000); // nothing enters the table but by hand
        RecordingSwitchTarget target;
        target.list = {RecordingSwitchTarget::show(11, true, 5)};
        program->startReceiving(target);

        for (int i = 0; i < 100; ++i)
            gateway->sendRaw(frame(0x0031, QByteArray::fromHex("05640258"), 3, 4));
        gateway->sendRaw(frame(BusReceive::UniversalSwitch, QByteArray::fromHex("05FF"), 3, 4, 1, 99));
        QTRY_COMPARE(program->datagramsRead(), quint64(101));
        QTRY_COMPARE(gateway->arrived().size(), 1);
        const QByteArray answer = gateway->arrived().at(0);
        QCOMPARE(answer.size(), 29);
        QCOMPARE(quint8(answer.at(21)) << 8 | quint8(answer.at(22)), int(BusReceive::UniversalSwitchAck));

        BusMonitorLog& log = window.log();
        QCOMPARE(log.seen(BusDirection::Received), quint64(101));
        QCOMPARE(log.seen(BusDirection::Sent), quint64(1));
        QCOMPARE(log.skipped(), quint64(97));
        log.flush();
        QCOMPARE(log.rowCount(), 5);
    }

    // The window watches from its opening to its closing; what it sees on
    // the real send and receive paths is what went on the wire.
    void watchesOnlyWhileOpenAndChangesNothingOnTheWire()
    {
        const auto nextAtGateway = [&] {
            if (!QTest::qWaitFor([&] { return !gateway->arrived().isEmpty(); }, 5000))
                return QByteArray();
            return gateway->takeArrived().constFirst();
        };

        QVERIFY(!program->isObserved());
        SendCommand(*program, 1, 20, 4, 5, 100, 3);
        const QByteArray unwatched = nextAtGateway();
        QVERIFY(!unwatched.isEmpty());

        QPointer<BusMonitorWindow> window = new BusMonitorWindow(*program, logMessages, files, settings, lookups);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->show();
        QVERIFY(program->hasObserver(&window->log()));
        SendCommand(*program, 1, 20, 4, 5, 100, 3);
        QCOMPARE(nextAtGateway(), unwatched);

        RecordingSwitchTarget target;
        program->startReceiving(target);
        const QByteArray incoming = frame(0xE01C, QByteArray::fromHex("0901"), 3, 4, 1, 99);
        gateway->sendRaw(incoming);
        QTRY_COMPARE(window->log().seen(BusDirection::Received), quint64(1));
        window->log().flush();
        QCOMPARE(window->log().rowCount(), 2);
        QCOMPARE(window->log().entry(0).bytes, unwatched);
        QCOMPARE(cell(window->log(), 0, BusMonitorLog::Direction), QStringLiteral("Sent"));
        QCOMPARE(cell(window->log(), 0, BusMonitorLog::Peer),
                 QStringLiteral("127.0.0.2:6000"));
        QCOMPARE(window->log().entry(1).bytes, incoming);
        QCOMPARE(cell(window->log(), 1, BusMonitorLog::Direction), QStringLiteral("Received"));
        QCOMPARE(cell(window->log(), 1, BusMonitorLog::Target), QStringLiteral("1/99"));

        window->close();
        QTRY_VERIFY(window.isNull());
        QVERIFY(!program->isObserved());
        SendCommand(*program, 1, 20, 4, 5, 100, 3);
        QCOMPARE(nextAtGateway(), unwatched);
    }

    // Long addresses, kind names and parameters show whole, in the font the
    // table has now, while the last column takes the rest of the width.
    void columnsFitTheirTexts()
    {
        BusMonitorWindow window(*program, logMessages, files, settings, lookups);
        window.resize(1600, 500);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        BusMonitorLog& log = window.log();
        const QByteArray ack = frame(0xE01D, QByteArray::fromHex("FFFF"));
        log.busDatagram(BusDirection::Received, reinterpret_cast<const quint8*>(ack.constData()),
                        int(ack.size()), int(ack.size()), 0xFFFFFFFF, 65535);
        const std::optional<EncodedCommand> channel = EncodeCommand(4, 255, 255, 65535);
        QVERIFY(channel);
        feed(log, frame(channel->operationCode, channel->payload));
        feed(log, frame(0xE01C, QByteArray::fromHex("FFFF"))); // a status no entry names
        log.flush();
        QVERIFY(cell(log, 2, BusMonitorLog::Parameters).endsWith(QStringLiteral("255(Status)")));
        QTableView& table = *window.tblDatagrams;
        QTRY_COMPARE(elidedTexts(table), QStringList());

        // The columns fill the list to its right edge, and no further when
        // it is too narrow for every text: nothing needs scrolling to.
        const int last = BusMonitorLog::ColumnCount - 1;
        for (int width : {2400, 700}) {
            window.resize(width, 500);
            QTRY_COMPARE(table.horizontalHeader()->sectionViewportPosition(last) + table.columnWidth(last),
                         table.viewport()->width());
        }
        window.resize(2400, 500);

        // A larger font makes every text wider; the columns follow.
        QFont larger = table.font();
        larger.setPointSizeF(larger.pointSizeF() * 1.6);
        const int kindWidth = table.columnWidth(BusMonitorLog::Kind);
        window.setFont(larger);
        QTRY_VERIFY(table.columnWidth(BusMonitorLog::Kind) > kindWidth);
        QTRY_COMPARE(elidedTexts(table), QStringList());

        // A column the operator sized by hand keeps the width given.
        table.horizontalHeader()->resizeSection(BusMonitorLog::Peer, 40);
        feed(log, frame(0xE01C, QByteArray::fromHex("0101")));
        log.flush();
        QTest::qWait(400);
        QCOMPARE(table.columnWidth(BusMonitorLog::Peer), 40);
    }

    // A monitor kept above stays above a window that goes full screen later
    // (the video): window managers keep a window's transients above it.
    void monitorInCornerStaysAboveAFullScreenWindow()
    {
        BusMonitorWindow window(*program, logMessages, files, settings, lookups);
        window.showInCornerAbove();
        QVERIFY(window.isVisible());
        QVERIFY(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QWidget video;
        video.showFullScreen();
        QTRY_VERIFY(window.windowHandle()->transientParent() == video.windowHandle());
        QVERIFY(window.isVisible());

        // A monitor opened the ordinary way is left where the operator puts it.
        BusMonitorWindow plain(*program, logMessages, files, settings, lookups);
        plain.show();
        QWidget other;
        other.showFullScreen();
        QTest::qWait(50);
        QVERIFY(plain.windowHandle()->transientParent() != other.windowHandle());
        QVERIFY(!plain.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    }

    void filtersAndExports()
    {
        ScriptedMessages boxes;
        BusMonitorWindow window(*program, boxes, files, settings, lookups);
        BusMonitorLog& log = window.log();
        feed(log, frame(0x0002, QByteArray::fromHex("0102"), 1, 99, 7, 9), BusDirection::Sent);
        feed(log, frame(0x0031, QByteArray::fromHex("05640003"), 1, 99, 7, 10), BusDirection::Sent);
        feed(log, frame(0xE01C, QByteArray::fromHex("0901"), 3, 4, 1, 99), BusDirection::Received);
        feed(log, QByteArray("junk, \"quoted\""), BusDirection::Received);
        log.flush();
        BusMonitorFilter& shown = window.filter();
        QCOMPARE(shown.rowCount(), 4);

        window.cboDirection->setCurrentIndex(2); // received
        QCOMPARE(shown.rowCount(), 2);
        window.cboDirection->setCurrentIndex(0);
        window.edtAddress->setText(QStringLiteral("7"));
        QCOMPARE(shown.rowCount(), 2);
        window.edtAddress->setText(QStringLiteral("7/10"));
        QCOMPARE(shown.rowCount(), 1);
        window.edtAddress->setText(QStringLiteral("1/99")); // source or target
        QCOMPARE(shown.rowCount(), 3);
        window.edtAddress->setText(QStringLiteral("1/999")); // not an address: filter unchanged
        QCOMPARE(shown.rowCount(), 3);
        window.edtOperation->setText(QStringLiteral("0x0031"));
        QCOMPARE(shown.rowCount(), 1);
        window.edtOperation->setText(QStringLiteral("e01c"));
        QCOMPARE(shown.rowCount(), 1);
        QCOMPARE(shown.data(shown.index(0, BusMonitorLog::Direction)).toString(), QStringLiteral("Received"));

        // New rows pass the filter as they come.
        feed(log, frame(0xE01C, QByteArray::fromHex("0900"), 3, 4, 1, 99), BusDirection::Received);
        log.flush();
        QCOMPARE(shown.rowCount(), 2);

        // Export asks where to write.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bus.csv"));
        files.answerNext(path);
        window.btnExport->click();
        QCOMPARE(files.asked.size(), 1);
        QVERIFY(files.asked[0].filter.contains(QStringLiteral("*.csv")));
        QFile csv(path);
        QVERIFY(csv.open(QIODevice::ReadOnly | QIODevice::Text));
        const QStringList lines = QString::fromUtf8(csv.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        csv.close();
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[0].startsWith(QStringLiteral("Time,Direction,")));
        QVERIFY(lines[0].endsWith(QStringLiteral(",Bytes")));
        QVERIFY(lines[1].contains(QStringLiteral(",Received,")));
        QVERIFY(lines[1].contains(QStringLiteral(",0xE01C,")));
        QVERIFY(lines[1].endsWith(QString::fromLatin1(log.entry(2).bytes.toHex(' ').toUpper())));
        QVERIFY(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3},"))
                    .match(lines[1])
                    .hasMatch());

        // Fields holding commas and quotes are quoted.
        window.edtAddress->clear();
        window.edtOperation->clear();
        QVERIFY(window.exportTo(path));
        QVERIFY(csv.open(QIODevice::ReadOnly | QIODevice::Text));
        QCOMPARE(QString::fromUtf8(csv.readAll()).count(QLatin1Char('\n')), 6);
        csv.close();

        // A file that cannot be written is told, and leaves nothing behind.
        QVERIFY(!window.exportTo(dir.filePath(QStringLiteral("missing/bus.csv"))));
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("bus.csv")});

        window.btnClear->click();
        QCOMPARE(shown.rowCount(), 0);
        window.chkPause->setChecked(true);
        QVERIFY(log.isPaused());
    }
};

QTEST_MAIN(TestBusMonitor)
#include "tst_busmonitor.moc"
