#include "joblist/scene/PathList.h"

#include <QRegularExpression>
#include <QStringConverter>
#include <QStringDecoder>

namespace {
// A line ends at LF, CR LF, or a lone CR (as old Mac editors end them).
const QRegularExpression& lineEnd() {
    static const QRegularExpression end(QStringLiteral("\\r\\n|\\r|\\n"));
    return end;
}

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
        for (QStringView line : QStringView(text).split(lineEnd()))
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
        qsizetype end = start;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r')
            ++end;
        addLine(decodePathText(bytes.sliced(start, end - start)), ++number, reading);
        start = end + (bytes.sliced(end).startsWith("\r\n") ? 2 : 1);
    }
    return reading;
}
