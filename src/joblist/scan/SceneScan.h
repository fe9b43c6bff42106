#pragma once

#include "joblist/scan/ImageScan.h"
#include "joblist/scene/SceneOutcome.h"

class FolderNames;

// Reads a scene or list file and looks for each of its textures the way its
// host does: for Maya ASCII within the project around it (the nearest folder
// above with workspace.mel, and its sourceImages rule). Tile sets are matched
// against one listing of their folder. Counts the files found and the
// folders listed in `counters`, and stops looking when they say cancel.
SceneTextures findSceneTextures(const QString& scenePath, SceneFormat format, FolderNames& folders,
                                ScanCounters& counters);

// The Maya project a scene belongs to: the nearest folder, its own first,
// that holds workspace.mel; empty when there is none.
QString mayaProjectRoot(const QString& sceneFolder);
