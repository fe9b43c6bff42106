#include "cli/CliHelp.h"

#include "conversion/rules/Maker.h"

namespace {
const char* const name = R"(NAME
       corvane-cli - convert images into .map textures through imf_copy, without a window
)";

const char* const synopsis = R"(SYNOPSIS
       corvane-cli convert [OPTIONS] PATH...
       corvane-cli script --flavour bat|sh -o FILE [OPTIONS] PATH...
       corvane-cli farm -o NAME [OPTIONS] PATH...
       corvane-cli --help | --version
)";

const char* const description = R"(DESCRIPTION
       corvane-cli runs the engine of the Corvane window from a terminal, a pipeline
       script or a render node: the same converter lines, the same verdicts, the same
       record of finished conversions (shared with open windows), the same removal of
       half-written .map files. It never needs a display.

       Each PATH is an image (jpg, png, gif, bmp, tga, tif, iff, in any letter case)
       or a folder, whose images are taken as Add Directory takes them. A PATH of -
       reads paths from standard input, one a line; with -0 they are separated by NUL
       characters instead, as find -print0 writes them.
)";

const char* const convertPart = R"(COMMANDS
   convert
       Converts the images as Process does, several at once. On a terminal, one
       progress line is rewritten at most ten times a second (done, failed, skipped,
       left, elapsed and time left) and each failure is printed above it. Otherwise
       one line is printed per finished image, never rewritten:
           PATH: converted
           PATH: failed: REASON
           PATH: up to date

       --skip-up-to-date
              Leave out images whose .map is as Corvane recorded it: same image, flags
              and converter, .map untouched since.
       --explain
              With --skip-up-to-date, say why each image ran ("flags changed: -p → -r")
              and since when each one left out is up to date, as the window's tooltips do.
       --json Print one JSON object per finished image instead, one a line: image, target,
              status ("converted", "failed", "up to date"), and reason or why when known.
       -j, --jobs N
              Run N conversions at once; every core by default.
       --report FILE
              Save the run's report as CSV, with the columns of Save Report.
)";

const char* const scriptPart = R"(   script
       Writes the commands as Create Script does, byte for byte: a Windows batch file
       (--flavour bat) or a bash script (--flavour sh), to FILE (-o). An existing FILE
       is replaced only with --force.
)";

const char* const farmPart = R"(   farm
       Writes a farm job as Export Farm Job does: NAME.sbatch (a Slurm job array),
       NAME.tasks, NAME.README.txt and the folder NAME.logs, beside each other (-o NAME).
       Existing files are replaced only with --force.

       --images-per-task N
              Images each task converts; by default enough that the job has at most
              1,000 tasks.
       --tasks-at-once N
              At most N tasks run at once on the farm; 0 (the default) sets no limit.
       --convert-all
              Convert every image; by default a task leaves out an image whose .map
              exists, is not empty and is no older than the image.
)";

const char* const commonPart = R"(OPTIONS
       -p, -r, -g VALUE, -f VALUE
              The converter's flags: pyramid, tile, gamma, filter. Without any of these
              (or --custom), the window's default applies: -p. Values are passed as typed.
       --custom TEXT
              Flags of your own, instead of the ones above ("" for none).
       --converter PATH
              The imf_copy to run; by default the newest one installed, as the window
              finds it, else imf_copy on the PATH.
       --output DIR
              Write the .map files into DIR (made when missing); by default each goes
              beside its image.
       --recursive
              Take a folder's subfolders too, and mirror its tree under --output.
       -0     Read NUL-separated paths from standard input.
       -h, --help
              Show this page.
       --version
              Show the version.
)";

const char* const exitPart = R"(EXIT STATUS
       0      Every image was converted or is up to date; the file was written.
       1      At least one image failed, or a file could not be written.
       2      Bad usage, or no image found; a message on standard error says which.
              Two images that would write one .map stop every command before anything
              is converted or written, with a message naming both.
       3      The converter is missing or cannot be run; nothing was started.
       130    Interrupted (Ctrl+C, SIGTERM, Ctrl+Break): every converter started was
              ended and half-written .map files were removed.

       Results go to standard output, errors and warnings to standard error.
)";

const char* const examplesPart = R"(EXAMPLES
       Convert a texture library into a mirrored tree, leaving out what is up to date:
           corvane-cli convert --recursive --skip-up-to-date --output /proj/maps /proj/textures

       In a publish script, one JSON object per image:
           corvane-cli convert --json -p -r shot010/textures > converted.jsonl

       Every .tif under a folder, whatever the characters in their names:
           find /proj/textures -name '*.tif' -print0 | corvane-cli convert -0 --output /proj/maps
)";
} // namespace

QString cliHelpText(std::optional<CliCommand> command) {
    QString text = QString::fromUtf8(name) + u'\n' + QString::fromUtf8(synopsis) + u'\n';
    if (!command) {
        text += QString::fromUtf8(description) + u'\n' + QString::fromUtf8(convertPart) + u'\n' +
                QString::fromUtf8(scriptPart) + u'\n' + QString::fromUtf8(farmPart);
    } else {
        switch (*command) {
        case CliCommand::Convert:
            text += QString::fromUtf8(convertPart);
            break;
        case CliCommand::Script:
            text += QStringLiteral("COMMANDS\n") + QString::fromUtf8(scriptPart);
            break;
        case CliCommand::Farm:
            text += QStringLiteral("COMMANDS\n") + QString::fromUtf8(farmPart);
            break;
        }
    }
    return text + u'\n' + QString::fromUtf8(commonPart) + u'\n' + QString::fromUtf8(exitPart) +
           u'\n' + QString::fromUtf8(examplesPart);
}

QString cliVersionText() {
    return QStringLiteral("corvane-cli ") + programVersion() +
           QStringLiteral("\nQuillmere Software, https://") + makerWebHost() +
           QStringLiteral("/corvane/\n");
}
