#include "showlist.h"

#include "showstore.h"

#include <QHash>

ShowListReload ReloadShowList(const SettingsFiles& files, LoadedShows& loaded)
{
    ShowListReload result;

    // A Show table that cannot be read at all changes nothing; a read that
    // broke off lists the shows read before it.
    const auto read = ShowStore::ReadShowList(files);
    if (!read.complete() && read.rows.isEmpty())
        return result;

    QVector<TShow> shows;
    for (const ShowStore::ShowRow& row : read.rows) {
        TShow show;
        show.ShowID = row.ShowID;
        show.URL = row.URL;
        show.ActivedUniversalSwitch = quint8(row.ActivedUniversalSwitch);
        show.UniversalSwitchID = quint8(row.UniversalSwitchID);
        shows.append(show);
        result.rows.append({row.Name, QString::number(show.ShowID)});
    }

    // Carry loaded time points over by ShowID, never by position: after a
    // reorder, insert or delete the show at a position may be another one,
    // and firing its predecessor's commands would drive the wrong show.
    QHash<qint32, int> oldIndexById;
    for (int i = 0; i < loaded.shows.size(); ++i)
        oldIndexById.insert(loaded.shows.at(i).ShowID, i);
    const qint32 chosenId = loaded.current() ? loaded.current()->ShowID : -1;
    int chosenIndex = -1;
    for (int i = 0; i < shows.size(); ++i) {
        const auto old = oldIndexById.constFind(shows.at(i).ShowID);
        if (old != oldIndexById.constEnd())
            shows[i].TimePoints = std::move(loaded.shows[old.value()].TimePoints);
        if (chosenIndex < 0 && shows.at(i).ShowID == chosenId)
            chosenIndex = i;
    }

    loaded.shows = std::move(shows);
    loaded.currentIndex = chosenIndex;
    result.ok = true;
    return result;
}
