#include "joblist/scan/SceneScan.h"

#include "joblist/scan/FolderNames.h"
#include "joblist/scene/MayaAscii.h"
#include "joblist/scene/TileNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
// A workspace.mel larger than this is not one.
constexpr qint64 WorkspaceLimit = 4 * 1024 * 1024;

// The whole file. Read rather than mapped: a mapped file that another
// program cuts short while it is read (a scene being saved over) would end
// the program with SIGBUS.
std::optional<QByteArray> readWhole(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

SceneLocation locationOf(const QString& scenePath, SceneFormat format) {
    SceneLocation location;
    location.folder = QFileInfo(scenePath).absolutePath();
#ifdef Q_OS_WIN
    location.windowsHost = true;
#endif
    if (format != SceneFormat::MayaAscii)
        return location;
    location.mayaProject = true;
    location.projectRoot = mayaProjectRoot(location.folder);
    if (!location.projectRoot.isEmpty()) {
        QFile workspace(location.projectRoot + QStringLiteral("/workspace.mel"));
        if (workspace.open(QIODevice::ReadOnly) && workspace.size() <= WorkspaceLimit)
            location.sourceImages = sourceImagesRule(workspace.readAll());
    }
    return location;
}

QString nameOf(const QString& path) {
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString folderOf(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    // The root keeps its slash: "/" and "C:/", never "" or "C:" (the drive's current folder).
    const bool root = slash == 0 || (slash == 2 && path[1] == QLatin1Char(':'));
    return path.left(root ? slash + 1 : slash);
}

// Looks for a texture at each of its places in turn; the first that holds
// it (or, for a tile set, any of its tiles) wins.
void lookFor(SceneTexture& texture, const SceneLocation& location, FolderNames& folders) {
    const QString written = cleanPathText(texture.written);
    const std::optional<TilePattern> pattern = tilePatternOf(nameOf(written), texture.tiling);
    bool unreadable = false;
    for (const TextureCandidate& candidate : textureCandidates(texture.written, location)) {
        const QString folder = folderOf(candidate.path);
        if (pattern) {
            FolderNames::State state;
            const QStringList* names = folders.files(folder, &state);
            unreadable = unreadable || state == FolderNames::State::Unreadable;
            if (!names)
                continue;
            const QStringList tiles = tilesIn(*pattern, *names, FolderNames::caseSensitivity());
            if (tiles.isEmpty())
                continue;
            const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + u'/';
            for (const QString& tile : tiles)
                texture.files << QDir::toNativeSeparators(prefix + tile);
        } else {
            const FolderNames::State state = folders.file(candidate.path);
            unreadable = unreadable || state == FolderNames::State::Unreadable;
            if (state != FolderNames::State::Found)
                continue;
            texture.files << QDir::toNativeSeparators(candidate.path);
        }
        texture.state = TextureState::Found;
        texture.how = candidate.how;
        return;
    }
    texture.state = unreadable ? TextureState::Unreadable : TextureState::Missing;
}
} // namespace

QString mayaProjectRoot(const QString& sceneFolder) {
    QDir folder(sceneFolder);
    do {
        if (QFileInfo(folder.filePath(QStringLiteral("workspace.mel"))).isFile())
            return folder.absolutePath();
    } while (folder.cdUp());
    return {};
}

SceneTextures findSceneTextures(const QString& scenePath, SceneFormat format, FolderNames& folders,
                                ScanCounters& counters) {
    SceneTextures scene;
    scene.path = QDir::toNativeSeparators(scenePath);
    scene.format = format;
    const std::optional<QByteArray> bytes =
        format == SceneFormat::MayaBinary ? QByteArray() : readWhole(scenePath);
    if (!bytes) {
        scene.problem = ReadProblem::CannotOpen;
        return scene;
    }
    SceneReading reading = readScene(*bytes, format);
    if (reading.problem != ReadProblem::None) {
        scene.problem = reading.problem;
        scene.problemLine = reading.problemLine;
        return scene;
    }
    scene.textures = texturesOf(reading.references);
    const SceneLocation location = locationOf(scenePath, format);
    for (SceneTexture& texture : scene.textures) {
        if (counters.cancel.load(std::memory_order_relaxed))
            break;
        const int listedBefore = folders.listings();
        lookFor(texture, location, folders);
        counters.images.fetch_add(static_cast<int>(texture.files.size()),
                                  std::memory_order_relaxed);
        counters.folders.fetch_add(folders.listings() - listedBefore, std::memory_order_relaxed);
    }
    return scene;
}
