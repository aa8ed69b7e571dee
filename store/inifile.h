#pragma once

#include <QHash>
#include <QString>
#include <QPair>
#include <QVector>

#include <functional>
#include <optional>

// A small INI reader and writer. Section and key names match without regard
// to letter case. The file is read once when opened; every write replaces the
// key's line (or adds the section and key) and reaches the disk at once,
// through a temporary file that replaces the old one, so a crash never leaves
// a half-written file. A missing file reads as empty and is created by the
// first write.
class IniFile {
public:
    // Called after new contents were written and flushed to the temporary
    // file, just before it replaces the file; returning false abandons the
    // write there, as a crash at that moment would. Tests use it to check
    // that an interrupted write leaves the old file whole.
    using BeforeReplaceHook = std::function<bool()>;

    explicit IniFile(const QString& path, BeforeReplaceHook beforeReplace = {});

    const QString& path() const { return m_path; }

    // The value, or the default when the section or key is missing.
    QString read(const QString& section, const QString& key, const QString& defaultValue = QString()) const;
    bool contains(const QString& section, const QString& key) const;

    // False (and nothing written) when the value or a name holds a line
    // break, or when the file cannot be written.
    bool write(const QString& section, const QString& key, const QString& value);
    // Several keys of one section in one write: all reach the file together
    // or none does.
    bool write(const QString& section, const QVector<QPair<QString, QString>>& keysAndValues);

    // The lines of the first section of that name, from its heading to its
    // last line that is not blank; none when the file has no such section.
    std::optional<QVector<QString>> sectionLines(const QString& section) const;
    // Puts those lines in place of the section (the blank lines after it
    // stay), appends them when there is none, or takes the section out
    // when lines is empty. False (and nothing written) when a line holds a
    // line break or the file cannot be written.
    bool replaceSection(const QString& section, const std::optional<QVector<QString>>& lines);

    // Reads the file again from disk.
    void reload();

    // Why an existing file could not be read, or empty. Such a file reads as
    // empty and refuses writes, which would otherwise replace it with the
    // written key alone.
    const QString& readError() const { return m_readError; }

private:
    bool save(const QVector<QString>& lines) const;
    void rebuildIndex();
    qsizetype lineOf(const QString& section, const QString& key) const;

    QString m_path;
    BeforeReplaceHook m_beforeReplace;
    QVector<QString> m_lines;
    // (section, key) in folded case -> line of the first match, so that a
    // lookup does not walk the file (Show.ini holds two keys per show).
    QHash<QString, qsizetype> m_index;
    QString m_readError;
    bool m_crlf = false; // the file's own line ends are kept
    bool m_bom = false;
    bool m_latin1 = false; // not valid UTF-8 when read
};
