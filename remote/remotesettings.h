#pragma once

#include <QString>

class IniFile;
struct SettingsFiles;

// [Remote] of System.ini: whether and where remote control listens. A file
// without the section listens nowhere.
struct RemoteSettings {
    bool enabled = false;
    quint16 httpPort = 15080; // the HTTP API, its events and the page
    quint16 oscPort = 15081;  // OSC over UDP; 0 turns OSC off
    QString bind = QStringLiteral("127.0.0.1");
    // When not empty, every request and OSC command must carry it.
    QString token;

    bool operator==(const RemoteSettings&) const = default;
};

// Reads the section. "Enabled" is on only for "1"; a port that is not a
// whole number from 1 to 65535 (0 too, for OscPort) keeps its default; an
// empty "Bind" is loopback; blanks around values are dropped.
RemoteSettings ReadRemoteSettings(const IniFile& systemIni);
// Writes every key in one write; false when System.ini is not open, the
// bind text is not an IP address or the write failed.
bool WriteRemoteSettings(SettingsFiles& files, const RemoteSettings& settings);
