// Text helpers for paths.
#pragma once

#include <QString>

// The extension of a path: the text after the last dot of its last part, up to the end
// or to a double quote. There is none when the backward scan meets "/", "\" or a space
// first, reaches the start, or finds the dot at the start or right after "/" or "\".
QString PathExtension(const QString &path);

// Upper case by the full Unicode mapping ("ß" becomes "SS").
QString UpperCase(const QString &text);

// True when the extension of path, upper-cased, is exactly upperExtension.
bool HasExtension(const QString &path, const QString &upperExtension);
