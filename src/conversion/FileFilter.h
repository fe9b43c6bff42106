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

// Shell scripts for the Mac flavour of an exported script.
class ShFilter final : public FileFilter {
public:
    QString description() const override { return QStringLiteral("Shell Script (Mac .sh)"); }
    QStringList extensions() const override { return {QStringLiteral("sh")}; }
};

// Batch files for the Windows flavour of an exported script.
class BatFilter final : public FileFilter {
public:
    QString description() const override { return QStringLiteral("Batch File (Windows .bat)"); }
    QStringList extensions() const override { return {QStringLiteral("bat")}; }
};

// The converter program on Windows; used by the converter browse button.
class ExeFilter final : public FileFilter {
public:
    QString description() const override { return QStringLiteral("imf_copy application"); }
    QStringList extensions() const override { return {QStringLiteral("exe")}; }
};
