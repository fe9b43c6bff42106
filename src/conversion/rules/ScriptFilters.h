#pragma once

#include "joblist/rules/FileFilter.h"

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

// The Slurm batch script of a farm job.
class SbatchFilter final : public FileFilter {
public:
    QString description() const override { return QStringLiteral("Slurm Job (.sbatch)"); }
    QStringList extensions() const override { return {QStringLiteral("sbatch")}; }
};
