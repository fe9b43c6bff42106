#include "conversion/run/RunFolder.h"

#include "conversion/rules/IncompleteTarget.h"
#include "conversion/run/FileStamps.h"
#include "conversion/run/GroupWatchdog.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QHash>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <csignal>
#endif

namespace {
const QString lockName = QStringLiteral("owner.lock");
const QString journalName = QStringLiteral("rows.journal");
const QString cachePattern = QStringLiteral("run-");
const QString tempPattern = QStringLiteral("corvane-run-");
// A folder without a lock is from a program that died as it made it, or
// from an older Corvane; it is left this long in case it is being made.
constexpr qint64 LocklessGraceSecs = 600;

QString cacheFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
}

QByteArray number(const std::optional<qint64>& value) {
    return value ? QByteArray::number(*value) : QByteArray("-");
}

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
    const std::optional<quint64> now = GroupWatchdog::processStartTime(*pid);
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
    const std::optional<quint64> started = GroupWatchdog::processStartTime(group);
    if (!leaderStart || !started || qint64(*started) != *leaderStart ||
        !GroupWatchdog::groupHasRunningMember(group))
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
    const QHash<int, UnfinishedRow> rows = unfinishedRows(path + QLatin1Char('/') + journalName);
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
        if (held && entry.fileName() == lockName)
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
        const QString lockPath = path + QLatin1Char('/') + lockName;
        if (!QFileInfo::exists(lockPath)) {
            if (folder.lastModified().secsTo(QDateTime::currentDateTime()) > LocklessGraceSecs &&
                QFileInfo::exists(path + QLatin1Char('/') + journalName))
                recoverFolder(path, recovered);
            continue;
        }
        // Its program must be gone. The journal names it exactly; without
        // that, the lock file's own test (process id and name) decides.
        const std::optional<bool> alive = ownerAlive(path + QLatin1Char('/') + journalName);
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

std::unique_ptr<RunFolder> RunFolder::make() {
    const QString cache = cacheFolder();
    if (!cache.isEmpty() && QDir().mkpath(cache)) {
        auto dir = std::make_unique<QTemporaryDir>(cache + QLatin1Char('/') + cachePattern +
                                                   QStringLiteral("XXXXXX"));
        if (dir->isValid())
            return std::unique_ptr<RunFolder>(new RunFolder(std::move(dir)));
    }
    auto dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QLatin1Char('/') + tempPattern +
                                               QStringLiteral("XXXXXX"));
    if (dir->isValid())
        return std::unique_ptr<RunFolder>(new RunFolder(std::move(dir)));
    return nullptr;
}

RunFolder::RunFolder(std::unique_ptr<QTemporaryDir> dir)
    : m_dir(std::move(dir))
    , m_lock(std::make_unique<QLockFile>(m_dir->filePath(lockName)))
    , m_journal(m_dir->filePath(journalName)) {
    m_lock->setStaleLockTime(0); // stale only when its program is gone, however long it runs
    m_lock->tryLock(0);
    m_journal.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
    const qint64 pid = QCoreApplication::applicationPid();
    const std::optional<quint64> start = GroupWatchdog::processStartTime(pid);
    note("owner " + QByteArray::number(pid) + ' ' +
         number(start ? std::optional(qint64(*start)) : std::nullopt));
}

RunFolder::~RunFolder() {
    m_journal.close();
    m_lock->unlock();
    m_lock.reset();
    m_dir.reset(); // removes the folder with everything in it
}

void RunFolder::note(const QByteArray& line) {
    // One write a line, straight to the file, so that a crash leaves whole lines.
    if (m_journal.isOpen())
        m_journal.write(line + '\n');
}

void RunFolder::rowBegins(int job, const QString& target, const std::optional<FileStamp>& before) {
    note("begin " + QByteArray::number(job) + ' ' +
         number(before ? std::optional(before->size) : std::nullopt) + ' ' +
         number(before ? std::optional(before->modifiedNs) : std::nullopt) + ' ' +
         target.toUtf8().toPercentEncoding());
}

void RunFolder::rowGroup(int job, qint64 group) {
    const std::optional<quint64> start = GroupWatchdog::processStartTime(group);
    note("group " + QByteArray::number(job) + ' ' + QByteArray::number(group) + ' ' +
         number(start ? std::optional(qint64(*start)) : std::nullopt));
}

void RunFolder::rowEnds(int job) {
    note("end " + QByteArray::number(job));
}

RecoveredRuns recoverAbandonedRuns() {
    RecoveredRuns recovered;
    recoverUnder(cacheFolder(), cachePattern, recovered);
    recoverUnder(QDir::tempPath(), tempPattern, recovered);
    return recovered;
}
