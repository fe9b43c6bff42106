#pragma once

#include "conversion/rules/TargetSystem.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The temporary script of one row: the bash header for the Mac flavour, then
// the row's converter line (none for the run without ticked rows); on a
// Windows host a batch line starts with "@", so that cmd does not show it.
QByteArray rowScriptBytes(TargetSystem system, const QString& command);

// A row script's file name; each row of a run has its own.
QString rowScriptName(TargetSystem system, int job);

// How a script is started, exactly as for the whole-batch script before:
// Mac: "chmod 755 " + QP, then QP, each as one command string; Windows: the
// program QP with the arguments "/c", "start", QD.
struct ScriptLaunch {
    QString permissionCommand; // empty for Windows
    QString command;           // Mac: the quoted script path, started as one string
    QString program;           // Windows: the quoted script path as the program
    QStringList arguments;
};

// Nothing when the absolute path lacks the flavour's separator ("/" for Mac,
// "\" for Windows), which makes the row an "Exception Error".
std::optional<ScriptLaunch> scriptLaunch(TargetSystem system, const QString& scriptPath);
