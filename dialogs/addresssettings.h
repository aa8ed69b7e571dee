#pragma once

#include <QString>
#include <QtGlobal>


class BusLink;
class MessagePresenter;
struct SettingsFiles;
class QWidget;

// What the address and port dialog does, without its widgets: the values it
// opens with and the save sequence.
//
// The program listens on one of two fixed ports: 15000, where it only sends
// (show control), or 6000, where it also hears the gateways' universal-switch
// commands. Tests give two ports the system chose instead.
class AddressSettings {
public:
    struct Ports {
        quint16 showControl = 15000;
        quint16 orvane = 6000;
    };
    // The values shown and saved are the bus link's: its identity and the
    // port it holds; a save writes them to System.ini of the settings files.
    // Refusals are shown through the presenter.
    AddressSettings(MessagePresenter& messages, SettingsFiles& files, BusLink& link);
    AddressSettings(MessagePresenter& messages, SettingsFiles& files, BusLink& link, Ports ports);

    const Ports& ports() const { return m_ports; }

    // What the dialog shows when it opens: own subnet and device in decimal,
    // and which port is checked (the Orvane one only when it is the current
    // port).
    QString initialSubnet() const;
    QString initialDevice() const;
    bool orvaneInitiallyChecked() const;

    enum class SaveResult {
        Refused,  // a number was refused; its message has been shown
        PortBusy, // the chosen port could not be bound; nothing was written
        Saved,    // written, own address updated
    };

    // The save sequence. A port that differs from the current one is bound
    // before anything is written; the socket keeps its old port when that
    // fails, so the program keeps hearing the bus.
    SaveResult save(const QString& subnetText, const QString& deviceText, bool orvaneChecked,
                    QWidget* owner = nullptr);

    // The message for a port that cannot be bound.
    static QString portBusyMessage(quint16 port);

private:
    MessagePresenter& m_messages;
    SettingsFiles& m_files;
    Ports m_ports;
    BusLink& m_link;
};
