#pragma once

#include <QString>

#include <functional>

class QFontMetrics;

// Shortens a path at its left so that its end (file name and nearest folders)
// stays visible: "..." followed by as many trailing characters as fit in
// `available` pixels. A text that fits is returned unchanged.
QString leftShortened(const QString& text, int available,
                      const std::function<int(const QString&)>& textWidth,
                      const std::function<int(QChar)>& charWidth);

QString leftShortened(const QString& text, int available, const QFontMetrics& metrics);
