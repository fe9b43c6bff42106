#include "joblist/scene/PathList.h"

#include <QStringConverter>
#include <QStringDecoder>

namespace {
void addLine(QString line, int number, SceneReading& reading) {
    line = line.trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
        return;
    if (line.size() >= 2 && line.startsWith(QLatin1Char('"')) && line.endsWith(QLatin1Char('"')))
        line = line.mid(1, line.size() - 2).trimmed();
    if (!line.isEmpty())
        reading.references.push_back(TextureReference{line, {}, number, UvTiling::Off});
}
} // namespace

SceneReading readPathList(QByteArrayView bytes) {
    SceneReading reading;
    const std::optional<QStringConverter::Encoding> bom = QStringConverter::encodingForData(bytes);
    if (bom && *bom != QStringConverter::Utf8) {
        // UTF-16 or UTF-32 with its byte-order mark, as PowerShell writes lists.
        QStringDecoder decoder(*bom);
        const QString text = decoder(bytes);
        if (decoder.hasError() || text.contains(QChar(0)))
            return SceneReading::failed(ReadProblem::NotText);
        int number = 0;
        for (QStringView line : QStringView(text).split(QLatin1Char('\n')))
            addLine(line.toString(), ++number, reading);
        return reading;
    }
    if (bytes.contains('\0'))
        return SceneReading::failed(ReadProblem::NotText);
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    int number = 0;
    qsizetype start = 0;
    while (start <= bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        addLine(decodePathText(bytes.sliced(start, end - start)), ++number, reading);
        start = end + 1;
    }
    return reading;
}
