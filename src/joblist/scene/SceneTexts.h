#pragma once

#include "joblist/scene/SceneAdding.h"

#include <QString>

// What a person reads about a scene added with "Add From Scene...".

// "shot010.ma uses 14 textures (52 files with their UDIM tiles): 49 added, 2
// already in the list, 1 missing." A list "lists" its textures.
QString sceneSummaryText(const QString& fileName, SceneFormat format, const SceneTally& tally);

// Why nothing was added from a file that could not be read.
QString sceneProblemText(const QString& fileName, SceneFormat format, ReadProblem problem,
                         int line);

// The scene's textures that were missing, unreadable or not images, each
// with the places that name it; empty when there are none.
QString sceneDetailsText(const SceneTextures& scene);
