#include "conversion/run/RunFolder.h"

#include "conversion/run/ProcessStates.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

const QString RunFolder::cachePrefix = QStringLiteral("run-");
const QString RunFolder::tempPrefix = QStringLiteral("corvane-run-");
const QString RunFolder::lockName = QStringLiteral("owner.lock");
const QString RunFolder::journalName = QStringLiteral("rows.journal");

namespace {
QByteArray number(const std::optional<qint64>& value) {
    return value ? QByteArray::number(*value) : QByteArray("-");
}
} // namespace

QString RunFolder::cacheParent() {
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
}

std::unique_ptr<RunFolder> RunFolder::make() {
    const QString cache = cacheParent();
    if (!cache.isEmpty() && QDir().mkpath(cache)) {
        auto dir = std::make_unique<QTemporaryDir>(cache + QLatin1Char('/') + cachePrefix +
                                                   QStringLiteral("XXXXXX"));
        if (dir->isValid())
            return std::unique_ptr<RunFolder>(new RunFolder(std::move(dir)));
    }
    auto dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QLatin1Char('/') + tempPrefix +
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
    const std::optional<quint64> start = ProcessStates::startTime(pid);
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
    const std::optional<quint64> start = ProcessStates::startTime(group);
    note("group " + QByteArray::number(job) + ' ' + QByteArray::number(group) + ' ' +
         number(start ? std::optional(qint64(*start)) : std::nullopt));
}

void RunFolder::rowEnds(int job) {
    note("end " + QByteArray::number(job));
}
