#pragma once

// What every reader's fuzz target checks besides "no crash, no sanitizer
// report": an answer that holds together, and the path rules fed with every
// path the reader found.
#include "joblist/scene/SceneAdding.h"
#include "joblist/scene/SceneReading.h"
#include "joblist/scene/SceneTexts.h"
#include "joblist/scene/TexturePlaces.h"
#include "joblist/scene/TileNames.h"

#include <cstdint>
#include <cstdio>

// Stops at the first check that fails, naming it.
#define require(holds)                                                                             \
    do {                                                                                           \
        if (!(holds)) {                                                                            \
            std::fprintf(stderr, "check failed: %s (%s:%d)\n", #holds, __FILE__, __LINE__);        \
            __builtin_trap();                                                                      \
        }                                                                                          \
    } while (false)

inline void checkReading(const SceneReading& reading, QByteArrayView bytes, SceneFormat format) {
    // XML and lists also end lines at a lone CR.
    const int lines = static_cast<int>(bytes.count('\n') + bytes.count('\r')) + 1;
    require(reading.problem == ReadProblem::None || reading.references.empty());
    require(reading.problemLine >= 0 && reading.problemLine <= lines);
    for (const TextureReference& reference : reading.references)
        require(reference.line >= 1 && reference.line <= lines);

    SceneTextures scene;
    scene.path = QStringLiteral("/p/scenes/fuzz.ma");
    scene.format = format;
    scene.problem = reading.problem;
    scene.textures = texturesOf(reading.references);
    SceneLocation location;
    location.folder = QStringLiteral("/p/scenes");
    location.projectRoot = QStringLiteral("/p");
    location.mayaProject = format == SceneFormat::MayaAscii;
    for (SceneTexture& texture : scene.textures) {
        for (bool windows : {false, true}) {
            location.windowsHost = windows;
            for (const TextureCandidate& candidate : textureCandidates(texture.written, location))
                require(isAbsolutePathText(candidate.path));
        }
        const QString name = lastPathElement(cleanPathText(texture.written));
        if (const std::optional<TilePattern> pattern = tilePatternOf(name, texture.tiling)) {
            const bool udim = pattern->kind == TileKind::Udim;
            const QString tile = pattern->before +
                                 (udim ? QStringLiteral("1001") : QStringLiteral("u1_v1")) +
                                 pattern->after;
            require(tileOrder(*pattern, tile, Qt::CaseSensitive) == (udim ? 1001 : 10001));
            texture.files = tilesIn(*pattern, {tile}, Qt::CaseSensitive);
            require(texture.files.size() == 1);
            texture.state = TextureState::Found;
        }
    }
    // The box's texts, from whatever the reader gave.
    const SceneBox box = sceneBox({scene}, {}, Qt::CaseSensitive);
    require(!box.text.isEmpty());
}

#define CORVANE_FUZZ_READER(format)                                                                \
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {                      \
        const QByteArrayView bytes(reinterpret_cast<const char*>(data),                            \
                                   static_cast<qsizetype>(size));                                  \
        checkReading(readScene(bytes, format), bytes, format);                                     \
        return 0;                                                                                  \
    }
