#include "commandgridmodel.h"

#include "commandlist.h"
#include "showstore.h"
#include "messages.h"
#include "lookups.h"
#include "settingsfiles.h"
#include "textops.h"

#include <climits>

GridWriteResult WriteCommandRows(const ShowStore::CommandTarget& target, const QList<TControlObject>& rows)
{
    // The show store's update of several commands: one transaction, all
    // rows or none, with the database's reason on a failure.
    const ShowStore::EditResult result =
        ShowStore::UpdateCommands(target, QVector<TControlObject>(rows.begin(), rows.end()));
    return {result.ok, result.error};
}

CommandGridModel::CommandGridModel(MessagePresenter& messages, const SettingsFiles& files,
                                   const LookupLists& lookups, QObject* parent)
    : QObject(parent), m_messages(messages), m_files(files), m_lookups(lookups)
{
}

QString CommandGridModel::ColumnHeader(int column) const
{
    // Column 0 is the row's check box and has no heading.
    return column < 1 ? QString() : GridHeading(m_files, column - 1);
}

double CommandGridModel::ColumnShare(int column)
{
    static const double shares[CommandGridColumns] = {0, 0.05, 0.07, 0.06, 0.06, 0.06, 0.2, 0.1, 0.12, 0.12, 0.13};
    return column >= 1 && column < CommandGridColumns ? shares[column] : 0.0;
}

QString CommandGridModel::EditorName(GridEditor editor, ParameterLookup list)
{
    if (editor == GridEditor::List)
        return QString::fromLatin1(FactsOf(list).editorName);
    static const char* const names[GridEditorCount] = {
        "editSubNetID",   "editDeviceID", "cboType", "editFirstPara", "editSecondPara", "spineditMinute",
        "spineditSecond", "",             "seOrderID", "editRemark",  "editDelay"};
    return QString::fromLatin1(names[int(editor)]);
}

QString CommandGridModel::SyncBoxName(SyncBox box)
{
    static const char* const names[] = {"chkIsSynSubNetID", "chkSynDeviceID", "chkSynKind", "chkModifyPara3",
                                        "chkSynDelay"};
    return QString::fromLatin1(names[int(box)]);
}

QStringList CommandGridModel::TabOrder()
{
    QStringList order{SyncBoxName(SyncBox::SubNetID), SyncBoxName(SyncBox::DeviceID), SyncBoxName(SyncBox::Kind)};
    for (GridEditor e : {GridEditor::SubNetID, GridEditor::DeviceID, GridEditor::Type, GridEditor::FirstPara,
                         GridEditor::SecondPara, GridEditor::Minute, GridEditor::Second}) {
        order << EditorName(e);
    }
    for (const LookupFacts& list : ParameterLookups())
        order << EditorName(GridEditor::List, list.lookup);
    order << EditorName(GridEditor::OrderID) << EditorName(GridEditor::Remark);
    order << SyncBoxName(SyncBox::ThirdPara) << EditorName(GridEditor::Delay) << SyncBoxName(SyncBox::Delay)
          << QStringLiteral("bitbtnSave") << QStringLiteral("bitbtnClose") << QStringLiteral("strgrd");
    return order;
}

// ---- Loading ----

int CommandGridModel::LoadCheckedCommands(const NamedCommandList& list, const QList<int>& checkedIds)
{
    // A list that broke off gives the commands read before it.
    QVector<TControlObject> commands;
    for (const CommandListRow& row : ShowStore::ReadCommandList(list.target).rows) {
        if (checkedIds.isEmpty() || checkedIds.contains(row.command.CommandID))
            commands.append(row.command);
    }
    QList<QStringList> listRows;
    for (const TControlObject& c : commands)
        listRows.append(QStringList{QString::number(c.CommandID)} + CommandListCells(m_files, m_lookups, c));
    LoadRows(list, listRows);
    for (int i = 0; i < m_rows.size(); ++i)
        m_rows[i].storedKind = commands[i].CommandTypeID;
    return rowCount();
}

void CommandGridModel::LoadRows(const NamedCommandList& list, const QList<QStringList>& listRows)
{
    m_target = list.target;
    m_rows.clear();
    m_undo.clear();
    m_redo.clear();
    m_currentRow = 0;
    if (!listRows.isEmpty()) {
        m_captions = CaptionsOf(list);
        for (const QStringList& texts : listRows) {
            Row row;
            row.cells = QStringList{QString()} + texts.mid(0, CommandGridColumns - 1);
            while (row.cells.size() < CommandGridColumns)
                row.cells << QString();
            m_rows.append(row);
        }
    }
    HideEditors();
    Q_EMIT rowsReset();
}

// ---- State ----

QString CommandGridModel::cell(int row, int column) const
{
    if (!validRow(row) || column < 0 || column >= CommandGridColumns)
        return QString();
    return m_rows[row - 1].cells[column];
}

bool CommandGridModel::RowModified(int row) const
{
    return validRow(row) && m_rows[row - 1].modified;
}

bool CommandGridModel::anyRowModified() const
{
    for (const Row& r : m_rows) {
        if (r.modified)
            return true;
    }
    return false;
}

QString CommandGridModel::editorText(GridEditor editor) const
{
    if (!IsListEditor(editor))
        return state(editor).text;
    const QStringList items = EditorItems(editor);
    const int index = editorIndex(editor);
    return index >= 0 && index < items.size() ? items[index] : QString();
}

int CommandGridModel::editorIndex(GridEditor editor) const
{
    return editor == GridEditor::List ? m_listIndex.value(m_listLookup, -1) : state(editor).index;
}

QStringList CommandGridModel::EditorItems(GridEditor editor) const
{
    if (editor == GridEditor::List)
        return FactsOf(m_listLookup).names(m_lookups);
    QStringList names;
    if (editor == GridEditor::Type) {
        for (const TDefineNote& type : m_lookups.CommandTypeList)
            names << type.Note;
    }
    return names;
}

bool CommandGridModel::IsListEditor(GridEditor editor)
{
    return editor == GridEditor::Type || editor == GridEditor::List;
}

int CommandGridModel::rowKind(int row) const
{
    return KindOfTypeName(m_lookups, cell(row, ColType).trimmed());
}

void CommandGridModel::setCell(int row, int column, const QString& text)
{
    if (!validRow(row) || m_rows[row - 1].cells[column] == text)
        return;
    m_rows[row - 1].cells[column] = text;
    Q_EMIT cellChanged(row, column);
}

void CommandGridModel::markRow(int row)
{
    if (validRow(row))
        m_rows[row - 1].modified = true;
}

void CommandGridModel::showEditor(GridEditor e, bool visible)
{
    if (state(e).visible == visible)
        return;
    state(e).visible = visible;
    Q_EMIT editorChanged(e);
}

void CommandGridModel::fillEditor(GridEditor e, const QString& text)
{
    if (state(e).text == text)
        return;
    state(e).text = text;
    Q_EMIT editorChanged(e);
    changed(e);
}

void CommandGridModel::putEditor(GridEditor e, const QString& text)
{
    if (state(e).text == text)
        return;
    state(e).text = text;
    Q_EMIT editorChanged(e);
}

void CommandGridModel::selectItem(GridEditor e, int index)
{
    if (index < -1 || index >= EditorItems(e).size())
        index = -1;
    if (editorIndex(e) == index)
        return;
    if (e == GridEditor::List)
        m_listIndex[m_listLookup] = index;
    else
        state(e).index = index;
    Q_EMIT editorChanged(e);
}

void CommandGridModel::showParameterEditors(int kind, ParameterEditors shown)
{
    // Hidden first: another lookup's list takes the list's place.
    showEditor(GridEditor::List, false);
    m_listLookup = KindFacts(kind).lookup;
    showEditor(GridEditor::FirstPara, shown.testFlag(ParameterEditor::FirstPara));
    showEditor(GridEditor::SecondPara, shown.testFlag(ParameterEditor::SecondPara));
    showEditor(GridEditor::Minute, shown.testFlag(ParameterEditor::RunTime));
    showEditor(GridEditor::Second, shown.testFlag(ParameterEditor::RunTime));
    showEditor(GridEditor::List, shown.testFlag(ParameterEditor::List));
}

// ---- Row selection ----

bool CommandGridModel::SelectCell(int row, int column)
{
    Q_UNUSED(column) // every cell of a row gives the same editors
    const ActionStep step(*this);
    if (!validRow(row)) {
        HideEditors();
        return false;
    }
    if (cell(row, ColSubNetID).trimmed().isEmpty())
        return false;
    // The editors still belong to the row selected before.
    CommitEditors();
    m_currentRow = row;
    Q_EMIT currentRowChanged(row);

    fillEditor(GridEditor::SubNetID, cell(row, ColSubNetID).trimmed());
    fillEditor(GridEditor::Remark, cell(row, ColRemark).trimmed());
    fillEditor(GridEditor::OrderID, cell(row, ColOrder).trimmed());
    fillEditor(GridEditor::DeviceID, cell(row, ColDeviceID).trimmed());
    const QString typeName = cell(row, ColType).trimmed();
    int typeIndex = -1;
    const QStringList types = EditorItems(GridEditor::Type);
    for (int i = 0; i < types.size() && typeIndex < 0; ++i) {
        if (types[i].trimmed() == typeName)
            typeIndex = i;
    }
    selectItem(GridEditor::Type, typeIndex);
    fillEditor(GridEditor::Delay, cell(row, ColDelay).trimmed());
    for (GridEditor e : {GridEditor::SubNetID, GridEditor::Remark, GridEditor::OrderID, GridEditor::DeviceID,
                         GridEditor::Type, GridEditor::Delay})
        showEditor(e, true);

    const int kind = rowKind(row);
    const RowEditorFill fill =
        EditorsForRow(m_lookups, kind, cell(row, ColFirstPara), cell(row, ColSecondPara), cell(row, ColThirdPara));
    if (fill.shown.testFlag(ParameterEditor::FirstPara))
        fillEditor(GridEditor::FirstPara, fill.first);
    if (fill.shown.testFlag(ParameterEditor::SecondPara))
        fillEditor(GridEditor::SecondPara, fill.second);
    if (fill.shown.testFlag(ParameterEditor::RunTime)) {
        fillEditor(GridEditor::Minute, fill.minute);
        fillEditor(GridEditor::Second, fill.seconds);
    }
    showParameterEditors(kind, fill.shown);
    if (fill.shown.testFlag(ParameterEditor::List))
        selectItem(GridEditor::List, fill.listIndex);
    return true;
}

// ---- Typing: synchronous modification and type change ----

void CommandGridModel::EditText(GridEditor editor, const QString& text)
{
    if (IsListEditor(editor))
        return;
    const ActionStep step(*this, int(editor));
    // The remark box takes at most 20 characters.
    fillEditor(editor, editor == GridEditor::Remark ? text.left(20) : text);
}

void CommandGridModel::ChooseItem(GridEditor editor, int index)
{
    if (!IsListEditor(editor))
        return;
    const ActionStep step(*this);
    const int before = state(editor).index;
    selectItem(editor, index);
    if (editor == GridEditor::Type && state(editor).index != before)
        typeChanged();
}

void CommandGridModel::changed(GridEditor e)
{
    const QString text = state(e).text;
    const QString trimmed = text.trimmed();
    switch (e) {
    case GridEditor::SubNetID:
    case GridEditor::DeviceID: {
        const bool subnet = e == GridEditor::SubNetID;
        if (text.isEmpty() || !IsNumberIn(trimmed, 0, 254) || !syncChecked(subnet ? SyncBox::SubNetID : SyncBox::DeviceID))
            return;
        for (int row = 1; row <= rowCount(); ++row) {
            setCell(row, subnet ? ColSubNetID : ColDeviceID, trimmed);
            markRow(row);
        }
        return;
    }
    case GridEditor::Delay: {
        if (text.isEmpty())
            return;
        QString refusal;
        if (!CheckNumber(trimmed, true, 0, 600000, &refusal)) {
            m_messages.tell(nullptr, refusal);
            return;
        }
        if (syncChecked(SyncBox::Delay)) {
            for (int row = 1; row <= rowCount(); ++row) {
                setCell(row, ColDelay, trimmed);
                markRow(row);
            }
        }
        return;
    }
    case GridEditor::Minute:
    case GridEditor::Second:
        syncRunningTime();
        return;
    default:
        return;
    }
}

void CommandGridModel::syncRunningTime()
{
    if (!syncChecked(SyncBox::ThirdPara))
        return;
    const QString minutes = state(GridEditor::Minute).text.trimmed();
    const QString seconds = state(GridEditor::Second).text.trimmed();
    if (minutes.isEmpty() || seconds.isEmpty() || !IsNumberIn(minutes, 0, 60) || !IsNumberIn(seconds, 0, 59))
        return;
    const QString typeName = editorText(GridEditor::Type).trimmed();
    if (typeName.isEmpty())
        return;
    const int kind = KindOfTypeName(m_lookups, typeName);
    const QString time = minutes + QLatin1Char(':') + seconds;
    // Only rows of the type shown in the type list take the running time.
    for (int row = 1; row <= rowCount(); ++row) {
        if (cell(row, ColType) != typeName)
            continue;
        markRow(row);
        if (time != CellValue(cell(row, ColThirdPara))) {
            setCell(row, ColThirdPara, time);
            DeriveParameters(kind, row);
        }
    }
}

void CommandGridModel::typeChanged()
{
    const QString typeName = editorText(GridEditor::Type).trimmed();
    if (typeName.isEmpty())
        return;
    const int kind = KindOfTypeName(m_lookups, typeName);

    // A row given another kind takes that kind's defaults, whatever it held
    // before and whatever the editors still hold.
    if (syncChecked(SyncBox::Kind)) {
        for (int row = 1; row <= rowCount(); ++row) {
            const bool newKind = row == m_currentRow || cell(row, ColType).trimmed() != typeName;
            markRow(row);
            setCell(row, ColType, typeName);
            if (newKind)
                giveKindDefaults(kind, row);
        }
    } else if (validRow(m_currentRow)) {
        // The row's type cell is written, and the row marked, when the type
        // list is left.
        giveKindDefaults(kind, m_currentRow);
    }

    if (!validRow(m_currentRow)) {
        showParameterEditors(kind, ShowEditorsForKind(kind));
        return;
    }
    // The editors show the row's new cells; putting them there is no typing.
    const int row = m_currentRow;
    const RowEditorFill fill =
        EditorsForNewKind(m_lookups, kind, cell(row, ColFirstPara), cell(row, ColSecondPara), cell(row, ColThirdPara));
    if (fill.shown.testFlag(ParameterEditor::FirstPara))
        putEditor(GridEditor::FirstPara, fill.first);
    if (fill.shown.testFlag(ParameterEditor::SecondPara))
        putEditor(GridEditor::SecondPara, fill.second);
    if (fill.shown.testFlag(ParameterEditor::RunTime)) {
        putEditor(GridEditor::Minute, fill.minute);
        putEditor(GridEditor::Second, fill.seconds);
    }
    showParameterEditors(kind, fill.shown);
    if (fill.shown.testFlag(ParameterEditor::List))
        selectItem(GridEditor::List, fill.listIndex);
}

void CommandGridModel::giveKindDefaults(int kind, int row)
{
    const QStringList cells = KindDefaults(m_files, m_lookups, kind);
    setCell(row, ColFirstPara, cells[0]);
    setCell(row, ColSecondPara, cells[1]);
    setCell(row, ColThirdPara, cells[2]);
}

void CommandGridModel::DeriveParameters(int kind, int row)
{
    const int first = row == 0 ? 1 : row;
    const int last = row == 0 ? rowCount() : row;
    for (int r = first; r <= last && validRow(r); ++r) {
        const QStringList cells =
            ::DeriveParameters(m_files, m_lookups, kind, cell(r, ColFirstPara), cell(r, ColSecondPara),
                               cell(r, ColThirdPara));
        setCell(r, ColFirstPara, cells[0]);
        setCell(r, ColSecondPara, cells[1]);
        setCell(r, ColThirdPara, cells[2]);
    }
}

void CommandGridModel::SetSyncChecked(SyncBox box, bool checked)
{
    m_sync[int(box)] = checked;
}

// ---- Leaving an editor ----

void CommandGridModel::LeaveEditor(GridEditor editor)
{
    const ActionStep step(*this);
    switch (editor) {
    case GridEditor::Minute:
    case GridEditor::Second:
        leaveTimeBoxes();
        return;
    case GridEditor::List:
        leaveList();
        return;
    default:
        leaveTextBox(editor);
        return;
    }
}

void CommandGridModel::leaveTextBox(GridEditor e)
{
    const int row = m_currentRow;
    if (!validRow(row))
        return;
    const QString text = editorText(e).trimmed();
    if (text.isEmpty())
        return;
    int column = 0;
    QString written = text;
    switch (e) {
    case GridEditor::SubNetID:
    case GridEditor::DeviceID:
        if (!IsNumberIn(text, 0, 254))
            return;
        column = e == GridEditor::SubNetID ? ColSubNetID : ColDeviceID;
        break;
    case GridEditor::Type:
        column = ColType;
        break;
    case GridEditor::FirstPara:
    case GridEditor::SecondPara: {
        const bool first = e == GridEditor::FirstPara;
        if (!editorVisible(e) || !IsNumberIn(text, first ? 1 : 0, 255) || CellValue(cell(row, ColType)).isEmpty())
            return;
        const int kind = rowKind(row);
        column = first ? ColFirstPara : ColSecondPara;
        written = first ? FirstParameterText(m_files, kind, text) : SecondParameterText(m_files, kind, text);
        break;
    }
    case GridEditor::OrderID:
        // The order number is stored as a whole number like every other one.
        if (!IsNumber(text))
            return;
        column = ColOrder;
        break;
    case GridEditor::Remark:
        column = ColRemark;
        break;
    case GridEditor::Delay:
        if (!IsNumberIn(text, 0, 600000))
            return;
        column = ColDelay;
        break;
    default:
        return;
    }
    if (cell(row, column) == written)
        return;
    setCell(row, column, written);
    markRow(row);
}

void CommandGridModel::leaveList()
{
    const int row = m_currentRow;
    const QString text = editorText(GridEditor::List);
    if (!validRow(row) || !editorVisible(GridEditor::List) || text.isEmpty())
        return;
    if (text == CellValue(cell(row, ColSecondPara)))
        return;
    setCell(row, ColSecondPara,
            DescribedValue(m_files, text, QString::fromLatin1(FactsOf(m_listLookup).descriptionKey)));
    markRow(row);
}

void CommandGridModel::leaveTimeBoxes()
{
    const int row = m_currentRow;
    if (!validRow(row))
        return;
    for (GridEditor e : {GridEditor::Minute, GridEditor::Second}) {
        if (state(e).text.trimmed().isEmpty())
            fillEditor(e, QStringLiteral("0"));
    }
    // No range here: a running time such as 61:30 is taken as typed.
    const QString time =
        state(GridEditor::Minute).text.trimmed() + QLatin1Char(':') + state(GridEditor::Second).text.trimmed();
    if (time == CellValue(cell(row, ColThirdPara)))
        return;
    setCell(row, ColThirdPara, RunningTimeText(m_files, time));
    markRow(row);
}

void CommandGridModel::CommitEditors()
{
    for (GridEditor e : {GridEditor::SubNetID, GridEditor::DeviceID, GridEditor::Type, GridEditor::FirstPara,
                         GridEditor::SecondPara, GridEditor::List, GridEditor::OrderID}) {
        if (editorVisible(e))
            LeaveEditor(e);
    }
}

void CommandGridModel::HideEditors()
{
    for (int i = 0; i < GridEditorCount; ++i)
        showEditor(GridEditor(i), false);
}

void CommandGridModel::ClickBackground()
{
    const ActionStep step(*this);
    CommitEditors();
    HideEditors();
}

// ---- Save and close ----

int CommandGridModel::kindForSave(int row) const
{
    const int kind = rowKind(row);
    // A type name the type list does not know leaves the command's kind as it was.
    return kind < 0 && m_rows[row - 1].storedKind >= 0 ? m_rows[row - 1].storedKind : kind;
}

int CommandGridModel::unstorableColumn(int row) const
{
    const auto whole = [this, row](int column, qint64 minimum, qint64 maximum) {
        bool number = false;
        const qint64 value = cell(row, column).trimmed().toLongLong(&number);
        return number && value >= minimum && value <= maximum;
    };
    if (!whole(ColOrder, INT_MIN, INT_MAX))
        return ColOrder;
    if (!whole(ColSubNetID, 0, 255))
        return ColSubNetID;
    if (!whole(ColDeviceID, 0, 255))
        return ColDeviceID;
    const int kind = kindForSave(row);
    if (kind < 0 || kind > 255)
        return ColType;
    switch (UnstorableParameter(m_lookups, kind, cell(row, ColFirstPara), cell(row, ColSecondPara),
                                cell(row, ColThirdPara))) {
    case 1:
        return ColFirstPara;
    case 2:
        return ColSecondPara;
    case 3:
        return ColThirdPara;
    default:
        break;
    }
    if (!whole(ColDelay, 0, INT_MAX))
        return ColDelay;
    return 0;
}

TControlObject CommandGridModel::rowForSave(int row) const
{
    const int kind = kindForSave(row);
    const StoredParameters p =
        ConvertForSave(m_lookups, kind, cell(row, ColFirstPara), cell(row, ColSecondPara), cell(row, ColThirdPara));
    const auto number = [this, row](int column) { return cell(row, column).trimmed().toInt(); };
    TControlObject c;
    c.CommandID = number(ColCommandID);
    c.SequenceNo = number(ColOrder);
    c.Remark = cell(row, ColRemark);
    c.SubnetID = static_cast<quint8>(number(ColSubNetID));
    c.DeviceID = static_cast<quint8>(number(ColDeviceID));
    c.CommandTypeID = static_cast<quint8>(kind);
    c.FirstParameter = static_cast<quint16>(p.first);
    c.SecondParameter = static_cast<quint16>(p.second);
    c.ThirdParameter = static_cast<quint16>(p.third);
    c.DelayMS = number(ColDelay);
    return c;
}

bool CommandGridModel::Save()
{
    CommitEditors();
    HideEditors();
    QList<TControlObject> changedRows;
    for (int row = 1; row <= rowCount(); ++row) {
        if (!RowModified(row))
            continue;
        // A row is written as shown or not at all, and then neither are the others.
        if (const int column = unstorableColumn(row)) {
            m_messages.error(nullptr, QStringLiteral("The commands were not saved, nothing was written: %1 %2 "
                                                     "(%3 %4) cannot be stored as shown, its %5 \"%6\" "
                                                     "is not a value it can hold.")
                                          .arg(ColumnHeader(ColCommandID), cell(row, ColCommandID).trimmed(),
                                               ColumnHeader(ColOrder), cell(row, ColOrder).trimmed(),
                                               ColumnHeader(column), cell(row, column)));
            return false;
        }
        changedRows.append(rowForSave(row));
    }
    if (!changedRows.isEmpty()) {
        const GridWriteResult result = m_writer ? m_writer(m_target, changedRows)
                                                : GridWriteResult{false, QStringLiteral("Nothing to save to.")};
        if (!result.ok) {
            m_messages.error(nullptr, QStringLiteral("The commands were not saved, nothing was written: ")
                                          + result.reason);
            return false;
        }
        for (Row& r : m_rows)
            r.modified = false;
    }
    m_saved = true;
    return true;
}

bool CommandGridModel::CloseQuery()
{
    if (!anyRowModified())
        return true;
    switch (m_messages.ask(nullptr, QStringLiteral("Do you need to save data?"))) {
    case MessageAnswer::Yes:
        // A save that failed keeps the window, so the changes are not lost.
        return Save();
    case MessageAnswer::No:
        return true;
    default:
        return false;
    }
}

// ---- The window's own undo ----

CommandGridModel::ActionStep::ActionStep(CommandGridModel& model, int merge)
    : m_model(model), m_merge(merge), m_outermost(model.m_actionDepth++ == 0)
{
    if (m_outermost)
        m_before = model.m_rows;
}

CommandGridModel::ActionStep::~ActionStep()
{
    --m_model.m_actionDepth;
    if (!m_outermost)
        return;
    if (m_model.m_rows == m_before) {
        // Anything but more typing into the same box ends the typing step.
        if (m_merge != m_model.m_lastMerge)
            m_model.m_lastMerge = -1;
        return;
    }
    const bool typingOn = m_merge >= 0 && m_merge == m_model.m_lastMerge && !m_model.m_undo.isEmpty();
    if (!typingOn)
        m_model.m_undo.append(m_before);
    m_model.m_redo.clear();
    m_model.m_lastMerge = m_merge;
}

void CommandGridModel::putRows(const QVector<Row>& rows)
{
    HideEditors();
    m_currentRow = 0;
    m_rows = rows;
    m_lastMerge = -1;
    Q_EMIT rowsReset();
    Q_EMIT currentRowChanged(0);
}

void CommandGridModel::Undo()
{
    if (m_undo.isEmpty())
        return;
    m_redo.append(m_rows);
    putRows(m_undo.takeLast());
}

void CommandGridModel::Redo()
{
    if (m_redo.isEmpty())
        return;
    m_undo.append(m_rows);
    putRows(m_redo.takeLast());
}
