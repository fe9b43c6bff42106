#include "conversion/run/ProcessTree.h"

#include "conversion/run/GroupWatchdog.h"
#include "conversion/run/ProcessStates.h"

#include <QProcess>

#ifdef Q_OS_UNIX
#include <csignal>
#include <unistd.h>
#endif

#ifdef Q_OS_WIN
#include <windows.h>

#include <tlhelp32.h> // needs windows.h first

namespace {
// Resumes every thread of a process started suspended, when Qt's record of its
// first thread cannot be used.
void resumeThreadsOf(DWORD pid) {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != pid)
            continue;
        if (const HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID)) {
            ResumeThread(thread);
            CloseHandle(thread);
        }
    }
    CloseHandle(snapshot);
}
} // namespace

ProcessTree::ProcessTree() {
    m_job = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (m_job && !SetInformationJobObject(m_job, JobObjectExtendedLimitInformation, &limits,
                                          sizeof limits)) {
        CloseHandle(m_job); // a job that would not end its processes is no use
        m_job = nullptr;
    }
}

ProcessTree::~ProcessTree() {
    if (m_job)
        CloseHandle(m_job); // the job kills what is left when its last handle closes
}

void ProcessTree::prepare(QProcess& process) {
    // Suspended until it is in the job: a script that ran at once could start its converter
    // before the job holds the script, and that converter would outlive a killed program.
    // CreateProcess fills Qt's record of the child, which Qt keeps until the child has ended
    // and which adopt() reads from started(), emitted before start() returns.
    process.setCreateProcessArgumentsModifier([this](QProcess::CreateProcessArguments* args) {
        args->flags |= CREATE_SUSPENDED;
        m_started = args->processInformation;
    });
}

bool ProcessTree::adopt(QProcess& process) {
    m_group = process.processId();
    const auto* started = static_cast<const PROCESS_INFORMATION*>(m_started);
    const bool ours = started && started->dwProcessId == DWORD(m_group);
    const HANDLE child =
        ours ? started->hProcess
             : OpenProcess(PROCESS_SET_QUOTA | PROCESS_TERMINATE, FALSE, DWORD(m_group));
    const bool inJob = m_job && child && AssignProcessToJobObject(m_job, child);
    if (!inJob && child)
        TerminateProcess(child, 1);
    if (!ours && child)
        CloseHandle(child);
    if (!inJob)
        return false;
    if (ours)
        ResumeThread(started->hThread);
    else
        resumeThreadsOf(DWORD(m_group));
    return true;
}

void ProcessTree::terminate() {
    kill(); // a console program cannot be asked to end from outside
}

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

ProcessTree::ProcessTree() = default;

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

bool ProcessTree::adopt(QProcess& process) {
    m_group = process.processId();
    return true;
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
