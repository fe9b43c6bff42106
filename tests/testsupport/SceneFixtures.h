#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// One small scene or list of each format, naming the textures of one Maya
// project and two folders outside it. Each holds an absolute, a relative and
// a project-relative path, both separators, escaped quotes, a path over two
// lines (where the format allows one), a UDIM set with a gap, a missing
// texture, a name with spaces and non-ASCII letters, and a duplicate.
// Absolute paths lead under `root`. The same bytes seed the readers' fuzzing.
namespace SceneFixtures {

// The name of the texture whose name holds quotes: double quotes, escaped in
// each format; apostrophes on Windows, whose file names hold no double quote.
QString decalName();

// Maya ASCII, meant for <root>/project/scenes/shot010.ma.
QByteArray mayaAscii(const QString& root);
// USD ASCII, meant for <root>/project/scenes/shot010.usda.
QByteArray usdAscii(const QString& root);
// MaterialX, meant for <root>/project/scenes/shot010.mtlx.
QByteArray materialX(const QString& root);
// A plain list, meant for <root>/project/scenes/textures.txt.
QByteArray pathList(const QString& root);
// The project's workspace.mel, with the default sourceImages rule.
QByteArray workspaceMel();

// The texture files the project and the folders beside it hold, relative to
// `root` (decoys included: names near a tile set's that are not its tiles).
QStringList textureFiles();

// Writes the project under `root`: workspace.mel, the textures, and the four
// files above in project/scenes. False when a file cannot be written.
bool writeProject(const QString& root);

} // namespace SceneFixtures
