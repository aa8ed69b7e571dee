#pragma once

#include <QString>

#include <functional>

// Where the program keeps the operator's files: the program folder, holding
// Database/, Language/ and FormsDesignPosition/. In this order:
//   1. the folder named on the command line (--folder DIR);
//   2. the executable's own folder, when it holds a Database/ folder and may
//      be written (a build tree or a copied program folder);
//   3. the data home's "tavolan" folder ($XDG_DATA_HOME/tavolan, by default
//      ~/.local/share/tavolan), as an installed program uses.
// A folder without its files gets the shipped defaults copied in; a file
// already there is never overwritten.
struct ProgramLocations {
    QString requested;        // --folder DIR, empty when not given
    QString executableFolder;
    QString dataHome;         // $XDG_DATA_HOME, or ~/.local/share
    QString shippedDefaults;  // what an installed program ships: <executable>/../share/tavolan
    // Whether files may be created in a folder. The default tries it.
    std::function<bool(const QString& folder)> writable;

    // The places of this run of the program, with the folder asked for.
    static ProgramLocations OfThisProgram(const QString& requested);
};

struct ProgramFolderChoice {
    QString folder;  // empty when none could be made ready
    QString failure; // why, for the operator; empty on success
    bool seeded = false; // shipped defaults were copied in now

    explicit operator bool() const { return !folder.isEmpty(); }
};

// Picks the program folder and makes it ready, or tells why it cannot be
// used; nothing is written then.
ProgramFolderChoice ChooseProgramFolder(const ProgramLocations& locations);

// Whether a file can be created in the folder (it is tried, and removed).
bool FolderIsWritable(const QString& folder);
