#include "QuillmereStyle.h"

#include <QStyleFactory>
#include <QStyleOption>

#include <algorithm>

QuillmereStyle::QuillmereStyle(const Theme& theme)
    // Fusion is built into Qt Widgets, so it is always there to draw on.
    : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion")))
    , m_theme(theme) {
    setObjectName(styleName());
}

QPalette QuillmereStyle::standardPalette() const {
    return m_theme.palette;
}

int QuillmereStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                                const QWidget* widget) const {
    switch (metric) {
    case PM_LayoutHorizontalSpacing:
    case PM_LayoutVerticalSpacing:
        return m_theme.layoutSpacing;
    case PM_LayoutLeftMargin:
    case PM_LayoutTopMargin:
    case PM_LayoutRightMargin:
    case PM_LayoutBottomMargin:
        return m_theme.layoutMargin;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

int QuillmereStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                              QStyleHintReturn* returnData) const {
    switch (hint) {
    case SH_Table_GridLineColor: {
        // A faint line a little darker than the cells, rather than Fusion's
        // grey, which looks cold against the warm base colour.
        const QPalette& pal = option ? option->palette : m_theme.palette;
        const QColor base = pal.color(QPalette::Base);
        const QColor text = pal.color(QPalette::Text);
        const auto mix = [](int a, int b) { return a + (b - a) * 15 / 100; };
        return int(qRgb(mix(base.red(), text.red()), mix(base.green(), text.green()),
                        mix(base.blue(), text.blue())));
    }
    case SH_EtchDisabledText:
    case SH_DialogButtonBox_ButtonsHaveIcons:
        return 0;
    default:
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
}

QSize QuillmereStyle::sizeFromContents(ContentsType type, const QStyleOption* option,
                                       const QSize& size, const QWidget* widget) const {
    if (type == CT_PushButton) {
        // Fusion adds its button margin once across both sides; swap it for
        // the theme's padding on each side. Done on the contents so Fusion's
        // minimum button width still applies afterwards.
        const int fusionMargin = baseStyle()->pixelMetric(PM_ButtonMargin, option, widget);
        const QSize padded(std::max(0, size.width() + 2 * m_theme.buttonPadding - fusionMargin),
                           size.height());
        QSize result = QProxyStyle::sizeFromContents(type, option, padded, widget);
        result.rheight() = std::max(result.height(), m_theme.controlHeight);
        return result;
    }

    QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
    switch (type) {
    case CT_LineEdit:
    case CT_ComboBox:
    case CT_SpinBox:
        // Text controls and buttons share one height so rows of them line up.
        result.rheight() = std::max(result.height(), m_theme.controlHeight);
        break;
    default:
        break;
    }
    return result;
}
