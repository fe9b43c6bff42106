#pragma once

#include "joblist/scene/SceneReading.h"

// The textures of a Maya ASCII scene: the paths of its file and
// mentalrayTexture nodes (.ftn) and aiImage nodes (.filename), each file
// node with its UV tiling mode (.uvt), in the order the nodes are created.
// A file that does not start with "//Maya ASCII", holds NUL bytes, ends
// inside a statement or string, or lacks Maya's closing "// End of" line
// gives a problem and no references.
SceneReading readMayaAscii(QByteArrayView bytes);

// The folder of a Maya project's source images, from its workspace.mel (the
// "sourceImages" file rule): relative to the project, or absolute;
// "sourceimages" when the file sets none.
QString sourceImagesRule(QByteArrayView workspaceMel);
