#pragma once

#include <QFont>
#include <QPalette>
#include <QString>
#include <QStringList>

#include <optional>

// Everything a look needs besides the drawing itself: colours, font and the
// few sizes the style hands to layouts and controls.
struct Theme {
    QPalette palette;
    // Only the attributes the theme file names are set; the rest are filled
    // in from the application font when the look is installed.
    QFont font;
    int layoutSpacing = 8;  // between neighbouring widgets in a layout
    int layoutMargin = 10;  // around the contents of a window or panel
    int buttonPadding = 10; // inside push buttons, around their label
    int controlHeight = 28; // minimum height of buttons, line edits and combo boxes
};

// Reads the theme text format (documented at the top of resources/Default.theme).
// Strict: anything it does not understand makes it return nullopt, with the
// reason and line number in *error.
std::optional<Theme> parseTheme(const QString& text, QString* error = nullptr);

// Where a theme is looked for, in order of preference.
QStringList themeSearchPaths();

// The first path that can be read and parses wins; missing, unreadable or
// malformed files are skipped (the malformed ones with a warning).
std::optional<Theme> loadTheme(const QStringList& paths = themeSearchPaths());
