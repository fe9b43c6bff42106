#pragma once

#include <QByteArray>
#include <QString>

// One ticked row: its converter line and the file that line must produce.
struct BatchJob {
    QString command;         // null: the header-only script of a run without ticked rows
    QString target;          // checked after the script has run
    bool checkTarget = true; // false for that header-only script
    QString source;          // the row's image
};

// Writes a script's bytes, reporting any write or close error.
bool writeRunScript(const QString& path, const QByteArray& bytes);
