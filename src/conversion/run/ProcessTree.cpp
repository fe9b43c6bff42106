#include "conversion/run/ProcessTree.h"

#include <QProcess>

#ifdef Q_OS_UNIX
#include <QDir>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <unistd.h>
#endif

#ifdef Q_OS_WIN
// Not built here; kept to the few calls a job object needs.
#include <windows.h>

ProcessTree::~ProcessTree() {
    if (m_job)
        CloseHandle(m_job); // the job kills what is left when its last handle closes
}

void ProcessTree::prepare(QProcess&) {}

void ProcessTree::adopt(QProcess& process) {
    m_group = process.processId();
    m_job = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(m_job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    HANDLE child = OpenProcess(PROCESS_SET_QUOTA | PROCESS_TERMINATE, FALSE, DWORD(m_group));
    AssignProcessToJobObject(m_job, child);
    CloseHandle(child);
}

void ProcessTree::terminate() {} // console programs have no polite signal; kill() follows

void ProcessTree::kill() {
    if (m_job)
        TerminateJobObject(m_job, 1);
}

bool ProcessTree::alive() const {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
    return m_job &&
           QueryInformationJobObject(m_job, JobObjectBasicAccountingInformation, &info, sizeof info,
                                     nullptr) &&
           info.ActiveProcesses > 0;
}
#else

ProcessTree::~ProcessTree() = default;

void ProcessTree::prepare(QProcess& process) {
    // Runs in the child between fork and exec: only async-signal-safe calls.
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
}

void ProcessTree::adopt(QProcess& process) {
    m_group = process.processId();
}

void ProcessTree::terminate() {
    if (m_group > 0)
        ::kill(-static_cast<pid_t>(m_group), SIGTERM);
}

void ProcessTree::kill() {
    if (m_group > 0)
        ::kill(-static_cast<pid_t>(m_group), SIGKILL);
}

namespace {
#ifdef Q_OS_LINUX
// Whether a process of the group is still running: a killed converter whose
// script has gone may wait as a zombie for an init that never reaps it, and
// must not count.
bool groupHasRunningMember(pid_t group) {
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        bool number = false;
        entry.toInt(&number);
        if (!number)
            continue;
        QFile stat(QStringLiteral("/proc/") + entry + QStringLiteral("/stat"));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        // "pid (name) state ppid pgrp ...": the name may hold anything, so
        // read from its closing parenthesis.
        const qsizetype close = line.lastIndexOf(')');
        const QList<QByteArray> fields = line.mid(close + 2).split(' ');
        if (fields.size() > 2 && fields[2].toLongLong() == group && fields[0] != "Z" &&
            fields[0] != "X")
            return true;
    }
    return false;
}
#endif
} // namespace

bool ProcessTree::alive() const {
    if (m_group <= 0)
        return false;
    const pid_t group = static_cast<pid_t>(m_group);
    if (::kill(-group, 0) != 0 && errno == ESRCH)
        return false;
#ifdef Q_OS_LINUX
    return groupHasRunningMember(group);
#else
    return true;
#endif
}
#endif
