#include "filechooser.h"
#include "scriptedfilechooser.h"

#include <QtTest>

// The open-file dialogs go through the installed chooser, so a window's
// "Browse..." can be driven by a test.
class TestFileChooser : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void installedChooserAnswersUntilRemoved()
    {
        {
            ScriptedFileChooser chooser;
            chooser.answerNext(QStringLiteral("/media/finale.avi"));
            QCOMPARE(ChooseFileToOpen(nullptr, QStringLiteral("Open"), QStringLiteral("Media (*.avi)"),
                                      QStringLiteral("/media")),
                     QStringLiteral("/media/finale.avi"));
            QCOMPARE(ChooseFileToOpen(nullptr, QStringLiteral("Open"), QString()), QString()); // a cancel
            QCOMPARE(chooser.asked.size(), 2);
            QCOMPARE(chooser.asked[0].filter, QStringLiteral("Media (*.avi)"));
            QCOMPARE(chooser.asked[0].startDir, QStringLiteral("/media"));
        }
        QVERIFY(dynamic_cast<QtFileChooser*>(&CurrentFileChooser()));
    }
};

QTEST_MAIN(TestFileChooser)
#include "tst_filechooser.moc"
