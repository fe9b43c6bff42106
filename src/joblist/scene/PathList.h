#pragma once

#include "joblist/scene/SceneReading.h"

// A plain list of texture paths: one a line (lines end in LF, CR LF or CR), blank lines and lines
// whose first non-blank character is '#' passed over, the spaces around a path and one pair of
// double quotes around it (as Windows' "Copy as path" writes it) dropped. UTF-8 (or Latin-1 where a
// line is not UTF-8), or UTF-16 behind its byte-order mark. A file with NUL bytes otherwise is not
// a list.
SceneReading readPathList(QByteArrayView bytes);
