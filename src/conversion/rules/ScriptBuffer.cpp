#include "conversion/rules/ScriptBuffer.h"

#include "conversion/rules/ScriptText.h"

#include <QIODevice>

#include <algorithm>

namespace {
// No encoding here needs more than three bytes for one UTF-16 unit.
constexpr qsizetype maxBytes(qsizetype chars) {
    static_assert(BatchCodePage::maxBytes(1) <= 3);
    return 3 * chars;
}

bool isAscii(QChar c) {
    return c.unicode() < 0x80;
}
} // namespace

ScriptBuffer::ScriptBuffer(ScriptEncoding encoding, qsizetype expectedChars)
    : m_utf8(QStringConverter::Utf8)
    , m_separator(hostLineSeparator()) {
    if (encoding == ScriptEncoding::CodePage)
        m_codePage.emplace();
    if (expectedChars > 0)
        m_bytes.resize(maxBytes(expectedChars));
}

ScriptBuffer ScriptBuffer::forScript(TargetSystem system,
                                     const std::function<bool(const BatchCodePage&)>& heldBy,
                                     qsizetype expectedChars) {
    if (!isBatchFlavour(system))
        return ScriptBuffer(ScriptEncoding::Utf8, expectedChars);
    if (heldBy(BatchCodePage()))
        return ScriptBuffer(ScriptEncoding::CodePage, expectedChars);
    ScriptBuffer buffer(ScriptEncoding::Utf8, expectedChars);
    buffer.addLine(utf8BatchLine());
    return buffer;
}

char* ScriptBuffer::reserveFor(qsizetype chars) {
    const qsizetype needed = m_used + maxBytes(chars);
    if (needed > m_bytes.size())
        m_bytes.resize(std::max(needed, 2 * m_bytes.size())); // the new bytes stay untouched
    return m_bytes.data() + m_used;
}

void ScriptBuffer::addLine(QStringView line) {
    *this += line;
    endLine();
}

// Hands only the runs of non-ASCII characters to the code page and copies the
// ASCII between them: the IBM tables Qt reaches swap a few control characters
// (0x1A, 0x1C, 0x7F) that Windows' own code pages leave alone.
char* ScriptBuffer::appendToCodePage(char* out, QStringView text) {
    for (auto at = text.begin(); at != text.end();) {
        const auto asciiStart = std::find_if(at, text.end(), isAscii);
        out = m_codePage->encode(QStringView(at, asciiStart), out);
        const auto asciiEnd = std::find_if_not(asciiStart, text.end(), isAscii);
        out = std::transform(asciiStart, asciiEnd, out,
                             [](QChar c) { return static_cast<char>(c.unicode()); });
        at = asciiEnd;
    }
    return out;
}

ScriptBuffer& ScriptBuffer::operator+=(QStringView text) {
    char* out = reserveFor(text.size());
    // Qt's own UTF-8 encoder already takes ASCII in large steps.
    out = m_codePage ? appendToCodePage(out, text) : m_utf8.appendToBuffer(out, text);
    m_used = out - m_bytes.constData();
    return *this;
}

void ScriptBuffer::endLine() {
    *this += m_separator;
}

QByteArray ScriptBuffer::take() {
    m_bytes.resize(m_used);
    m_used = 0;
    return std::move(m_bytes);
}

bool ScriptBuffer::flushTo(QIODevice& device) {
    const bool written = device.write(m_bytes.constData(), m_used) == m_used;
    m_used = 0;
    return written;
}
