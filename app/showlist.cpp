#include "showlist.h"

#include "database.h"
#include "publicvariable.h"
#include "settingsfiles.h"
#include "sqltext.h"

#include <QHash>

ShowListReload ReloadShowList()
{
    ShowListReload result;
    PublicVariables& pv = mPublicVariable();

    if (!OpenRows(DbQuery::General, SqlSelectShows()))
        return result;

    QVector<TShow> shows;
    QSqlQuery& query = QueryObject(DbQuery::General);
    while (query.next()) {
        TShow show;
        show.ShowID = FieldInt(query, QStringLiteral("ShowID"));
        show.URL = ShowUrlOf(show.ShowID);
        show.ActivedUniversalSwitch = quint8(FieldInt(query, QStringLiteral("ActivedUniversalSwitch")));
        show.UniversalSwitchID = quint8(FieldInt(query, QStringLiteral("UniversalSwitchID")));
        shows.append(show);
        result.rows.append({ShowNameOf(show.ShowID), QString::number(show.ShowID)});
    }
    query.finish();

    // Carry loaded time points over by ShowID, never by position: after a
    // reorder, insert or delete the show at a position may be another one,
    // and firing its predecessor's commands would drive the wrong show.
    QHash<qint32, int> oldIndexById;
    for (int i = 0; i < pv.ShowList.size(); ++i)
        oldIndexById.insert(pv.ShowList.at(i).ShowID, i);
    const qint32 chosenId = pv.CurrentShowIndex >= 0 && pv.CurrentShowIndex < pv.ShowList.size()
                                ? pv.ShowList.at(pv.CurrentShowIndex).ShowID
                                : -1;
    int chosenIndex = -1;
    for (int i = 0; i < shows.size(); ++i) {
        const auto old = oldIndexById.constFind(shows.at(i).ShowID);
        if (old != oldIndexById.constEnd())
            shows[i].TimePoints = std::move(pv.ShowList[old.value()].TimePoints);
        if (chosenIndex < 0 && shows.at(i).ShowID == chosenId)
            chosenIndex = i;
    }

    pv.ShowList = std::move(shows);
    pv.CurrentShowIndex = chosenIndex;
    result.ok = true;
    return result;
}
