#pragma once

#include <QString>

// The maker's web host, named in exported batch files and opened by the Help menu.
inline QString makerWebHost() {
    return QStringLiteral("www.quillmere-software.example");
}
