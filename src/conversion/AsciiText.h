#pragma once

#include <QStringView>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// ASCII is the same single bytes in UTF-8 and in every Windows code page, and
// paths are nearly all ASCII, so these scans are most of what encoding or
// checking a script's text costs. Inline: they run for every piece of every line.
namespace AsciiText {
#if defined(__SSE2__)
// Whether sixteen characters from `chars` on are all ASCII; `a` and `b` get them.
inline bool sixteenAscii(const char16_t* chars, __m128i& a, __m128i& b) {
    a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chars));
    b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chars + 8));
    const __m128i outside =
        _mm_and_si128(_mm_or_si128(a, b), _mm_set1_epi16(static_cast<short>(0xff80)));
    return _mm_movemask_epi8(_mm_cmpeq_epi16(outside, _mm_setzero_si128())) == 0xffff;
}
#endif
} // namespace AsciiText

// How many leading characters of `text` are ASCII.
inline qsizetype asciiPrefixLength(QStringView text) {
    const char16_t* chars = text.utf16();
    const qsizetype size = text.size();
    qsizetype i = 0;
#if defined(__SSE2__)
    for (__m128i a, b; i + 16 <= size && AsciiText::sixteenAscii(chars + i, a, b); i += 16) {
    }
#endif
    while (i < size && chars[i] < 0x80)
        ++i;
    return i;
}

// Writes the leading ASCII characters of `text` to `out` as bytes and returns
// how many it wrote.
inline qsizetype copyAsciiPrefix(QStringView text, char* out) {
    const char16_t* chars = text.utf16();
    const qsizetype size = text.size();
    qsizetype i = 0;
#if defined(__SSE2__)
    for (__m128i a, b; i + 16 <= size && AsciiText::sixteenAscii(chars + i, a, b); i += 16)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(a, b));
#endif
    for (; i < size && chars[i] < 0x80; ++i)
        out[i] = static_cast<char>(chars[i]);
    return i;
}
