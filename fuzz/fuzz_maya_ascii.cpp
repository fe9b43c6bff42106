// Maya ASCII scenes, and the same bytes as a project's workspace.mel.
#include "FuzzChecks.h"
#include "joblist/scene/MayaAscii.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    checkReading(readScene(bytes, SceneFormat::MayaAscii), bytes, SceneFormat::MayaAscii);
    (void)sourceImagesRule(bytes);
    return 0;
}
