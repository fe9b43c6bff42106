#pragma once

#include <QString>

class QFileInfo;

// Helpers shared by the file filters and the directory scan.
class Utils {
public:
    // The text after the last "." of a file name, its letters A to Z lower-cased
    // (the same in every language); empty when the name has no dot, or when
    // that dot is its first or last character.
    static QString getExtension(const QString& fileName);
    static QString getExtension(const QFileInfo& file);
};
