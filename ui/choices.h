#pragma once

#include <QString>

class MessagePresenter;
class QComboBox;
struct LookupLists;

// Choice lists on combo boxes over the given lookup lists (lookups.h). Each fill
// clears the choices and adds every Note in list order; a null box is left
// alone.
void FillUniversalSwitchStatusChoices(const LookupLists& lookups, QComboBox* choices);
void FillCurtainStatusChoices(const LookupLists& lookups, QComboBox* choices);
void FillSecurityModeChoices(const LookupLists& lookups, QComboBox* choices);
void FillSecurityAlarmChoices(const LookupLists& lookups, QComboBox* choices);

// Index of the first item whose trimmed text equals the text exactly, or -1.
// Without a box the error is shown.
int GetItemIndexIncboCtrl(const QComboBox* choices, const QString& text, MessagePresenter& messages);
