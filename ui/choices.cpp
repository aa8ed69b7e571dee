#include "choices.h"

#include "messages.h"
#include "publicvariable.h"

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

void FillUniversalSwitchStatusChoices(QComboBox* choices)
{
    fillChoices(mPublicVariable().UniversalSwitchStatusList, choices);
}

void FillCurtainStatusChoices(QComboBox* choices)
{
    fillChoices(mPublicVariable().CurtainStatusList, choices);
}

void FillSecurityModeChoices(QComboBox* choices)
{
    fillChoices(mPublicVariable().SecurityModeList, choices);
}

void FillSecurityAlarmChoices(QComboBox* choices)
{
    fillChoices(mPublicVariable().SecurityAlarmTypeList, choices);
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
