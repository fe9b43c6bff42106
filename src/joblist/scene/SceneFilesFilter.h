#pragma once

#include "joblist/rules/FileFilter.h"
#include "joblist/scene/SceneReading.h"

// The one filter of the "Add From Scene..." dialog. Binary Maya scenes are
// offered too, so that choosing one is answered with what to do instead.
class SceneFilesFilter final : public FileFilter {
public:
    QString description() const override {
        return QStringLiteral("Scenes and texture lists (ma, mb, usda, mtlx, txt)");
    }
    QStringList extensions() const override { return sceneFileExtensions(); }
};
