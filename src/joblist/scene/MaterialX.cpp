#include "joblist/scene/MaterialX.h"

#include <QXmlStreamReader>

#include <vector>

SceneReading readMaterialX(QByteArrayView bytes) {
    // The reader takes the bytes without copying them; nothing here outlives them.
    QXmlStreamReader xml(QByteArray::fromRawData(bytes.data(), bytes.size()));
    SceneReading reading;
    std::vector<QString> prefixes; // the fileprefix in force at each open element
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (prefixes.empty() && xml.name() != u"materialx")
                return SceneReading::failed(ReadProblem::WrongHeader,
                                            static_cast<int>(xml.lineNumber()));
            const QXmlStreamAttributes attributes = xml.attributes();
            const QString inherited = prefixes.empty() ? QString() : prefixes.back();
            prefixes.push_back(attributes.hasAttribute(QLatin1String("fileprefix"))
                                   ? attributes.value(QLatin1String("fileprefix")).toString()
                                   : inherited);
            if (xml.name() == u"input" && attributes.value(QLatin1String("type")) == u"filename") {
                const QString value = attributes.value(QLatin1String("value")).toString();
                if (!value.isEmpty())
                    reading.references.push_back(
                        TextureReference{prefixes.back() + value,
                                         {},
                                         static_cast<int>(xml.lineNumber()),
                                         UvTiling::Off});
            }
        } else if (token == QXmlStreamReader::EndElement && !prefixes.empty()) {
            prefixes.pop_back();
        }
    }
    if (xml.hasError()) {
        const int line = static_cast<int>(xml.lineNumber());
        if (xml.error() == QXmlStreamReader::PrematureEndOfDocumentError)
            return SceneReading::failed(bytes.trimmed().isEmpty() ? ReadProblem::WrongHeader
                                                                  : ReadProblem::Truncated,
                                        line);
        return SceneReading::failed(
            bytes.contains('\0') ? ReadProblem::NotText : ReadProblem::Malformed, line);
    }
    return reading;
}
