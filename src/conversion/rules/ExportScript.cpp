#include "conversion/rules/ExportScript.h"

#include "conversion/rules/ScriptBuffer.h"
#include "conversion/rules/ScriptText.h"

#include <QSet>

#include <optional>

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
    // Each folder of the mirrored tree is made once, before the first line
    // that writes into it. Every target shares the directory, so the mirrored
    // folders tell them apart (empty: the directory itself); rows of one
    // folder mostly follow each other, so the last one is compared first.
    QSet<QStringView> madeFolders;
    std::optional<QStringView> lastFolder;
    for (const JobRow& row : rows) {
        if (!row.process)
            continue;
        const std::optional<LineTarget> target = lines.target(row);
        if (!target)
            return false;
        if (target->makesFolder() && target->folders != lastFolder) {
            lastFolder = target->folders;
            if (!madeFolders.contains(target->folders)) {
                madeFolders.insert(target->folders);
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
