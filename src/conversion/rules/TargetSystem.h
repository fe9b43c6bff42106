#pragma once

#include <QString>
#include <QtGlobal>

// What the scripts are written for: a Windows batch file or a bash script
// (the flavour named "Mac"). The values are the ones the setting has always had.
enum class TargetSystem : qint32 { Windows = 0, Mac = 1 };

// Whether scripts of a target system are batch files (else bash scripts).
constexpr bool isBatchFlavour(TargetSystem system) {
    return system == TargetSystem::Windows;
}

// The flavour an operating-system name starts with: a name that starts with
// "Windows" gives Windows, any other (Mac OS X, Linux, "windows") the bash
// flavour named "Mac".
inline TargetSystem targetSystemForOsName(const QString& name) {
    return name.startsWith(QLatin1String("Windows")) ? TargetSystem::Windows : TargetSystem::Mac;
}
