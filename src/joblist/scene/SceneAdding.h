#pragma once

#include "joblist/rules/JobRow.h"
#include "joblist/scene/SceneOutcome.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <vector>

// What adding the textures of scenes does to the table, and what the box says.

// The counts of one scene. Every file counts once: a texture's file or each
// of its tiles, and each missing or unreadable texture as one.
struct SceneTally {
    int textures = 0;
    int files = 0;
    int added = 0;
    int alreadyListed = 0; // in the table before, or named earlier by the same addition
    int notImages = 0;     // files the converter does not take (exr, tx, ...)
    int missing = 0;
    int unreadable = 0;
    int foundElsewhere = 0; // textures found in this project, not where the scene says
    bool tileSets = false;  // some texture is a set of tiles

    bool operator==(const SceneTally&) const = default;
};

struct SceneAddition {
    SceneTally tally;
    QStringList newFiles; // to add, in order
};

// Sorts a scene's files into those to add and the rest. `listed` holds the
// key (sceneFileKey) of every file already in the table and gains the new ones.
SceneAddition sceneAddition(const SceneTextures& scene, QSet<QString>& listed,
                            Qt::CaseSensitivity cs);

// The key two paths of the same file share in `listed`.
QString sceneFileKey(const QString& path, Qt::CaseSensitivity cs);

// The one box that tells what adding these scenes did: its text (a paragraph
// a scene), whether it warns, the details (every texture not added for a
// reason to act on, and where the scene names it) and the files to add.
struct SceneBox {
    bool warning = false;
    QString text;
    QString details;
    QStringList newFiles;
};
SceneBox sceneBox(const std::vector<SceneTextures>& scenes, const std::vector<JobRow>& rows,
                  Qt::CaseSensitivity cs);
