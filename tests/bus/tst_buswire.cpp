#include "busdispatch.h"
#include "commandcodec.h"
#include "buswire.h"

#include <QtTest>

namespace {

const quint8 kExamplePayload[] = {0x05, 0x64, 0x00, 0x03};

BusFrameSource exampleSource(quint8 generation = 3)
{
    return BusFrameSource{{192, 168, 1, 50}, generation, 1, 99};
}

} // namespace

// The wire format alone: CRC, framing, broadcast address and command
// encoding. Nothing here opens a socket; tst_udpsocket covers sending.
class TestBusWire : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void crcMatchesXmodemCheckValue()
    {
        const QByteArray check("123456789");
        const auto* bytes = reinterpret_cast<const quint8*>(check.constData());
        QCOMPARE(BusCrc16(bytes, 9), quint16(0x31C3));
        const std::array<quint8, 2> packed = BusCrcBytes(bytes, 9);
        QCOMPARE(packed[0], quint8(0x31));
        QCOMPARE(packed[1], quint8(0xC3));
    }

    void checkCrcRejectsChangedOrSwappedBytes()
    {
        QByteArray run = QByteArray::fromHex("0F0163FFFD0031011405640003" "91B1");
        auto* b = reinterpret_cast<quint8*>(run.data());
        const int count = int(run.size()) - 2;
        QVERIFY(BusCrcMatches(b, count));

        for (int i : {count, count + 1, 0, 5}) { // either CRC byte, or a covered byte
            QByteArray changed = run;
            changed[i] = char(changed[i] ^ 0x01);
            QVERIFY2(!BusCrcMatches(reinterpret_cast<quint8*>(changed.data()), count),
                     qPrintable(QString::number(i)));
        }
        QByteArray swapped = run;
        std::swap(swapped[count], swapped[count + 1]);
        QVERIFY(!BusCrcMatches(reinterpret_cast<quint8*>(swapped.data()), count));
    }

    void checkCrcHandlesRunsLongerThan255Bytes()
    {
        // A run of 300 bytes must be checked against the bytes at 300 and
        // 301, not at positions wrapped around 256.
        QByteArray run(302, '\0');
        for (int i = 0; i < 300; ++i)
            run[i] = char(i * 7);
        const auto crc = BusCrcBytes(reinterpret_cast<const quint8*>(run.constData()), 300);
        run[300] = char(crc[0]);
        run[301] = char(crc[1]);
        QVERIFY(BusCrcMatches(reinterpret_cast<const quint8*>(run.constData()), 300));
        run[301] = char(crc[1] ^ 0x80);
        QVERIFY(!BusCrcMatches(reinterpret_cast<const quint8*>(run.constData()), 300));
    }

    void framesTheExampleDatagramByteForByte()
    {
        const QByteArray expected = QByteArray::fromHex("C0A80132" "524F444F564556415241"
                                                        "AAAA0F0163FFFD0031011405640003" "91B1");
        const QByteArray three = FrameDatagram(exampleSource(3), 0x0031, 1, 20, kExamplePayload, 4);
        QCOMPARE(three.toHex(' '), expected.toHex(' '));
        QCOMPARE(three.size(), 31);

        // Generation 4 changes the tag only; the tag lies outside the CRC.
        const QByteArray four = FrameDatagram(exampleSource(4), 0x0031, 1, 20, kExamplePayload, 4);
        QCOMPARE(four.mid(4, 10), QByteArray("VORTELUMEN"));
        QCOMPARE(four.left(4), three.left(4));
        QCOMPARE(four.mid(14), three.mid(14));
        QCOMPARE(FrameDatagram(exampleSource(200), 0x0031, 1, 20, kExamplePayload, 4).mid(4, 10),
                 QByteArray("VORTELUMEN"));
        QCOMPARE(FrameDatagram(exampleSource(0), 0x0031, 1, 20, kExamplePayload, 4).mid(4, 10),
                 QByteArray("RODOVEVARA"));
    }

    void lengthByteSwitchesToLongForm()
    {
        const QByteArray payload(1273, '\x5A');
        const auto* p = reinterpret_cast<const quint8*>(payload.constData());
        auto lengthByte = [&](int n, bool longForm = false) {
            return quint8(FrameDatagram(exampleSource(), 0x1234, 2, 3, p, n, longForm).at(16));
        };
        QCOMPARE(lengthByte(0), quint8(11));
        QCOMPARE(lengthByte(69), quint8(80));
        QCOMPARE(lengthByte(70), quint8(0xFF));
        QCOMPARE(lengthByte(2, true), quint8(0xFF));

        // The long form's CRC covers a run that starts with 0xFF.
        const QByteArray longDatagram = FrameDatagram(exampleSource(), 0x1234, 2, 3, p, 70);
        QCOMPARE(longDatagram.size(), 27 + 70);
        QVERIFY(BusCrcMatches(reinterpret_cast<const quint8*>(longDatagram.constData()) + 16, 9 + 70));

        // The send buffer holds 1300 bytes: 1273 payload bytes fit, 1274 do not.
        QCOMPARE(FrameDatagram(exampleSource(), 0x1234, 2, 3, p, 1273).size(), 1300);
        QByteArray tooLong(1274, '\0');
        QVERIFY(FrameDatagram(exampleSource(), 0x1234, 2, 3,
                              reinterpret_cast<const quint8*>(tooLong.constData()), 1274).isEmpty());
        QVERIFY(FrameDatagram(exampleSource(), 0x1234, 2, 3, p, -1).isEmpty());
    }

    void broadcastFollowsTheAddressClass()
    {
        QCOMPARE(BroadcastDestination({10, 1, 2, 3}), QHostAddress("10.255.255.255"));
        QCOMPARE(BroadcastDestination({127, 0, 0, 1}), QHostAddress("127.255.255.255"));
        QCOMPARE(BroadcastDestination({128, 9, 5, 9}), QHostAddress("128.9.255.255"));
        QCOMPARE(BroadcastDestination({172, 16, 5, 9}), QHostAddress("172.16.255.255"));
        QCOMPARE(BroadcastDestination({191, 1, 2, 3}), QHostAddress("191.1.255.255"));
        QCOMPARE(BroadcastDestination({192, 168, 1, 50}), QHostAddress("192.168.1.255"));
        QCOMPARE(BroadcastDestination({230, 1, 2, 3}), QHostAddress("230.1.2.255"));
    }

    void encodesEveryCommandKind_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::addColumn<int>("third");
        QTest::addColumn<int>("opcode");
        QTest::addColumn<QByteArray>("payload");

        QTest::newRow("0") << 0 << 3 << 4 << 9 << 0x0002 << QByteArray::fromHex("0304");
        QTest::newRow("1") << 1 << 3 << 4 << 9 << 0x001A << QByteArray::fromHex("0304");
        QTest::newRow("2 switch") << 2 << 5 << 255 << 9 << 0xE01C << QByteArray::fromHex("05FF");
        QTest::newRow("4 example") << 4 << 5 << 100 << 3 << 0x0031 << QByteArray::fromHex("05640003");
        QTest::newRow("4 ten minutes") << 4 << 1 << 2 << 600 << 0x0031 << QByteArray::fromHex("01020258");
        QTest::newRow("5 first forced") << 5 << 9 << 4 << 9 << 0x0002 << QByteArray::fromHex("FF04");
        QTest::newRow("6 first forced") << 6 << 7 << 4 << 0x1234 << 0x0031 << QByteArray::fromHex("FF041234");
        QTest::newRow("7 curtain") << 7 << 3 << 2 << 9 << 0xE3E0 << QByteArray::fromHex("0302");
        QTest::newRow("8") << 8 << 3 << 4 << 9 << 0xF116 << QByteArray::fromHex("0304");
        QTest::newRow("9") << 9 << 3 << 4 << 9 << 0xE3D4 << QByteArray::fromHex("0304");
        QTest::newRow("10") << 10 << 3 << 4 << 9 << 0xE3D8 << QByteArray::fromHex("0304");
        QTest::newRow("11 security") << 11 << 3 << 4 << 9 << 0x0104 << QByteArray::fromHex("0304");
        QTest::newRow("12 alarm") << 12 << 2 << 0x0104 << 3 << 0x010C << QByteArray::fromHex("0201040003");
        QTest::newRow("12 third low byte") << 12 << 2 << 7 << 0x1203 << 0x010C << QByteArray::fromHex("0200070003");
        QTest::newRow("low bytes only") << 0 << 300 << 0x1FF << 0 << 0x0002 << QByteArray::fromHex("2CFF");
    }

    void encodesEveryCommandKind()
    {
        QFETCH(int, kind);
        QFETCH(int, first);
        QFETCH(int, second);
        QFETCH(int, third);
        QFETCH(int, opcode);
        QFETCH(QByteArray, payload);
        const auto command = EncodeCommand(quint8(kind), quint16(first), quint16(second), quint16(third));
        QVERIFY(command.has_value());
        QCOMPARE(int(command->operationCode), opcode);
        QCOMPARE(command->payload.toHex(), payload.toHex());
    }

    void noOperationAndUnknownKindsEncodeNothing()
    {
        for (int kind : {3, 13, 100, 255})
            QVERIFY2(!EncodeCommand(quint8(kind), 1, 2, 3).has_value(), qPrintable(QString::number(kind)));
    }

    void longFormTakesOnlyBytesThatArrived()
    {
        QByteArray datagram = FrameDatagram(BusFrameSource{{127, 0, 0, 1}, 3, 3, 4}, BusReceive::UniversalSwitch, 1,
                                            99, reinterpret_cast<const quint8*>("\x01\x02"), 2);
        datagram[16] = char(0xFF);
        QByteArray stale(BusReceive::BufferSize, '\x77');
        stale.replace(0, datagram.size(), datagram);
        const auto data = ExtractBusPacket(reinterpret_cast<const quint8*>(stale.constData()), int(datagram.size()));
        QVERIFY(data.has_value());
        QCOMPARE(data->size(), 1 * 256 + 2 + 11);
        QCOMPARE(data->left(13), datagram.mid(16));
        QCOMPARE(data->mid(13), QByteArray(data->size() - 13, '\0'));

        // A length beyond the receive buffer is cut at the buffer's end.
        const auto big = ExtractBusPacket(reinterpret_cast<const quint8*>(stale.constData()), int(stale.size()));
        QVERIFY(big.has_value());
        QCOMPARE(big->mid(BusReceive::BufferSize - 16), QByteArray(big->size() - (BusReceive::BufferSize - 16), '\0'));
    }
};

QTEST_MAIN(TestBusWire)
#include "tst_buswire.moc"
