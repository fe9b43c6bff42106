#pragma once

#include "joblist/scene/SceneReading.h"
#include "joblist/scene/TexturePlaces.h"

#include <QStringList>

#include <algorithm>
#include <vector>

// What became of each texture of a scene once it was looked for on disk.

enum class TextureState { Found, Missing, Unreadable };

// One place in the scene that names a texture.
struct TexturePlace {
    QString node; // empty where the format names no node
    int line = 0;

    bool operator==(const TexturePlace&) const = default;
};

struct SceneTexture {
    QString written; // the path as the scene writes it (first place)
    UvTiling tiling = UvTiling::Off;
    std::vector<TexturePlace> places; // every place that names it, in file order
    bool tileSet = false;             // stands for a set of UV tiles
    TextureState state = TextureState::Missing;
    TextureFound how = TextureFound::AsWritten; // when found
    QStringList files; // when found: its file, or its tiles in tile order; native separators

    bool operator==(const SceneTexture&) const = default;
};

struct SceneTextures {
    QString path; // the scene or list file, native separators
    SceneFormat format = SceneFormat::PathList;
    ReadProblem problem = ReadProblem::None;
    int problemLine = 0;
    std::vector<SceneTexture> textures; // in the order the file first names them
};

// The file name at the end of a path, after its last separator of either kind.
inline QString lastPathElement(const QString& path) {
    return path.mid(
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\'))) + 1);
}

// The textures of a reading, each once: references to the same path (either
// separator, doubled slashes aside) with the same tiling are one texture with
// several places. Not yet looked for: each is missing.
std::vector<SceneTexture> texturesOf(const std::vector<TextureReference>& references);
