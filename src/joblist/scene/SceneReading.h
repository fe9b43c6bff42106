#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// What a scene or list file says about the textures it uses, read from its
// bytes alone: no file system, so every reader can be fed anything.

// The file formats "Add From Scene" reads, told apart by extension.
enum class SceneFormat { MayaAscii, MayaBinary, UsdAscii, MaterialX, PathList };

// How a Maya file node spreads its texture over UV tiles (its .uvt value).
enum class UvTiling { Off = 0, ZBrush = 1, Mudbox = 2, Udim = 3, Explicit = 4 };

// One texture path as the file writes it, and where.
struct TextureReference {
    QString path; // as written: separators, tokens and doubled slashes untouched
    QString node; // the node that holds it where the format names one (Maya ASCII)
    int line = 0; // the line the path starts on, from 1
    UvTiling tiling = UvTiling::Off;

    bool operator==(const TextureReference&) const = default;
};

// Why a file gave no textures to add. A file with a problem adds nothing,
// however much of it could be read.
enum class ReadProblem {
    None,
    CannotOpen,  // the file could not be opened or read
    MayaBinary,  // Maya's binary format, which only Maya reads
    UsdBinary,   // USD's binary ("crate") format
    WrongHeader, // does not begin as its format begins
    NotText,     // holds NUL bytes: not a text file
    Malformed,   // its syntax breaks at the problem's line
    Truncated,   // ends inside a statement, string or element begun at the problem's line
    NoEndLine,   // a Maya ASCII scene without Maya's closing "// End of" line
};

struct SceneReading {
    ReadProblem problem = ReadProblem::None;
    int problemLine = 0;                      // 0 when the problem has no line
    std::vector<TextureReference> references; // in file order; none when there is a problem

    static SceneReading failed(ReadProblem problem, int line = 0) {
        SceneReading reading;
        reading.problem = problem;
        reading.problemLine = line;
        return reading;
    }
};

// The extensions of the files read, in the order the open dialog names them.
const QStringList& sceneFileExtensions();

// The format of a scene or list file by its extension (in any letter case);
// nothing for any other file.
std::optional<SceneFormat> sceneFormatOf(const QString& fileName);

// Reads a file's bytes as `format`. Any bytes give an answer: never a crash,
// never a read outside `bytes`.
SceneReading readScene(QByteArrayView bytes, SceneFormat format);

// Path text from the bytes of a file: UTF-8 where they are valid UTF-8,
// otherwise Latin-1 (lists and scenes saved by older Windows tools).
QString decodePathText(QByteArrayView bytes);
