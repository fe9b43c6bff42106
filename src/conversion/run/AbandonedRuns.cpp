#include "conversion/run/AbandonedRuns.h"

#include "conversion/rules/IncompleteTarget.h"
#include "conversion/run/FileStamps.h"
#include "conversion/run/ProcessStates.h"
#include "conversion/run/RunFolder.h"

#include <QDateTime>
#include <QDir>
#include <QHash>
#include <QLockFile>

#ifdef Q_OS_UNIX
#include <csignal>
#endif

namespace {
// A folder without a lock is from a program that died as it made it, or
// from an older Corvane; it is left this long in case it is being made.
constexpr qint64 LocklessGraceSecs = 600;

std::optional<qint64> numberFrom(const QByteArray& text) {
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

// What the journal says of the rows that began and did not end.
struct UnfinishedRow {
    QString target;
    std::optional<FileStamp> before;
    std::vector<std::pair<qint64, std::optional<qint64>>> groups; // id, leader's start time
};

// Whether the program a journal names as its owner still runs: the same
// process id and the same start, so that a later process with the id does
// not count. Nothing when the journal does not say.
std::optional<bool> ownerAlive(const QString& journal) {
    QFile file(journal);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QList<QByteArray> f = file.readLine().trimmed().split(' ');
    const std::optional<qint64> pid =
        f.size() == 3 && f[0] == "owner" ? numberFrom(f[1]) : std::nullopt;
    const std::optional<qint64> start = f.size() == 3 ? numberFrom(f[2]) : std::nullopt;
    if (!pid || !start)
        return std::nullopt;
    const std::optional<quint64> now = ProcessStates::startTime(*pid);
    return now && qint64(*now) == *start;
}

QHash<int, UnfinishedRow> unfinishedRows(const QString& journal) {
    QHash<int, UnfinishedRow> rows;
    QFile file(journal);
    if (!file.open(QIODevice::ReadOnly))
        return rows;
    // A line cut short by the crash is skipped: it never split cleanly.
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> f = line.split(' ');
        const std::optional<qint64> job = f.size() > 1 ? numberFrom(f[1]) : std::nullopt;
        if (!job)
            continue;
        if (f[0] == "begin" && f.size() == 5) {
            UnfinishedRow& row = rows[int(*job)];
            row.target = QString::fromUtf8(QByteArray::fromPercentEncoding(f[4]));
            const std::optional<qint64> size = numberFrom(f[2]), ns = numberFrom(f[3]);
            if (size && ns)
                row.before = FileStamp{*size, *ns};
        } else if (f[0] == "group" && f.size() == 4 && rows.contains(int(*job))) {
            if (const std::optional<qint64> group = numberFrom(f[2]))
                rows[int(*job)].groups.emplace_back(*group, numberFrom(f[3]));
        } else if (f[0] == "end") {
            rows.remove(int(*job));
        }
    }
    return rows;
}

// Ends a recorded group, but only while its leader is the very process that
// was recorded: a later process with the same id is never touched. (The
// watcher has normally ended the group already, within seconds of the death.)
bool endGroup(qint64 group, const std::optional<qint64>& leaderStart) {
#ifdef Q_OS_UNIX
    const std::optional<quint64> started = ProcessStates::startTime(group);
    if (!leaderStart || !started || qint64(*started) != *leaderStart ||
        !ProcessStates::groupHasRunningMember(group))
        return false;
    return ::kill(-static_cast<pid_t>(group), SIGKILL) == 0;
#else
    Q_UNUSED(group);
    Q_UNUSED(leaderStart);
    return false; // a job object ends its processes with the program's last handle
#endif
}

// Ends a dead run's groups, removes the targets its rows had begun, then its
// folder. A lock held on it goes last, with the lock's own file: until then a
// second program starting at the same moment leaves the folder alone.
void recoverFolder(const QString& path, RecoveredRuns& recovered, QLockFile* held = nullptr) {
    const QHash<int, UnfinishedRow> rows =
        unfinishedRows(path + QLatin1Char('/') + RunFolder::journalName);
    for (const UnfinishedRow& row : rows) {
        for (const auto& [group, start] : row.groups)
            recovered.groups += endGroup(group, start);
    }
    for (const UnfinishedRow& row : rows) {
        if (isIncompleteTarget(row.before, fileStamp(row.target)) && QFile::remove(row.target))
            ++recovered.targets;
    }
    bool removed = true;
    const QFileInfoList entries = QDir(path).entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                           QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        if (held && entry.fileName() == RunFolder::lockName)
            continue;
        removed &= entry.isDir() && !entry.isSymLink()
                       ? QDir(entry.absoluteFilePath()).removeRecursively()
                       : QFile::remove(entry.absoluteFilePath());
    }
    if (held)
        held->unlock();
    if (removed && QDir().rmdir(path))
        ++recovered.folders;
}

void recoverUnder(const QString& parent, const QString& prefix, RecoveredRuns& recovered) {
    if (parent.isEmpty())
        return;
    const QFileInfoList folders =
        QDir(parent).entryInfoList({prefix + QLatin1Char('*')}, QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QFileInfo& folder : folders) {
        const QString path = folder.absoluteFilePath();
        const QString lockPath = path + QLatin1Char('/') + RunFolder::lockName;
        if (!QFileInfo::exists(lockPath)) {
            if (folder.lastModified().secsTo(QDateTime::currentDateTime()) > LocklessGraceSecs &&
                QFileInfo::exists(path + QLatin1Char('/') + RunFolder::journalName))
                recoverFolder(path, recovered);
            continue;
        }
        // Its program must be gone. The journal names it exactly; without
        // that, the lock file's own test (process id and name) decides.
        const std::optional<bool> alive =
            ownerAlive(path + QLatin1Char('/') + RunFolder::journalName);
        if (alive.value_or(false))
            continue;
        QLockFile lock(lockPath);
        lock.setStaleLockTime(0); // a long run's lock is never stale by its age
        if (alive.has_value())
            lock.removeStaleLockFile();
        if (!lock.tryLock(0)) // taken by whoever recovers it first
            continue;
        recoverFolder(path, recovered, &lock);
    }
}
} // namespace

RecoveredRuns recoverAbandonedRuns() {
    RecoveredRuns recovered;
    recoverUnder(RunFolder::cacheParent(), RunFolder::cachePrefix, recovered);
    recoverUnder(QDir::tempPath(), RunFolder::tempPrefix, recovered);
    return recovered;
}
