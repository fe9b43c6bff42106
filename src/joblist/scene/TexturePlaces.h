#pragma once

#include "joblist/scene/SceneReading.h"

#include <QString>

#include <vector>

// Where a texture is looked for, in the order its host looks.

// How a texture was found, against how its scene names it.
enum class TextureFound {
    AsWritten,        // an absolute path that exists here
    UnderProject,     // a relative path, under the Maya project's root
    BesideScene,      // a relative path, beside the scene (or list)
    InThisProject,    // an absolute path from elsewhere: its part after the source-images
                      // folder, under this project's source images
    ByNameBesideScene // an absolute path from elsewhere: its file name, beside the scene
};

// Whether the scene names the texture somewhere else than where it was found.
inline bool foundElsewhere(TextureFound how) {
    return how == TextureFound::InThisProject || how == TextureFound::ByNameBesideScene;
}

// What the places depend on, besides the path itself. Paths use '/'.
struct SceneLocation {
    QString folder;      // the scene's own folder, absolute
    QString projectRoot; // Maya ASCII: the nearest folder above it with workspace.mel; or none
    QString sourceImages = QStringLiteral("sourceimages"); // the project's sourceImages rule
    bool mayaProject = false; // Maya ASCII: the project and its source images count
    bool windowsHost = false; // drive letters name folders here
};

struct TextureCandidate {
    QString path; // absolute and clean, '/' separators
    TextureFound how;

    bool operator==(const TextureCandidate&) const = default;
};

// The written path with either separator, made '/' and clean (doubled
// slashes and "." and ".." gone).
QString cleanPathText(const QString& written);

// Whether a path is absolute on some system: "/...", "\\server\...", "C:\..."
// or "C:/...".
bool isAbsolutePathText(const QString& path);

// The places to look for a texture the scene writes as `written`, first to
// last, none twice:
// - an absolute path, as it is (not a drive-letter path where drive letters
//   mean nothing); then, for Maya ASCII, its part after the project's
//   source-images folder under this project's, and its file name beside the scene;
// - a relative path, for Maya ASCII under the project's root, then beside the
//   scene; for the other formats beside the file.
std::vector<TextureCandidate> textureCandidates(const QString& written,
                                                const SceneLocation& location);
