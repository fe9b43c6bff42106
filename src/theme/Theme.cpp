#include "Theme.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLoggingCategory>
#include <QSet>
#include <QStringDecoder>

#include <algorithm>
#include <array>

namespace {

Q_LOGGING_CATEGORY(lcTheme, "corvane.theme")

// A theme is a few hundred bytes; anything far bigger is not one, and reading
// it whole would only waste memory.
constexpr qint64 kMaxThemeBytes = 64 * 1024;

struct RoleKey {
    const char* name;
    QPalette::ColorRole role;
    bool required;
};

// Roles a theme must give so that no widget falls back to a colour from some
// other palette; the shades Fusion derives from the button colour may be given
// but need not be.
constexpr std::array<RoleKey, 20> kRoles{{
    {"window", QPalette::Window, true},
    {"windowText", QPalette::WindowText, true},
    {"base", QPalette::Base, true},
    {"alternateBase", QPalette::AlternateBase, true},
    {"text", QPalette::Text, true},
    {"button", QPalette::Button, true},
    {"buttonText", QPalette::ButtonText, true},
    {"highlight", QPalette::Highlight, true},
    {"highlightedText", QPalette::HighlightedText, true},
    {"toolTipBase", QPalette::ToolTipBase, true},
    {"toolTipText", QPalette::ToolTipText, true},
    {"placeholderText", QPalette::PlaceholderText, true},
    {"link", QPalette::Link, true},
    {"brightText", QPalette::BrightText, true},
    {"linkVisited", QPalette::LinkVisited, false},
    {"light", QPalette::Light, false},
    {"midlight", QPalette::Midlight, false},
    {"mid", QPalette::Mid, false},
    {"dark", QPalette::Dark, false},
    {"shadow", QPalette::Shadow, false},
}};

const RoleKey* findRole(QStringView name) {
    for (const RoleKey& r : kRoles) {
        if (name == QLatin1String(r.name))
            return &r;
    }
    return nullptr;
}

struct MetricKey {
    const char* name;
    int Theme::*member;
    int min;
    int max;
};

constexpr std::array<MetricKey, 4> kMetrics{{
    {"layoutSpacing", &Theme::layoutSpacing, 0, 64},
    {"layoutMargin", &Theme::layoutMargin, 0, 64},
    {"buttonPadding", &Theme::buttonPadding, 0, 64},
    {"controlHeight", &Theme::controlHeight, 0, 128},
}};

std::optional<QColor> parseColour(QStringView value) {
    if (value.size() != 7 || value[0] != u'#')
        return std::nullopt;
    QRgb rgb = 0;
    for (QChar c : value.mid(1)) {
        const char16_t u = c.unicode();
        int digit = -1;
        if (u >= u'0' && u <= u'9')
            digit = u - u'0';
        else if (u >= u'a' && u <= u'f')
            digit = u - u'a' + 10;
        else if (u >= u'A' && u <= u'F')
            digit = u - u'A' + 10;
        if (digit < 0)
            return std::nullopt;
        rgb = rgb << 4 | QRgb(digit);
    }
    return QColor::fromRgb(rgb);
}

// Digits only: toInt() alone would also take signs and surrounding blanks.
std::optional<int> parseInt(QStringView value, int min, int max) {
    if (value.isEmpty() || value.size() > 6)
        return std::nullopt;
    for (QChar c : value) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    const int n = value.toInt();
    if (n < min || n > max)
        return std::nullopt;
    return n;
}

QColor blend(const QColor& from, const QColor& to, double t) {
    auto mix = [t](int a, int b) { return int(a + (b - a) * t + 0.5); };
    return QColor(mix(from.red(), to.red()), mix(from.green(), to.green()),
                  mix(from.blue(), to.blue()));
}

QPalette buildPalette(const QHash<QPalette::ColorRole, QColor>& active,
                      const QHash<QPalette::ColorRole, QColor>& disabled) {
    // Start from Qt's derivation so the optional shades (light, mid, dark...)
    // match the button colour when the theme leaves them out.
    QPalette pal(active.value(QPalette::Button), active.value(QPalette::Window));
    for (auto it = active.cbegin(); it != active.cend(); ++it)
        pal.setColor(it.key(), it.value());

    // Unless the theme says otherwise, disabled text fades halfway into what
    // it is drawn on: clearly inactive, still readable.
    struct Fade {
        QPalette::ColorRole fg;
        QPalette::ColorRole bg;
    };
    const Fade fades[] = {
        {QPalette::WindowText, QPalette::Window}, {QPalette::Text, QPalette::Base},
        {QPalette::ButtonText, QPalette::Button}, {QPalette::PlaceholderText, QPalette::Base},
        {QPalette::Highlight, QPalette::Window},  {QPalette::Link, QPalette::Base},
    };
    for (const Fade& f : fades)
        pal.setColor(QPalette::Disabled, f.fg, blend(active.value(f.fg), active.value(f.bg), 0.5));

    for (auto it = disabled.cbegin(); it != disabled.cend(); ++it)
        pal.setColor(QPalette::Disabled, it.key(), it.value());
    return pal;
}

} // namespace

std::optional<Theme> parseTheme(const QString& text, QString* error) {
    enum class Section { None, Palette, Font, Metrics };

    Theme theme;
    QHash<QPalette::ColorRole, QColor> active;
    QHash<QPalette::ColorRole, QColor> disabled;
    QSet<QString> seenSections;
    QSet<QString> seenKeys;
    Section section = Section::None;
    QString sectionName;
    int paletteLine = 0;

    auto fail = [error](int line, const QString& why) -> std::optional<Theme> {
        if (error)
            *error = QStringLiteral("line %1: %2").arg(QString::number(line), why);
        return std::nullopt;
    };

    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int lineNo = int(i + 1);
        const QString line = lines[i].trimmed(); // also drops the \r of CRLF files
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;

        if (line.startsWith(u'[')) {
            if (!line.endsWith(u']'))
                return fail(lineNo, QStringLiteral("section header lacks its closing ']'"));
            sectionName = line.mid(1, line.size() - 2).trimmed();
            if (sectionName == u"palette") {
                section = Section::Palette;
                paletteLine = lineNo;
            } else if (sectionName == u"font") {
                section = Section::Font;
            } else if (sectionName == u"metrics") {
                section = Section::Metrics;
            } else {
                return fail(lineNo, QStringLiteral("unknown section [%1]").arg(sectionName));
            }
            if (seenSections.contains(sectionName))
                return fail(lineNo, QStringLiteral("section [%1] appears twice").arg(sectionName));
            seenSections.insert(sectionName);
            continue;
        }

        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            return fail(lineNo, QStringLiteral("expected 'key = value'"));
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        if (key.isEmpty())
            return fail(lineNo, QStringLiteral("missing key before '='"));
        if (value.isEmpty())
            return fail(lineNo, QStringLiteral("missing value for '%1'").arg(key));
        if (section == Section::None)
            return fail(lineNo, QStringLiteral("'%1' comes before any section").arg(key));

        const QString qualified = sectionName + u'.' + key;
        if (seenKeys.contains(qualified))
            return fail(lineNo,
                        QStringLiteral("'%1' is given twice in [%2]").arg(key, sectionName));
        seenKeys.insert(qualified);

        const QString unknown = QStringLiteral("unknown key '%1' in [%2]").arg(key, sectionName);
        switch (section) {
        case Section::Palette: {
            const bool isDisabled = key.startsWith(u"disabled.");
            const RoleKey* role = findRole(isDisabled ? QStringView(key).mid(9) : QStringView(key));
            if (!role)
                return fail(lineNo, unknown);
            const auto colour = parseColour(value);
            if (!colour)
                return fail(lineNo, QStringLiteral("'%1' is not a #rrggbb colour").arg(value));
            (isDisabled ? disabled : active).insert(role->role, *colour);
            break;
        }
        case Section::Font:
            if (key == u"family") {
                QStringList families;
                for (const QString& f : value.split(u','))
                    if (!f.trimmed().isEmpty())
                        families << f.trimmed();
                if (families.isEmpty())
                    return fail(lineNo, QStringLiteral("no font family given"));
                theme.font.setFamilies(families);
            } else if (key == u"pointSize") {
                const auto size = parseInt(value, 6, 48);
                if (!size)
                    return fail(lineNo, QStringLiteral("pointSize '%1' is not a whole number "
                                                       "from 6 to 48")
                                            .arg(value));
                theme.font.setPointSize(*size);
            } else {
                return fail(lineNo, unknown);
            }
            break;
        case Section::Metrics: {
            const MetricKey* metric = nullptr;
            for (const MetricKey& m : kMetrics)
                if (key == QLatin1String(m.name))
                    metric = &m;
            if (!metric)
                return fail(lineNo, unknown);
            const auto n = parseInt(value, metric->min, metric->max);
            if (!n)
                return fail(lineNo, QStringLiteral("%1 '%2' is not a whole number from %3 to %4")
                                        .arg(key, value, QString::number(metric->min),
                                             QString::number(metric->max)));
            theme.*(metric->member) = *n;
            break;
        }
        case Section::None:
            break;
        }
    }

    if (paletteLine == 0) {
        // Point at the end of the file; a final newline does not start a line.
        const int lastLine =
            std::max(1, int(text.endsWith(u'\n') ? lines.size() - 1 : lines.size()));
        return fail(lastLine, QStringLiteral("no [palette] section"));
    }
    QStringList missing;
    for (const RoleKey& r : kRoles)
        if (r.required && !active.contains(r.role))
            missing << QLatin1String(r.name);
    if (!missing.isEmpty())
        return fail(paletteLine,
                    QStringLiteral("[palette] lacks %1").arg(missing.join(QStringLiteral(", "))));

    theme.palette = buildPalette(active, disabled);
    return theme;
}

QStringList themeSearchPaths() {
    return {QStringLiteral(":/Default.theme"),
            QDir::home().filePath(QStringLiteral("Default.theme")),
            QDir::current().filePath(QStringLiteral("Default.theme"))};
}

std::optional<Theme> loadTheme(const QStringList& paths) {
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (!info.exists())
            continue; // the usual case for the optional locations: not worth a word
        auto skip = [&path](const QString& why) {
            qCWarning(lcTheme, "Skipping theme %s: %s", qUtf8Printable(path), qUtf8Printable(why));
        };
        if (!info.isFile()) {
            skip(QStringLiteral("not a regular file"));
            continue;
        }
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            skip(file.errorString());
            continue;
        }
        // Read one byte past the limit rather than trusting the reported size,
        // which special files get wrong.
        const QByteArray bytes = file.read(kMaxThemeBytes + 1);
        if (bytes.size() > kMaxThemeBytes) {
            skip(QStringLiteral("larger than %1 bytes").arg(kMaxThemeBytes));
            continue;
        }
        QStringDecoder decode(QStringDecoder::Utf8);
        const QString text = decode(bytes);
        if (decode.hasError()) {
            skip(QStringLiteral("not UTF-8 text"));
            continue;
        }
        QString error;
        if (auto theme = parseTheme(text, &error))
            return theme;
        skip(error);
    }
    return std::nullopt;
}
