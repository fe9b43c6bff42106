// Writes the test fixtures as the fuzz targets' first corpus: one folder a
// format under the folder given, the fixtures and a few cut short.
#include "testsupport/SceneFixtures.h"

#include <QDir>
#include <QFile>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: write_seeds <folder>\n");
        return 2;
    }
    const QString folder = QFile::decodeName(argv[1]);
    const QString root = QStringLiteral("/home/artist/projects/GSP");
    const struct {
        const char* format;
        QByteArray bytes;
    } seeds[] = {{"maya_ascii", SceneFixtures::mayaAscii(root)},
                 {"maya_ascii", SceneFixtures::workspaceMel()},
                 {"usd_ascii", SceneFixtures::usdAscii(root)},
                 {"materialx", SceneFixtures::materialX(root)},
                 {"path_list", SceneFixtures::pathList(root)}};
    int index = 0;
    for (const auto& seed : seeds) {
        const QString dir = folder + QLatin1Char('/') + QLatin1String(seed.format);
        if (!QDir().mkpath(dir))
            return 1;
        // The whole file, and its first half: a cut-short file is where readers break.
        for (const QByteArray& bytes : {seed.bytes, seed.bytes.left(seed.bytes.size() / 2)}) {
            QFile file(dir + QStringLiteral("/seed-%1").arg(++index));
            if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
                return 1;
        }
    }
    return 0;
}
