// Measures Add From Scene: reading a studio-sized Maya ASCII scene (50 MB,
// 20,000 file nodes) and looking for its textures with the page cache warm,
// and a UDIM set of 1,000 tiles expanded from one listing of its folder.
// Prints a Markdown table; `--quick` runs tiny sizes (the CTest smoke run),
// `--runs N` changes the runs a median is taken of, `--dir D` builds in D.
#include "joblist/scan/FolderNames.h"
#include "joblist/scan/SceneScan.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace {
QTextStream out(stdout);

struct Sizes {
    int fileNodes = 20000;
    int udimNodes = 100; // of the file nodes: UDIM mode, 10 tiles each
    int perFolder = 100; // textures a folder of sourceimages
    qint64 sceneBytes = 50LL * 1024 * 1024;
    int bigSetTiles = 1000;
};

void row(const QString& what, const QString& value) {
    out << "| " << what << " | " << value << " |" << Qt::endl;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QString textureName(int node) {
    static const char* const kinds[] = {"albedo", "roughness", "normal", "metallic", "height"};
    return QStringLiteral("set_%1/asset_%2_%3_v%4")
        .arg(node / 100, 3, 10, QLatin1Char('0'))
        .arg(node, 5, 10, QLatin1Char('0'))
        .arg(QLatin1String(kinds[node % 5]))
        .arg(node % 7);
}

// A project with `sizes.fileNodes` textures in sourceimages and a scene that
// names them: half by the absolute paths of the machine it was saved on, half
// relative to the project, padded with mesh data up to its size as real
// scenes are.
QString makeProject(const QString& root, const Sizes& sizes) {
    const QString project = root + QStringLiteral("/project");
    QDir().mkpath(project + QStringLiteral("/scenes"));
    writeFile(project + QStringLiteral("/workspace.mel"),
              "workspace -fr \"sourceImages\" \"sourceimages\";\n");
    QByteArray scene = "//Maya ASCII 2024 scene\n//Name: big.ma\nrequires maya \"2024\";\n";
    for (int node = 0; node < sizes.fileNodes; ++node) {
        const bool udim = node < sizes.udimNodes;
        const QString name = textureName(node);
        const QString folder =
            project + QStringLiteral("/sourceimages/") + name.left(name.indexOf(QLatin1Char('/')));
        if (node % sizes.perFolder == 0 || udim)
            QDir().mkpath(folder);
        for (int tile = 0; tile < (udim ? 10 : 1); ++tile) {
            const QString file =
                project + QStringLiteral("/sourceimages/") + name +
                (udim ? QStringLiteral(".%1.tif").arg(1001 + tile) : QStringLiteral(".tif"));
            if (!writeFile(file, {}))
                qFatal("cannot write %s", qPrintable(file));
        }
        const QString written =
            (node % 2 ? QStringLiteral("C:/Users/artist/Documents/maya/projects/GSP//sourceimages/")
                      : QStringLiteral("sourceimages/")) +
            name + (udim ? QStringLiteral(".1001.tif") : QStringLiteral(".tif"));
        scene += QStringLiteral("createNode file -n \"file%1\";\n"
                                "\trename -uid \"8C1A2B3D-4E5F-6071-8293-%2\";\n"
                                "\tsetAttr \".ftn\" -type \"string\" \"%3\";\n"
                                "\tsetAttr \".cs\" -type \"string\" \"sRGB\";\n")
                     .arg(node)
                     .arg(node, 12, 10, QLatin1Char('0'))
                     .arg(written)
                     .toUtf8();
        if (udim)
            scene += "\tsetAttr \".uvt\" 3;\n";
        if (node % 10 == 9) {
            scene += QStringLiteral("createNode mesh -n \"meshShape%1\" -p \"mesh%1\";\n"
                                    "\tsetAttr -k off \".v\";\n\tsetAttr -s 9999 \".vt\";\n"
                                    "\tsetAttr \".vt[0:9998]\"")
                         .arg(node)
                         .toUtf8();
            // Each mesh fills the scene up to its share of the size.
            const qint64 end = sizes.sceneBytes * (node + 1) / sizes.fileNodes;
            for (int v = 0; scene.size() < end; ++v)
                scene += QStringLiteral("\n\t\t %1 %2 -%3")
                             .arg(v * 0.0137, 0, 'f', 6)
                             .arg(v * 0.0071, 0, 'f', 6)
                             .arg(v * 0.0029, 0, 'f', 6)
                             .toLatin1();
            scene += ";\n";
        }
    }
    scene += "// End of big.ma\n";
    const QString path = project + QStringLiteral("/scenes/big.ma");
    if (!writeFile(path, scene))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

template <typename Work> double medianMs(int runs, Work work) {
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

QString ms(double value) {
    return QString::number(value, 'f', value < 10 ? 1 : 0) + QStringLiteral(" ms");
}

int filesOf(const SceneTextures& scene) {
    int files = 0;
    for (const SceneTexture& texture : scene.textures)
        files += static_cast<int>(texture.files.size());
    return files;
}

void measureScene(const QString& root, const Sizes& sizes, int runs) {
    const QString path = makeProject(root, sizes);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    const QByteArray bytes = file.readAll(); // also warms the page cache
    std::vector<TextureReference> references;
    const double parse =
        medianMs(runs, [&] { references = readScene(bytes, SceneFormat::MayaAscii).references; });
    SceneTextures scene;
    int listings = 0;
    int lookups = 0;
    const double whole = medianMs(runs, [&] {
        FolderNames folders;
        ScanCounters counters;
        scene = findSceneTextures(path, SceneFormat::MayaAscii, folders, counters);
        listings = folders.listings();
        lookups = folders.lookups();
    });
    int found = 0;
    for (const SceneTexture& texture : scene.textures)
        found += texture.state == TextureState::Found ? 1 : 0;
    row(QStringLiteral("scene"),
        QStringLiteral("%1 MB, %2 file nodes (%3 in UDIM mode)")
            .arg(static_cast<double>(bytes.size()) / (1024.0 * 1024.0), 0, 'f', 1)
            .arg(references.size())
            .arg(sizes.udimNodes));
    row(QStringLiteral("read the scene's bytes (already in memory)"), ms(parse));
    row(QStringLiteral("read the file, parse it and look for every texture"), ms(whole));
    row(QStringLiteral("textures found / files"),
        QStringLiteral("%1 of %2 / %3").arg(found).arg(scene.textures.size()).arg(filesOf(scene)));
    row(QStringLiteral("folders listed / files looked up"),
        QStringLiteral("%1 / %2").arg(listings).arg(lookups));
}

void measureTileSet(const QString& root, const Sizes& sizes, int runs) {
    const QString folder = root + QStringLiteral("/tiles");
    QDir().mkpath(folder);
    for (int tile = 0; tile < sizes.bigSetTiles; ++tile) {
        // The set, and as many files of other sets beside it.
        writeFile(folder + QStringLiteral("/skin_albedo.%1.tif").arg(1001 + tile), {});
        writeFile(folder + QStringLiteral("/skin_normal.%1.tif").arg(1001 + tile), {});
    }
    const QString list = root + QStringLiteral("/tiles.txt");
    writeFile(list, "tiles/skin_albedo.<UDIM>.tif\n");
    SceneTextures scene;
    int listings = 0;
    int lookups = 0;
    const double time = medianMs(runs, [&] {
        FolderNames folders;
        ScanCounters counters;
        scene = findSceneTextures(list, SceneFormat::PathList, folders, counters);
        listings = folders.listings();
        lookups = folders.lookups();
    });
    row(QStringLiteral("expand a UDIM set of %1 tiles (folder of %2 files)")
            .arg(sizes.bigSetTiles)
            .arg(2 * sizes.bigSetTiles),
        ms(time) + QStringLiteral(", %1 files, %2 listing(s), %3 look-ups")
                       .arg(filesOf(scene))
                       .arg(listings)
                       .arg(lookups));
}
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    Sizes sizes;
    int runs = 5;
    if (args.contains(QStringLiteral("--quick"))) {
        sizes = Sizes{200, 10, 50, 1024 * 1024, 50};
        runs = 1;
    }
    const qsizetype runsAt = args.indexOf(QStringLiteral("--runs"));
    if (runsAt >= 0 && runsAt + 1 < args.size())
        runs = std::max(1, args[runsAt + 1].toInt());
    const qsizetype dirAt = args.indexOf(QStringLiteral("--dir"));
    QTemporaryDir scratch(dirAt >= 0 && dirAt + 1 < args.size()
                              ? args[dirAt + 1] + QStringLiteral("/scene-bench-XXXXXX")
                              : QDir::tempPath() + QStringLiteral("/scene-bench-XXXXXX"));
    if (!scratch.isValid())
        qFatal("no scratch folder");
    out << "Add From Scene, median of " << runs << " runs\n\n| measurement | result |\n|---|---|"
        << Qt::endl;
    measureScene(scratch.path(), sizes, runs);
    measureTileSet(scratch.path(), sizes, runs);
    return 0;
}
