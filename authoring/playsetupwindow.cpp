#include "playsetupwindow.h"

#include "commandlistview.h"
#include "commandlistwidget.h"
#include "formlayout.h"
#include "placedwidgets.h"
#include "undoactions.h"

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

namespace {

constexpr const char* ColumnCaptions[] = {
    "CMD ID",          "Sequence ID",      "Remark",          "Subnet ID",          "Device ID",
    "Type",            "First Parameter",  "Second parameter", "Third parameter", "Delay(millisecond)",
};

// How the list's width is shared among its columns.
const QList<double> ColumnShares{0.6, 0.9, 0.8, 0.8, 0.7, 2.0, 1.1, 1.3, 1.8, 1.5};

template <typename Widget>
Widget* placed(Widget* widget, const char* name, int x, int y, int w, int h)
{
    return Placed(widget, name, QRect(x, y, w, h));
}

} // namespace

PlaySettingsWindow::PlaySettingsWindow(CommandSequencer& sequencer, MessagePresenter& messages,
                                       const SettingsFiles& files, const LookupLists& lookups,
                                       CommandClipboard& clipboard, CommandListOperations::Dialogs dialogs,
                                       QWidget* parent)
    : QDialog(parent, FixedDialogFlags)
    , m_logic(sequencer, messages, files, lookups, clipboard, std::move(dialogs), this)
{
    buildWindow();
    ApplyFixedFormLayout(this);
    createColumns();

    BindCommandList(lsvCommands, m_logic.commands(), bitbtnCopySelectedCMD);
    FollowCommandList(m_logic.commands(), [this] { showTotal(); });
    m_logic.busyChanged = [this](bool busy) { m_busyCursor.set(busy); };

    CentreOnScreen(this, parent);

    rdobtnPlay->setChecked(true);
    modeClicked(CommandsForPlaySet);
}

PlaySettingsWindow::~PlaySettingsWindow()
{
    m_logic.commands().changed = nullptr;
    m_busyCursor.set(false);
    m_logic.busyChanged = nullptr;
}

QList<int> PlaySettingsWindow::ColumnWidths(int listWidth)
{
    return SharedWidths(listWidth, ColumnShares);
}

void PlaySettingsWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void PlaySettingsWindow::buildWindow()
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
    StyleCommandList(lsvCommands);

    connect(rdobtnPlay, &QRadioButton::clicked, this, [this] { modeClicked(CommandsForPlaySet); });
    connect(rdobtnPause, &QRadioButton::clicked, this, [this] { modeClicked(CommandsForPauseSet); });
    connect(rdobtnStop, &QRadioButton::clicked, this, [this] { modeClicked(CommandsForStopSet); });
    connect(chkOnsiteOutput, &QCheckBox::clicked, this, [this](bool checked) { m_logic.previewClicked(checked); });
    popmenuCMD = WireCommandPane(lsvCommands, m_logic.commands(),
                                 {bitbtnSelectAll, bitbtnDeselectAll, bitbtnCopySelectedCMD, bitbtnPasteCMD,
                                  bitbtnAddCMD, bitbtnModifyCommand, bitbtnDeleteCommand},
                                 this);
    popmenuCMD->addSeparator();
    connect(popmenuCMD->addAction(QStringLiteral("Export Set...")), &QAction::triggered, this,
            [this] { m_logic.exportSet(); });
    connect(popmenuCMD->addAction(QStringLiteral("Import Set...")), &QAction::triggered, this, [this] {
        m_logic.importSet();
        showTotal();
    });
    const auto afterStep = [this](bool done) {
        if (done)
            showTotal();
    };
    m_undo = new UndoActions(this, [this, afterStep] { afterStep(m_logic.undo()); },
                             [this, afterStep] { afterStep(m_logic.redo()); });
    m_undo->addTo(popmenuCMD);
}

void PlaySettingsWindow::setHistory(UndoHistory* history)
{
    m_logic.commands().setHistory(history);
    m_undo->setHistory(history);
}

void PlaySettingsWindow::createColumns()
{
    lsvCommands->clear();
    QStringList captions;
    for (const char* caption : ColumnCaptions)
        captions << QString::fromLatin1(caption);
    lsvCommands->setColumnCount(int(captions.size()));
    lsvCommands->setHeaderLabels(captions);
    FitColumns(lsvCommands, ColumnShares);
}

void PlaySettingsWindow::modeClicked(int mode)
{
    m_logic.chooseMode(mode);
    showTotal();
}

void PlaySettingsWindow::showTotal()
{
    lblTotalCMD->setText(m_logic.totalText());
}
