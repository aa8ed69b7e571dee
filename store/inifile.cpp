#include "inifile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <cerrno>
#include <optional>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// Makes what was written to the open file durable (true where there is
// nothing to do).
bool syncToDisk(int handle)
{
#ifdef Q_OS_UNIX
    if (handle < 0)
        return true;
    int rc;
    do
        rc = ::fsync(handle);
    while (rc != 0 && errno == EINTR);
    return rc == 0;
#else
    Q_UNUSED(handle);
    return true;
#endif
}

// Makes a rename in the file's folder durable. A folder that cannot be
// flushed changes nothing about the write, which has taken place.
void syncFolderOf(const QString& path)
{
#ifdef Q_OS_UNIX
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    syncToDisk(fd);
    ::close(fd);
#else
    Q_UNUSED(path);
#endif
}

// Blanks around section names, key names and values carry no meaning; only
// spaces and tabs count, so a value keeps any other character it holds.
QString trimBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && (text[begin] == u' ' || text[begin] == u'\t'))
        ++begin;
    while (end > begin && (text[end - 1] == u' ' || text[end - 1] == u'\t'))
        --end;
    return text.mid(begin, end - begin).toString();
}

bool hasLineBreak(const QString& text)
{
    return text.contains(u'\n') || text.contains(u'\r');
}

bool isComment(const QString& trimmed)
{
    return trimmed.startsWith(u';') || trimmed.startsWith(u'#');
}

// The section a line opens, if it opens one.
std::optional<QString> sectionOf(const QString& line)
{
    const QString trimmed = trimBlanks(line);
    if (!trimmed.startsWith(u'['))
        return std::nullopt;
    const qsizetype close = trimmed.indexOf(u']');
    if (close < 0)
        return std::nullopt;
    return trimBlanks(QStringView(trimmed).mid(1, close - 1));
}

// Splits a key line into its key and value; false for any other line.
bool keyLine(const QString& line, QString* key, QString* value)
{
    const QString trimmed = trimBlanks(line);
    if (trimmed.isEmpty() || isComment(trimmed) || trimmed.startsWith(u'['))
        return false;
    const qsizetype eq = trimmed.indexOf(u'=');
    if (eq <= 0)
        return false;
    if (key)
        *key = trimBlanks(QStringView(trimmed).left(eq));
    if (value)
        *value = trimBlanks(QStringView(trimmed).mid(eq + 1));
    return true;
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

struct Location {
    qsizetype keyLine = -1;    // line holding the key, or -1
    qsizetype insertAt = -1;   // where a new key of the section goes, or -1 without the section
};

// The key is looked up in every section of that name, first match winning;
// a new key goes after the last non-blank line of the first such section,
// so the blank lines that separate sections stay where they are.
Location locate(const QVector<QString>& lines, const QString& section, const QString& key)
{
    Location found;
    bool inSection = false;
    bool inFirstSection = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (const std::optional<QString> opened = sectionOf(lines[i])) {
            inSection = sameName(*opened, section);
            inFirstSection = inSection && found.insertAt < 0;
            if (inFirstSection)
                found.insertAt = i + 1;
            continue;
        }
        if (!inSection)
            continue;
        QString name;
        if (keyLine(lines[i], &name, nullptr) && sameName(name, key)) {
            found.keyLine = i;
            return found;
        }
        if (inFirstSection && !trimBlanks(lines[i]).isEmpty())
            found.insertAt = i + 1;
    }
    return found;
}

QString indexKey(const QString& section, const QString& key)
{
    return section.toCaseFolded() + QChar(u'\0') + key.toCaseFolded();
}

bool validSection(const QString& section)
{
    return !trimBlanks(section).isEmpty() && !hasLineBreak(section) && !section.contains(u']');
}

bool validKey(const QString& key)
{
    const QString trimmed = trimBlanks(key);
    return !trimmed.isEmpty() && !hasLineBreak(key) && !key.contains(u'=') && !trimmed.startsWith(u'[')
        && !isComment(trimmed);
}

} // namespace

IniFile::IniFile(const QString& path, BeforeReplaceHook beforeReplace)
    : m_path(path), m_beforeReplace(std::move(beforeReplace))
{
    reload();
}

void IniFile::reload()
{
    m_lines.clear();
    m_crlf = false;
    m_bom = false;
    m_latin1 = false;
    m_readError.clear();
    QFile file(m_path);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        m_readError = file.errorString();
        return;
    }
    QByteArray bytes = file.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        m_bom = true;
        bytes.remove(0, 3);
    }
    // The program writes UTF-8. A file saved by another editor in an 8-bit
    // code page is read as Latin-1 instead, so its other lines come back
    // byte for byte when a value is written.
    QStringDecoder decode(QStringDecoder::Utf8);
    QString text = decode(bytes);
    if (decode.hasError()) {
        m_latin1 = true;
        text = QString::fromLatin1(bytes);
    }
    const qsizetype firstBreak = text.indexOf(u'\n');
    m_crlf = firstBreak > 0 && text[firstBreak - 1] == u'\r';
    QStringList lines = text.split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QString& line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        m_lines.append(line);
    }
    rebuildIndex();
}

void IniFile::rebuildIndex()
{
    m_index.clear();
    QString section;
    bool inSection = false;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        if (const std::optional<QString> opened = sectionOf(m_lines[i])) {
            section = *opened;
            inSection = true;
            continue;
        }
        QString name;
        if (!inSection || !keyLine(m_lines[i], &name, nullptr))
            continue;
        const QString k = indexKey(section, name);
        if (!m_index.contains(k)) // the first match wins, as on writing
            m_index.insert(k, i);
    }
}

qsizetype IniFile::lineOf(const QString& section, const QString& key) const
{
    return m_index.value(indexKey(trimBlanks(section), trimBlanks(key)), -1);
}

QString IniFile::read(const QString& section, const QString& key, const QString& defaultValue) const
{
    const qsizetype line = lineOf(section, key);
    if (line < 0)
        return defaultValue;
    QString value;
    keyLine(m_lines[line], nullptr, &value);
    return value;
}

bool IniFile::contains(const QString& section, const QString& key) const
{
    return lineOf(section, key) >= 0;
}

bool IniFile::write(const QString& section, const QString& key, const QString& value)
{
    return write(section, QVector<QPair<QString, QString>>{{key, value}});
}

bool IniFile::write(const QString& section, const QVector<QPair<QString, QString>>& keysAndValues)
{
    // A line break would let a value (a show name, a path) start a section
    // or key of its own, so such text is refused rather than written.
    // A file that exists but could not be read would lose every other line.
    if (!m_readError.isEmpty() || !validSection(section))
        return false;
    for (const auto& [key, value] : keysAndValues) {
        if (!validKey(key) || hasLineBreak(value))
            return false;
    }

    const QString sectionName = trimBlanks(section);
    QVector<QString> lines = m_lines;
    for (const auto& [key, value] : keysAndValues) {
        const QString keyName = trimBlanks(key);
        const Location at = locate(lines, sectionName, keyName);
        if (at.keyLine >= 0) {
            // Keep the key as the file spells it; only the value changes.
            QString existing;
            keyLine(lines[at.keyLine], &existing, nullptr);
            lines[at.keyLine] = existing + u'=' + value;
        } else if (at.insertAt >= 0) {
            lines.insert(at.insertAt, keyName + u'=' + value);
        } else {
            lines.append(u'[' + sectionName + u']');
            lines.append(keyName + u'=' + value);
        }
    }

    if (!save(lines))
        return false;
    m_lines = std::move(lines);
    rebuildIndex();
    return true;
}

bool IniFile::save(const QVector<QString>& lines) const
{
    const QString lineEnd = m_crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QString text;
    for (const QString& line : lines) {
        text += line;
        text += lineEnd;
    }
    bool asLatin1 = m_latin1;
    if (asLatin1) {
        for (QChar c : text) {
            if (c.unicode() > 0xFF) {
                asLatin1 = false;
                break;
            }
        }
    }
    QByteArray bytes = asLatin1 ? text.toLatin1() : text.toUtf8();
    if (m_bom)
        bytes.prepend("\xEF\xBB\xBF");

    // The new contents go to a temporary file beside the old one, which is
    // flushed to disk and then renamed over it; the folder is flushed after
    // the rename. A crash or a power cut at any moment leaves either the old
    // file or the new one, whole.
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size() || !file.flush() || !syncToDisk(file.handle())) {
        file.cancelWriting();
        file.commit();
        return false;
    }
    if (m_beforeReplace && !m_beforeReplace()) {
        file.cancelWriting();
        file.commit();
        return false;
    }
    if (!file.commit())
        return false;
    syncFolderOf(m_path);
    return true;
}

namespace {

// The first section of that name: its heading's line and one past its last
// line that is not blank; none without such a section.
std::optional<std::pair<qsizetype, qsizetype>> sectionRange(const QVector<QString>& lines, const QString& section)
{
    qsizetype begin = -1;
    qsizetype end = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const std::optional<QString> opened = sectionOf(lines[i]);
        if (opened && begin >= 0)
            break;
        if (opened && sameName(*opened, section)) {
            begin = i;
            end = i + 1;
        } else if (begin >= 0 && !trimBlanks(lines[i]).isEmpty()) {
            end = i + 1;
        }
    }
    if (begin < 0)
        return std::nullopt;
    return std::make_pair(begin, end);
}

} // namespace

std::optional<QVector<QString>> IniFile::sectionLines(const QString& section) const
{
    const auto range = sectionRange(m_lines, trimBlanks(section));
    if (!range)
        return std::nullopt;
    return m_lines.mid(range->first, range->second - range->first);
}

bool IniFile::replaceSection(const QString& section, const std::optional<QVector<QString>>& sectionLines)
{
    if (!m_readError.isEmpty() || !validSection(section))
        return false;
    if (sectionLines) {
        for (const QString& line : *sectionLines) {
            if (hasLineBreak(line))
                return false;
        }
    }
    QVector<QString> lines = m_lines;
    const auto range = sectionRange(lines, trimBlanks(section));
    if (range)
        lines.remove(range->first, range->second - range->first);
    if (sectionLines) {
        const qsizetype at = range ? range->first : lines.size();
        for (qsizetype i = 0; i < sectionLines->size(); ++i)
            lines.insert(at + i, sectionLines->at(i));
    }
    if (lines == m_lines)
        return true;
    if (!save(lines))
        return false;
    m_lines = std::move(lines);
    rebuildIndex();
    return true;
}
