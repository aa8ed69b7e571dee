#include "formlayout.h"
#include "scriptedmessages.h"
#include "textops.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

namespace {

// A window with one control of every kind a layout file knows, plus a few
// that take no part.
struct TestWindow {
    QWidget window;
    QLabel* lblTitle;
    QLabel* imgLogo;
    QPushButton* bitbtnSave;
    QRadioButton* rdobtnPlay;
    QCheckBox* chkSynDelay;
    QLineEdit* editSubNetID;
    QComboBox* cboType;
    QGroupBox* grpOptions;
    QCheckBox* chkInner;
    QFrame* panLeft;
    QWidget* wmp;
    QTreeWidget* lsvShow;
    QTableWidget* strgrd;
    QSpinBox* spnDelay;
    QTextEdit* memNotes; // not a listed kind

    TestWindow()
    {
        window.setObjectName("frmTest");
        window.resize(1024, 768);
        auto make = [this](auto* w, const char* name, QRect geometry) {
            w->setObjectName(name);
            w->setGeometry(geometry);
            return w;
        };
        lblTitle = make(new QLabel("Title", &window), "lblTitle", {10, 10, 80, 20});
        QPixmap picture(4, 4);
        picture.fill(Qt::red);
        imgLogo = make(new QLabel(&window), "imgLogo", {0, 0, 150, 61});
        imgLogo->setPixmap(picture);
        bitbtnSave = make(new QPushButton("Save", &window), "bitbtnSave", {1, 2, 3, 4});
        rdobtnPlay = make(new QRadioButton(&window), "rdobtnPlay", {5, 5, 50, 20});
        chkSynDelay = make(new QCheckBox(&window), "chkSynDelay", {5, 30, 50, 20});
        editSubNetID = make(new QLineEdit(&window), "editSubNetID", {5, 60, 50, 20});
        cboType = make(new QComboBox(&window), "cboType", {5, 90, 50, 20});
        cboType->setEditable(true);
        grpOptions = make(new QGroupBox(&window), "grpOptions", {300, 300, 200, 100});
        chkInner = make(new QCheckBox(grpOptions), "chkInner", {10, 20, 50, 20});
        panLeft = make(new QFrame(&window), "panLeft", {0, 100, 650, 600});
        wmp = make(new QWidget(panLeft), "wmp", {0, 0, 650, 600});
        lsvShow = make(new QTreeWidget(&window), "lsvShow", {660, 100, 300, 500});
        strgrd = make(new QTableWidget(3, 3, &window), "strgrd", {0, 700, 1000, 60});
        spnDelay = make(new QSpinBox(&window), "spnDelay", {900, 10, 60, 20});
        memNotes = make(new QTextEdit(&window), "memNotes", {700, 10, 100, 50});
    }
};

} // namespace

class TestFormLayout : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    QString layoutFile(const QString& window = "frmTest") const
    {
        return m_dir->filePath("FormsDesignPosition/" + window + ".ini");
    }
    void putLayout(const QByteArray& bytes, const QString& window = "frmTest")
    {
        QFile f(layoutFile(window));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QByteArray readLayout(const QString& window = "frmTest") const
    {
        QFile f(layoutFile(window));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QDir(m_dir->path()).mkpath("FormsDesignPosition");
        SetProgramFolder(m_dir->path());
    }
    void cleanup() { SetProgramFolder(QString()); }

    void controlKinds()
    {
        TestWindow t;
        QCOMPARE(LayoutClassOf(t.lblTitle), QStringLiteral("TLabel"));
        QCOMPARE(LayoutClassOf(t.imgLogo), QStringLiteral("TImage"));
        QCOMPARE(LayoutClassOf(t.bitbtnSave), QStringLiteral("TBitBtn"));
        QCOMPARE(LayoutClassOf(t.rdobtnPlay), QStringLiteral("TRadioButton"));
        QCOMPARE(LayoutClassOf(t.chkSynDelay), QStringLiteral("TCheckBox"));
        QCOMPARE(LayoutClassOf(t.editSubNetID), QStringLiteral("TEdit"));
        QCOMPARE(LayoutClassOf(t.spnDelay), QStringLiteral("TEdit"));
        QCOMPARE(LayoutClassOf(t.cboType), QStringLiteral("TComboBox"));
        QCOMPARE(LayoutClassOf(t.grpOptions), QStringLiteral("TGroupBox"));
        QCOMPARE(LayoutClassOf(t.panLeft), QStringLiteral("TPanel"));
        QCOMPARE(LayoutClassOf(t.wmp), QStringLiteral("TWindowsMediaPlayer"));
        QCOMPARE(LayoutClassOf(t.lsvShow), QStringLiteral("TListView"));
        QCOMPARE(LayoutClassOf(t.strgrd), QStringLiteral("TStringGrid"));
        QCOMPARE(LayoutClassOf(t.memNotes), QString());
        QToolButton tool;
        tool.setObjectName("bitbtnTool");
        QCOMPARE(LayoutClassOf(&tool), QStringLiteral("TBitBtn"));
        QLabel unnamed;
        QCOMPARE(LayoutClassOf(&unnamed), QString());
        QWidget tagged;
        tagged.setObjectName("shpBar");
        tagged.setProperty("layoutClass", "TShape");
        QCOMPARE(LayoutClassOf(&tagged), QStringLiteral("TShape"));
    }

    void scalesWindowAndControlsToTheScreen()
    {
        TestWindow t;
        putLayout("FormName=frmTest\n[Form]\nWidth=1024\nHeight=768\n"
                  "[bitbtnSave]\nleft=100\ntop=96\nwidth=75\nheight=25\nclassname=TBitBtn\n\n"
                  "[RDOBTNPLAY]\nleft=2\ntop=0\nwidth=6\nheight=30\n\n"
                  "[lblTitle]\nleft=40\ntop=12\nwidth=500\nheight=500\n\n"
                  "[editSubNetID]\nleft=8\ntop=8\nwidth=80\nheight=21\n\n"
                  "[chkInner]\nleft=16\ntop=24\nwidth=100\nheight=18\n\n"
                  "[imgLogo]\nleft=0\ntop=0\nwidth=150\nheight=61\n\n");
        const QString buttonFamily = t.bitbtnSave->font().family();
        ApplyFormLayout(&t.window, QSize(1280, 1024));
        QCOMPARE(t.window.size(), QSize(1280, 1024));
        QCOMPARE(t.bitbtnSave->geometry(), QRect(125, 128, 94, 33));
        // 2 x 1.25 = 2.5 and 6 x 1.25 = 7.5: halves go to the even neighbour.
        QCOMPARE(t.rdobtnPlay->geometry(), QRect(2, 0, 8, 40));
        // Controls inside a group box are laid out too.
        QCOMPARE(t.chkInner->geometry(), QRect(20, 32, 125, 24));
        // A label is only moved; it keeps its own size.
        QCOMPARE(t.lblTitle->geometry(), QRect(50, 16, 80, 20));
        QCOMPARE(t.lblTitle->font().family(), QStringLiteral("Arial"));
        QCOMPARE(t.editSubNetID->font().family(), QStringLiteral("Arial"));
        QCOMPARE(t.bitbtnSave->font().family(), buttonFamily); // buttons keep their font
        QVERIFY(t.imgLogo->hasScaledContents());
        QCOMPARE(t.imgLogo->geometry(), QRect(0, 0, 188, 81));

        // Listed controls without a section go to 0,0 with no size; other
        // widgets are left as designed.
        QCOMPARE(t.cboType->geometry(), QRect(0, 0, 0, 0));
        QCOMPARE(t.strgrd->geometry(), QRect(0, 0, 0, 0));
        QCOMPARE(t.wmp->geometry(), QRect(0, 0, 0, 0));
        QCOMPARE(t.memNotes->geometry(), QRect(700, 10, 100, 50));
    }

    void labelWithoutSectionIsOnlyMoved()
    {
        // A label missing from the file goes to the corner like every other
        // listed control, but must not shrink to nothing and vanish.
        TestWindow t;
        putLayout("[Form]\nWidth=1024\nHeight=768\n");
        ApplyFormLayout(&t.window, QSize(1280, 1024));
        QCOMPARE(t.lblTitle->geometry(), QRect(0, 0, 80, 20));
        QCOMPARE(t.bitbtnSave->geometry(), QRect(0, 0, 0, 0));
    }

    void formSizeDefaultsToTheDesignResolution()
    {
        TestWindow t;
        t.window.resize(300, 200);
        putLayout("[Other]\nx=1\n");
        ApplyFormLayout(&t.window, QSize(2048, 1536));
        QCOMPARE(t.window.size(), QSize(2048, 1536));
    }

    void missingFileLeavesTheWindowAsDesigned()
    {
        TestWindow t;
        t.window.resize(500, 400);
        ApplyFormLayout(&t.window, QSize(1280, 1024));
        QCOMPARE(t.window.size(), QSize(500, 400));
        QCOMPARE(t.bitbtnSave->geometry(), QRect(1, 2, 3, 4));
        QVERIFY(!t.imgLogo->hasScaledContents());
    }

    void unreadableValueStopsKeepingWhatWasApplied()
    {
        TestWindow t;
        // lblTitle comes before bitbtnSave, cboType after it.
        putLayout("[Form]\nWidth=800\nHeight=600\n"
                  "[lblTitle]\nleft=30\ntop=30\n"
                  "[bitbtnSave]\nleft=abc\ntop=1\nwidth=1\nheight=1\n"
                  "[cboType]\nleft=7\ntop=7\nwidth=7\nheight=7\n");
        ApplyFormLayout(&t.window, QSize(1024, 768));
        QCOMPARE(t.window.size(), QSize(800, 600));
        QCOMPARE(t.lblTitle->pos(), QPoint(30, 30));
        QCOMPARE(t.bitbtnSave->geometry(), QRect(1, 2, 3, 4));
        QCOMPARE(t.cboType->geometry(), QRect(5, 90, 50, 20));

        TestWindow u;
        u.window.resize(10, 10);
        putLayout("[Form]\nWidth=\nHeight=600\n");
        ApplyFormLayout(&u.window, QSize(1024, 768));
        QCOMPARE(u.window.size(), QSize(10, 10));
    }

    void savedLayoutListsTheControlsInOrder()
    {
        QWidget window;
        window.setObjectName("frmSmall");
        window.resize(400, 300);
        auto* label = new QLabel("x", &window);
        label->setObjectName("lblA");
        label->setGeometry(1, 2, 30, 40);
        auto* group = new QGroupBox(&window);
        group->setObjectName("grpB");
        group->setGeometry(10, 20, 100, 80);
        auto* inner = new QLineEdit(group);
        inner->setObjectName("editC");
        inner->setGeometry(5, 6, 7, 8);
        auto* spin = new QSpinBox(&window); // its inner editor is not a control of the window
        spin->setObjectName("spnD");
        spin->setGeometry(0, 0, 60, 20);
        new QTextEdit(&window);

        ScriptedMessages messages;
        QVERIFY(SaveFormLayouts({&window}, messages));
        QCOMPARE(readLayout("frmSmall"), QByteArray("FormName=frmSmall\n[Form]\nWidth=400\nHeight=300\n"
                                                    "[lblA]\nleft=1\ntop=2\nwidth=30\nheight=40\nclassname=TLabel\n\n"
                                                    "[grpB]\nleft=10\ntop=20\nwidth=100\nheight=80\nclassname=TGroupBox\n\n"
                                                    "[editC]\nleft=5\ntop=6\nwidth=7\nheight=8\nclassname=TEdit\n\n"
                                                    "[spnD]\nleft=0\ntop=0\nwidth=60\nheight=20\nclassname=TEdit\n\n"));
    }

    void saveThenApplyAtDesignSizeRoundTrips()
    {
        TestWindow saved;
        putLayout("stale contents\n");
        ScriptedMessages messages;
        QVERIFY(SaveFormLayouts({&saved.window}, messages));
        QCOMPARE(QDir(m_dir->filePath("FormsDesignPosition")).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"frmTest.ini"});

        TestWindow applied;
        for (QWidget* w : applied.window.findChildren<QWidget*>())
            w->setGeometry(0, 0, 1, 1);
        applied.window.resize(10, 10);
        ApplyFormLayout(&applied.window, QSize(1024, 768));
        QCOMPARE(applied.window.size(), saved.window.size());
        QCOMPARE(applied.bitbtnSave->geometry(), saved.bitbtnSave->geometry());
        QCOMPARE(applied.chkInner->geometry(), saved.chkInner->geometry());
        QCOMPARE(applied.wmp->geometry(), saved.wmp->geometry());
        QCOMPARE(applied.strgrd->geometry(), saved.strgrd->geometry());
        QCOMPARE(applied.lblTitle->pos(), saved.lblTitle->pos());
    }

    void saveIntoMissingFolderReportsTheFailure()
    {
        ScriptedMessages messages;
        QDir(m_dir->filePath("FormsDesignPosition")).removeRecursively();
        TestWindow t;
        QVERIFY(!SaveFormLayouts({&t.window}, messages));
        QCOMPARE(messages.shown.size(), 1);
        QCOMPARE(messages.shown[0].kind, ScriptedMessages::Shown::Error);
        QVERIFY2(messages.shown[0].text.contains("frmTest.ini"), qPrintable(messages.shown[0].text));
        QVERIFY(!QFile::exists(layoutFile()));
    }

    void textThatDoesNotFitGetsRoom()
    {
        QWidget window;
        window.resize(200, 100);
        auto* caption = new QLabel(QStringLiteral("A caption far too long for its box"), &window);
        caption->setGeometry(10, 10, 40, 20);
        auto* field = new QLineEdit(&window);
        field->setGeometry(60, 10, 100, 20);
        auto* below = new QLineEdit(&window);
        below->setGeometry(10, 40, 100, 20);
        auto* hidden = new QPushButton(QStringLiteral("Laid out to nothing"), &window);
        hidden->setGeometry(0, 0, 0, 0);
        FitControlsToText(&window);

        QVERIFY(caption->width() >= caption->sizeHint().width());
        QCOMPARE(caption->pos(), QPoint(10, 10));
        // The field beside it moves aside, keeping its gap; the one below stays.
        QCOMPARE(field->x(), caption->geometry().right() + 11);
        QCOMPARE(below->pos(), QPoint(10, 40));
        QVERIFY(window.width() > field->geometry().right());
        QCOMPARE(hidden->size(), QSize(0, 0));

        // A caption aligned right grows to the left.
        QWidget other;
        other.resize(400, 100);
        auto* right = new QLabel(QStringLiteral("Another caption, aligned right"), &other);
        right->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        right->setGeometry(300, 10, 40, 20);
        FitControlsToText(&other);
        QCOMPARE(right->geometry().right(), 339);
        QVERIFY(right->width() >= right->sizeHint().width());
    }
};

QTEST_MAIN(TestFormLayout)
#include "tst_formlayout.moc"
