#pragma once

#include "conversion/rules/ConverterLocation.h"
#include "conversion/rules/TargetSystem.h"

#include <QString>

// What Corvane asks of the machine it runs on.

// The operating-system name in the words Windows itself uses ("Windows 10"),
// "Mac OS X" on a Mac, else the kernel's name ("Linux").
QString operatingSystemName();

// The flavour of scripts this machine runs (targetSystemForOsName).
TargetSystem thisMachinesSystem();

// The converter probe's questions, answered by this machine's files and folders.
ConverterProbe systemConverterProbe();
