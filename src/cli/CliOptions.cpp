#include "cli/CliOptions.h"

#include "cli/CliHelp.h"

#include <QCommandLineParser>

namespace {
struct Options {
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}};
    QCommandLineOption pyramid{QStringLiteral("p")};
    QCommandLineOption tile{QStringLiteral("r")};
    QCommandLineOption gamma{QStringLiteral("g"), {}, QStringLiteral("VALUE")};
    QCommandLineOption filter{QStringLiteral("f"), {}, QStringLiteral("VALUE")};
    QCommandLineOption custom{QStringLiteral("custom"), {}, QStringLiteral("TEXT")};
    QCommandLineOption converter{QStringLiteral("converter"), {}, QStringLiteral("PATH")};
    QCommandLineOption output{QStringLiteral("output"), {}, QStringLiteral("DIR")};
    QCommandLineOption recursive{QStringLiteral("recursive")};
    QCommandLineOption nul{QStringLiteral("0")};
    // convert
    QCommandLineOption skip{QStringLiteral("skip-up-to-date")};
    QCommandLineOption jobs{{QStringLiteral("j"), QStringLiteral("jobs")}, {}, QStringLiteral("N")};
    QCommandLineOption report{QStringLiteral("report"), {}, QStringLiteral("FILE")};
    QCommandLineOption explain{QStringLiteral("explain")};
    QCommandLineOption json{QStringLiteral("json")};
    // script and farm
    QCommandLineOption flavour{QStringLiteral("flavour"), {}, QStringLiteral("bat|sh")};
    QCommandLineOption outFile{QStringLiteral("o"), {}, QStringLiteral("FILE")};
    QCommandLineOption force{QStringLiteral("force")};
    QCommandLineOption perTask{QStringLiteral("images-per-task"), {}, QStringLiteral("N")};
    QCommandLineOption atOnce{QStringLiteral("tasks-at-once"), {}, QStringLiteral("N")};
    QCommandLineOption convertAll{QStringLiteral("convert-all")};
};

std::optional<CliCommand> commandNamed(const QString& name) {
    if (name == QLatin1String("convert"))
        return CliCommand::Convert;
    if (name == QLatin1String("script"))
        return CliCommand::Script;
    if (name == QLatin1String("farm"))
        return CliCommand::Farm;
    return std::nullopt;
}

// A whole number of at least `least`; nothing otherwise.
std::optional<int> wholeNumber(const QString& text, int least) {
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value >= least ? std::optional(value) : std::nullopt;
}

// The flags as the window has them: its defaults, unless the command line
// names flags of its own; then exactly those.
FlagOptions flagsFrom(const QCommandLineParser& parser, const Options& o) {
    if (!parser.isSet(o.pyramid) && !parser.isSet(o.tile) && !parser.isSet(o.gamma) &&
        !parser.isSet(o.filter) && !parser.isSet(o.custom))
        return {};
    FlagOptions flags;
    flags.pyramid = parser.isSet(o.pyramid);
    flags.tile = parser.isSet(o.tile);
    flags.gamma = parser.isSet(o.gamma);
    if (flags.gamma)
        flags.gammaValue = parser.value(o.gamma);
    flags.filter = parser.isSet(o.filter);
    if (flags.filter)
        flags.filterValue = parser.value(o.filter);
    flags.custom = parser.isSet(o.custom);
    flags.customText = parser.value(o.custom);
    return flags;
}

CliUsageError usage(const QString& message) {
    return {message};
}
} // namespace

CliParse parseCommandLine(const QStringList& arguments) {
    const QStringList given = arguments.mid(1);
    if (given.isEmpty())
        return usage(QStringLiteral("no command given (convert, script or farm)"));
    const QString first = given.first();
    if (first == QLatin1String("--help") || first == QLatin1String("-h") ||
        first == QLatin1String("help"))
        return CliHelp{cliHelpText(std::nullopt)};
    if (first == QLatin1String("--version"))
        return CliVersion{};
    const std::optional<CliCommand> command = commandNamed(first);
    if (!command)
        return usage(QStringLiteral("unknown command '%1' (convert, script or farm)").arg(first));

    const Options o;
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    parser.addOptions({o.help, o.pyramid, o.tile, o.gamma, o.filter, o.custom, o.converter,
                       o.output, o.recursive, o.nul});
    if (*command == CliCommand::Convert)
        parser.addOptions({o.skip, o.jobs, o.report, o.explain, o.json});
    if (*command == CliCommand::Script)
        parser.addOptions({o.flavour, o.outFile, o.force});
    if (*command == CliCommand::Farm)
        parser.addOptions({o.outFile, o.force, o.perTask, o.atOnce, o.convertAll});
    if (!parser.parse(QStringList{arguments.first()} + given.mid(1)))
        return usage(parser.errorText());
    if (parser.isSet(o.help))
        return CliHelp{cliHelpText(*command)};

    CliRequest request;
    request.command = *command;
    request.paths = parser.positionalArguments();
    request.nulSeparated = parser.isSet(o.nul);
    if (request.nulSeparated && !request.paths.contains(QStringLiteral("-")))
        request.paths << QStringLiteral("-"); // as xargs -0, from standard input
    if (request.paths.isEmpty())
        return usage(QStringLiteral("no image or folder given (use - to read paths from "
                                    "standard input)"));
    request.flags = flagsFrom(parser, o);
    request.converter = parser.value(o.converter);
    request.output = parser.value(o.output);
    if (parser.isSet(o.output) && request.output.isEmpty())
        return usage(QStringLiteral("--output needs a folder"));
    request.recursive = parser.isSet(o.recursive);

    switch (*command) {
    case CliCommand::Convert:
        request.skipUpToDate = parser.isSet(o.skip);
        if (parser.isSet(o.jobs)) {
            const std::optional<int> jobs = wholeNumber(parser.value(o.jobs), 1);
            if (!jobs)
                return usage(QStringLiteral("--jobs needs a whole number of at least 1"));
            request.jobs = *jobs;
        }
        request.report = parser.value(o.report);
        request.explain = parser.isSet(o.explain);
        request.json = parser.isSet(o.json);
        break;
    case CliCommand::Script:
        if (parser.value(o.flavour) == QLatin1String("bat"))
            request.flavour = TargetSystem::Windows;
        else if (parser.value(o.flavour) == QLatin1String("sh"))
            request.flavour = TargetSystem::Mac;
        else
            return usage(QStringLiteral("--flavour must be bat or sh"));
        [[fallthrough]];
    case CliCommand::Farm:
        request.outFile = parser.value(o.outFile);
        if (request.outFile.isEmpty())
            return usage(QStringLiteral("-o names the file to write"));
        request.force = parser.isSet(o.force);
        break;
    }
    if (*command == CliCommand::Farm) {
        if (parser.isSet(o.perTask)) {
            request.imagesPerTask = wholeNumber(parser.value(o.perTask), 1);
            if (!request.imagesPerTask)
                return usage(
                    QStringLiteral("--images-per-task needs a whole number of at least 1"));
        }
        if (parser.isSet(o.atOnce)) {
            const std::optional<int> atOnce = wholeNumber(parser.value(o.atOnce), 0);
            if (!atOnce)
                return usage(QStringLiteral("--tasks-at-once needs a whole number (0: no limit)"));
            request.tasksAtOnce = *atOnce;
        }
        request.farmSkipsUpToDate = !parser.isSet(o.convertAll);
    }
    return request;
}
