#include "playsetupwindow.h"

#include "commandlistview.h"
#include "formlayout.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTreeWidget>

namespace {

struct Column {
    const char* caption;
    float share; // of a tenth of the list's width
};

constexpr Column Columns[] = {
    {"CMD ID", 0.6f},           {"Sequence ID", 0.9f},     {"Remark", 0.8f},
    {"Subnet ID", 0.8f},        {"Device ID", 0.7f},       {"Type", 2.0f},
    {"First Parameter", 1.1f},  {"Second parameter", 1.3f}, {"Third parameter", 1.8f},
    {"Delay(millisecond)", 1.5f},
};

template <typename Widget>
Widget* placed(Widget* widget, const char* name, int x, int y, int w, int h)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(x, y, w, h);
    return widget;
}

} // namespace

TfrmPlaySetup::TfrmPlaySetup(CommandSequencer& sequencer, CommandListOperations::Dialogs dialogs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_logic(sequencer, std::move(dialogs), this)
{
    buildWindow();
    // The layout file may scale the window to the screen; only then is its
    // size fixed, or the scaling would be refused.
    ApplyFormLayout(this);
    setFixedSize(size());
    createColumns();

    BindCommandList(lsvCommands, m_logic.commands(), bitbtnCopySelectedCMD);
    auto render = m_logic.commands().changed;
    m_logic.commands().changed = [this, render] {
        if (render)
            render();
        showTotal();
    };
    m_logic.busyChanged = [this](bool busy) {
        if (busy == m_busyCursor)
            return;
        m_busyCursor = busy;
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    };
    m_logic.commands().registerAsOpenList();

    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    rdobtnPlay->setChecked(true);
    modeClicked(CommandsForPlaySet);
}

TfrmPlaySetup::~TfrmPlaySetup()
{
    m_logic.commands().unregisterAsOpenList();
    m_logic.commands().changed = nullptr;
    if (m_busyCursor)
        QApplication::restoreOverrideCursor();
    m_busyCursor = false;
    m_logic.busyChanged = nullptr;
}

QList<int> TfrmPlaySetup::ColumnWidths(int listWidth)
{
    const float u = float(listWidth) * 0.1f;
    QList<int> widths;
    for (const Column& c : Columns)
        widths << RoundHalfToEven(double(c.share * u));
    return widths;
}

void TfrmPlaySetup::buildWindow()
{
    setObjectName(QStringLiteral("frmPlaySetup"));
    setWindowTitle(QStringLiteral("Play/Pause/Stop Settings"));
    resize(994, 624);

    placed(new QLabel(QStringLiteral("Select mode"), this), "Label1", 16, 16, 90, 22);
    rdobtnPlay = placed(new QRadioButton(QStringLiteral("Play"), this), "rdobtnPlay", 110, 14, 80, 26);
    rdobtnPause = placed(new QRadioButton(QStringLiteral("Pause"), this), "rdobtnPause", 200, 14, 80, 26);
    rdobtnStop = placed(new QRadioButton(QStringLiteral("Stop"), this), "rdobtnStop", 290, 14, 80, 26);
    chkOnsiteOutput = placed(new QCheckBox(QStringLiteral("On-site Preview Current Mode"), this), "chkOnsiteOutput",
                             420, 12, 230, 30);
    chkOnsiteOutput->setStyleSheet(QStringLiteral("QCheckBox { background-color: rgb(0, 255, 0); padding-left: 4px; }"));

    grpCommands = placed(new QGroupBox(QStringLiteral("Commands for Current Mode"), this), "grpCommands", 8, 52,
                         978, 564);
    placed(new QLabel(QStringLiteral("Total:"), grpCommands), "Label2", 12, 28, 40, 24);
    lblTotalCMD = placed(new QLabel(grpCommands), "lblTotalCMD", 54, 28, 60, 24);

    struct ButtonSpec {
        QPushButton** button;
        const char* name;
        const char* caption;
    };
    const ButtonSpec buttons[] = {
        {&bitbtnSelectAll, "bitbtnSelectAll", "Check All"},
        {&bitbtnDeselectAll, "bitbtnDeselectAll", "Uncheck All"},
        {&bitbtnCopySelectedCMD, "bitbtnCopySelectedCMD", "Copy checked CMD"},
        {&bitbtnPasteCMD, "bitbtnPasteCMD", "Paste CMD"},
        {&bitbtnAddCMD, "bitbtnAddCMD", "Add CMD..."},
        {&bitbtnModifyCommand, "bitbtnModifyCommand", "Edit Checked CMD..."},
        {&bitbtnDeleteCommand, "bitbtnDeleteCommand", "Delete..."},
    };
    // Each button as wide as its caption needs, at least 100 pixels.
    int x = 120;
    for (const ButtonSpec& b : buttons) {
        auto* button = new QPushButton(QString::fromLatin1(b.caption), grpCommands);
        const int width = qMax(100, button->sizeHint().width() + 8);
        *b.button = placed(button, b.name, x, 24, width, 30);
        button->setAutoDefault(false);
        x += width + 6;
    }

    lsvCommands = placed(new QTreeWidget(grpCommands), "lsvCommands", 12, 64, 954, 488);
    lsvCommands->setRootIsDecorated(false);
    lsvCommands->setSelectionBehavior(QAbstractItemView::SelectRows);
    lsvCommands->setSelectionMode(QAbstractItemView::SingleSelection);
    lsvCommands->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lsvCommands->setAllColumnsShowFocus(true);
    QPalette selection = lsvCommands->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        selection.setColor(group, QPalette::Highlight, QColor(159, 215, 181));
        selection.setColor(group, QPalette::HighlightedText, Qt::black);
    }
    lsvCommands->setPalette(selection);

    CommandListOperations& ops = m_logic.commands();
    connect(rdobtnPlay, &QRadioButton::clicked, this, [this] { modeClicked(CommandsForPlaySet); });
    connect(rdobtnPause, &QRadioButton::clicked, this, [this] { modeClicked(CommandsForPauseSet); });
    connect(rdobtnStop, &QRadioButton::clicked, this, [this] { modeClicked(CommandsForStopSet); });
    connect(chkOnsiteOutput, &QCheckBox::clicked, this, [this](bool checked) { m_logic.previewClicked(checked); });
    connect(bitbtnSelectAll, &QPushButton::clicked, this, [&ops] { ops.checkAll(); });
    connect(bitbtnDeselectAll, &QPushButton::clicked, this, [&ops] { ops.uncheckAll(); });
    connect(bitbtnCopySelectedCMD, &QPushButton::clicked, this, [&ops] { ops.copyChecked(); });
    connect(bitbtnPasteCMD, &QPushButton::clicked, this, [&ops] { ops.paste(); });
    connect(bitbtnAddCMD, &QPushButton::clicked, this, [&ops] { ops.add(); });
    connect(bitbtnModifyCommand, &QPushButton::clicked, this, [&ops] { ops.editChecked(); });
    connect(bitbtnDeleteCommand, &QPushButton::clicked, this, [&ops] { ops.deleteChecked(); });
    connect(lsvCommands, &QTreeWidget::itemDoubleClicked, this, [&ops] { ops.editChecked(); });

    popmenuCMD = new QMenu(this);
    popmenuCMD->setObjectName(QStringLiteral("popmenuCMD"));
    popmenuCMD->addAction(QStringLiteral("Check All"), bitbtnSelectAll, &QPushButton::click);
    popmenuCMD->addAction(QStringLiteral("Uncheck All"), bitbtnDeselectAll, &QPushButton::click);
    popmenuCMD->addSeparator();
    popmenuCMD->addAction(QStringLiteral("Copy Checked CMD"), bitbtnCopySelectedCMD, &QPushButton::click);
    popmenuCMD->addAction(QStringLiteral("Paste CMD"), bitbtnPasteCMD, &QPushButton::click);
    popmenuCMD->addSeparator();
    popmenuCMD->addAction(QStringLiteral("Add CMD..."), bitbtnAddCMD, &QPushButton::click);
    popmenuCMD->addAction(QStringLiteral("Edit Checked CMD..."), bitbtnModifyCommand, &QPushButton::click);
    popmenuCMD->addAction(QStringLiteral("Delete Checked CMD"), bitbtnDeleteCommand, &QPushButton::click);
    lsvCommands->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lsvCommands, &QTreeWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { popmenuCMD->popup(lsvCommands->viewport()->mapToGlobal(pos)); });
}

void TfrmPlaySetup::createColumns()
{
    lsvCommands->clear();
    QStringList captions;
    for (const Column& c : Columns)
        captions << QString::fromLatin1(c.caption);
    lsvCommands->setColumnCount(int(captions.size()));
    lsvCommands->setHeaderLabels(captions);
    const QList<int> widths = ColumnWidths(lsvCommands->width());
    for (int i = 0; i < widths.size(); ++i)
        lsvCommands->header()->resizeSection(i, widths[i]);
}

void TfrmPlaySetup::modeClicked(int mode)
{
    m_logic.chooseMode(mode);
    showTotal();
}

void TfrmPlaySetup::showTotal()
{
    lblTotalCMD->setText(m_logic.totalText());
}
