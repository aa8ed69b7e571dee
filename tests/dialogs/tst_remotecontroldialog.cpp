#include "inifile.h"
#include "remotecontroldialog.h"
#include "scriptedmessages.h"
#include "systeminifixture.h"
#include "settingsfiles.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

// [Remote] of System.ini as the "Remote Control" dialog shows, checks and
// saves it.
class TestRemoteControlDialog : public QObject, protected SystemIniFixture {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        openSystemIni();
        writeIni("[Port]\nPort=6000\n");
    }

    void refusedFormsWriteNothing_data()
    {
        QTest::addColumn<QStringList>("form"); // http port, osc port, bind, token
        QTest::newRow("http port 0") << QStringList{"0", "15081", "127.0.0.1", ""};
        QTest::newRow("http port text") << QStringList{"web", "15081", "127.0.0.1", ""};
        QTest::newRow("osc port too big") << QStringList{"15080", "70000", "127.0.0.1", ""};
        QTest::newRow("same ports") << QStringList{"15080", "15080", "127.0.0.1", ""};
        QTest::newRow("bind a name") << QStringList{"15080", "15081", "localhost", ""};
        QTest::newRow("token with a blank") << QStringList{"15080", "15081", "127.0.0.1", "two words"};
    }

    void refusedFormsWriteNothing()
    {
        QFETCH(QStringList, form);
        const QByteArray before = [this] {
            QFile f(iniPath());
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        QVERIFY(!SaveRemoteSettingsForm(*messages, settings, {true, form[0], form[1], form[2], form[3]}));
        QCOMPARE(messages->shown.size(), 1);
        QFile f(iniPath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
    }

    void pageAddress()
    {
        RemoteSettings s;
        QCOMPARE(RemotePageAddress(s), QStringLiteral("http://127.0.0.1:15080/"));
        s.bind = QStringLiteral("0.0.0.0");
        s.httpPort = 8080;
        QCOMPARE(RemotePageAddress(s, QStringLiteral("10.0.0.5")), QStringLiteral("http://10.0.0.5:8080/"));
        s.bind = QStringLiteral("::1");
        QCOMPARE(RemotePageAddress(s), QStringLiteral("http://[::1]:8080/"));
    }

    void dialogShowsAndSaves()
    {
        writeIni("[Port]\nPort=6000\n[Remote]\nEnabled=1\nHttpPort=18080\nOscPort=0\nBind=127.0.0.1\nToken=abc\n");
        RemoteControlDialog dialog(*messages, settings);
        QCOMPARE(dialog.objectName(), QStringLiteral("frmRemoteControl"));
        QVERIFY(dialog.chkEnabled->isChecked());
        QCOMPARE(dialog.editHttpPort->text(), QStringLiteral("18080"));
        QCOMPARE(dialog.editOscPort->text(), QStringLiteral("0"));
        QCOMPARE(dialog.editToken->text(), QStringLiteral("abc"));
        QCOMPARE(dialog.lblAddress->text(), QStringLiteral("http://127.0.0.1:18080/"));

        dialog.editBind->setText(QStringLiteral("not an address"));
        dialog.bitbtnSave->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(messages->shown.size(), 1);

        dialog.editBind->setText(QStringLiteral("0.0.0.0"));
        dialog.editHttpPort->setText(QStringLiteral("18090"));
        QCOMPARE(dialog.lblAddress->text(), QStringLiteral("http://0.0.0.0:18090/"));
        dialog.chkEnabled->setChecked(false);
        dialog.bitbtnSave->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        RemoteSettings expected;
        expected.enabled = false;
        expected.httpPort = 18090;
        expected.oscPort = 0;
        expected.bind = QStringLiteral("0.0.0.0");
        expected.token = QStringLiteral("abc");
        QCOMPARE(ReadRemoteSettings(IniFile(iniPath())), expected);
        QCOMPARE(IniFile(iniPath()).read(QStringLiteral("Port"), QStringLiteral("Port")), QStringLiteral("6000"));
    }
};

QTEST_MAIN(TestRemoteControlDialog)
#include "tst_remotecontroldialog.moc"
