#pragma once

#include <QString>

#include <optional>

// A farm job: the ticked rows as NAME.tasks (one shell command per image),
// NAME.sbatch (a Slurm job array over it), NAME.README.txt and a NAME.logs/
// folder, all beside each other.

// Slurm's default MaxArraySize (1001) takes task ids up to 1000.
constexpr int farmTaskLimit = 1000;

struct FarmSettings {
    int imagesPerTask = 1;
    int maxTasksAtOnce = 0; // 0: no limit
    // Lines whose .map exists, is not empty and is no older than its image do nothing.
    bool skipUpToDate = true;
    bool operator==(const FarmSettings&) const = default;
};

// Enough images per task that `images` make at most farmTaskLimit tasks.
int defaultImagesPerTask(int images);

// Tasks of `imagesPerTask` images each, the last one taking what is left.
int farmTaskCount(int images, int imagesPerTask);

// The settings a job of `images` images starts with in its dialog.
FarmSettings defaultFarmSettings(int images);

struct FarmJob {
    QString name; // NAME of its files
    int images = 0;
    FarmSettings settings;
    int tasks() const { return farmTaskCount(images, settings.imagesPerTask); }
};

// Where a job's files go, from the name chosen in the save dialog: the folder
// and the chosen file name without a ".sbatch", ".tasks" or ".README.txt" it
// may end in.
struct FarmJobFiles {
    QString folder;
    QString name;
    QString tasks() const { return path(QStringLiteral(".tasks")); }
    QString batchScript() const { return path(QStringLiteral(".sbatch")); }
    QString readme() const { return path(QStringLiteral(".README.txt")); }
    QString logs() const { return path(QStringLiteral(".logs")); }

private:
    QString path(const QString& suffix) const { return folder + u'/' + name + suffix; }
};

FarmJobFiles farmJobFiles(const QString& chosen);

enum class FarmNameProblem {
    Empty,
    // Slurm reads a backslash in --output as "no patterns here", so the log
    // folder could not be named; a control character would break the
    // script's lines.
    Unwritable,
};

std::optional<FarmNameProblem> farmNameProblem(const QString& name);

// How writing a farm job's files ended.
struct FarmJobWrite {
    enum class Outcome {
        Written,
        UnplacedTarget, // a ticked row's target has no folder to go into
        LineBreak,      // `text` holds a line break and would split its line
        CannotWrite,    // `path` could not be written: `error`
    };
    Outcome outcome = Outcome::Written;
    QString path;
    QString error;
    QString text;
};
