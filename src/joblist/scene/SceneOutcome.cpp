#include "joblist/scene/SceneOutcome.h"

#include "joblist/scene/TileNames.h"

#include <QHash>

std::vector<SceneTexture> texturesOf(const std::vector<TextureReference>& references) {
    std::vector<SceneTexture> textures;
    QHash<QString, size_t> byKey;
    for (const TextureReference& reference : references) {
        const QString key = cleanPathText(reference.path) + QLatin1Char('\n') +
                            QString::number(static_cast<int>(reference.tiling));
        const auto known = byKey.constFind(key);
        if (known != byKey.constEnd()) {
            textures[*known].places.push_back(TexturePlace{reference.node, reference.line});
            continue;
        }
        byKey.insert(key, textures.size());
        SceneTexture texture;
        texture.written = reference.path;
        texture.tiling = reference.tiling;
        texture.places.push_back(TexturePlace{reference.node, reference.line});
        texture.tileSet =
            tilePatternOf(lastPathElement(cleanPathText(reference.path)), reference.tiling)
                .has_value();
        textures.push_back(std::move(texture));
    }
    return textures;
}
