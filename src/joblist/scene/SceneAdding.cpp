#include "joblist/scene/SceneAdding.h"

#include "joblist/rules/ImagesFilter.h"
#include "joblist/scene/SceneTexts.h"

QString sceneFileKey(const QString& path, Qt::CaseSensitivity cs) {
    return cs == Qt::CaseSensitive ? path : path.toCaseFolded();
}

SceneAddition sceneAddition(const SceneTextures& scene, QSet<QString>& listed,
                            Qt::CaseSensitivity cs) {
    SceneAddition addition;
    SceneTally& tally = addition.tally;
    tally.textures = static_cast<int>(scene.textures.size());
    QSet<QString> inThisScene;
    for (const SceneTexture& texture : scene.textures) {
        tally.tileSets = tally.tileSets || texture.tileSet;
        if (texture.state != TextureState::Found) {
            ++tally.files;
            ++(texture.state == TextureState::Missing ? tally.missing : tally.unreadable);
            continue;
        }
        if (foundElsewhere(texture.how))
            ++tally.foundElsewhere;
        for (const QString& file : texture.files) {
            const QString key = sceneFileKey(file, cs);
            if (inThisScene.contains(key))
                continue; // another texture of this scene led to the same file
            inThisScene.insert(key);
            ++tally.files;
            if (!hasImageExtension(lastPathElement(file))) {
                ++tally.notImages;
            } else if (listed.contains(key)) {
                ++tally.alreadyListed;
            } else {
                listed.insert(key);
                addition.newFiles << file;
                ++tally.added;
            }
        }
    }
    return addition;
}

SceneBox sceneBox(const std::vector<SceneTextures>& scenes, const std::vector<JobRow>& rows,
                  Qt::CaseSensitivity cs) {
    SceneBox box;
    QSet<QString> listed;
    listed.reserve(static_cast<qsizetype>(rows.size()));
    for (const JobRow& row : rows)
        listed.insert(sceneFileKey(row.image, cs));
    QStringList paragraphs;
    QStringList details;
    for (const SceneTextures& scene : scenes) {
        const QString name = lastPathElement(scene.path);
        if (scene.problem != ReadProblem::None) {
            box.warning = true;
            paragraphs << sceneProblemText(name, scene.format, scene.problem, scene.problemLine);
            continue;
        }
        SceneAddition addition = sceneAddition(scene, listed, cs);
        box.warning = box.warning || addition.tally.missing > 0 || addition.tally.unreadable > 0;
        paragraphs << sceneSummaryText(name, scene.format, addition.tally);
        box.newFiles << std::move(addition.newFiles);
        const QString sceneDetails = sceneDetailsText(scene);
        if (!sceneDetails.isEmpty())
            details << sceneDetails;
    }
    box.text = paragraphs.join(QStringLiteral("\n\n"));
    box.details = details.join(QStringLiteral("\n\n"));
    return box;
}
