#include "conversion/TickedJobs.h"

#include "conversion/ScriptBuffer.h"
#include "conversion/ScriptText.h"
#include "joblist/TargetPaths.h"

#include <algorithm>

namespace {
// Composes the lines of one batch: the settings are read and the converter
// token quoted once, not once per row.
class LineComposer {
public:
    explicit LineComposer(const CommandSettings& settings)
        : m_settings(settings)
        , m_prefix(commandPrefix(settings.converterPath, buildFlagString(settings.flags),
                                 settings.system)) {}

    std::optional<QString> target(const JobRow& row) const {
        return commandTargetPath(row.newImage, m_settings.sameDirectory,
                                 m_settings.outputDirectory);
    }

    template <typename Sink>
    void append(Sink& out, const JobRow& row, const QString& target) const {
        appendConverterCommand(out, m_prefix, row.image, target, m_settings.system);
    }

    // Whether the code page holds every character of every ticked row's line;
    // what quoting adds is ASCII. One pass over the texts, before anything is
    // written, since the answer decides the script's first line.
    bool heldBy(const BatchCodePage& codePage, const std::vector<JobRow>& rows) const {
        if (!codePage.holds(m_prefix) ||
            (!m_settings.sameDirectory && !codePage.holds(m_settings.outputDirectory)))
            return false;
        for (const JobRow& row : rows) {
            if (row.process && (!codePage.holds(row.image) || !codePage.holds(ownTarget(row))))
                return false;
        }
        return true;
    }

    qsizetype estimate(const JobRow& row) const {
        return m_prefix.size() + row.image.size() + row.newImage.size() +
               m_settings.outputDirectory.size() + 8;
    }

private:
    // What a line's target takes from the row: all of it, or from its last
    // separator on after the output directory.
    QStringView ownTarget(const JobRow& row) const {
        if (m_settings.sameDirectory)
            return row.newImage;
        return QStringView(row.newImage)
            .sliced(std::max<qsizetype>(lastSeparator(row.newImage), 0));
    }

    const CommandSettings& m_settings;
    QString m_prefix;
};
} // namespace

ConverterLines::ConverterLines(CommandSettings settings)
    : m_settings(std::move(settings))
    , m_prefix(commandPrefix(m_settings.converterPath, buildFlagString(m_settings.flags),
                             m_settings.system)) {}

QString ConverterLines::line(const JobRow& row, const QString& target) const {
    QString command;
    command.reserve(m_prefix.size() + row.image.size() + target.size() + 8);
    appendConverterCommand(command, m_prefix, row.image, target, m_settings.system);
    return command;
}

std::optional<TickedJobs> tickedJobs(const std::vector<JobRow>& rows,
                                     const CommandSettings& settings, JobLines lines) {
    const LineComposer composer(settings);
    TickedJobs result;
    for (size_t i = 0; i < rows.size(); ++i) {
        const JobRow& row = rows[i];
        if (!row.process)
            continue;
        std::optional<QString> target = composer.target(row);
        if (!target)
            return std::nullopt;
        BatchJob job;
        if (lines == JobLines::Composed) {
            job.command.reserve(composer.estimate(row));
            composer.append(job.command, row, *target);
        }
        result.rows.push_back(static_cast<int>(i));
        job.target = std::move(*target);
        job.source = row.image;
        result.jobs.push_back(std::move(job));
    }
    return result;
}

bool writeExportScript(QIODevice& device, const std::vector<JobRow>& rows,
                       const CommandSettings& settings, const QString& version) {
    constexpr qsizetype chunk = 256 * 1024;
    const LineComposer composer(settings);
    const QStringList header = exportScriptHeader(settings.system, version);
    const QStringList footer = exportScriptFooter(settings.system);
    const bool batch = isBatchFlavour(settings.system);
    const BatchCodePage codePage;
    const auto holds = [&](const QStringList& lines) {
        return std::all_of(lines.begin(), lines.end(),
                           [&](const QString& line) { return codePage.holds(line); });
    };
    const bool inCodePage =
        batch && holds(header) && holds(footer) && composer.heldBy(codePage, rows);
    ScriptBuffer buffer(inCodePage ? ScriptEncoding::CodePage : ScriptEncoding::Utf8, chunk + 4096);
    if (batch && !inCodePage)
        buffer.addLine(utf8BatchLine());
    for (const QString& line : header)
        buffer.addLine(line);
    for (const JobRow& row : rows) {
        if (!row.process)
            continue;
        const std::optional<QString> target = composer.target(row);
        if (!target)
            return false;
        composer.append(buffer, row, *target); // straight into the encoded bytes
        buffer.endLine();
        if (buffer.size() >= chunk && !buffer.flushTo(device))
            return false;
    }
    for (const QString& line : footer)
        buffer.addLine(line);
    return buffer.flushTo(device);
}
