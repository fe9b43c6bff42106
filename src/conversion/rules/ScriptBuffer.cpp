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

ScriptBuffer::ScriptBuffer(ScriptEncoding encoding, QString lineEnd, qsizetype expectedChars)
    : m_utf8(QStringConverter::Utf8)
    , m_separator(std::move(lineEnd)) {
    if (encoding == ScriptEncoding::CodePage)
        m_codePage.emplace();
    if (expectedChars > 0)
        m_bytes.resize(maxBytes(expectedChars));
}

ScriptBuffer ScriptBuffer::forScript(TargetSystem system,
                                     const std::function<bool(const BatchCodePage&)>& heldBy,
                                     qsizetype expectedChars) {
    const QString lineEnd = scriptLineSeparator(system);
    if (!isBatchFlavour(system))
        return ScriptBuffer(ScriptEncoding::Utf8, lineEnd, expectedChars);
    if (heldBy(BatchCodePage()))
        return ScriptBuffer(ScriptEncoding::CodePage, lineEnd, expectedChars);
    ScriptBuffer buffer(ScriptEncoding::Utf8, lineEnd, expectedChars);
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

// ASCII is the same bytes in UTF-8 and in every code page, and Qt's UTF-8
// encoder copies it in large steps: a line of ASCII, nearly every line, is one
// call. Only the runs beyond ASCII go to the code page, for the IBM tables Qt
// reaches swap a few control characters (0x1A, 0x1C, 0x7F) that Windows' own
// code pages leave alone.
char* ScriptBuffer::appendToCodePage(char* out, QStringView text) {
    if (QtPrivate::isAscii(text))
        return m_utf8.appendToBuffer(out, text);
    while (!text.isEmpty()) {
        const auto beyond = std::find_if_not(text.begin(), text.end(), isAscii);
        out = m_utf8.appendToBuffer(out, QStringView(text.begin(), beyond));
        const auto back = std::find_if(beyond, text.end(), isAscii);
        if (back != beyond)
            out = m_codePage->encode(QStringView(beyond, back), out);
        text = QStringView(back, text.end());
    }
    return out;
}

void ScriptBuffer::encode(QStringView text) {
    char* out = reserveFor(text.size());
    out = m_codePage ? appendToCodePage(out, text) : m_utf8.appendToBuffer(out, text);
    m_used = out - m_bytes.constData();
}

ScriptBuffer& ScriptBuffer::operator+=(QStringView text) {
    // UTF-8 takes each piece as it comes; a code page line is gathered first,
    // so that the check for ASCII runs once a line, not once a piece.
    if (m_codePage)
        m_line += text;
    else
        encode(text);
    return *this;
}

void ScriptBuffer::endLine() {
    if (!m_codePage) {
        encode(m_separator);
        return;
    }
    m_line += m_separator;
    encode(m_line);
    m_line.resize(0); // keeps its capacity
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
