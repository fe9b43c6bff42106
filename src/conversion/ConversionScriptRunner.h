#pragma once

#include <QString>

// Runs the temporary script of a batch run for a target system, waits for it
// and returns the result text. Never throws: every failure to start or wait
// for a child becomes "Exception Error".
QString runConversionScript(const QString& scriptPath, int system);
