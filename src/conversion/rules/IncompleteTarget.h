#pragma once

#include "conversion/rules/FileStamp.h"

#include <optional>

// Whether a failed or cancelled row's target is the converter's unfinished
// work: it exists now and was created, or changed, after the row started
// (`before` is how it was then). Such a file would pass for a texture; it is
// removed. A target the converter never touched stays exactly as it was.
inline bool isIncompleteTarget(const std::optional<FileStamp>& before,
                               const std::optional<FileStamp>& after) {
    return after && (!before || *after != *before);
}
