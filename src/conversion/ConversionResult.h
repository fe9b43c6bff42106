#pragma once

#include <QString>

// The texts a conversion run ends with; they are shown to the user unchanged.
namespace ConversionResult {
inline const QString Success = QStringLiteral("Processed Successfully");
inline const QString ProcessingError = QStringLiteral("Error Processing Files");
inline const QString ExceptionError = QStringLiteral("Exception Error");
inline const QString WriteError = QStringLiteral("Error Writing File");

// The Mac flavour's failure: both exit values, written one after the other.
inline QString processingErrorWithCodes(int permissionExit, int scriptExit) {
    return QStringLiteral("Error Processing Files. Code: ") + QString::number(permissionExit) +
           QString::number(scriptExit);
}

// Any text that mentions "Error" is a failure.
inline bool isSuccess(const QString& result) {
    return !result.contains(QStringLiteral("Error"));
}
} // namespace ConversionResult
