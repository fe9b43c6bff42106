#pragma once

#include "conversion/rules/LedgerRecord.h"

#include <QString>

// The converter the field names, as this machine finds it: a path is taken as
// it is (made absolute), a bare name is looked for on PATH. Its path is empty
// when nothing is found.
ConverterIdentity resolveConverter(const QString& field);
