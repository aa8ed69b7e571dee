#pragma once

#include <QString>

// The program's own folder (with its trailing separator) followed by the
// relative path.
QString ProgramPath(const QString& relativePath = QString());
// Tests point the program folder elsewhere; empty restores the executable's folder.
void SetProgramFolder(const QString& folder);

// The n-th field (from 1) of the text split at the separator, each field
// trimmed. With restOfText the third field is the whole trimmed remainder.
QString GetDelimitedField(const QString& text, int n, const QString& separator, bool restOfText = false);

// True when the text is a decimal integer (and within min..max when asked).
// "-1" counts as not a number. Otherwise *refusal tells why, in the words
// the operator is shown.
bool CheckNumber(const QString& text, bool checkRange, qint64 minimum, qint64 maximum,
                 QString* refusal = nullptr);
