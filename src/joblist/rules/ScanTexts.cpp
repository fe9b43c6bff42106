#include "joblist/rules/ScanTexts.h"

#include <QLocale>

namespace {
// Counts are grouped as the program's English texts read them ("12,345"),
// whatever the machine's own locale.
QString counted(int count, const char* one, const char* many) {
    static const QLocale english(QLocale::English, QLocale::UnitedStates);
    return english.toString(count) + QLatin1Char(' ') + QLatin1String(count == 1 ? one : many);
}
} // namespace

QString scanProgressText(int images, int folders) {
    return QStringLiteral("Scanning\u2026 ") + counted(images, "image", "images") +
           QStringLiteral(" in ") + counted(folders, "folder", "folders");
}

QString unreadableFoldersText(int count) {
    return counted(count, "folder", "folders") + QStringLiteral(" could not be read.");
}
