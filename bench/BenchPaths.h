#pragma once

#include <QString>
#include <QStringList>

// Realistic texture paths: 60 to 120 characters, several folders deep.
inline QStringList benchPaths(int count) {
    static const char* const projects[] = {"harbour_district", "forest_temple", "orbital_station",
                                           "desert_outpost", "cathedral_interior"};
    static const char* const kinds[] = {"albedo",   "roughness", "normal",
                                        "metallic", "height",    "ambient_occlusion"};
    static const char* const exts[] = {"png", "jpg", "tga", "tif", "bmp", "gif", "iff"};
    QStringList paths;
    paths.reserve(count);
    for (int i = 0; i < count; ++i) {
        QString path = QStringLiteral("/home/artist/projects/%1/textures/%2/set_%3/")
                           .arg(QLatin1String(projects[i % 5]), QLatin1String(kinds[i % 6]))
                           .arg(i / 50, 4, 10, QLatin1Char('0'));
        path += QStringLiteral("asset_%1_%2_variant_%3.%4")
                    .arg(i)
                    .arg(QLatin1String(kinds[(i / 6) % 6]))
                    .arg(i % 13)
                    .arg(QLatin1String(exts[i % 7]));
        if (i % 3 == 0)
            path.insert(path.lastIndexOf(QLatin1Char('/')), QStringLiteral("/final_delivery"));
        paths << path;
    }
    return paths;
}
