#pragma once

#include <QString>

// The program's version, written into exported scripts and farm jobs; the
// project's version in CMake is its one source.
inline QString programVersion() {
    return QStringLiteral(CORVANE_VERSION);
}

// The maker's web host, named in exported batch files and opened by the Help menu.
inline QString makerWebHost() {
    return QStringLiteral("www.quillmere-software.example");
}
