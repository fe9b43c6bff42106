// Plain lists of texture paths.
#include "FuzzChecks.h"

CORVANE_FUZZ_READER(SceneFormat::PathList)
