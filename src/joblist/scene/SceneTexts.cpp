#include "joblist/scene/SceneTexts.h"

#include "joblist/rules/ImagesFilter.h"

#include <QLocale>

namespace {
// Counts are grouped as the program's English texts read them ("12,345"),
// whatever the machine's own locale.
QString number(int count) {
    static const QLocale english(QLocale::English, QLocale::UnitedStates);
    return english.toString(count);
}

QString counted(int count, const char* one, const char* many) {
    return number(count) + QLatin1Char(' ') + QLatin1String(count == 1 ? one : many);
}

const char* formatName(SceneFormat format) {
    switch (format) {
    case SceneFormat::MayaAscii:
        return "Maya ASCII";
    case SceneFormat::MayaBinary:
        return "Maya Binary";
    case SceneFormat::UsdAscii:
        return "USD ASCII";
    case SceneFormat::MaterialX:
        return "MaterialX";
    case SceneFormat::PathList:
        return "text";
    }
    return "";
}

QString beginning(SceneFormat format) {
    switch (format) {
    case SceneFormat::MayaAscii:
        return QStringLiteral("it does not begin with \"//Maya ASCII\"");
    case SceneFormat::UsdAscii:
        return QStringLiteral("it does not begin with \"#usda\"");
    case SceneFormat::MaterialX:
        return QStringLiteral("its first element is not <materialx>");
    case SceneFormat::MayaBinary:
    case SceneFormat::PathList:
        break;
    }
    return QStringLiteral("it does not begin as such files do");
}

QString placeText(const TexturePlace& place) {
    const QString line = QStringLiteral("line ") + number(place.line);
    return place.node.isEmpty() ? line : QStringLiteral("node \"%1\", ").arg(place.node) + line;
}

QString placesText(const std::vector<TexturePlace>& places) {
    constexpr size_t shown = 3;
    QStringList texts;
    for (size_t i = 0; i < places.size() && i < shown; ++i)
        texts << placeText(places[i]);
    QString text = texts.join(QStringLiteral("; "));
    if (places.size() > shown)
        text += QStringLiteral(" and ") +
                counted(static_cast<int>(places.size() - shown), "more place", "more places");
    return text;
}

bool isImage(const SceneTexture& texture) {
    return hasImageExtension(lastPathElement(texture.files.front()));
}
} // namespace

QString sceneSummaryText(const QString& fileName, SceneFormat format, const SceneTally& tally) {
    const QString verb =
        format == SceneFormat::PathList ? QStringLiteral(" lists ") : QStringLiteral(" uses ");
    if (tally.textures == 0)
        return fileName + verb + QStringLiteral("no textures.");
    QString text = fileName + verb + counted(tally.textures, "texture", "textures");
    if (tally.files != tally.textures)
        text += QStringLiteral(" (") + counted(tally.files, "file", "files") +
                (tally.tileSets ? QStringLiteral(" with their UDIM tiles)") : QStringLiteral(")"));
    QStringList parts{number(tally.added) + QStringLiteral(" added")};
    if (tally.alreadyListed > 0)
        parts << number(tally.alreadyListed) + QStringLiteral(" already in the list");
    if (tally.notImages > 0)
        parts << counted(tally.notImages, "not an image Corvane converts",
                         "not images Corvane converts");
    if (tally.missing > 0)
        parts << number(tally.missing) + QStringLiteral(" missing");
    if (tally.unreadable > 0)
        parts << number(tally.unreadable) + QStringLiteral(" unreadable");
    text += QStringLiteral(": ") + parts.join(QStringLiteral(", ")) + QLatin1Char('.');
    if (tally.foundElsewhere > 0)
        text += QLatin1Char(' ') +
                (tally.foundElsewhere == 1
                     ? QStringLiteral("1 texture was found in this project rather than at the "
                                      "path saved in the scene.")
                     : number(tally.foundElsewhere) +
                           QStringLiteral(" textures were found in this project rather than at "
                                          "the paths saved in the scene."));
    return text;
}

QString sceneProblemText(const QString& fileName, SceneFormat format, ReadProblem problem,
                         int line) {
    QString text;
    switch (problem) {
    case ReadProblem::None:
        return {};
    case ReadProblem::CannotOpen:
        text = fileName + QStringLiteral(" could not be read.");
        break;
    case ReadProblem::MayaBinary:
        text = fileName + QStringLiteral(" is a Maya Binary scene, which Corvane cannot read. "
                                         "Save it as Maya ASCII (.ma) in Maya and add that file.");
        break;
    case ReadProblem::UsdBinary:
        text = fileName + QStringLiteral(" is a binary USD file, which Corvane cannot read. "
                                         "Save it as USD ASCII (.usda) and add that file.");
        break;
    case ReadProblem::WrongHeader:
        text = QStringLiteral("%1 is not a %2 file: %3.")
                   .arg(fileName, QLatin1String(formatName(format)), beginning(format));
        break;
    case ReadProblem::NotText:
        text = fileName + QStringLiteral(" is not a text file: it holds NUL bytes.");
        break;
    case ReadProblem::Malformed:
        text = QStringLiteral("%1 is not valid %2 at line %3.")
                   .arg(fileName, QLatin1String(formatName(format)), number(line));
        break;
    case ReadProblem::Truncated:
        text = QStringLiteral("%1 ends inside what begins at line %2: it seems to be cut short.")
                   .arg(fileName, number(line));
        break;
    case ReadProblem::NoEndLine:
        text = fileName + QStringLiteral(" does not end with Maya's closing line "
                                         "\"// End of ...\": it seems to be cut short.");
        break;
    }
    return text + QStringLiteral(" Nothing was added from it.");
}

QString sceneDetailsText(const SceneTextures& scene) {
    QStringList missing;
    QStringList unreadable;
    QStringList notImages;
    for (const SceneTexture& texture : scene.textures) {
        QString line = texture.written;
        if (texture.state == TextureState::Missing && texture.tileSet)
            line += QStringLiteral(" (no tile on disk)");
        line += QStringLiteral(": ") + placesText(texture.places);
        if (texture.state == TextureState::Missing)
            missing << line;
        else if (texture.state == TextureState::Unreadable)
            unreadable << line;
        else if (!texture.files.isEmpty() && !isImage(texture))
            notImages << line;
    }
    QStringList sections;
    auto section = [&sections](const char* heading, const QStringList& lines) {
        if (!lines.isEmpty())
            sections << QLatin1String(heading) + QLatin1Char('\n') + lines.join(QLatin1Char('\n'));
    };
    section("Missing:", missing);
    section("Unreadable:", unreadable);
    section("Not images Corvane converts:", notImages);
    if (sections.isEmpty())
        return {};
    return lastPathElement(scene.path) + QLatin1Char('\n') + sections.join(QLatin1Char('\n'));
}
