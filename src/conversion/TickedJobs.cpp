#include "conversion/TickedJobs.h"

#include "conversion/ScriptBuffer.h"
#include "conversion/ScriptText.h"

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

    qsizetype estimate(const JobRow& row) const {
        return m_prefix.size() + row.image.size() + row.newImage.size() +
               m_settings.outputDirectory.size() + 8;
    }

private:
    const CommandSettings& m_settings;
    QString m_prefix;
};
} // namespace

std::optional<TickedJobs> tickedJobs(const std::vector<JobRow>& rows,
                                     const CommandSettings& settings) {
    const LineComposer composer(settings);
    TickedJobs result;
    for (size_t i = 0; i < rows.size(); ++i) {
        const JobRow& row = rows[i];
        if (!row.process)
            continue;
        std::optional<QString> target = composer.target(row);
        if (!target)
            return std::nullopt;
        QString command;
        command.reserve(composer.estimate(row));
        composer.append(command, row, *target);
        result.rows.push_back(static_cast<int>(i));
        result.jobs.push_back({std::move(command), std::move(*target)});
    }
    return result;
}

bool writeExportScript(QIODevice& device, const std::vector<JobRow>& rows,
                       const CommandSettings& settings, const QString& version) {
    constexpr qsizetype chunk = 256 * 1024;
    const LineComposer composer(settings);
    ScriptBuffer buffer(chunk + 4096);
    for (const QString& line : exportScriptHeader(settings.system, version))
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
    for (const QString& footer : exportScriptFooter(settings.system))
        buffer.addLine(footer);
    return buffer.flushTo(device);
}
