#include "about.h"
#include "formlayout.h"
#include "programfolder.h"

#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QUrl>

namespace {
// The box's web address opens nowhere in a test.
bool openNowhere(const QUrl&)
{
    return false;
}
} // namespace

class TestAbout : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void texts()
    {
        AboutBox about(&openNowhere);
        QCOMPARE(about.windowTitle(), QStringLiteral("About"));
        QCOMPARE(about.size(), QSize(398, 332));
        auto text = [&about](const char* name) {
            auto* label = about.findChild<QLabel*>(QString::fromLatin1(name));
            return label ? label->text() : QStringLiteral("<missing %1>").arg(QLatin1String(name));
        };
        QCOMPARE(text("lblAppName"), QStringLiteral("Tavolan"));
        QCOMPARE(text("lblVersion"), QStringLiteral("V1.4"));
        QCOMPARE(text("lblBuildDate"), QStringLiteral("Build June 06,2012"));
        QCOMPARE(text("Label1"), QStringLiteral("Version:"));
        QCOMPARE(text("Label3"), QStringLiteral("Website:"));
        QCOMPARE(text("Label5"), QStringLiteral("Contact:"));
        QVERIFY(!text("Label6").isEmpty());
        auto* credits = about.findChild<QLabel*>(QStringLiteral("Label2"));
        QVERIFY(credits->wordWrap());
        // The credits line fits its two-line box rather than being cut off.
        QVERIFY2(credits->heightForWidth(credits->width()) <= credits->height(),
                 qPrintable(QString::number(credits->heightForWidth(credits->width()))));
        QCOMPARE(about.findChild<QLabel*>(QStringLiteral("imgLogo"))->pixmap().size(), QSize(150, 61));
        QCOMPARE(about.findChild<QLabel*>(QStringLiteral("Image1"))->pixmap().size(), QSize(245, 61));
    }

    void layoutFileScalesTheBoxToTheScreen()
    {
        TestProgramFolder folder;
        QVERIFY(folder.isValid());
        QFile layout(folder.path(QStringLiteral("FormsDesignPosition/frmAbout.ini")));
        QVERIFY(layout.open(QIODevice::WriteOnly | QIODevice::Truncate));
        layout.write("FormName=frmAbout\n[Form]\nWidth=512\nHeight=384\n");
        layout.close();

        const QSize screen = QGuiApplication::primaryScreen()->size();
        const QSize expected(RoundHalfToEven(512 * screen.width() / 1024.0),
                             RoundHalfToEven(384 * screen.height() / 768.0));
        AboutBox about(&openNowhere);
        QCOMPARE(about.size(), expected);
        // Still a box of fixed size.
        QCOMPARE(about.minimumSize(), expected);
        QCOMPARE(about.maximumSize(), expected);
    }

    void webAddressOpensAndTurnsVisited()
    {
        QList<QUrl> opened;
        AboutBox about([&opened](const QUrl& url) {
            opened << url;
            return true;
        });
        about.show();
        const QColor before = about.Label4->palette().color(QPalette::WindowText);
        QCOMPARE(before, QColor(Qt::blue));

        QTest::mouseClick(about.Label4, Qt::LeftButton);
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened.first(), QUrl::fromUserInput(about.Label4->text()));
        QVERIFY(opened.first().scheme().startsWith(QLatin1String("http")));
        QCOMPARE(about.Label4->palette().color(QPalette::WindowText), QColor(128, 64, 0));

        // A right click is no visit.
        QTest::mouseClick(about.Label4, Qt::RightButton);
        QCOMPARE(opened.size(), 1);
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
