#pragma once

#include <QFileInfo>
#include <QString>
#include <QStringList>

// A file-dialog filter: every directory passes, so the user can move through
// folders, and files pass by their extension (Utils::getExtension).
class FileFilter {
public:
    virtual ~FileFilter() = default;

    bool accept(const QFileInfo& file) const;
    virtual QString description() const = 0;
    virtual QStringList extensions() const = 0;
};
