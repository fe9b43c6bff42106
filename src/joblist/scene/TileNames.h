#pragma once

#include "joblist/scene/SceneReading.h"

#include <QString>
#include <QStringList>

#include <optional>

// The file names of a texture spread over UV tiles.

// How a tile is numbered: UDIM (1001 and up, four digits) or u<U>_v<V>.
enum class TileKind { Udim, UvTile };

// The name of a tile set: the text around the tile's place.
struct TilePattern {
    QString before;
    QString after;
    TileKind kind = TileKind::Udim;

    bool operator==(const TilePattern&) const = default;
};

// The tile set a texture file name stands for: a <UDIM> or <UVTILE> token
// (any letter case) in it, or, for a Maya file node in UDIM mode, its last
// four-digit tile number (1001 and up), or in ZBrush or Mudbox mode its last
// u<U>_v<V>. Nothing for a single file.
std::optional<TilePattern> tilePatternOf(const QString& fileName, UvTiling tiling);

// The order of a tile within its set, when `name` is one of its tiles.
std::optional<int> tileOrder(const TilePattern& pattern, QStringView name, Qt::CaseSensitivity cs);

// The names among `sortedNames` (sorted by QString::compare with `cs`) that
// are tiles of the set, in tile order. Only the names that begin as the set's
// names begin are looked at.
QStringList tilesIn(const TilePattern& pattern, const QStringList& sortedNames,
                    Qt::CaseSensitivity cs);
