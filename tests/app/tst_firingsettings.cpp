#include "firingsettings.h"
#include "inifile.h"
#include "scriptedmessages.h"
#include "systeminifixture.h"
#include "settingsfiles.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

// The firing settings in System.ini and the dialog that edits them.
class TestFiringSettings : public QObject, protected SystemIniFixture {
    Q_OBJECT

private Q_SLOTS:
    void init() { openSystemIni(); }
    void cleanup() { closeSystemIni(); }

    void reading_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("offset");
        QTest::newRow("absent") << QByteArray("[Port]\nPort=6000\n") << int(FiringSettings::Tick) << 0;
        QTest::newRow("precise") << QByteArray("[firing]\nmode= PRECISE \noffsetms=-150\n")
                                 << int(FiringSettings::Precise) << -150;
        QTest::newRow("unknown mode, bad offset") << QByteArray("[Firing]\nMode=fast\nOffsetMS=1.5\n")
                                                  << int(FiringSettings::Tick) << 0;
        QTest::newRow("offset held at the range") << QByteArray("[Firing]\nMode=precise\nOffsetMS=9000\n")
                                                  << int(FiringSettings::Precise) << 2000;
        QTest::newRow("offset beyond 32 bits") << QByteArray("[Firing]\nOffsetMS=99999999999\n")
                                               << int(FiringSettings::Tick) << 2000;
        QTest::newRow("negative beyond 32 bits") << QByteArray("[Firing]\nOffsetMS=-99999999999\n")
                                                 << int(FiringSettings::Tick) << -2000;
    }
    void reading()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, mode);
        QFETCH(int, offset);
        writeIni(body);
        const FiringSettings s = ReadFiringSettings(*settings.SystemIni);
        QCOMPARE(int(s.mode), mode);
        QCOMPARE(s.offsetMS, offset);
    }

    void savingChecksTheOffset_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("saved");
        QTest::newRow("lowest") << QStringLiteral("-2000") << true;
        QTest::newRow("highest") << QStringLiteral(" 2000 ") << true;
        QTest::newRow("below") << QStringLiteral("-2001") << false;
        QTest::newRow("above") << QStringLiteral("2001") << false;
        QTest::newRow("not a number") << QStringLiteral("12ms") << false;
        QTest::newRow("empty") << QString() << false;
    }
    void savingChecksTheOffset()
    {
        QFETCH(QString, typed);
        QFETCH(bool, saved);
        writeIni("[Firing]\nMode=tick\nOffsetMS=40\n");
        FiringSettings written;
        QCOMPARE(SaveFiringSettings(*messages, settings, true, typed, &written), saved);
        const FiringSettings stored = ReadFiringSettings(IniFile(iniPath()));
        if (saved) {
            QVERIFY(messages->shown.isEmpty());
            QCOMPARE(stored, (FiringSettings{FiringSettings::Precise, typed.trimmed().toInt()}));
            QCOMPARE(written, stored);
        } else {
            // The operator is told why and the file keeps what it held.
            QCOMPARE(messages->shown.size(), 1);
            QVERIFY(messages->shown.first().text.contains(QStringLiteral("offset")));
            QCOMPARE(stored, (FiringSettings{FiringSettings::Tick, 40}));
        }
    }

    void dialogShowsAndSaves()
    {
        writeIni("[Firing]\nMode=precise\nOffsetMS=250\n");
        FiringSettingsDialog dialog(*messages, settings);
        QVERIFY(dialog.rdobtnPrecise->isChecked());
        QCOMPARE(dialog.editOffset->text(), QStringLiteral("250"));

        // Out of range: told, still open, nothing written.
        dialog.rdobtnTick->setChecked(true);
        dialog.editOffset->setText(QStringLiteral("2500"));
        dialog.bitbtnSave->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(messages->shown.size(), 1);
        QCOMPARE(ReadFiringSettings(IniFile(iniPath())), (FiringSettings{FiringSettings::Precise, 250}));

        dialog.editOffset->setText(QStringLiteral("-300"));
        dialog.bitbtnSave->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(ReadFiringSettings(IniFile(iniPath())), (FiringSettings{FiringSettings::Tick, -300}));
    }
};

QTEST_MAIN(TestFiringSettings)
#include "tst_firingsettings.moc"
