#include "commandeditordialog.h"


#include "columnfit.h"

#include "formlayout.h"
#include "placedwidgets.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QSpinBox>

#include <cmath>

namespace {

constexpr GridEditor allEditors[GridEditorCount] = {
    GridEditor::SubNetID,   GridEditor::DeviceID, GridEditor::Type,    GridEditor::FirstPara,
    GridEditor::SecondPara, GridEditor::Minute,   GridEditor::Second,  GridEditor::List,
    GridEditor::OrderID,    GridEditor::Remark,   GridEditor::Delay};

bool isSpinBox(GridEditor e)
{
    return e == GridEditor::OrderID || e == GridEditor::Minute || e == GridEditor::Second;
}

} // namespace

// ---- The grid ----

CommandGridView::CommandGridView(QWidget* parent)
    : QTableWidget(parent)
{
}

void CommandGridView::scrollContentsBy(int dx, int dy)
{
    QTableWidget::scrollContentsBy(dx, dy);
    Q_EMIT cellsMoved();
}

void CommandGridView::resizeEvent(QResizeEvent* event)
{
    QTableWidget::resizeEvent(event);
    Q_EMIT viewResized();
}

// ---- The window ----

int CommandEditorDialog::EditorColumn(GridEditor editor)
{
    switch (editor) {
    case GridEditor::OrderID:
        return ColOrder;
    case GridEditor::Remark:
        return ColRemark;
    case GridEditor::SubNetID:
        return ColSubNetID;
    case GridEditor::DeviceID:
        return ColDeviceID;
    case GridEditor::Type:
        return ColType;
    case GridEditor::FirstPara:
        return ColFirstPara;
    case GridEditor::Minute:
    case GridEditor::Second:
        return ColThirdPara;
    case GridEditor::Delay:
        return ColDelay;
    default: // the second-parameter box and the lists
        return ColSecondPara;
    }
}

CommandEditorDialog::CommandEditorDialog(MessagePresenter& messages, const SettingsFiles& files,
                                         const LookupLists& lookups, QWidget* parent)
    : QDialog(parent, FixedDialogFlags), m_model(messages, files, lookups)
{
    setObjectName(QStringLiteral("frmSettings_Object_Of_Scene_Setup"));
    setWindowTitle(QStringLiteral("Modify commands"));
    resize(1016, 634);

    DialogTitle(this, QStringLiteral("Modify Commands"), QPoint(424, 24));

    const auto contextLabel = [this](const char* name, int x, bool value) {
        return ContextLabel(this, name, QString(), QRect(x, 64, value ? 330 : 128, 20), value);
    };
    lblFirst = contextLabel("lblFirst", 16, false);
    lblFirstValue = contextLabel("lblFirstValue", 144, true);
    lblSecond = contextLabel("lblSecond", 536, false);
    lblSecondValue = contextLabel("lblSecondValue", 680, true);

    struct BoxPlace {
        SyncBox box;
        const char* text;
        int x, y;
    };
    for (const BoxPlace& p : {BoxPlace{SyncBox::SubNetID, "Modify subnet ID synchronously", 17, 95},
                              BoxPlace{SyncBox::DeviceID, "Modify device ID synchronously", 17, 119},
                              BoxPlace{SyncBox::Kind, "Modify type synchronously", 17, 143},
                              BoxPlace{SyncBox::ThirdPara, "Modify third parameter synchronously", 538, 95},
                              BoxPlace{SyncBox::Delay, "Modify delay synchronously", 538, 119}}) {
        auto* box = new QCheckBox(QString::fromLatin1(p.text), this);
        box->setObjectName(CommandGridModel::SyncBoxName(p.box));
        box->setGeometry(p.x, p.y, 300, 20);
        const SyncBox which = p.box;
        connect(box, &QCheckBox::toggled, this, [this, which](bool on) { m_model.SetSyncChecked(which, on); });
        m_syncBoxes[size_t(p.box)] = box;
    }

    strgrd = new CommandGridView(this);
    strgrd->setObjectName(QStringLiteral("strgrd"));
    strgrd->setGeometry(0, 168, 1016, 409);
    strgrd->setColumnCount(CommandGridColumns);
    strgrd->setEditTriggers(QAbstractItemView::NoEditTriggers);
    strgrd->setSelectionBehavior(QAbstractItemView::SelectRows);
    strgrd->setSelectionMode(QAbstractItemView::SingleSelection);
    strgrd->verticalHeader()->hide();
    strgrd->setWordWrap(false);
    QStringList headers;
    for (int c = 0; c < CommandGridColumns; ++c)
        headers << m_model.ColumnHeader(c);
    strgrd->setHorizontalHeaderLabels(headers);
    // The check box column stays narrow whatever the font.
    strgrd->horizontalHeader()->setMinimumSectionSize(8);
    strgrd->setColumnWidth(0, 20);
    // Narrow columns show the start of their heading.
    strgrd->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    bitbtnSave = new QPushButton(QStringLiteral("Save"), this);
    bitbtnSave->setObjectName(QStringLiteral("bitbtnSave"));
    bitbtnSave->setGeometry(344, 584, 100, 40);
    bitbtnClose = new QPushButton(QStringLiteral("Close"), this);
    bitbtnClose->setObjectName(QStringLiteral("bitbtnClose"));
    bitbtnClose->setGeometry(488, 584, 100, 40);
    for (QPushButton* b : {bitbtnSave, bitbtnClose})
        b->setAutoDefault(false);
    connect(bitbtnSave, &QPushButton::clicked, this, &CommandEditorDialog::bitbtnSaveClick);
    connect(bitbtnClose, &QPushButton::clicked, this, &CommandEditorDialog::reject);

    createEditors();

    // Keyboard order; hidden editors are skipped by the focus chain itself.
    QWidget* previous = nullptr;
    for (const QString& name : CommandGridModel::TabOrder()) {
        auto* w = findChild<QWidget*>(name);
        if (!w)
            continue;
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    }

    connect(&m_model, &CommandGridModel::rowsReset, this, &CommandEditorDialog::renderRows);
    connect(&m_model, &CommandGridModel::cellChanged, this, &CommandEditorDialog::renderCell);
    connect(&m_model, &CommandGridModel::editorChanged, this, &CommandEditorDialog::renderEditor);
    connect(&m_model, &CommandGridModel::currentRowChanged, this, [this](int row) {
        if (strgrd->currentRow() != row - 1) {
            const QSignalBlocker quiet(strgrd);
            strgrd->setCurrentCell(row - 1, qMax(1, strgrd->currentColumn()));
        }
        placeEditors();
    });
    connect(strgrd, &QTableWidget::currentCellChanged, this, &CommandEditorDialog::strgrdSelectCell);
    connect(strgrd, &CommandGridView::cellsMoved, this, &CommandEditorDialog::placeEditors);
    connect(strgrd, &CommandGridView::viewResized, this, &CommandEditorDialog::setColumnWidths);
    connect(strgrd->horizontalHeader(), &QHeaderView::sectionResized, this,
            &CommandEditorDialog::placeEditors);

    // The window's own undo of what was changed in the rows (a text box
    // keeps Ctrl+Z for its own typing while it has the keyboard).
    auto* undo = new QAction(this);
    undo->setObjectName(QStringLiteral("actUndo"));
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    auto* redo = new QAction(this);
    redo->setObjectName(QStringLiteral("actRedo"));
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    addActions({undo, redo});
    connect(undo, &QAction::triggered, &m_model, &CommandGridModel::Undo);
    connect(redo, &QAction::triggered, &m_model, &CommandGridModel::Redo);

    ApplyFixedFormLayout(this);
    setColumnWidths();
    CentreOnScreen(this, parent);
}

void CommandEditorDialog::createEditors()
{
    // The editors live on the grid's cell area, so they scroll with the
    // cells and are clipped where the cells are.
    QWidget* cells = strgrd->viewport();
    panRunTime = new QFrame(cells);
    panRunTime->setObjectName(QStringLiteral("panRunTime"));
    panRunTime->setAutoFillBackground(true);
    panRunTime->hide();
    m_timeColon = new QLabel(QStringLiteral(":"), panRunTime);
    m_timeColon->setObjectName(QStringLiteral("lblColon"));
    m_timeColon->adjustSize();

    for (GridEditor e : allEditors) {
        if (e == GridEditor::List) {
            for (const LookupFacts& list : ParameterLookups())
                m_lists.insert(list.lookup, createList(cells, list.lookup));
            continue;
        }
        QWidget* parent = (e == GridEditor::Minute || e == GridEditor::Second) ? panRunTime : cells;
        QWidget* w = nullptr;
        if (e == GridEditor::Type) {
            auto* box = new QComboBox(parent);
            box->addItems(m_model.EditorItems(e));
            box->setCurrentIndex(-1);
            connect(box, &QComboBox::currentIndexChanged, this, [this, e](int index) {
                if (!m_rendering)
                    m_model.ChooseItem(e, index);
            });
            w = box;
        } else if (isSpinBox(e)) {
            auto* spin = new QSpinBox(parent);
            spin->setRange(0, e == GridEditor::OrderID ? 999999999 : 9999);
            spin->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
            connect(spin, &QSpinBox::textChanged, this, [this, e](const QString& text) { editorTyped(e, text); });
            w = spin;
        } else {
            auto* edit = new QLineEdit(parent);
            if (e == GridEditor::Remark)
                edit->setMaxLength(20);
            connect(edit, &QLineEdit::textEdited, this, [this, e](const QString& text) { editorTyped(e, text); });
            w = edit;
        }
        w->setObjectName(CommandGridModel::EditorName(e));
        w->installEventFilter(this);
        if (parent == cells)
            w->hide();
        m_editors[size_t(e)] = w;
    }
}

QComboBox* CommandEditorDialog::createList(QWidget* parent, ParameterLookup lookup)
{
    auto* box = new QComboBox(parent);
    box->addItems(FactsOf(lookup).names(m_model.lookups()));
    box->setCurrentIndex(-1);
    // Only the list of the model's lookup stands for its list editor.
    connect(box, &QComboBox::currentIndexChanged, this, [this, lookup](int index) {
        if (!m_rendering && m_model.listLookup() == lookup)
            m_model.ChooseItem(GridEditor::List, index);
    });
    box->setObjectName(CommandGridModel::EditorName(GridEditor::List, lookup));
    box->installEventFilter(this);
    box->hide();
    return box;
}

QWidget* CommandEditorDialog::editorWidget(GridEditor editor) const
{
    return editor == GridEditor::List ? m_lists.value(m_model.listLookup()) : m_editors[size_t(editor)];
}

void CommandEditorDialog::editorTyped(GridEditor editor, const QString& text)
{
    if (!m_rendering)
        m_model.EditText(editor, text);
}

void CommandEditorDialog::setColumnWidths()
{
    // Each data column takes its share of what column 0 leaves, and at
    // least what its heading needs; a strip stays free at the right while
    // there is room for it.
    const int room = strgrd->viewport()->width() - strgrd->columnWidth(0);
    QList<double> shares;
    double strip = 1.0;
    for (int c = 1; c < CommandGridColumns; ++c) {
        shares << CommandGridModel::ColumnShare(c);
        strip -= shares.last();
    }
    shares << qMax(0.0, strip);
    const QList<int> minimums = FitHeadings(strgrd->horizontalHeader(), CommandGridColumns, room).mid(1);
    const QList<int> widths = SharedWidths(room, shares, minimums);
    for (int c = 1; c < CommandGridColumns; ++c)
        strgrd->setColumnWidth(c, widths[c - 1]);
    placeEditors();
}

void CommandEditorDialog::placeEditors()
{
    const int row = m_model.currentRow() - 1;
    if (row < 0 || row >= strgrd->rowCount())
        return;
    // Each editor covers its cell inside the grid lines.
    const auto cellRect = [this, row](int column) { return strgrd->visualRect(strgrd->model()->index(row, column)); };
    for (GridEditor e : allEditors) {
        if (e != GridEditor::Minute && e != GridEditor::Second && e != GridEditor::List)
            m_editors[size_t(e)]->setGeometry(cellRect(EditorColumn(e)));
    }
    for (QComboBox* list : std::as_const(m_lists))
        list->setGeometry(cellRect(EditorColumn(GridEditor::List)));
    // The time boxes share the running-time column: minutes, ":", seconds.
    const QRect time = cellRect(ColThirdPara);
    panRunTime->setGeometry(time);
    const int width = time.width();
    const int height = time.height();
    const double u = width / 5.0;
    const int boxWidth = int(std::lround(2 * u));
    const int gap = int(std::lround((u - m_timeColon->width()) / 2));
    QWidget* minute = m_editors[size_t(GridEditor::Minute)];
    minute->setGeometry(0, 0, boxWidth, height);
    m_timeColon->move(minute->geometry().right() + 1 + gap, (height - m_timeColon->height()) / 2);
    m_editors[size_t(GridEditor::Second)]->setGeometry(m_timeColon->geometry().right() + 1 + gap, 0, boxWidth,
                                                       height);
}

void CommandEditorDialog::renderRows()
{
    const QSignalBlocker quiet(strgrd);
    strgrd->clearContents();
    strgrd->setRowCount(m_model.rowCount());
    for (int row = 1; row <= m_model.rowCount(); ++row) {
        for (int column = 0; column < CommandGridColumns; ++column) {
            auto* item = new QTableWidgetItem(m_model.cell(row, column));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            strgrd->setItem(row - 1, column, item);
        }
    }
    strgrd->setCurrentCell(-1, -1);
    renderContext();
}

void CommandEditorDialog::renderCell(int row, int column)
{
    if (QTableWidgetItem* item = strgrd->item(row - 1, column))
        item->setText(m_model.cell(row, column));
}

void CommandEditorDialog::renderEditor(GridEditor editor)
{
    const QScopedValueRollback<bool> rendering(m_rendering, true);
    QWidget* w = editorWidget(editor);
    if (editor == GridEditor::List) {
        // Only the list of the model's lookup shows; the others keep their choices.
        for (QComboBox* list : std::as_const(m_lists)) {
            if (list != w)
                list->hide();
        }
        if (!w)
            return;
    }
    const QString text = m_model.editorText(editor);
    if (auto* box = qobject_cast<QComboBox*>(w)) {
        if (box->currentIndex() != m_model.editorIndex(editor))
            box->setCurrentIndex(m_model.editorIndex(editor));
    } else if (auto* spin = qobject_cast<QSpinBox*>(w)) {
        if (spin->text() != text) {
            bool number = false;
            const int value = text.trimmed().toInt(&number);
            if (number && value >= spin->minimum() && value <= spin->maximum())
                spin->setValue(value);
            else
                spin->clear();
        }
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        // Leaves the cursor where it is while the operator types.
        if (edit->text() != text)
            edit->setText(text);
    }
    if (editor == GridEditor::Minute || editor == GridEditor::Second) {
        panRunTime->setVisible(m_model.editorVisible(GridEditor::Minute) || m_model.editorVisible(GridEditor::Second));
        return;
    }
    if (m_model.editorVisible(editor) && !w->isVisible())
        placeEditors();
    w->setVisible(m_model.editorVisible(editor));
}

void CommandEditorDialog::renderContext()
{
    lblFirst->setText(m_model.firstCaption());
    lblFirstValue->setText(m_model.firstValue());
    lblSecond->setText(m_model.secondCaption());
    lblSecondValue->setText(m_model.secondValue());
    lblSecond->setVisible(m_model.secondLineVisible());
    lblSecondValue->setVisible(m_model.secondLineVisible());
}

void CommandEditorDialog::strgrdSelectCell(int row, int column, int previousRow, int previousColumn)
{
    if (row < 0)
        return;
    if (!m_model.SelectCell(row + 1, column)) {
        // A refused row keeps the selection where it was.
        const QSignalBlocker quiet(strgrd);
        strgrd->setCurrentCell(previousRow, previousColumn);
    }
}

void CommandEditorDialog::LoadCheckedCommands(const NamedCommandList& list, const QList<int>& checkedIds)
{
    if (checkedIds.isEmpty()) {
        // Nothing checked to edit: an empty grid.
        m_model.LoadRows(list, {});
        return;
    }
    m_model.LoadCheckedCommands(list, checkedIds);
}

bool CommandEditorDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // A list's own drop-down or another window taking the keyboard is
        // not leaving the editor.
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
            // The lists of the other lookups are hidden: no editor of the row.
            for (GridEditor e : allEditors) {
                if (editorWidget(e) == watched) {
                    m_model.LeaveEditor(e);
                    break;
                }
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CommandEditorDialog::mousePressEvent(QMouseEvent* event)
{
    // A click on the window's background ends the editing of the row.
    m_model.ClickBackground();
    const QSignalBlocker quiet(strgrd);
    strgrd->setCurrentCell(-1, -1);
    QDialog::mousePressEvent(event);
}

void CommandEditorDialog::bitbtnSaveClick()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const bool saved = m_model.Save();
    QGuiApplication::restoreOverrideCursor();
    if (saved)
        accept();
}

void CommandEditorDialog::reject()
{
    if (m_model.CloseQuery())
        QDialog::reject();
}

bool RunCommandEditorDialog(QWidget* parent, MessagePresenter& messages, const SettingsFiles& files,
                            const LookupLists& lookups, const NamedCommandList& list, const QList<int>& checkedIds)
{
    CommandEditorDialog window(messages, files, lookups, parent);
    window.LoadCheckedCommands(list, checkedIds);
    window.exec();
    return window.model().saved();
}
