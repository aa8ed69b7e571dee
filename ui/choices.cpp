#include "choices.h"

#include "lookups.h"
#include "messages.h"

#include <QComboBox>

namespace {

template <typename List>
void fillChoices(const List& list, QComboBox* choices)
{
    if (!choices)
        return;
    choices->clear();
    for (const auto& entry : list)
        choices->addItem(entry.Note);
}

} // namespace

void FillUniversalSwitchStatusChoices(const LookupLists& lookups, QComboBox* choices)
{
    fillChoices(lookups.UniversalSwitchStatusList, choices);
}

void FillCurtainStatusChoices(const LookupLists& lookups, QComboBox* choices)
{
    fillChoices(lookups.CurtainStatusList, choices);
}

void FillSecurityModeChoices(const LookupLists& lookups, QComboBox* choices)
{
    fillChoices(lookups.SecurityModeList, choices);
}

void FillSecurityAlarmChoices(const LookupLists& lookups, QComboBox* choices)
{
    fillChoices(lookups.SecurityAlarmTypeList, choices);
}

int GetItemIndexIncboCtrl(const QComboBox* choices, const QString& text, MessagePresenter& messages)
{
    if (!choices) {
        messages.error(nullptr, QStringLiteral("No choice list") + QStringLiteral("(GetItemIndexIncboCtrl)"));
        return -1;
    }
    for (int i = 0; i < choices->count(); ++i) {
        if (choices->itemText(i).trimmed() == text)
            return i;
    }
    return -1;
}
