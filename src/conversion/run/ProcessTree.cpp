#include "conversion/run/ProcessTree.h"

#include "conversion/run/GroupWatchdog.h"
#include "conversion/run/ProcessStates.h"

#include <QProcess>

#ifdef Q_OS_UNIX
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

ProcessTree::~ProcessTree() {
    // Whatever ran in the group has been seen to end, or been killed: a later
    // process that gets the same id must never be touched.
    if (m_group > 0)
        GroupWatchdog::release(m_group);
}

void ProcessTree::prepare(QProcess& process) {
    // The watcher ends the group should the program die before it does.
    GroupWatchdog::start();
    // Runs in the child between fork and exec: only async-signal-safe calls.
    process.setChildProcessModifier([] {
        ::setpgid(0, 0);
        GroupWatchdog::enrolFromChild();
    });
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

bool ProcessTree::alive() const {
    return m_group > 0 && ProcessStates::groupHasRunningMember(m_group);
}
#endif
