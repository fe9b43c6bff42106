#include "conversion/rules/BatchCodePage.h"

#include <algorithm>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#else
#include <QByteArray>
#include <QStringDecoder>

#include <bitset>
#endif

namespace {
#ifndef Q_OS_WIN
constexpr char codePageName[] = "IBM850";

// The characters the code page has a byte for, taken from Qt's own decoder so
// that the table and the encoder agree; ASCII only when ICU lacks the page.
const std::bitset<0x10000>& heldCharacters() {
    static const std::bitset<0x10000> held = [] {
        std::bitset<0x10000> set;
        for (char16_t c = 0; c < 0x80; ++c)
            set.set(c);
        QStringDecoder decoder(codePageName);
        if (!decoder.isValid())
            return set;
        QByteArray upper;
        for (int byte = 0x80; byte < 0x100; ++byte)
            upper.append(static_cast<char>(byte));
        const QString chars = decoder.decode(upper);
        if (decoder.hasError() || chars.size() != upper.size())
            return set;
        for (const QChar c : chars)
            set.set(c.unicode());
        return set;
    }();
    return held;
}
#endif
} // namespace

bool BatchCodePage::holds(QStringView text) const {
    // ASCII is the same bytes in every code page; paths are nearly all ASCII,
    // which Qt tells in large steps.
    if (QtPrivate::isAscii(text))
        return true;
    const auto beyond =
        std::find_if(text.begin(), text.end(), [](QChar c) { return c >= u'\x80'; });
    return beyond == text.end() || holdsBeyondAscii(text.sliced(beyond - text.begin()));
}

bool BatchCodePage::holdsAll(const QStringList& texts) const {
    return std::all_of(texts.begin(), texts.end(),
                       [this](const QString& text) { return holds(text); });
}

#ifdef Q_OS_WIN
// The machine's OEM code page through the two Win32 calls (not built on our
// Linux machines, so kept this small).
BatchCodePage::BatchCodePage()
    : m_codePage(GetOEMCP()) {}

bool BatchCodePage::holdsBeyondAscii(QStringView text) const {
    if (m_codePage == CP_UTF8)
        return true;
    BOOL replaced = FALSE;
    const auto wide = reinterpret_cast<LPCWCH>(text.utf16());
    return WideCharToMultiByte(m_codePage, WC_NO_BEST_FIT_CHARS, wide, int(text.size()), nullptr, 0,
                               nullptr, &replaced) > 0 &&
           !replaced;
}

char* BatchCodePage::encode(QStringView text, char* out) {
    const auto wide = reinterpret_cast<LPCWCH>(text.utf16());
    return out + WideCharToMultiByte(m_codePage, 0, wide, int(text.size()), out,
                                     int(maxBytes(text.size())), nullptr, nullptr);
}
#else
BatchCodePage::BatchCodePage()
    : m_encoder(codePageName) {}

bool BatchCodePage::holdsBeyondAscii(QStringView text) const {
    const std::bitset<0x10000>& held = heldCharacters();
    for (const QChar c : text) {
        if (!held.test(c.unicode()))
            return false;
    }
    return true;
}

char* BatchCodePage::encode(QStringView text, char* out) {
    return m_encoder.appendToBuffer(out, text);
}
#endif
