#include "mainwindow.h"

#include "about.h"
#include "addressdialog.h"
#include "busmonitorwindow.h"
#include "filechooser.h"
#include "firingsettings.h"
#include "remotecontroldialog.h"
#include "restorebackupdialog.h"
#include "formlayout.h"
#include "logos.h"
#include "mediaplayer.h"
#include "messageboxes.h"
#include "playsetupwindow.h"
#include "programsession.h"
#include "showsetup.h"
#include "version.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QString windowCaption()
{
    return QStringLiteral("Tavolan V") + QString::fromLatin1(TavolanVersion);
}

const char* const ExitQuestion = "Are you sure you want to exit?";
const char* const EmptyListHint = "Right-click here to add a show or open the settings";
constexpr int StatusPanelWidths[] = {100, 200, 150, 100, 300, 50};

QFrame* panel(QWidget* parent, const char* name)
{
    auto* frame = new QFrame(parent);
    frame->setObjectName(QString::fromLatin1(name));
    frame->setFrameShape(QFrame::NoFrame);
    return frame;
}

// A column with no margins and no spacing, the way every pane stacks.
QVBoxLayout* column(QWidget* parent)
{
    auto* layout = new QVBoxLayout(parent);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    return layout;
}

void fillWith(QWidget* widget, const QColor& colour)
{
    widget->setAutoFillBackground(true);
    QPalette pal = widget->palette();
    pal.setColor(QPalette::Window, colour);
    widget->setPalette(pal);
}

QLabel* titleLabel(QWidget* parent, const char* name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(pal);
    return label;
}

} // namespace

MainWindow::MainWindow(ProgramSession& session, Dependencies deps, QWidget* parent)
    : QMainWindow(parent), m_session(session), m_deps(deps)
{
    setObjectName(QStringLiteral("frmMainTavolan"));
    setWindowTitle(windowCaption());
    setWindowIcon(TavolanIcon());

    if (!m_deps.files) {
        m_ownFiles = std::make_unique<QtFileChooser>();
        m_deps.files = m_ownFiles.get();
    }
    if (!m_deps.messages) {
        m_ownMessages = std::make_unique<MessageBoxPresenter>();
        m_deps.messages = m_ownMessages.get();
    }

    buildWindow();

    connect(&m_session, &ProgramSession::showListChanged, this, &MainWindow::fillShowList);
    connect(&m_session, &ProgramSession::currentShowChanged, this, &MainWindow::selectCurrentShow);
    connect(&m_session, &ProgramSession::playProblemChanged, this, &MainWindow::showPlayProblem);
    connect(&m_session, &ProgramSession::settingsNotSaved, this, &MainWindow::showSettingsNotSaved);
}

MainWindow::~MainWindow()
{
    if (trayIcon)
        trayIcon->hide();
    // The player's widget belongs to the player, which outlives the window.
    if (QWidget* video = player().widget(); video && video->parent() == panLeft)
        video->setParent(nullptr);
}

MediaPlayer& MainWindow::player() const
{
    return m_session.player();
}

CommandSequencer& MainWindow::sequencer() const
{
    return m_session.sequencer();
}

ShowRunner& MainWindow::runner() const
{
    return m_session.runner();
}

// ---------------------------------------------------------------------------
// The window's controls

void MainWindow::buildWindow()
{
    resize(1024, 768);
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    setCentralWidget(central);
    auto* row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    // Left: the player.
    panLeft = panel(central, "panLeft");
    panLeft->resize(650, 600);
    auto* leftColumn = column(panLeft);
    QWidget* wmp = player().widget();
    if (!wmp) {
        wmp = new QWidget(panLeft);
        wmp->setObjectName(QStringLiteral("wmp"));
    }
    wmp->setParent(panLeft);
    leftColumn->addWidget(wmp);
    row->addWidget(panLeft);

    // A fixed divider: the split between player and list does not move.
    Splitter1 = panel(central, "Splitter1");
    Splitter1->setFixedWidth(2);
    fillWith(Splitter1, QColor(64, 128, 128));
    row->addWidget(Splitter1);

    // Right: logos on top, then the show list.
    panRight = panel(central, "panRight");
    auto* rightColumn = column(panRight);
    row->addWidget(panRight, 1);

    panLogo = panel(panRight, "panLogo");
    panLogo->setFixedHeight(65);
    fillWith(panLogo, Qt::black);
    auto* logoRow = new QHBoxLayout(panLogo);
    logoRow->setContentsMargins(0, 2, 0, 2);
    logoRow->setSpacing(0);
    imgLogo = new QLabel(panLogo);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    imgLogo->setPixmap(TavolanLogoPixmap());
    imgLogo->setFixedSize(150, 61);
    imgLogo2 = new QLabel(panLogo);
    imgLogo2->setObjectName(QStringLiteral("imgLogo2"));
    imgLogo2->setPixmap(TavolanBannerPixmap());
    // The banner gives way first when the screen is narrow: the window must
    // fit a 1024 pixel screen beside the player's fixed width.
    imgLogo2->setMinimumSize(1, 61);
    imgLogo2->setMaximumSize(245, 61);
    imgLogo2->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    imgLogo2->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (QLabel* logo : {imgLogo, imgLogo2}) {
        logo->setCursor(Qt::PointingHandCursor);
        logo->installEventFilter(this);
        logoRow->addWidget(logo);
    }
    logoRow->addStretch(1);
    rightColumn->addWidget(panLogo);

    panList = panel(panRight, "panList");
    auto* listColumn = column(panList);
    rightColumn->addWidget(panList, 1);

    panTitle = panel(panList, "panTitle");
    panTitle->setFixedHeight(22);
    fillWith(panTitle, Qt::black);
    auto* titleRow = new QHBoxLayout(panTitle);
    titleRow->setContentsMargins(6, 0, 6, 0);
    titleRow->addWidget(titleLabel(panTitle, "lblShowList", QStringLiteral("Show List")));
    titleRow->addStretch(1);
    titleRow->addWidget(titleLabel(panTitle, "lblTotalCaption", QStringLiteral("Total:")));
    lblTotal = titleLabel(panTitle, "lblTotal", QStringLiteral("0"));
    titleRow->addWidget(lblTotal);
    listColumn->addWidget(panTitle);

    lsvShow = new QTreeWidget(panList);
    lsvShow->setObjectName(QStringLiteral("lsvShow"));
    lsvShow->setColumnCount(2);
    lsvShow->setHeaderLabels({QString(), QString()});
    lsvShow->setHeaderHidden(true);
    lsvShow->header()->setSectionsClickable(false);
    lsvShow->header()->setStretchLastSection(false);
    lsvShow->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    lsvShow->setRootIsDecorated(false);
    lsvShow->setItemsExpandable(false);
    lsvShow->setUniformRowHeights(true);
    lsvShow->setSelectionMode(QAbstractItemView::SingleSelection);
    lsvShow->setSelectionBehavior(QAbstractItemView::SelectRows);
    lsvShow->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lsvShow->setAllColumnsShowFocus(true);
    // The ShowID column lies beyond the visible width and stays there.
    lsvShow->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont listFont(QStringLiteral("Tahoma"));
    listFont.setPixelSize(16);
    lsvShow->setFont(listFont);
    QPalette listPalette = lsvShow->palette();
    listPalette.setColor(QPalette::Base, Qt::black);
    listPalette.setColor(QPalette::Text, QColor(192, 192, 192));
    // Keep the chosen show visible when the list loses the focus.
    for (auto role : {QPalette::Highlight, QPalette::HighlightedText})
        listPalette.setColor(QPalette::Inactive, role, listPalette.color(QPalette::Active, role));
    lsvShow->setPalette(listPalette);
    lsvShow->viewport()->setCursor(Qt::PointingHandCursor);
    lsvShow->viewport()->installEventFilter(this);
    lsvShow->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lsvShow, &QTreeWidget::itemSelectionChanged, this, &MainWindow::ChooseSelectedShow);
    connect(lsvShow, &QTreeWidget::itemDoubleClicked, this, [this] { ChooseSelectedShow(); });
    connect(lsvShow, &QTreeWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { popmenuShowList->popup(lsvShow->viewport()->mapToGlobal(pos)); });
    listColumn->addWidget(lsvShow, 1);

    // Every action starts from a right click; an empty list says so.
    lblEmptyHint = new QLabel(QString::fromLatin1(EmptyListHint), lsvShow->viewport());
    lblEmptyHint->setObjectName(QStringLiteral("lblEmptyHint"));
    lblEmptyHint->setWordWrap(true);
    lblEmptyHint->setMargin(8);
    lblEmptyHint->setAttribute(Qt::WA_TransparentForMouseEvents);
    QPalette hintPalette = lblEmptyHint->palette();
    hintPalette.setColor(QPalette::WindowText, QColor(192, 192, 192));
    lblEmptyHint->setPalette(hintPalette);

    // Status bar: six panels.
    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("statusbar"));
    bar->setSizeGripEnabled(false);
    QFont statusFont(QStringLiteral("Tahoma"));
    statusFont.setPixelSize(11);
    bar->setFont(statusFont);
    for (int i = 0; i < 6; ++i) {
        auto* label = new QLabel(bar);
        label->setObjectName(QStringLiteral("statusPanel%1").arg(i));
        label->setFixedWidth(StatusPanelWidths[i]);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        bar->addWidget(label);
        m_statusPanels << label;
    }
    setStatusBar(bar);

    timerRunShow = &m_session.showTimer();

    popmenuIcon = buildPopupMenu("popmenuIcon", QStringLiteral("Show Settings..."));
    popmenuShowList = buildPopupMenu("popmenuShowList", QStringLiteral("Add/Edit Show..."));
}

QMenu* MainWindow::buildPopupMenu(const char* name, const QString& firstItem)
{
    auto* menu = new QMenu(this);
    menu->setObjectName(QString::fromLatin1(name));
    menu->addAction(firstItem, this, &MainWindow::ShowSettingsClick);
    menu->addAction(QStringLiteral("Play/Pause/Stop Settings..."), this, &MainWindow::PlaySettingsClick);
    menu->addSeparator();
    menu->addAction(QStringLiteral("Software Address and UDP Port Settings..."), this,
                    &MainWindow::AddressSettingsClick);
    menu->addAction(QStringLiteral("Firing Settings..."), this, &MainWindow::FiringSettingsClick);
    menu->addAction(QStringLiteral("Remote Control..."), this, &MainWindow::RemoteControlClick);
    menu->addAction(QStringLiteral("Restore Backup..."), this, &MainWindow::RestoreBackupClick);
    menu->addAction(QStringLiteral("Bus Monitor..."), this, &MainWindow::BusMonitorClick);
    menu->addSeparator();
    menu->addAction(QStringLiteral("About..."), this, &MainWindow::AboutClick);
    menu->addSeparator();
    menu->addAction(QStringLiteral("Exit"), this, &MainWindow::ExitClick);
    return menu;
}

void MainWindow::sizeShowColumns()
{
    // The name column is exactly as wide as the list; the ShowID column
    // sizes itself to its text beyond it.
    lsvShow->setColumnWidth(0, qRound(lsvShow->viewport()->width() * 0.1 * 10));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == imgLogo || watched == imgLogo2) && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        AboutClick();
        return true;
    }
    if (watched == lsvShow->viewport() && event->type() == QEvent::Resize) {
        sizeShowColumns();
        lblEmptyHint->setFixedWidth(lsvShow->viewport()->width());
        lblEmptyHint->adjustSize();
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::setPanelText(int panel, const QString& text)
{
    QLabel* label = m_statusPanels.at(panel);
    label->setText(text);
    // A wider font than the one the widths were made for must not cut the
    // port number off: a panel grows to its text when it must.
    label->setFixedWidth(qMax(StatusPanelWidths[panel], label->sizeHint().width()));
}

QString MainWindow::statusPanelText(int panel) const
{
    return panel >= 0 && panel < m_statusPanels.size() ? m_statusPanels.at(panel)->text() : QString();
}

// ---------------------------------------------------------------------------
// Start-up

bool MainWindow::FormCreate()
{
    setWindowTitle(windowCaption());
    QCoreApplication::setApplicationName(QStringLiteral("Tavolan"));

    // The player panel keeps the width the layout file gives it.
    panLeft->setMinimumWidth(0);
    panLeft->setMaximumWidth(QWIDGETSIZE_MAX);
    panLeft->resize(650, panLeft->height());
    ApplyFormLayout(this);
    panLeft->setFixedWidth(panLeft->width() > 0 ? panLeft->width() : 650);
    sizeShowColumns();

    if (!m_session.start()) {
        m_exiting = true;
        close();
        return false;
    }

    writeStatusPanels();
    writePortPanel();
    addTrayIcon();
    if (m_deps.showWindow)
        showMaximized();
    // A folder set up for showing the program at work (the demo) opens the
    // bus monitor from the start, in a corner and above the full-screen
    // video the show will play, so both are in view at once.
    if (m_session.monitorAtStart()) {
        createBusMonitor();
        m_busMonitor->showInCornerAbove();
    }
    return true;
}

void MainWindow::writeStatusPanels()
{
    const BusIdentity& own = m_session.busLink().identity();
    setPanelText(1, QStringLiteral("Subnet ID:") + QString::number(own.subnet) + QStringLiteral(" ") +
                               QStringLiteral("Device ID:") + QString::number(own.device));
    setPanelText(2, QStringLiteral("IP:") + own.localAddress);
}

void MainWindow::writePortPanel()
{
    setPanelText(0, QStringLiteral("Ready,Port:") + QString::number(m_session.busLink().port()));
}

void MainWindow::fillShowList()
{
    // Refilling the list is not a choice of the operator's.
    const QSignalBlocker blocker(lsvShow);
    lsvShow->clear();
    QList<QTreeWidgetItem*> items;
    for (const ShowListRow& row : m_session.showRows())
        items << new QTreeWidgetItem(QStringList{row.name, row.showId});
    lsvShow->addTopLevelItems(items);
    lblTotal->setText(QString::number(items.size()));
    lblEmptyHint->setVisible(items.isEmpty());
    const int current = m_session.currentShowIndex();
    if (current >= 0 && current < items.size())
        lsvShow->setCurrentItem(items.at(current));
    sizeShowColumns();
}

// ---------------------------------------------------------------------------
// Choosing and switching shows

void MainWindow::ChooseSelectedShow()
{
    const QList<QTreeWidgetItem*> selected = lsvShow->selectedItems();
    if (selected.isEmpty())
        return;
    const int index = lsvShow->indexOfTopLevelItem(selected.first());
    QApplication::setOverrideCursor(Qt::WaitCursor);
    lsvShow->setEnabled(false);
    m_session.switchShowOn(index);
    lsvShow->setEnabled(true);
    QApplication::restoreOverrideCursor();
}

void MainWindow::selectCurrentShow(int index)
{
    QTreeWidgetItem* item = lsvShow->topLevelItem(index);
    if (!item || item->isSelected())
        return;
    // Following the session is not a choice of the operator's.
    const QSignalBlocker blocker(lsvShow);
    lsvShow->setCurrentItem(item);
    lsvShow->scrollToItem(item);
}

void MainWindow::showSettingsNotSaved(const QString& text)
{
    setPanelText(SettingsProblemPanel, QStringLiteral("Not saved to System.ini"));
    m_statusPanels.at(SettingsProblemPanel)->setToolTip(text);
}

void MainWindow::showPlayProblem(const QString& text)
{
    // A long path must not push the other panels away: the panel keeps its
    // width and shows the whole text in its tool tip.
    QLabel* label = m_statusPanels.at(PlayProblemPanel);
    label->setText(text);
    label->setToolTip(text);
}

// ---------------------------------------------------------------------------
// Notification area, hiding and exit

bool MainWindow::isTrayAvailable() const
{
    return m_deps.trayAvailable.value_or(QSystemTrayIcon::isSystemTrayAvailable());
}

void MainWindow::addTrayIcon()
{
    trayIcon = new QSystemTrayIcon(TavolanIcon(), this);
    trayIcon->setObjectName(QStringLiteral("trayIcon"));
    trayIcon->setToolTip(QStringLiteral("Tavolan"));
    connect(trayIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            TrayIconLeftClick();
        else if (reason == QSystemTrayIcon::Context)
            TrayIconRightClick();
    });
    if (isTrayAvailable())
        trayIcon->show();
}

void MainWindow::TrayIconLeftClick()
{
    BringToFront();
}

void MainWindow::TrayIconRightClick()
{
    // The operator reaches for the menu: hold the show first (the pause
    // sends the pause set like any other).
    if (player().playState() == MediaPlayer::Playing)
        player().pause();
    popmenuIcon->popup(QCursor::pos());
}

void MainWindow::BringToFront()
{
    // The window comes back as it was put away: maximised or not.
    if (isMinimized() || isHidden()) {
        Qt::WindowStates state = windowState() & ~Qt::WindowMinimized;
        if (m_restoreMaximized)
            state |= Qt::WindowMaximized;
        setWindowState(state | Qt::WindowActive);
        show();
    }
    raise();
    activateWindow();
}

void MainWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange && !isMinimized())
        m_restoreMaximized = isMaximized();
    QMainWindow::changeEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_exiting) {
        event->accept();
        return;
    }
    // Closing only puts the program away. Without a notification area to
    // bring it back from, a hidden window could never be reached again, so
    // it is minimised instead.
    event->ignore();
    if (isTrayAvailable())
        hide();
    else
        showMinimized();
}

bool MainWindow::ExitProgram()
{
    if (m_deps.messages->ask(this, QString::fromLatin1(ExitQuestion)) != MessageAnswer::Yes)
        return false;

    m_session.end();
    if (trayIcon)
        trayIcon->hide();
    m_exiting = true;
    close();
    Q_EMIT programEnded();
    return true;
}

// ---------------------------------------------------------------------------
// Menus

void MainWindow::ShowSettingsClick()
{
    const auto& open = m_deps.windows.showSettings;
    if ((open ? open() : openShowSettingsWindow()).showListChanged)
        m_session.showsEdited();
}

void MainWindow::PlaySettingsClick()
{
    const auto& open = m_deps.windows.playSettings;
    open ? open() : openPlaySettingsWindow();
}

void MainWindow::AddressSettingsClick()
{
    const auto& open = m_deps.windows.addressDialog;
    if ((open ? open() : openAddressDialog()).saved) {
        writeStatusPanels();
        writePortPanel();
    }
}

void MainWindow::FiringSettingsClick()
{
    const auto& open = m_deps.windows.firingSettings;
    if ((open ? open() : openFiringSettingsDialog()).saved)
        m_session.reloadFiringSettings();
}

void MainWindow::RemoteControlClick()
{
    const auto& open = m_deps.windows.remoteControl;
    if ((open ? open() : openRemoteControlDialog()).saved)
        Q_EMIT remoteSettingsSaved();
}

// The session reads the restored shows afresh itself (backupRestored).
void MainWindow::RestoreBackupClick()
{
    const auto& open = m_deps.windows.restoreBackup;
    open ? open() : openRestoreBackupDialog();
}

BusMonitorWindow* MainWindow::busMonitor() const
{
    return m_busMonitor.data();
}

void MainWindow::createBusMonitor()
{
    if (!m_busMonitor) {
        m_busMonitor = new BusMonitorWindow(m_session.busLink(), *m_deps.messages, *m_deps.files,
                                            m_session.settingsFiles(), m_session.lookups(), this);
        m_busMonitor->setAttribute(Qt::WA_DeleteOnClose);
    }
}

void MainWindow::BusMonitorClick()
{
    createBusMonitor();
    m_busMonitor->show();
    m_busMonitor->raise();
    m_busMonitor->activateWindow();
}

void MainWindow::AboutClick()
{
    AboutBox::Execute(this);
}

void MainWindow::ExitClick()
{
    ExitProgram();
}

OpenedWindowResult MainWindow::openShowSettingsWindow()
{
    return {RunShowSetupWindow(this, sequencer(), *m_deps.messages, *m_deps.files, m_session.settingsFiles(),
                               m_session.lookups(), m_clipboard, m_session.backups(), &m_session.undoHistory()),
            false};
}

OpenedWindowResult MainWindow::openPlaySettingsWindow()
{
    // The sets are read afresh whenever they are sent, so nothing comes back.
    PlaySettingsWindow::Execute(this, sequencer(), *m_deps.messages, m_session.settingsFiles(), m_session.lookups(),
                                m_clipboard, m_session.backups(), m_deps.files, &m_session.undoHistory());
    return {};
}

OpenedWindowResult MainWindow::openAddressDialog()
{
    OpenedWindowResult result;
    result.saved = AddressDialog::Execute(this, m_session.busLink(), *m_deps.messages, m_session.settingsFiles());
    return result;
}

OpenedWindowResult MainWindow::openRestoreBackupDialog()
{
    OpenedWindowResult result;
    if (BackupService* backups = m_session.backups())
        result.saved = RestoreBackupDialog::Execute(this, *m_deps.messages, *backups);
    result.showListChanged = result.saved;
    return result;
}

OpenedWindowResult MainWindow::openRemoteControlDialog()
{
    OpenedWindowResult result;
    result.saved = RemoteControlDialog::Execute(this, *m_deps.messages, m_session.settingsFiles(),
                                                m_session.busLink().localAddress());
    return result;
}

OpenedWindowResult MainWindow::openFiringSettingsDialog()
{
    OpenedWindowResult result;
    result.saved = FiringSettingsDialog::Execute(this, *m_deps.messages, m_session.settingsFiles());
    return result;
}
