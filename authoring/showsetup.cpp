#include "showsetup.h"

#include "commandlistview.h"
#include "commandlistwidget.h"
#include "formlayout.h"
#include "qtmediaplayer.h"
#include "undoactions.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QTreeWidget* MakeList(QWidget* parent, const char* name, const QColor& background, const QStringList& headings)
{
    auto* list = new QTreeWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    list->setHeaderLabels(headings);
    QPalette palette = list->palette();
    palette.setColor(QPalette::Base, background);
    // The selection stays as visible when the list loses focus.
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    list->setPalette(palette);
    list->setAutoFillBackground(true);
    return list;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text = QString())
{
    auto* label = new QLabel(text, parent);
    if (name)
        label->setObjectName(QString::fromLatin1(name));
    return label;
}

int RowOf(const QTreeWidget* list, QTreeWidgetItem* item)
{
    return item ? list->indexOfTopLevelItem(item) : -1;
}

} // namespace

ShowSettingsWindow::ShowSettingsWindow(QWidget* parent, CommandSequencer& sequencer, MessagePresenter& messages,
                                       const SettingsFiles& settings, const LookupLists& lookups,
                                       CommandClipboard& clipboard, ShowSetupLogic::Dialogs dialogs,
                                       MediaPlayer* player)
    : QDialog(parent), m_player(player ? player : new QtMediaPlayer)
{
    setObjectName(QStringLiteral("frmShowSetup"));
    setWindowTitle(QStringLiteral("Show Settings"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFont(QFont(QStringLiteral("Arial"), font().pointSize()));
    m_player->setVolume(50);
    m_logic = std::make_unique<ShowSetupLogic>(*m_player, sequencer, messages, settings, lookups, clipboard,
                                               std::move(dialogs), this);

    buildWindow();
    buildMenus();
    ApplyFormLayout(this);
    lblCurShow->clear();
    lblCurTimePoint->clear();

    m_logic->changed = [this] { render(); };
    m_logic->previewBusy = [this](bool busy) { m_busy.set(busy); };
    BindCommandList(lsvCommands, m_logic->commands(), bitbtnCopySelectedCMD);
    FollowCommandList(m_logic->commands(),
                      [this] { lblTotalCMD->setText(QString::number(m_logic->commands().rowCount())); });
    m_logic->CurShowID.clear();
    m_logic->CurTimePointID.clear();
    m_logic->LoadShowList(false);
}

ShowSettingsWindow::~ShowSettingsWindow()
{
    m_busy.set(false);
    m_logic->commands().changed = nullptr;
    m_logic->changed = nullptr;
    m_logic->previewBusy = nullptr;
    m_logic.reset();
}

void ShowSettingsWindow::buildWindow()
{
    auto* root = new QVBoxLayout(this);

    // 1. Shows
    grpShow = new QGroupBox(QStringLiteral("1.Show List"), this);
    grpShow->setObjectName(QStringLiteral("grpShow"));
    auto* showBox = new QVBoxLayout(grpShow);
    auto* showBar = new QHBoxLayout;
    bitbtnAddShow = MakeButton(grpShow, "bitbtnAddShow", QStringLiteral("Add Show..."));
    bitbtnEditShow = MakeButton(grpShow, "bitbtnEditShow", QStringLiteral("Edit Show..."));
    bitbtnDeleteShow = MakeButton(grpShow, "bitbtnDeleteShow", QStringLiteral("Delete Show"));
    lblCurShow = MakeLabel(grpShow, "lblCurShow");
    lblTotalShow = MakeLabel(grpShow, "lblTotalShow", QStringLiteral("0"));
    showBar->addWidget(bitbtnAddShow);
    showBar->addWidget(bitbtnEditShow);
    showBar->addWidget(bitbtnDeleteShow);
    showBar->addSpacing(20);
    showBar->addWidget(MakeLabel(grpShow, nullptr, QStringLiteral("Current Show:")));
    showBar->addWidget(lblCurShow, 1);
    showBar->addWidget(MakeLabel(grpShow, nullptr, QStringLiteral("Total:")));
    showBar->addWidget(lblTotalShow);
    showBox->addLayout(showBar);
    lsvShow = MakeList(grpShow, "lsvShow", QColor(148, 168, 239),
                       {QStringLiteral("Show ID"), QStringLiteral("Show Name"),
                        QStringLiteral("Activate Universal Switch"), QStringLiteral("Universal Switch ID"),
                        QStringLiteral("Sequence No"), QStringLiteral("URL")});
    showBox->addWidget(lsvShow);
    root->addWidget(grpShow, 2);

    // 2. Time points and the player
    grpTimePoint = new QGroupBox(QStringLiteral("2.Time Point of Current Show"), this);
    grpTimePoint->setObjectName(QStringLiteral("grpTimePoint"));
    auto* pointBox = new QHBoxLayout(grpTimePoint);
    auto* pointLeft = new QVBoxLayout;
    auto* pointBar = new QHBoxLayout;
    lblCurTimePoint = MakeLabel(grpTimePoint, "lblCurTimePoint");
    lblTotalTimePoint = MakeLabel(grpTimePoint, "lblTotalTimePoint", QStringLiteral("0"));
    pointBar->addWidget(MakeLabel(grpTimePoint, nullptr, QStringLiteral("Current Time Point:")));
    pointBar->addWidget(lblCurTimePoint, 1);
    pointBar->addWidget(MakeLabel(grpTimePoint, nullptr, QStringLiteral("Total:")));
    pointBar->addWidget(lblTotalTimePoint);
    pointLeft->addLayout(pointBar);
    auto* pointButtons = new QHBoxLayout;
    chkOnsiteOutput = new QCheckBox(QStringLiteral("On-site Preview Current Time Point"), grpTimePoint);
    chkOnsiteOutput->setObjectName(QStringLiteral("chkOnsiteOutput"));
    bitbtnEditTimePoint = MakeButton(grpTimePoint, "bitbtnEditTimePoint", QStringLiteral("Edit Time Point..."));
    bitbtnDeleteTimePoint = MakeButton(grpTimePoint, "bitbtnDeleteTimePoint", QStringLiteral("Delete Time Point"));
    pointButtons->addWidget(chkOnsiteOutput);
    pointButtons->addStretch(1);
    pointButtons->addWidget(bitbtnEditTimePoint);
    pointButtons->addWidget(bitbtnDeleteTimePoint);
    pointLeft->addLayout(pointButtons);
    lsvTimePoint = MakeList(grpTimePoint, "lsvTimePoint", QColor(197, 194, 194),
                            {QStringLiteral("Time Point"), QStringLiteral("Remark"), QStringLiteral("ID")});
    // Grid lines between the cells.
    lsvTimePoint->setStyleSheet(QStringLiteral("QTreeView::item { border-right: 1px solid #a0a0a0; "
                                               "border-bottom: 1px solid #a0a0a0; }"
                                               "QTreeView::item:selected { background: palette(highlight); "
                                               "color: palette(highlighted-text); }"));
    pointLeft->addWidget(lsvTimePoint);
    pointBox->addLayout(pointLeft, 2);

    auto* playerSide = new QVBoxLayout;
    panPlayer = new QFrame(grpTimePoint);
    panPlayer->setObjectName(QStringLiteral("panPlayer"));
    panPlayer->setFrameShape(QFrame::StyledPanel);
    auto* playerBox = new QVBoxLayout(panPlayer);
    playerBox->setContentsMargins(0, 0, 0, 0);
    if (QWidget* view = m_player->widget()) {
        view->setObjectName(QStringLiteral("wmp"));
        playerBox->addWidget(view);
    }
    playerSide->addWidget(panPlayer, 1);
    bitbtnPauseAndAddTimePoint =
        MakeButton(grpTimePoint, "bitbtnPauseAndAddTimePoint", QStringLiteral("Pause  and Add Time Point"));
    playerSide->addWidget(bitbtnPauseAndAddTimePoint);
    pointBox->addLayout(playerSide, 3);
    root->addWidget(grpTimePoint, 3);

    // 3. Commands of the current time point
    grpCommands = new QGroupBox(QStringLiteral("3.Commands of Current Time Point of Current Show"), this);
    grpCommands->setObjectName(QStringLiteral("grpCommands"));
    auto* cmdBox = new QVBoxLayout(grpCommands);
    auto* cmdBar = new QHBoxLayout;
    lblTotalCMD = MakeLabel(grpCommands, "lblTotalCMD", QStringLiteral("0"));
    bitbtnSelectAll = MakeButton(grpCommands, "bitbtnSelectAll", QStringLiteral("Check All"));
    bitbtnDeselectAll = MakeButton(grpCommands, "bitbtnDeselectAll", QStringLiteral("Uncheck All"));
    bitbtnCopySelectedCMD = MakeButton(grpCommands, "bitbtnCopySelectedCMD", QStringLiteral("Copy Checked CMD"));
    bitbtnCopySelectedCMD->setToolTip(QStringLiteral("Copy Checked Commands"));
    bitbtnPasteCMD = MakeButton(grpCommands, "bitbtnPasteCMD", QStringLiteral("Paste CMD"));
    bitbtnPasteCMD->setToolTip(QStringLiteral("Paste Commands"));
    bitbtnAddCMD = MakeButton(grpCommands, "bitbtnAddCMD", QStringLiteral("Add CMD..."));
    bitbtnModifyCommand = MakeButton(grpCommands, "bitbtnModifyCommand", QStringLiteral("Edit Checked CMD..."));
    bitbtnDeleteCommand = MakeButton(grpCommands, "bitbtnDeleteCommand", QStringLiteral("Delete Checked CMD"));
    cmdBar->addWidget(MakeLabel(grpCommands, nullptr, QStringLiteral("Total:")));
    cmdBar->addWidget(lblTotalCMD);
    cmdBar->addStretch(1);
    for (QPushButton* b : {bitbtnSelectAll, bitbtnDeselectAll, bitbtnCopySelectedCMD, bitbtnPasteCMD, bitbtnAddCMD,
                           bitbtnModifyCommand, bitbtnDeleteCommand})
        cmdBar->addWidget(b);
    cmdBox->addLayout(cmdBar);
    lsvCommands = MakeList(grpCommands, "lsvCommands", CommandListBackground(),
                           {QStringLiteral("CMD ID"), QStringLiteral("Sequence ID"), QStringLiteral("Remark"),
                            QStringLiteral("Subnet ID"), QStringLiteral("Device ID"), QStringLiteral("Type"),
                            QStringLiteral("First Parameter"), QStringLiteral("Second parameter"),
                            QStringLiteral("Third parameter"), QStringLiteral("Delay(millisecond)")});
    StyleCommandList(lsvCommands);
    cmdBox->addWidget(lsvCommands);
    root->addWidget(grpCommands, 3);

    ShowSetupLogic& logic = *m_logic;
    CommandListOperations& ops = logic.commands();
    connect(bitbtnAddShow, &QPushButton::clicked, this, [&logic] { logic.addShow(); });
    connect(bitbtnEditShow, &QPushButton::clicked, this, [&logic] { logic.editShow(); });
    connect(bitbtnDeleteShow, &QPushButton::clicked, this, [&logic] { logic.deleteShow(); });
    // Only a click makes a show current; moving the selection with the keys does not.
    connect(lsvShow, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { m_logic->showClicked(RowOf(lsvShow, item)); });
    connect(lsvShow, &QTreeWidget::itemDoubleClicked, this, [&logic] { logic.editShow(); });
    connect(lsvTimePoint, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { m_logic->timePointClicked(RowOf(lsvTimePoint, item)); });
    connect(lsvTimePoint, &QTreeWidget::itemDoubleClicked, this, [&ops] { ops.editChecked(); });
    lsvTimePoint->installEventFilter(this);
    connect(chkOnsiteOutput, &QCheckBox::clicked, this, [&logic](bool on) { logic.setPreviewOn(on); });
    connect(bitbtnPauseAndAddTimePoint, &QPushButton::clicked, this, [&logic] { logic.captureTimePoint(); });
    connect(bitbtnEditTimePoint, &QPushButton::clicked, this, [&logic] { logic.editTimePoint(); });
    connect(bitbtnDeleteTimePoint, &QPushButton::clicked, this, [&logic] { logic.deleteTimePoint(); });
}

void ShowSettingsWindow::buildMenus()
{
    const auto entry = [](QMenu* menu, const QString& caption, QPushButton* runs) {
        QAction* action = menu->addAction(caption);
        connect(action, &QAction::triggered, runs, &QPushButton::click);
    };
    const auto popupOn = [this](QTreeWidget* list, QMenu* menu) {
        connect(list, &QWidget::customContextMenuRequested, menu,
                [list, menu](const QPoint& at) { menu->popup(list->viewport()->mapToGlobal(at)); });
    };
    popmenuShow = new QMenu(this);
    popmenuShow->setObjectName(QStringLiteral("popmenuShow"));
    entry(popmenuShow, QStringLiteral("Add Show..."), bitbtnAddShow);
    entry(popmenuShow, QStringLiteral("Edit Show..."), bitbtnEditShow);
    entry(popmenuShow, QStringLiteral("Delete Show"), bitbtnDeleteShow);
    popmenuShow->addSeparator();
    connect(popmenuShow->addAction(QStringLiteral("Export Show...")), &QAction::triggered, this,
            [this] { m_logic->exportShow(); });
    connect(popmenuShow->addAction(QStringLiteral("Import Show...")), &QAction::triggered, this,
            [this] { m_logic->importShow(); });
    popupOn(lsvShow, popmenuShow);

    popmenuTimePoint = new QMenu(this);
    popmenuTimePoint->setObjectName(QStringLiteral("popmenuTimePoint"));
    entry(popmenuTimePoint, QStringLiteral("Edit Current Time Point..."), bitbtnEditTimePoint);
    entry(popmenuTimePoint, QStringLiteral("Delete Current Time Point"), bitbtnDeleteTimePoint);
    popmenuTimePoint->addSeparator();
    entry(popmenuTimePoint, QStringLiteral("Edit checked Commands of Current Time Point..."), bitbtnModifyCommand);
    popupOn(lsvTimePoint, popmenuTimePoint);

    popmenuCMD = WireCommandPane(lsvCommands, m_logic->commands(),
                                 {bitbtnSelectAll, bitbtnDeselectAll, bitbtnCopySelectedCMD, bitbtnPasteCMD,
                                  bitbtnAddCMD, bitbtnModifyCommand, bitbtnDeleteCommand},
                                 this);

    m_undo = new UndoActions(this, [this] { m_logic->undo(); }, [this] { m_logic->redo(); });
    for (QMenu* menu : {popmenuShow, popmenuTimePoint, popmenuCMD})
        m_undo->addTo(menu);
}

void ShowSettingsWindow::setHistory(UndoHistory* history)
{
    m_logic->setHistory(history);
    m_undo->setHistory(history);
}

void ShowSettingsWindow::sizeColumns()
{
    FitColumns(lsvShow, {2, 6, 3, 3, 3, 15});
    FitColumns(lsvTimePoint, {4, 4, 2});
    FitColumns(lsvCommands, {0.6, 0.9, 1.0, 0.7, 0.7, 1.7, 1.2, 1.2, 1.2, 1.2});
}

void ShowSettingsWindow::render()
{
    const ShowSetupLogic& logic = *m_logic;
    {
        const QSignalBlocker quiet(lsvShow);
        if (lsvShow->topLevelItemCount() != logic.shows().size() ||
            [&] {
                for (int i = 0; i < logic.shows().size(); ++i) {
                    if (lsvShow->topLevelItem(i)->text(0) != QString::number(logic.shows()[i].ShowID))
                        return true;
                }
                return false;
            }()) {
            lsvShow->clear();
            for (const auto& show : logic.shows())
                lsvShow->addTopLevelItem(new QTreeWidgetItem(ShowSetupLogic::ShowRowTexts(show)));
        } else {
            for (int i = 0; i < logic.shows().size(); ++i) {
                const QStringList texts = ShowSetupLogic::ShowRowTexts(logic.shows()[i]);
                for (int c = 0; c < texts.size(); ++c)
                    lsvShow->topLevelItem(i)->setText(c, texts[c]);
            }
        }
        lsvShow->clearSelection();
        if (QTreeWidgetItem* row = lsvShow->topLevelItem(logic.selectedShowRow()))
            lsvShow->setCurrentItem(row);
    }
    {
        const QSignalBlocker quiet(lsvTimePoint);
        lsvTimePoint->clear();
        for (const TTimePoint& point : logic.timePoints())
            lsvTimePoint->addTopLevelItem(new QTreeWidgetItem(ShowSetupLogic::TimePointRowTexts(point)));
        if (QTreeWidgetItem* row = lsvTimePoint->topLevelItem(logic.selectedTimePointRow()))
            lsvTimePoint->setCurrentItem(row);
    }
    lblTotalShow->setText(QString::number(logic.shows().size()));
    lblTotalTimePoint->setText(QString::number(logic.timePoints().size()));
    lblCurShow->setText(logic.currentShowLabel());
    lblCurTimePoint->setText(logic.currentTimePointLabel());
}

void ShowSettingsWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_columnsSized) {
        m_columnsSized = true;
        sizeColumns();
    }
}

// Every way of closing (the close button, Escape) ends here: the player stops
// and lets go of its media.
void ShowSettingsWindow::done(int result)
{
    if (!m_released) {
        m_released = true;
        m_logic->StopPlayer(true);
    }
    QDialog::done(result);
}

void ShowSettingsWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool ShowSettingsWindow::eventFilter(QObject* watched, QEvent* event)
{
    // Up and Down load the row the key moves to.
    if (watched == lsvTimePoint && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            static_cast<QObject*>(lsvTimePoint)->event(event);
            m_logic->timePointClicked(RowOf(lsvTimePoint, lsvTimePoint->currentItem()));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
