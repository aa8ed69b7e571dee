#include "textops.h"

#include <QCoreApplication>
#include <QDir>

namespace {

QString& programFolderOverride()
{
    static QString folder;
    return folder;
}

QString withTrailingSeparator(QString folder)
{
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

} // namespace

QString ProgramPath(const QString& relativePath)
{
    QString folder = programFolderOverride();
    if (folder.isEmpty())
        folder = QCoreApplication::applicationDirPath();
    // Callers may still write paths the way the data folders were named on
    // the original platform ("Database\DB.mdb"); both separators mean a folder.
    QString rel = relativePath;
    rel.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return withTrailingSeparator(QDir::fromNativeSeparators(folder)) + rel;
}

void SetProgramFolder(const QString& folder)
{
    programFolderOverride() = folder;
}

QString GetDelimitedField(const QString& text, int n, const QString& separator, bool restOfText)
{
    if (n < 1)
        return QString();
    QString rest = text.trimmed();
    for (int field = 1;; ++field) {
        if (restOfText && field == 3)
            return n == 3 ? rest : QString();
        const int at = separator.isEmpty() ? -1 : rest.indexOf(separator);
        if (at < 0)
            return field == n ? rest : QString();
        if (field == n)
            return rest.left(at).trimmed();
        rest = rest.mid(at + separator.size()).trimmed();
    }
}

bool CheckNumber(const QString& text, bool checkRange, qint64 minimum, qint64 maximum, QString* refusal)
{
    // A number is a decimal integer that fits 32 bits, blanks around it
    // allowed (the same texts QString::toInt accepts for base 10). -1 stands
    // for "not a number", so the text -1 itself is refused as one.
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok || value == -1) {
        if (refusal)
            *refusal = QStringLiteral("Date type is incorrect, only numbers!");
        return false;
    }
    if (checkRange && (value < minimum || value > maximum)) {
        if (refusal)
            *refusal = QStringLiteral("Invalid number, scope is within ") + QString::number(minimum)
                       + QLatin1Char('-') + QString::number(maximum);
        return false;
    }
    return true;
}
