#pragma once

#include "records.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

class IniFile;

// Process-wide state shared by the windows, the show runner and the bus.
// It lives in one object so that a test can start from a fresh one with
// ResetPublicVariables().
struct PublicVariables {
    PublicVariables();
    ~PublicVariables();

    // Settings files, opened once at start-up (null until then)
    std::unique_ptr<IniFile> ShowIni;
    std::unique_ptr<IniFile> SystemIni;
    std::unique_ptr<IniFile> LanguageIni;
};

PublicVariables& mPublicVariable();

// Drops all process-wide state and starts from the defaults above.
void ResetPublicVariables();
