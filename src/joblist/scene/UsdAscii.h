#pragma once

#include "joblist/scene/SceneReading.h"

// The textures of a USD ASCII layer: every asset path (@...@ or @@@...@@@)
// whose file name ends in an image extension, in file order. Strings and
// comments are passed over, so an '@' in them starts nothing. A file that
// does not start with "#usda", holds NUL bytes, breaks its syntax or ends
// inside a string, an asset path or an open bracket gives a problem and no
// references.
SceneReading readUsdAscii(QByteArrayView bytes);

// Whether a file name ends in the extension of an image format: the
// converter's own and the other formats a renderer reads textures from
// (exr, tx, hdr, ...), in any letter case.
bool hasTextureExtension(const QString& fileName);
