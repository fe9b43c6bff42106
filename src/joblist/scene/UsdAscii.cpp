#include "joblist/scene/UsdAscii.h"

#include "joblist/rules/ImagesFilter.h"
#include "joblist/rules/Utils.h"

#include <vector>

namespace {
// Reads a layer byte by byte. Asset paths hold no escapes but "\@@@" in the
// triple form; strings hold backslash escapes, and triple-quoted ones may span lines.
class UsdReader {
public:
    explicit UsdReader(QByteArrayView text)
        : m_text(text) {}

    SceneReading read();

private:
    char at(qsizetype pos) const { return pos < m_text.size() ? m_text[pos] : '\0'; }
    bool startsHere(QByteArrayView piece) const { return m_text.sliced(m_pos).startsWith(piece); }
    bool skipString(char quote);
    bool readAsset();
    bool readTripleAsset();
    void addAsset(QByteArrayView path, int line);

    QByteArrayView m_text;
    qsizetype m_pos = 0;
    int m_line = 1;
    ReadProblem m_problem = ReadProblem::None;
    int m_problemLine = 0;
    std::vector<TextureReference> m_references;

    bool fail(ReadProblem problem, int line) {
        m_problem = problem;
        m_problemLine = line;
        return false;
    }
};

bool UsdReader::skipString(char quote) {
    const int startLine = m_line;
    const char triple[3] = {quote, quote, quote};
    const bool isTriple = startsHere(QByteArrayView(triple, 3));
    m_pos += isTriple ? 3 : 1;
    while (m_pos < m_text.size()) {
        const char c = m_text[m_pos];
        if (c == '\\') {
            if (at(m_pos + 1) == '\n')
                ++m_line;
            m_pos += 2;
            continue;
        }
        if (c == '\n') {
            if (!isTriple)
                return fail(ReadProblem::Malformed, startLine); // only triple quotes span lines
            ++m_line;
        } else if (c == quote && (!isTriple || startsHere(QByteArrayView(triple, 3)))) {
            m_pos += isTriple ? 3 : 1;
            return true;
        }
        ++m_pos;
    }
    return fail(ReadProblem::Truncated, startLine);
}

bool UsdReader::readAsset() {
    const int line = m_line;
    const qsizetype start = ++m_pos;
    while (m_pos < m_text.size()) {
        const char c = m_text[m_pos];
        if (c == '@') {
            addAsset(m_text.sliced(start, m_pos - start), line);
            ++m_pos;
            return true;
        }
        if (c == '\n')
            return fail(ReadProblem::Malformed, line);
        ++m_pos;
    }
    return fail(ReadProblem::Truncated, line);
}

bool UsdReader::readTripleAsset() {
    const int line = m_line;
    m_pos += 3;
    QByteArray path;
    while (m_pos < m_text.size()) {
        if (startsHere("\\@@@")) {
            path += "@@@";
            m_pos += 4;
            continue;
        }
        if (startsHere("@@@")) {
            // "@@@@" closes after its first character's part: the last three end it.
            while (at(m_pos + 3) == '@') {
                path += '@';
                ++m_pos;
            }
            addAsset(path, line);
            m_pos += 3;
            return true;
        }
        const char c = m_text[m_pos];
        if (c == '\n')
            return fail(ReadProblem::Malformed, line);
        path += c;
        ++m_pos;
    }
    return fail(ReadProblem::Truncated, line);
}

void UsdReader::addAsset(QByteArrayView path, int line) {
    const QString text = decodePathText(path);
    const QString name = text.mid(text.lastIndexOf(QLatin1Char('/')) + 1);
    if (hasTextureExtension(name.mid(name.lastIndexOf(QLatin1Char('\\')) + 1)))
        m_references.push_back(TextureReference{text, {}, line, UvTiling::Off});
}

SceneReading UsdReader::read() {
    std::vector<std::pair<char, int>> open; // brackets not yet closed, with their lines
    while (m_pos < m_text.size() && m_problem == ReadProblem::None) {
        const char c = m_text[m_pos];
        switch (c) {
        case '\n':
            ++m_line;
            ++m_pos;
            break;
        case '#':
            while (m_pos < m_text.size() && m_text[m_pos] != '\n')
                ++m_pos;
            break;
        case '"':
        case '\'':
            skipString(c);
            break;
        case '@':
            if (startsHere("@@@"))
                readTripleAsset();
            else
                readAsset();
            break;
        case '(':
        case '[':
        case '{':
            open.emplace_back(c, m_line);
            ++m_pos;
            break;
        case ')':
        case ']':
        case '}': {
            const char opener = c == ')' ? '(' : c == ']' ? '[' : '{';
            if (open.empty() || open.back().first != opener)
                fail(ReadProblem::Malformed, m_line);
            else
                open.pop_back();
            ++m_pos;
            break;
        }
        default:
            ++m_pos;
        }
    }
    if (m_problem == ReadProblem::None && !open.empty())
        fail(ReadProblem::Truncated, open.back().second);
    if (m_problem != ReadProblem::None)
        return SceneReading::failed(m_problem, m_problemLine);
    SceneReading reading;
    reading.references = std::move(m_references);
    return reading;
}
} // namespace

bool hasTextureExtension(const QString& fileName) {
    static const QStringList others{
        QStringLiteral("jpeg"), QStringLiteral("tiff"), QStringLiteral("exr"),
        QStringLiteral("hdr"),  QStringLiteral("tx"),   QStringLiteral("tex"),
        QStringLiteral("psd"),  QStringLiteral("dds"),  QStringLiteral("ktx"),
        QStringLiteral("ktx2"), QStringLiteral("webp"), QStringLiteral("jp2"),
        QStringLiteral("rat"),  QStringLiteral("sgi"),  QStringLiteral("rgb"),
        QStringLiteral("pic"),  QStringLiteral("dpx"),  QStringLiteral("cin")};
    const QString ext = Utils::getExtension(fileName);
    return !ext.isEmpty() && (imageExtensions().contains(ext) || others.contains(ext));
}

SceneReading readUsdAscii(QByteArrayView bytes) {
    QByteArrayView text = bytes;
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    if (text.startsWith("PXR-USDC"))
        return SceneReading::failed(ReadProblem::UsdBinary);
    if (!text.startsWith("#usda"))
        return SceneReading::failed(ReadProblem::WrongHeader, 1);
    if (text.contains('\0'))
        return SceneReading::failed(ReadProblem::NotText);
    return UsdReader(text).read();
}
