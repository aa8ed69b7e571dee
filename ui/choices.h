#pragma once

#include <QString>

class MessagePresenter;
class QComboBox;

// Choice lists on combo boxes over the lookup lists of lookups.h. Each fill
// clears the choices and adds every Note in list order; a null box is left
// alone.
void FillUniversalSwitchStatusChoices(QComboBox* choices);
void FillCurtainStatusChoices(QComboBox* choices);
void FillSecurityModeChoices(QComboBox* choices);
void FillSecurityAlarmChoices(QComboBox* choices);

// Index of the first item whose trimmed text equals the text exactly, or -1.
// Without a box the error is shown.
int GetItemIndexIncboCtrl(const QComboBox* choices, const QString& text, MessagePresenter& messages);
