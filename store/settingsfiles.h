#pragma once

#include "inifile.h"

#include <QString>
#include <QStringList>

#include <memory>

// The three settings files beside the program: Database/Show.ini (show names
// and media paths), Database/System.ini (own bus address, port, generation,
// player state) and Language/English.ini (display texts). The program
// session opens them once at start-up and keeps them open; what reads or
// writes them is handed the session's SettingsFiles.
struct SettingsFiles {
    SettingsFiles();
    ~SettingsFiles();
    SettingsFiles(SettingsFiles&&) noexcept;
    SettingsFiles& operator=(SettingsFiles&&) noexcept;

    // Null until opened: a file that is not open reads as its defaults and
    // refuses writes.
    std::unique_ptr<IniFile> ShowIni;
    std::unique_ptr<IniFile> SystemIni;
    std::unique_ptr<IniFile> LanguageIni;
};

// Opens Show.ini, System.ini and English.ini, in that order, into
// ShowIni, SystemIni and LanguageIni, each with the given hook before it
// replaces its file. A missing file reads as empty; one that exists but
// cannot be read reads as empty and refuses writes. Returns, in the same
// order, why each file that could not be read was refused (with its path),
// for the caller to show.
QStringList OpenSettingsFiles(SettingsFiles& files, const IniFile::BeforeReplaceHook& beforeReplace = {});

// ---- System.ini ----------------------------------------------------------

// What start-up reads from System.ini. Values the file does not give keep
// these defaults.
struct SystemSettings {
    quint8 subnetId = 0;
    quint8 deviceId = 0;
    QString configuredIp;
    quint16 port = 15000;
    quint8 generation = 3;
    bool mute = false;
    int volume = 20;
    // False when a subnet, device, mute or volume value was not a whole
    // number: reading stopped there, the later values are the defaults, and
    // the configured address must not be examined.
    bool complete = true;
};

// Reads the keys in the order subnet, device, address, port, generation,
// mute, volume, applying the port and generation rules.
SystemSettings ReadSystemSettings(const IniFile& systemIni);

// The address to use: the configured one when one of the host's addresses,
// trimmed, equals it exactly; otherwise the host's first address, or empty
// text when the host has none.
struct AddressChoice {
    QString localAddress;
    bool writeBack = false; // the configured value must be replaced
};
AddressChoice ChooseLocalAddress(const QStringList& hostAddresses, const QString& configuredIp);

// Chooses the address and, when it is not the configured one, writes it to
// [ip] ip. Returns the address to use; *writeFailed tells whether that write
// was needed and failed.
QString ApplyLocalAddress(IniFile& systemIni, const QStringList& hostAddresses, const QString& configuredIp,
                          bool* writeFailed = nullptr);

// Writers into the open System.ini; false when it is not open or the write
// failed.
bool WriteMuteAndVolume(SettingsFiles& files, bool mute, int volume);
bool WritePort(SettingsFiles& files, quint16 port);
bool WriteSubnetId(SettingsFiles& files, const QString& subnetId);
bool WriteDeviceId(SettingsFiles& files, const QString& deviceId);

// [Firing] of System.ini: how time points fire. A file without the section
// fires on the 100 ms tick with no offset.
struct FiringSettings {
    enum Mode { Tick, Precise };
    Mode mode = Tick;
    // Milliseconds by which every time point fires early (negative: late),
    // to make up for the latency of gateways and devices.
    int offsetMS = 0;

    static constexpr int MinOffsetMS = -2000;
    static constexpr int MaxOffsetMS = 2000;

    bool operator==(const FiringSettings&) const = default;
};

// Reads [Firing] "Mode" ("tick" or "precise", any letter case) and
// "OffsetMS". An unknown mode is tick; an offset that is not a whole number
// is 0, one beyond the range is held at its end.
FiringSettings ReadFiringSettings(const IniFile& systemIni);
// Writes both keys in one write; false when System.ini is not open, the
// offset is out of range or the write failed.
bool WriteFiringSettings(SettingsFiles& files, const FiringSettings& settings);

// ---- Show.ini -------------------------------------------------------------

QString ShowNameOf(const SettingsFiles& files, int showId);
QString ShowUrlOf(const SettingsFiles& files, int showId);
// Writes the show's name and media path together; false (and nothing
// written) when either holds a line break or the file cannot be written.
bool WriteShowEntry(SettingsFiles& files, int showId, const QString& name, const QString& url);

// ---- English.ini ----------------------------------------------------------
// Every display text of the language file is read through LanguageText.

// A text of the language file; the default when the file is not open or
// lacks the key.
QString LanguageText(const SettingsFiles& files, const QString& section, const QString& key,
                     const QString& defaultValue = QString());

// Display name of a command kind, or the default when the file has none.
QString ControlTypeName(const SettingsFiles& files, int controlTypeId, const QString& defaultText = QString());
// Label of a command parameter: keys "00001" to "00012" of
// [ParameterOfControlType]. The number form is formatted to five digits.
QString ParameterLabel(const SettingsFiles& files, int number);
QString ParameterLabel(const SettingsFiles& files, const QString& key);
// Heading of command editor grid column 0..9 (keys "00023".."00031",
// "00035" of [Public]); empty for any other column.
QString GridHeading(const SettingsFiles& files, int column);

// Plain integer conversion as the settings files use it: optional sign and
// decimal digits, within 32 bits. Blanks around the text are allowed.
bool ParseSettingsInteger(const QString& text, qint32* value);
