#pragma once

#include <QString>

// One ticked row as a run converts it: its converter line and the file that
// line must produce.
struct ConversionJob {
    QString command;         // composed as the row starts; null for the header-only script
    QString target;          // checked after the row's script has run
    bool checkTarget = true; // false for the header-only script of a run without ticked rows
    // The target lies in a mirrored tree, whose folder (the target up to its
    // last separator) is made before the row runs.
    bool makeFolder = false;
    QString source; // the row's image
};
