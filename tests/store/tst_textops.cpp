#include "textops.h"

#include <QtTest>

class TestTextOps : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { SetProgramFolder(QString()); }

    void programPathIsFolderWithSeparatorPlusRelative()
    {
        const QString own = ProgramPath();
        QVERIFY(own.endsWith(QLatin1Char('/')));
        QCOMPARE(own, QCoreApplication::applicationDirPath() + QLatin1Char('/'));
        SetProgramFolder(QStringLiteral("/opt/show"));
        QCOMPARE(ProgramPath(QStringLiteral("Database/DB.mdb")), QStringLiteral("/opt/show/Database/DB.mdb"));
        QCOMPARE(ProgramPath(QStringLiteral("Database\\Show.ini")), QStringLiteral("/opt/show/Database/Show.ini"));
        SetProgramFolder(QStringLiteral("/opt/show/"));
        QCOMPARE(ProgramPath(QStringLiteral("Language/English.ini")), QStringLiteral("/opt/show/Language/English.ini"));
        SetProgramFolder(QString());
        QCOMPARE(ProgramPath(), own);
    }

    void delimitedFields_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<bool>("rest");
        QTest::addColumn<QString>("expected");
        const QString ip = QStringLiteral("192.168.1.20");
        const QString dot = QStringLiteral(".");
        QTest::newRow("octet 1") << ip << 1 << dot << false << QStringLiteral("192");
        QTest::newRow("octet 4") << ip << 4 << dot << false << QStringLiteral("20");
        QTest::newRow("past the end") << ip << 5 << dot << false << QString();
        QTest::newRow("field 0") << ip << 0 << dot << false << QString();
        QTest::newRow("value of a parameter") << QStringLiteral("3(Channel)") << 1 << QStringLiteral("(") << false
                                              << QStringLiteral("3");
        QTest::newRow("blank before the label") << QStringLiteral(" 12 (Area)") << 1 << QStringLiteral("(") << false
                                                << QStringLiteral("12");
        QTest::newRow("no separator, field 1") << QStringLiteral("  plain  ") << 1 << dot << false
                                               << QStringLiteral("plain");
        QTest::newRow("no separator, field 2") << QStringLiteral("plain") << 2 << dot << false << QString();
        QTest::newRow("minutes") << QStringLiteral("2:5") << 1 << QStringLiteral(":") << false << QStringLiteral("2");
        QTest::newRow("seconds") << QStringLiteral("2:5") << 2 << QStringLiteral(":") << false << QStringLiteral("5");
        QTest::newRow("blanks around fields") << QStringLiteral(" a . b . c ") << 2 << dot << false
                                              << QStringLiteral("b");
        QTest::newRow("empty middle field") << QStringLiteral("a..c") << 2 << dot << false << QString();
        QTest::newRow("rest of text") << QStringLiteral("a,b,c,d,e") << 3 << QStringLiteral(",") << true
                                      << QStringLiteral("c,d,e");
        QTest::newRow("rest flag, field 2") << QStringLiteral("a,b,c,d") << 2 << QStringLiteral(",") << true
                                            << QStringLiteral("b");
        QTest::newRow("rest flag, beyond 3") << QStringLiteral("a,b,c,d") << 4 << QStringLiteral(",") << true
                                             << QString();
        QTest::newRow("without rest flag") << QStringLiteral("a,b,c,d") << 3 << QStringLiteral(",") << false
                                           << QStringLiteral("c");
        QTest::newRow("longer separator") << QStringLiteral("x -> y") << 2 << QStringLiteral("->") << false
                                          << QStringLiteral("y");
    }
    void delimitedFields()
    {
        QFETCH(QString, text);
        QFETCH(int, n);
        QFETCH(QString, separator);
        QFETCH(bool, rest);
        QFETCH(QString, expected);
        QCOMPARE(GetDelimitedField(text, n, separator, rest), expected);
    }

    void checkNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("checkRange");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("message");
        const QString notNumber = QStringLiteral("Date type is incorrect, only numbers!");
        const QString outside = QStringLiteral("Invalid number, scope is within 0-254");
        QTest::newRow("letters") << QStringLiteral("abc") << true << false << notNumber;
        QTest::newRow("minus one") << QStringLiteral("-1") << false << false << notNumber;
        QTest::newRow("empty") << QString() << false << false << notNumber;
        QTest::newRow("decimal point") << QStringLiteral("1.5") << false << false << notNumber;
        QTest::newRow("digits then letters") << QStringLiteral("12a") << false << false << notNumber;
        QTest::newRow("beyond 32 bits") << QStringLiteral("99999999999") << true << false << notNumber;
        QTest::newRow("hex") << QStringLiteral("0x10") << false << false << notNumber;
        QTest::newRow("zero") << QStringLiteral("0") << true << true << QString();
        QTest::newRow("top") << QStringLiteral("254") << true << true << QString();
        QTest::newRow("blanks around") << QStringLiteral(" 17 ") << true << true << QString();
        QTest::newRow("one above") << QStringLiteral("255") << true << false << outside;
        QTest::newRow("below") << QStringLiteral("-2") << true << false << outside;
        QTest::newRow("no range asked") << QStringLiteral("100000") << false << true << QString();
        QTest::newRow("negative without range") << QStringLiteral("-2") << false << true << QString();
    }
    void checkNumber()
    {
        QFETCH(QString, text);
        QFETCH(bool, checkRange);
        QFETCH(bool, accepted);
        QFETCH(QString, message);
        QString refusal;
        QCOMPARE(CheckNumber(text, checkRange, 0, 254, &refusal), accepted);
        QCOMPARE(refusal, message);
        // Not asked why, it decides the same.
        QCOMPARE(CheckNumber(text, checkRange, 0, 254), accepted);
    }

    void checkNumberNamesWideRanges()
    {
        QString refusal;
        QVERIFY(!CheckNumber(QStringLiteral("600001"), true, 0, 600000, &refusal));
        QCOMPARE(refusal, QStringLiteral("Invalid number, scope is within 0-600000"));
    }
};

QTEST_MAIN(TestTextOps)
#include "tst_textops.moc"
