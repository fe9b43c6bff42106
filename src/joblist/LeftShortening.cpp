#include "joblist/LeftShortening.h"

#include <QFontMetrics>

QString leftShortened(const QString& text, int available,
                      const std::function<int(const QString&)>& textWidth,
                      const std::function<int(QChar)>& charWidth) {
    if (textWidth(text) <= available)
        return text;
    const QString dots = QStringLiteral("...");
    int width = textWidth(dots);
    qsizetype i = text.size() - 1;
    while (i > 0) {
        width += charWidth(text[i]);
        if (width > available)
            break;
        --i;
    }
    // The character that overflowed is not shown; when nothing overflowed the
    // first character is dropped all the same, the dots stand in for it.
    return dots + text.mid(i + 1);
}

QString leftShortened(const QString& text, int available, const QFontMetrics& metrics) {
    return leftShortened(
        text, available, [&](const QString& s) { return metrics.horizontalAdvance(s); },
        [&](QChar c) { return metrics.horizontalAdvance(c); });
}
