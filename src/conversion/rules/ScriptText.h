#pragma once

#include "conversion/rules/TargetSystem.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The line end of the machine the program runs on, whatever the target system.
QString hostLineSeparator();

// The line end of a script: the host's for batch files; a line feed for bash,
// which would take a carriage return for part of each line's last word (and
// of "#!/bin/bash") when a Windows host wrote one.
QString scriptLineSeparator(TargetSystem system);

// The line a batch file in UTF-8 opens with, so that the interpreter reads the
// rest of it as UTF-8.
QString utf8BatchLine();

// A script's lines, each followed by its line end, in the bytes its
// interpreter reads (see ScriptBuffer::forScript).
QByteArray scriptBytes(TargetSystem system, const QStringList& lines);

// The lines an exported script opens and closes with.
QStringList exportScriptHeader(TargetSystem system, const QString& version);
QStringList exportScriptFooter(TargetSystem system);

// The line a bash script opens with.
QString bashHeader();

// The file name of the temporary script for a target system.
QString runScriptName(TargetSystem system);

// The file an export writes for the name the user chose: a name whose last
// component has no "." gets ".sh" when the shell filter was current, else ".bat".
QString scriptFileName(const QString& chosen, bool shellFilterCurrent);
