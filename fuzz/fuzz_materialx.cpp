// MaterialX documents.
#include "FuzzChecks.h"

CORVANE_FUZZ_READER(SceneFormat::MaterialX)
