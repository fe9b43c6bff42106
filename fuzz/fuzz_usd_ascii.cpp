// USD ASCII layers.
#include "FuzzChecks.h"

CORVANE_FUZZ_READER(SceneFormat::UsdAscii)
