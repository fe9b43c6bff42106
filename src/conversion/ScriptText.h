#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The line end of the machine the program runs on, whatever the target system.
QString hostLineSeparator();

// The maker's web host, named in exported batch files and the Help menu.
QString makerWebHost();

// Whether scripts of a target system are batch files (else bash scripts).
bool isBatchFlavour(int system);

// The line a batch file in UTF-8 opens with, so that the interpreter reads the
// rest of it as UTF-8.
QString utf8BatchLine();

// A script's lines, each followed by the host line end, in the bytes its
// interpreter reads: bash scripts in UTF-8; batch files in the batch code page,
// or, when a line holds a character that page lacks, in UTF-8 behind
// utf8BatchLine().
QByteArray scriptBytes(int system, const QStringList& lines);

// The temporary script of a batch run: the bash header for the Mac flavour,
// then the converter lines.
QStringList runScriptLines(int system, const QStringList& commands);

// The lines an exported script opens and closes with.
QStringList exportScriptHeader(int system, const QString& version);
QStringList exportScriptFooter(int system);

// An exported script: the batch frame around the lines, or the bash header
// followed by them.
QStringList exportScriptLines(int system, const QString& version, const QStringList& commands);

// The file name of the temporary script for a target system.
QString runScriptName(int system);

// The file an export writes for the name the user chose: a name whose last
// component has no "." gets ".sh" when the shell filter was current, else ".bat".
QString scriptFileName(const QString& chosen, bool shellFilterCurrent);
