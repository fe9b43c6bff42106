#include "conversion/rules/FarmJobScript.h"

#include "conversion/rules/CommandLine.h"
#include "conversion/rules/ScriptBuffer.h"

namespace {
// A value of an #SBATCH line: sbatch reads it up to the next blank unless it
// is in double quotes, inside which a backslash escapes the next character.
// (A name holding a backslash is refused before this.)
QString sbatchValue(QString value) {
    value.replace(u'"', QStringLiteral("\\\""));
    return u'"' + value + u'"';
}

// A name in --output, where "%" starts one of Slurm's patterns.
QString withoutPatterns(QString name) {
    return name.replace(u'%', QStringLiteral("%%"));
}

QString bashQuoted(const QString& text) {
    return u'"' + quotedPathText(text, TargetSystem::Mac) + u'"';
}
} // namespace

QByteArray farmBatchScript(const FarmJob& job, const QString& version) {
    const FarmSettings& settings = job.settings;
    QString array = QStringLiteral("1-%1").arg(job.tasks());
    if (settings.maxTasksAtOnce > 0)
        array += QStringLiteral("%%1").arg(settings.maxTasksAtOnce);
    const QString tasksFile = job.name + QStringLiteral(".tasks");

    QString text;
    text += QStringLiteral("#!/bin/bash\n");
    text += QStringLiteral("#SBATCH --job-name=") + sbatchValue(job.name) + u'\n';
    text += QStringLiteral("#SBATCH --array=") + array + u'\n';
    text += QStringLiteral("#SBATCH --output=") +
            sbatchValue(withoutPatterns(job.name) + QStringLiteral(".logs/%A_%a.out")) + u'\n';
    text +=
        QStringLiteral("#\n"
                       "# Written by Corvane %1: %2 images, %3 to a task, one line of %4 each.\n"
                       "# Submit it from this folder, where Slurm opens the log folder:\n"
                       "#     sbatch %5\n"
                       "# %6 says more.\n"
                       "\n")
            .arg(version)
            .arg(job.images)
            .arg(settings.imagesPerTask)
            .arg(tasksFile, bashQuoted(job.name + QStringLiteral(".sbatch")),
                 job.name + QStringLiteral(".README.txt"));
    text += QStringLiteral("tasks=") + bashQuoted(tasksFile) + u'\n';
    text += QStringLiteral("images_per_task=%1\nimages=%2\n\n")
                .arg(settings.imagesPerTask)
                .arg(job.images);
    text += QStringLiteral(
        "if [ -z \"${SLURM_ARRAY_TASK_ID:-}\" ]; then\n"
        "    echo \"This is a Slurm job array: submit it with sbatch.\" >&2\n"
        "    exit 2\n"
        "fi\n"
        "\n"
        "# Slurm runs a copy of this script from its spool folder, so $0 does not lead\n"
        "# here. The controller keeps the path the script was submitted under: this\n"
        "# folder as the farm mounts it, whatever path the workstation that wrote it\n"
        "# used. Without scontrol on the node, the working folder (where Slurm has\n"
        "# just opened the log folder) is this one.\n"
        "folder=$(scontrol show job \"$SLURM_JOB_ID\" 2>/dev/null | sed -n 's/^ *Command=//p' "
        "| head -n 1)\n"
        "folder=${folder%/*}\n"
        "[ -f \"$folder/$tasks\" ] || folder=$PWD\n"
        "if [ ! -f \"$folder/$tasks\" ]; then\n"
        "    echo \"$tasks is not beside this script: submit it from its own folder.\" >&2\n"
        "    exit 2\n"
        "fi\n"
        "\n"
        "first=$(( (SLURM_ARRAY_TASK_ID - 1) * images_per_task + 1 ))\n"
        "last=$(( SLURM_ARRAY_TASK_ID * images_per_task ))\n"
        "[ \"$last\" -le \"$images\" ] || last=$images\n"
        "echo \"Task $SLURM_ARRAY_TASK_ID on $HOSTNAME: lines $first to $last of "
        "$folder/$tasks\"\n"
        "\n"
        "# Every line runs, each in a shell of its own that cannot read the list.\n"
        "status=0\n"
        "line=$first\n"
        "while IFS= read -r command; do\n"
        "    bash -c \"$command\" </dev/null\n"
        "    code=$?\n"
        "    if [ \"$code\" -eq 0 ]; then\n"
        "        echo \"line $line: done\"\n"
        "    else\n"
        "        echo \"line $line: FAILED with exit status $code: $command\"\n"
        "        [ \"$status\" -ne 0 ] || status=$code\n"
        "    fi\n"
        "    line=$((line + 1))\n"
        "done < <(sed -n \"${first},${last}p;${last}q\" \"$folder/$tasks\")\n"
        "\n"
        "# A shorter list than this script was written for belongs to another export.\n"
        "if [ \"$line\" -le \"$last\" ]; then\n"
        "    echo \"$tasks ends before line $last: export the job again.\" >&2\n"
        "    [ \"$status\" -ne 0 ] || status=2\n"
        "fi\n"
        "exit \"$status\"\n");

    ScriptBuffer buffer = ScriptBuffer::forScript(
        TargetSystem::Mac, [](const BatchCodePage&) { return false; }, text.size());
    buffer += text;
    return buffer.take();
}
