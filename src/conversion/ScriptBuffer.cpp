#include "conversion/ScriptBuffer.h"

#include "conversion/ScriptText.h"

#include <QIODevice>

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {
QStringConverter::Encoding hostEncoding() {
#ifdef Q_OS_WIN
    return QStringConverter::System;
#else
    return QStringConverter::Utf8; // what Qt uses for the local 8-bit encoding here
#endif
}
} // namespace

ScriptBuffer::ScriptBuffer(qsizetype expectedChars)
    : m_encoder(hostEncoding())
    , m_separator(hostLineSeparator()) {
    if (expectedChars > 0)
        m_bytes.resize(m_encoder.requiredSpace(expectedChars));
}

char* ScriptBuffer::reserveFor(qsizetype chars) {
    const qsizetype needed = m_used + m_encoder.requiredSpace(chars);
    if (needed > m_bytes.size())
        m_bytes.resize(std::max(needed, 2 * m_bytes.size())); // the new bytes stay untouched
    return m_bytes.data() + m_used;
}

void ScriptBuffer::addLine(QStringView line) {
    *this += line;
    endLine();
}

// Copies the leading ASCII characters of `text` to `out` as bytes (ASCII is
// the same in UTF-8 and every Windows code page) and returns how many it
// copied; paths are mostly ASCII, and the general encoder is far slower.
static qsizetype copyAscii(const char16_t* text, qsizetype size, char* out) {
    qsizetype i = 0;
#if defined(__SSE2__)
    const __m128i high = _mm_set1_epi16(static_cast<short>(0xff80));
    for (; i + 16 <= size; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i + 8));
        const __m128i outside = _mm_and_si128(_mm_or_si128(a, b), high);
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(outside, _mm_setzero_si128())) != 0xffff)
            break;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(a, b));
    }
#endif
    for (; i < size && text[i] < 0x80; ++i)
        out[i] = static_cast<char>(text[i]);
    return i;
}

ScriptBuffer& ScriptBuffer::operator+=(QStringView text) {
    char* out = reserveFor(text.size());
    const qsizetype ascii = copyAscii(text.utf16(), text.size(), out);
    out += ascii;
    if (ascii < text.size())
        out = m_encoder.appendToBuffer(out, text.mid(ascii));
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
