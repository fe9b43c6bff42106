#include "conversion/rules/ExportScript.h"

#include "conversion/rules/ScriptBuffer.h"
#include "conversion/rules/ScriptText.h"

#include <QSet>

bool writeExportScript(QIODevice& device, const std::vector<JobRow>& rows,
                       const CommandSettings& settings, const QString& version) {
    constexpr qsizetype chunk = 256 * 1024;
    const ConverterLines lines(settings);
    const QStringList header = exportScriptHeader(settings.system, version);
    const QStringList footer = exportScriptFooter(settings.system);
    // Decided before anything is written: the answer may put a line first.
    ScriptBuffer buffer = ScriptBuffer::forScript(
        settings.system,
        [&](const BatchCodePage& codePage) {
            return codePage.holdsAll(header) && codePage.holdsAll(footer) &&
                   lines.heldBy(codePage, rows);
        },
        chunk + 4096);
    for (const QString& line : header)
        buffer.addLine(line);
    // Each mirrored folder is made once, before the first line that writes
    // into it. Rows of one folder mostly follow each other: the last one is
    // compared first.
    QSet<QStringView> madeFolders;
    QStringView lastFolder;
    for (const JobRow& row : rows) {
        if (!row.process)
            continue;
        const std::optional<LineTarget> target = lines.target(row);
        if (!target)
            return false;
        if (!target->folders.isEmpty() && target->folders != lastFolder) {
            lastFolder = target->folders;
            if (!madeFolders.contains(lastFolder)) {
                madeFolders.insert(lastFolder);
                lines.appendMakeFolder(buffer, *target);
                buffer.endLine();
            }
        }
        lines.append(buffer, row.image, *target); // straight into the encoded bytes
        buffer.endLine();
        if (buffer.size() >= chunk && !buffer.flushTo(device))
            return false;
    }
    for (const QString& line : footer)
        buffer.addLine(line);
    return buffer.flushTo(device);
}
