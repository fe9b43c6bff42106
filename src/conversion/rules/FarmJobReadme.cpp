#include "conversion/rules/FarmJobReadme.h"

#include "conversion/rules/CommandLine.h"
#include "conversion/rules/ScriptBuffer.h"

#include <QDir>

#include <algorithm>

namespace {
// Names as a person would type them into bash.
QString typed(const QString& text) {
    const QString quoted = quotedPathText(text, TargetSystem::Mac);
    const bool plain = quoted == text && std::all_of(text.begin(), text.end(), [](QChar c) {
                           return c.isLetterOrNumber() || QStringView(u"/._-+,:@").contains(c);
                       });
    return plain ? text : u'"' + quoted + u'"';
}

QString counted(int count, const QString& one, const QString& many) {
    return count == 1 ? QStringLiteral("1 ") + one : QString::number(count) + u' ' + many;
}

QString underlined(const QString& title, QChar line) {
    return title + u'\n' + QString(title.size(), line) + u'\n';
}
} // namespace

QByteArray farmJobReadme(const FarmJob& job, const QString& converter, const QString& folder,
                         const QString& version) {
    const FarmSettings& settings = job.settings;
    const QString& name = job.name;
    const QString tasks = name + QStringLiteral(".tasks");
    const QString script = name + QStringLiteral(".sbatch");
    const QString shownFolder = QDir::toNativeSeparators(folder);
    const int perTask = settings.imagesPerTask;

    QString text =
        underlined(name + QStringLiteral(": a farm job written by Corvane ") + version, u'=');
    text += QStringLiteral("\nIt converts %1 into .map textures, %2 to a task: %3")
                .arg(counted(job.images, QStringLiteral("image"), QStringLiteral("images")))
                .arg(perTask)
                .arg(counted(job.tasks(), QStringLiteral("task"), QStringLiteral("tasks")));
    if (settings.maxTasksAtOnce > 0)
        text += QStringLiteral(", at most %1 at once").arg(settings.maxTasksAtOnce);
    text += settings.skipUpToDate
                ? QStringLiteral(".\nImages whose .map is no older than the image are skipped.\n")
                : QStringLiteral(".\nEvery image is converted, even where its .map is newer.\n");

    text += u'\n' + underlined(QStringLiteral("What is here"), u'-');
    text += QStringLiteral("%1 one shell command per image, for any farm manager\n"
                           "%2 the Slurm job array: task i runs %3 lines of %4\n"
                           "%5 one log per task: <job id>_<task>.out\n"
                           "%6 this text\n"
                           "\nThey were written in %7\n")
                .arg(tasks.leftJustified(24), script.leftJustified(24), QString::number(perTask),
                     tasks, (name + QStringLiteral(".logs/")).leftJustified(24),
                     (name + QStringLiteral(".README.txt")).leftJustified(24), shownFolder);

    text += u'\n' + underlined(QStringLiteral("Before you submit"), u'-');
    text += QStringLiteral(
                "- Every node must reach the images and their .map folders at the paths in\n"
                "  %1, the paths of the workstation that wrote it. The job folder\n"
                "  itself may be mounted anywhere: the script finds %1 beside itself.\n"
                "- The nodes need the converter the lines call, %2 (looked up on PATH when\n"
                "  it is the bare name imf_copy), and a shell with mkdir, mv, rm and uname.\n")
                .arg(tasks, converter.isEmpty() ? QStringLiteral("(none given)") : converter);

    text += u'\n' + underlined(QStringLiteral("Slurm"), u'-');
    text += QStringLiteral(
                "Submit it from its folder (here as this workstation sees it; use the path\n"
                "the farm mounts it at):\n"
                "\n"
                "    cd %1\n"
                "    sbatch %2\n"
                "\n"
                "or from anywhere:\n"
                "\n"
                "    sbatch --chdir=%1 %3\n"
                "\n"
                "Slurm opens %4 in the job's working folder before the script runs: a\n"
                "job submitted from another folder without --chdir fails at once, with no log.\n"
                "\n"
                "Watch it:\n"
                "\n"
                "    squeue --me                      tasks waiting and running\n"
                "    sacct -j JOBID                   every task's state and exit code\n"
                "    grep -h FAILED %5    the lines that failed, with their commands\n"
                "\n"
                "sacct needs Slurm's accounting database; without one it answers that\n"
                "accounting storage is disabled. Then \"sacct -c\" reads the job completion\n"
                "log if the cluster keeps one (tasks appear there under their own job ids,\n"
                "not as JOBID_TASK), and \"scontrol show job JOBID\" lists every task for a\n"
                "few minutes after it ends. \"sbatch --wait\" may return while the last task\n"
                "still shows COMPLETING.\n"
                "\n"
                "Each task prints a verdict for each of its lines (\"line 7: done\", or \"line 8:\n"
                "FAILED with exit status 4: <the command>\") and ends with the exit status of\n"
                "its first failed line, so Slurm marks it FAILED.\n")
                .arg(typed(shownFolder), typed(script),
                     typed(QDir::toNativeSeparators(folder + u'/' + script)),
                     name + QStringLiteral(".logs/"),
                     typed(name + QStringLiteral(".logs")) + QStringLiteral("/*.out"));

    text += u'\n' + underlined(QStringLiteral("Run it again"), u'-');
    text +=
        settings.skipUpToDate
            ? QStringLiteral(
                  "After failures, a cancelled job or a node that died, mend what failed and\n"
                  "submit the same job again. Lines whose .map is no older than the image do\n"
                  "nothing, so only what is missing is converted.\n")
            : QStringLiteral(
                  "This job was written without \"Skip images whose .map is newer\": submitted\n"
                  "again, it converts every image again. Export it again with the box ticked\n"
                  "to convert only what is missing.\n");

    text += u'\n' + underlined(QStringLiteral("Killed tasks and half-written files"), u'-');
    text += QStringLiteral(
        "Each line converts into <target>.corvane-<node>-<pid>.map beside its .map, and\n"
        "renames that over the .map only when imf_copy succeeded and wrote something.\n"
        "A task killed at any moment leaves no half-written .map, only such a\n"
        "temporary file. The next run of the line that converts removes it (every\n"
        "<target>.corvane-*) before it starts. To find leftovers by hand:\n"
        "\n"
        "    find /path/to/the/maps -name '*.corvane-*'\n"
        "\n"
        "Two runs of the same line at once write a temporary file each, so the .map\n"
        "is whole whichever renames last; the later run removes the earlier one's\n"
        "temporary file as it starts, and the earlier run may then report a failure\n"
        "although the .map is whole.\n");

    text += u'\n' + underlined(QStringLiteral("Other farm managers"), u'-');
    text +=
        QStringLiteral("%1 holds one POSIX shell command per line and nothing else:\n"
                       "\n"
                       "- Deadline: submit a Command Script job, load %1 as the commands to\n"
                       "  execute, tick \"Execute In Shell\" with bash, and set Commands Per Task\n"
                       "  to %2.\n"
                       "- OpenCue:\n"
                       "      cuecmd %3 --chunk %2\n"
                       "- GNU parallel over SSH (nodes.txt lists the machines):\n"
                       "      parallel --sshloginfile nodes.txt --joblog %4 bash -c {} :::: %3\n"
                       "- One machine, one line after another:\n"
                       "      bash %3\n")
            .arg(tasks, QString::number(perTask), typed(tasks),
                 typed(name + QStringLiteral(".parallel.log")));

    ScriptBuffer buffer = ScriptBuffer::forScript(
        TargetSystem::Mac, [](const BatchCodePage&) { return false; }, text.size());
    buffer += text;
    return buffer.take();
}
