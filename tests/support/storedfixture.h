#pragma once

#include "commandlist.h"
#include "database.h"
#include "inifile.h"
#include "lookups.h"
#include "programfolder.h"
#include "rawsql.h"
#include "scriptedmessages.h"
#include "settingsfiles.h"

#include <memory>

// What a test of stored data sets up for each test function: settings files
// none of which is open yet, empty lookup lists, an empty command clipboard,
// a scripted presenter for what the test makes to show its messages through,
// and a fresh program folder with its database open. A test class derives
// from it after QObject and calls openStore() in init() and closeStore() in
// cleanup().
class StoredDataFixture {
protected:
    // False when the database did not open.
    bool openStore()
    {
        settings = SettingsFiles();
        lookups = LookupLists();
        clipboard = CommandClipboard();
        boxes = std::make_unique<ScriptedMessages>();
        folder = std::make_unique<TestProgramFolder>();
        return folder->openDatabase();
    }
    void closeStore()
    {
        boxes.reset();
        folder.reset();
        settings = SettingsFiles();
    }

    SettingsFiles settings;
    LookupLists lookups;
    CommandClipboard clipboard;

    std::unique_ptr<TestProgramFolder> folder;
    std::unique_ptr<ScriptedMessages> boxes;
};

// Opens the folder's Language/English.ini into the settings files and loads
// the five lookup tables (switch statuses, command types, alarm types,
// security modes, curtain statuses) from its open database into the lists.
inline bool LoadLanguageAndLookups(SettingsFiles& settings, LookupLists& lookups, const TestProgramFolder& folder)
{
    settings.LanguageIni = std::make_unique<IniFile>(folder.path(QStringLiteral("Language/English.ini")));
    return LoadUniversalSwitchStatuses(lookups) && LoadCommandTypes(lookups, settings) &&
           LoadSecurityAlarmTypes(lookups) && LoadSecurityModes(lookups) && LoadCurtainStatuses(lookups);
}
