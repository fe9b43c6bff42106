#include "joblist/scene/SceneReading.h"

#include "joblist/rules/Utils.h"
#include "joblist/scene/MaterialX.h"
#include "joblist/scene/MayaAscii.h"
#include "joblist/scene/PathList.h"
#include "joblist/scene/UsdAscii.h"

#include <QStringDecoder>

namespace {
struct FormatExtension {
    const char16_t* extension;
    SceneFormat format;
};

constexpr FormatExtension formatExtensions[] = {{u"ma", SceneFormat::MayaAscii},
                                                {u"mb", SceneFormat::MayaBinary},
                                                {u"usda", SceneFormat::UsdAscii},
                                                {u"mtlx", SceneFormat::MaterialX},
                                                {u"txt", SceneFormat::PathList}};
} // namespace

const QStringList& sceneFileExtensions() {
    static const QStringList extensions = [] {
        QStringList list;
        for (const FormatExtension& entry : formatExtensions)
            list << QString::fromUtf16(entry.extension);
        return list;
    }();
    return extensions;
}

std::optional<SceneFormat> sceneFormatOf(const QString& fileName) {
    const QString ext = Utils::getExtension(fileName);
    for (const FormatExtension& entry : formatExtensions) {
        if (ext == QStringView(entry.extension))
            return entry.format;
    }
    return std::nullopt;
}

SceneReading readScene(QByteArrayView bytes, SceneFormat format) {
    switch (format) {
    case SceneFormat::MayaAscii:
        return readMayaAscii(bytes);
    case SceneFormat::MayaBinary:
        return SceneReading::failed(ReadProblem::MayaBinary);
    case SceneFormat::UsdAscii:
        return readUsdAscii(bytes);
    case SceneFormat::MaterialX:
        return readMaterialX(bytes);
    case SceneFormat::PathList:
        return readPathList(bytes);
    }
    return SceneReading::failed(ReadProblem::WrongHeader);
}

QString decodePathText(QByteArrayView bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes);
}
