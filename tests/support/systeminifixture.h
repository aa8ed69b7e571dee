#pragma once

#include "inifile.h"
#include "scriptedmessages.h"
#include "settingsfiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// What a test of a System.ini setting and its dialog sets up for each test
// function: settings files with only System.ini, written by the test into a
// folder of its own, and a scripted presenter. A test class derives from it
// after QObject and calls openSystemIni() in init() and closeSystemIni() in
// cleanup().
class SystemIniFixture {
protected:
    void openSystemIni()
    {
        settings = SettingsFiles();
        dir = std::make_unique<QTemporaryDir>();
        messages = std::make_unique<ScriptedMessages>();
    }
    void closeSystemIni()
    {
        messages.reset();
        settings = SettingsFiles();
        dir.reset();
    }

    QString iniPath() const { return dir->filePath(QStringLiteral("System.ini")); }
    // Writes System.ini with the body and opens it into the settings files.
    void writeIni(const QByteArray& body)
    {
        QFile f(iniPath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(body);
        f.close();
        settings.SystemIni = std::make_unique<IniFile>(iniPath());
    }

    SettingsFiles settings;
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<ScriptedMessages> messages;
};
