#pragma once

#include "Theme.h"

#include <QProxyStyle>

// The program's own look: Fusion does the drawing, the theme supplies the
// colours and the spacing that keeps every window consistent.
class QuillmereStyle : public QProxyStyle {
    Q_OBJECT
public:
    explicit QuillmereStyle(const Theme& theme);

    // QStyle::name() is not virtual and only QStyleFactory may set it, so the
    // style is known by its object name; this is the same string.
    static QString styleName() { return QStringLiteral("Quillmere"); }

    const Theme& theme() const { return m_theme; }

    QPalette standardPalette() const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;

private:
    Theme m_theme;
};
