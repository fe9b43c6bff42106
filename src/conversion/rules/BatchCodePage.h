#pragma once

#include <QStringList>
#include <QStringView>

#ifndef Q_OS_WIN
#include <QStringEncoder>
#endif

// The code page Windows' batch interpreter reads a batch file in: the console's
// OEM code page, not the ANSI one programs default to. On Windows it is the
// machine's own; elsewhere 850, the OEM code page of most Western European
// installations, which Qt reaches through ICU.
class BatchCodePage {
public:
    BatchCodePage();

    // Whether every character of `text` has bytes of its own in the code page,
    // so that the interpreter reads back exactly `text`. When the page cannot
    // be reached it holds ASCII only, and every other text goes the UTF-8 way.
    bool holds(QStringView text) const;
    bool holdsAll(const QStringList& texts) const;

    // The most bytes encode() writes for `chars` UTF-16 units.
    static constexpr qsizetype maxBytes(qsizetype chars) { return 3 * chars; }

    // Writes `text`, which the code page holds, to `out`; returns the end.
    char* encode(QStringView text, char* out);

private:
    bool holdsBeyondAscii(QStringView text) const;

#ifdef Q_OS_WIN
    unsigned m_codePage;
#else
    QStringEncoder m_encoder;
#endif
};
