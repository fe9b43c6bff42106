#pragma once

#include "conversion/rules/TargetSystem.h"
#include "joblist/rules/ImageRoots.h"
#include "joblist/rules/JobRow.h"
#include "joblist/rules/TargetPaths.h"

#include <QString>

#include <optional>
#include <vector>

class BatchCodePage;

// The flag controls as plain values; the member defaults are the controls'
// state at every start and after Reset.
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

// Everything a converter line depends on besides the row.
struct CommandSettings {
    QString converterPath;
    FlagOptions flags;
    OutputChoice output;
    TargetSystem system = TargetSystem::Windows;
    ImageRoots roots = {}; // the folders the rows were added from (JobRow::root)
};

// The flag part of a converter line: the custom text alone when "Custom:" is
// ticked, else "-p ", "-r ", "-g V ", "-f V " in that order.
QString buildFlagString(const FlagOptions& options);

// The text of a path made safe inside double quotes of the given script
// flavour: bash gets `$`, backquote, `"` and escaping backslashes escaped,
// batch gets `%` doubled. Paths with none of these come back unchanged.
QString quotedPathText(QStringView path, TargetSystem system);

// Whether a path holds a character its script flavour would interpret.
bool pathNeedsQuoting(QStringView path, TargetSystem system);

// The converter as it starts a line: bare when exactly "imf_copy", else quoted.
QString converterToken(const QString& converterPath, TargetSystem system);

// Composes converter lines: the converter token, a space, the flags, a space,
// then the quoted source and target paths. The settings are read and the
// token quoted once for a whole batch, not once per row.
class ConverterLines {
public:
    explicit ConverterLines(CommandSettings settings);

    const CommandSettings& settings() const { return m_settings; }

    // The file a row's line writes (lineTarget() under these settings).
    std::optional<LineTarget> target(const JobRow& row) const {
        return lineTarget(row, m_settings.roots, m_settings.output);
    }

    // One line, without a line end.
    QString line(QStringView source, QStringView target) const;

    // Appends one line to `out`, a QString or any sink that takes `+= QStringView`.
    template <typename Sink> void append(Sink& out, QStringView source, QStringView target) const {
        appendLine(out, source, [&] { appendPath(out, target); });
    }
    template <typename Sink>
    void append(Sink& out, QStringView source, const LineTarget& target) const {
        appendLine(out, source, [&] {
            appendPath(out, target.directory);
            appendPath(out, target.folders);
            appendPath(out, target.rest);
        });
    }

    // Appends the line that makes the folder of a mirrored target (and the
    // ones above it) when it is missing, quoted as the converter lines are:
    // bash `mkdir -p "F"`, batch `if not exist "F\" mkdir "F"`, F being
    // LineTarget::folderToMake().
    template <typename Sink> void appendMakeFolder(Sink& out, const LineTarget& target) const {
        if (m_settings.system == TargetSystem::Mac) {
            out += QStringView(u"mkdir -p \"");
            appendFolder(out, target);
            out += QStringView(u"\"");
            return;
        }
        out += QStringView(u"if not exist \"");
        appendFolder(out, target);
        out += QStringView(u"\\\" mkdir \"");
        appendFolder(out, target);
        out += QStringView(u"\"");
    }

    // The same line writing to `rawTarget` instead of a row's target: a text
    // the script expands itself (a variable holding a temporary name), copied
    // as it is.
    template <typename Sink>
    void appendToRawTarget(Sink& out, QStringView source, QStringView rawTarget) const {
        appendLine(out, source, [&] { out += rawTarget; });
    }

    // Whether the code page holds every character of the ticked rows' lines;
    // what quoting adds is ASCII.
    bool heldBy(const BatchCodePage& codePage, const std::vector<JobRow>& rows) const;

private:
    // The prefix, the quoted source, then the target as `appendTarget` writes it, quoted.
    template <typename Sink, typename AppendTarget>
    void appendLine(Sink& out, QStringView source, AppendTarget appendTarget) const {
        out += QStringView(m_prefix);
        out += QStringView(u"\"");
        appendPath(out, source);
        out += QStringView(u"\" \"");
        appendTarget();
        out += QStringView(u"\"");
    }
    template <typename Sink> void appendFolder(Sink& out, const LineTarget& target) const {
        appendPath(out, target.directory);
        appendPath(out, target.folders);
    }
    template <typename Sink> void appendPath(Sink& out, QStringView path) const {
        if (pathNeedsQuoting(path, m_settings.system))
            out += QStringView(quotedPathText(path, m_settings.system));
        else
            out += path;
    }

    CommandSettings m_settings;
    QString m_prefix;
};
