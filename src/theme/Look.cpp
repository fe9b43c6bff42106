#include "Look.h"

#include "QuillmereStyle.h"
#include "Theme.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>

#include <optional>

namespace {

struct SystemLook {
    QString styleName;
    QPalette palette;
    QFont font;
};

std::optional<SystemLook>& remembered() {
    static std::optional<SystemLook> look;
    return look;
}

bool haveApplication() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

} // namespace

namespace Look {

void rememberSystemLook() {
    if (!haveApplication() || themedLookActive())
        return;
    const QStyle* style = QApplication::style();
    // Styles made by QStyleFactory carry their key as name(); one installed
    // by hand may only have an object name.
    QString name = style->name();
    if (name.isEmpty())
        name = style->objectName();
    remembered() = SystemLook{name, QApplication::palette(), QApplication::font()};
}

bool installThemed() {
    if (!haveApplication())
        return false;
    const std::optional<Theme> theme = loadTheme();
    if (!theme)
        return false;
    // Without this a caller that skipped rememberSystemLook() could never get
    // back to the system look.
    if (!remembered())
        rememberSystemLook();

    // The theme names only some font attributes; the rest come from the font
    // Qt chose for this system, not from a previously installed theme.
    const QFont baseFont = remembered() ? remembered()->font : QApplication::font();
    QApplication::setStyle(new QuillmereStyle(*theme));
    // Set explicitly: a platform theme's palette would otherwise win over
    // the style's standard palette.
    QApplication::setPalette(theme->palette);
    QApplication::setFont(theme->font.resolve(baseFont));
    return true;
}

bool installSystem() {
    if (!haveApplication() || !remembered() || remembered()->styleName.isEmpty())
        return false;
    QStyle* style = QStyleFactory::create(remembered()->styleName);
    if (!style)
        return false;
    QApplication::setStyle(style);
    QApplication::setPalette(remembered()->palette);
    QApplication::setFont(remembered()->font);
    return true;
}

bool themedLookActive() {
    return haveApplication() && qobject_cast<QuillmereStyle*>(QApplication::style()) != nullptr;
}

} // namespace Look
