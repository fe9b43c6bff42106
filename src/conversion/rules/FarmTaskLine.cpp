#include "conversion/rules/FarmTaskLine.h"

#include "conversion/rules/ScriptBuffer.h"

#include <QIODevice>

namespace {
bool hasLineBreak(QStringView text) {
    return text.contains(u'\n') || text.contains(u'\r');
}

// A path inside double quotes, quoted as every exported bash script quotes it.
template <typename Sink> void appendQuoted(Sink& out, QStringView path) {
    out += QStringView(u"\"");
    if (pathNeedsQuoting(path, TargetSystem::Mac))
        out += QStringView(quotedPathText(path, TargetSystem::Mac));
    else
        out += path;
    out += QStringView(u"\"");
}

template <typename Sink>
void appendTaskLine(Sink& out, const ConverterLines& lines, QStringView source,
                    const QString& target, bool skipUpToDate) {
    out += QStringView(u"t=");
    appendQuoted(out, target);
    if (skipUpToDate) {
        out += QStringView(u" s=");
        appendQuoted(out, source);
    }
    // One temporary file per run: the node's name and the shell's process id
    // never meet twice at once.
    out += QStringView(u"; p=\"$t.corvane-$(uname -n)-$$.map\"; ");
    if (skipUpToDate)
        out += QStringView(u"if [ -s \"$t\" ] && [ -e \"$s\" ] && ! [ \"$s\" -nt \"$t\" ]; "
                           u"then printf 'up to date: %s\\n' \"$t\"; else ");
    // The folder up to the last "/"; a target without one beside the root or
    // the working folder needs none made.
    if (target.lastIndexOf(u'/') > 0)
        out += QStringView(u"mkdir -p -- \"${t%/*}\" && ");
    out += QStringView(u"rm -f -- \"$t\".corvane-* && { ");
    lines.appendToRawTarget(out, source, u"$p");
    out += QStringView(u"; r=$?; if [ $r = 0 ] && [ -s \"$p\" ] && mv -f -- \"$p\" \"$t\"; "
                       u"then :; else rm -f -- \"$p\"; "
                       u"[ $r != 0 ] || { r=1; printf 'no .map written: %s\\n' \"$t\" >&2; }; "
                       u"(exit $r); fi; }");
    if (skipUpToDate)
        out += QStringView(u"; fi");
}
} // namespace

QString farmTaskLine(const ConverterLines& lines, QStringView source, const LineTarget& target,
                     bool skipUpToDate) {
    QString line;
    appendTaskLine(line, lines, source, target.joined(), skipUpToDate);
    return line;
}

std::optional<QString> firstLineBreak(const std::vector<JobRow>& rows,
                                      const ConverterLines& lines) {
    const CommandSettings& settings = lines.settings();
    if (hasLineBreak(settings.converterPath))
        return settings.converterPath;
    if (const QString flags = buildFlagString(settings.flags); hasLineBreak(flags))
        return flags;
    for (const JobRow& row : rows) {
        if (!row.process)
            continue;
        if (hasLineBreak(row.image))
            return row.image;
        if (const std::optional<LineTarget> target = lines.target(row)) {
            const QString joined = target->joined();
            if (hasLineBreak(joined))
                return joined;
        }
    }
    return std::nullopt;
}

FarmTasksResult writeFarmTasks(QIODevice& device, const std::vector<JobRow>& rows,
                               const ConverterLines& lines, bool skipUpToDate) {
    for (const JobRow& row : rows)
        if (row.process && !lines.target(row))
            return FarmTasksResult::UnplacedTarget;
    if (firstLineBreak(rows, lines))
        return FarmTasksResult::LineBreak;

    constexpr qsizetype chunk = 256 * 1024;
    ScriptBuffer buffer = ScriptBuffer::forScript(
        TargetSystem::Mac, [](const BatchCodePage&) { return false; }, chunk + 4096);
    for (const JobRow& row : rows) {
        if (!row.process)
            continue;
        appendTaskLine(buffer, lines, row.image, lines.target(row)->joined(), skipUpToDate);
        buffer += QStringView(u"\n"); // the nodes' line end, whatever the host's
        if (buffer.size() >= chunk && !buffer.flushTo(device))
            return FarmTasksResult::WriteFailed;
    }
    return buffer.flushTo(device) ? FarmTasksResult::Written : FarmTasksResult::WriteFailed;
}
