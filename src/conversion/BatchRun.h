#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

// What a batch run reports: the text for the user, whether it succeeded, and
// for every converted job whether its target really was written.
struct BatchRunResult {
    QString message;
    bool success = false;
    bool scriptRan = false;         // false: the script could not be written, nothing ran
    std::vector<bool> jobConverted; // one entry per job, in the order given
};

// One ticked row: its converter line and the file that line must produce.
struct BatchJob {
    QString command;
    QString target;
};

// Writes a script's bytes, reporting any write or close error.
bool writeRunScript(const QString& path, const QByteArray& bytes);

// Writes the temporary script into a private folder of its own, runs it,
// removes it, and judges every job by its target file: a run whose exit
// values say success still fails the jobs whose target is missing, empty or
// untouched by this run.
BatchRunResult runBatch(int system, const std::vector<BatchJob>& jobs);
