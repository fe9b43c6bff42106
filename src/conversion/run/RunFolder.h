#pragma once

#include "conversion/rules/FileStamp.h"

#include <QFile>
#include <QLockFile>
#include <QTemporaryDir>

#include <memory>
#include <optional>

// A private (0700) folder for a run's scripts, removed with everything in it
// when the run ends. It lives under the user's cache location, because
// hardened systems mount the system temporary folder noexec and no script
// could run there; the system temporary folder is the fallback.
//
// It also holds a lock that says its program is alive, and a journal of the
// rows under way, so that a later start can clean up after a program that
// died mid-run (recoverAbandonedRuns, in AbandonedRuns.h).
class RunFolder {
public:
    // Nothing when neither place can hold a folder.
    static std::unique_ptr<RunFolder> make();
    ~RunFolder();

    // Where run folders are made, and what they hold; the recovery of dead
    // runs looks for them there. Folders start with cachePrefix under
    // cacheParent(), or with tempPrefix under the system temporary folder.
    static QString cacheParent();
    static const QString cachePrefix;
    static const QString tempPrefix;
    static const QString lockName;
    static const QString journalName;

    QString filePath(const QString& name) const { return m_dir->filePath(name); }

    // The journal: a row's target as it was before the row began, the process
    // group that runs it, and its end (after its incomplete target, if any,
    // was removed).
    void rowBegins(int job, const QString& target, const std::optional<FileStamp>& before);
    void rowGroup(int job, qint64 group);
    void rowEnds(int job);

private:
    explicit RunFolder(std::unique_ptr<QTemporaryDir> dir);
    void note(const QByteArray& line);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QLockFile> m_lock;
    QFile m_journal;
};
