#pragma once

#include <QString>

#include <optional>

// Target system of scripts, the values of CorvaneGUI::system.
namespace TargetSystem {
constexpr int Windows = 0;
constexpr int Mac = 1;
} // namespace TargetSystem

// The flag controls as plain values.
struct FlagOptions {
    bool pyramid = true;
    bool tile = false;
    bool gamma = false;
    QString gammaValue = QStringLiteral("1.0");
    bool filter = false;
    QString filterValue = QStringLiteral("1.0");
    bool custom = false;
    QString customText;
};

// The flag part of a converter line: the custom text alone when "Custom:" is
// ticked, else "-p ", "-r ", "-g V ", "-f V " in that order.
QString buildFlagString(const FlagOptions& options);

// The text of a path made safe inside double quotes of the given script
// flavour: bash gets `$`, backquote, `"` and escaping backslashes escaped,
// batch gets `%` doubled. Paths with none of these come back unchanged.
QString quotedPathText(const QString& path, int system);

// Whether a path holds a character its script flavour would interpret.
bool pathNeedsQuoting(QStringView path, int system);

// Appends the quoted-safe text of a path to `out`, a QString or any sink that
// takes `+= QStringView`.
template <typename Sink> void appendQuotedPathText(Sink& out, QStringView path, int system) {
    if (pathNeedsQuoting(path, system))
        out += QStringView(quotedPathText(path.toString(), system));
    else
        out += path;
}

// The converter as it starts a line: bare when exactly "imf_copy", else quoted.
QString converterToken(const QString& converterPath, int system);

// The target a line writes: the row's target when the file goes beside its
// source, else the output directory followed by the target's file name from
// its last separator on. Nothing when that target has no separator.
std::optional<QString> commandTargetPath(const QString& rowTarget, bool sameDirectory,
                                         const QString& outputDirectory);

// What every line of a batch starts with: the converter token, a space, the
// flags and a space; computed once per batch.
QString commandPrefix(const QString& converterPath, const QString& flags, int system);

// Appends one line (without a line end): the prefix, then the quoted source
// and target paths. `out` is a QString or any sink that takes `+= QStringView`.
template <typename Sink>
void appendConverterCommand(Sink& out, QStringView prefix, QStringView source, QStringView target,
                            int system) {
    out += prefix;
    out += QStringView(u"\"");
    appendQuotedPathText(out, source, system);
    out += QStringView(u"\" \"");
    appendQuotedPathText(out, target, system);
    out += QStringView(u"\"");
}

// One complete converter line, without a line end.
QString buildConverterCommand(const QString& converterPath, const QString& flags,
                              const QString& source, const QString& target, int system);
