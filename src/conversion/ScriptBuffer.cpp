#include "conversion/ScriptBuffer.h"

#include "conversion/AsciiText.h"
#include "conversion/ScriptText.h"

#include <QIODevice>

#include <algorithm>

namespace {
// No encoding here needs more than three bytes for one UTF-16 unit.
constexpr qsizetype maxBytes(qsizetype chars) {
    static_assert(BatchCodePage::maxBytes(1) <= 3);
    return 3 * chars;
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
    const char16_t* chars = text.utf16();
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size;) {
        qsizetype end = i;
        while (end < size && chars[end] >= 0x80)
            ++end;
        out = m_codePage->encode(text.sliced(i, end - i), out);
        const qsizetype ascii = copyAsciiPrefix(text.sliced(end), out);
        out += ascii;
        i = end + ascii;
    }
    return out;
}

ScriptBuffer& ScriptBuffer::operator+=(QStringView text) {
    char* out = reserveFor(text.size());
    const qsizetype ascii = copyAsciiPrefix(text, out);
    out += ascii;
    if (ascii < text.size()) {
        const QStringView rest = text.sliced(ascii);
        out = m_codePage ? appendToCodePage(out, rest) : m_utf8.appendToBuffer(out, rest);
    }
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
