#include "conversion/rules/ConverterCheck.h"

#include <QFileInfo>
#include <QStandardPaths>

ProgramLookup systemProgramLookup() {
    return [](const QString& name) { return QStandardPaths::findExecutable(name); };
}

bool isBareProgramName(const QString& converter) {
    return !converter.contains(QLatin1Char('/')) && !converter.contains(QLatin1Char('\\'));
}

ConverterState checkConverter(const QString& converter, const ProgramLookup& lookup) {
    if (converter.isEmpty())
        return ConverterState::Empty;
    if (isBareProgramName(converter))
        return lookup && !lookup(converter).isEmpty() ? ConverterState::Found
                                                      : ConverterState::Missing;
    const QFileInfo file(converter);
    if (!file.exists())
        return ConverterState::Missing;
    if (file.isDir())
        return ConverterState::Folder;
    if (!file.isExecutable())
        return ConverterState::NotExecutable;
    return ConverterState::Found;
}

QString converterProblemText(ConverterState state, const QString& shownPath,
                             ConverterChooser chooser) {
    const bool window = chooser == ConverterChooser::Window;
    const QString choose =
        window ? QStringLiteral("Choose it with the button beside the imf_copy field.")
               : QStringLiteral("Name it with --converter PATH.");
    switch (state) {
    case ConverterState::Found:
        break;
    case ConverterState::Empty:
        return QStringLiteral("No converter is set. ") + choose;
    case ConverterState::Missing:
        return QStringLiteral("The converter \"%1\" was not found. ").arg(shownPath) + choose;
    case ConverterState::Folder:
        return QStringLiteral("The converter \"%1\" is a folder, not a program. ").arg(shownPath) +
               choose;
    case ConverterState::NotExecutable:
        return QStringLiteral("The converter \"%1\" is not allowed to run: make it executable, "
                              "or %2.")
            .arg(shownPath, window ? QStringLiteral("choose another with the button beside the "
                                                    "imf_copy field")
                                   : QStringLiteral("name another with --converter PATH"));
    }
    return {};
}

QString converterNotHereText(const QString& shownPath) {
    return QStringLiteral("The converter \"%1\" was not found on this machine.").arg(shownPath);
}
