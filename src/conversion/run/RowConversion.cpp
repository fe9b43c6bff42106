#include "conversion/run/RowConversion.h"

#include "conversion/run/FileStamps.h"
#include "conversion/run/RunFolder.h"
#include "conversion/run/ScriptFile.h"
#include "conversion/run/StreamGobbler.h"
#include "joblist/rules/TargetPaths.h"
#include "joblist/scan/NativePath.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTextStream>

#include <filesystem>
#include <system_error>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {
// Makes the folder a mirrored target goes in, and the ones above it; the
// system's error number when it cannot, 0 when it is there.
int makeTargetFolder(const QString& folder) {
    std::error_code error;
    std::filesystem::create_directories(toNativePath(folder), error);
    return error.value();
}

#ifdef Q_OS_WIN
// Windows' own cmd.exe, from the system folder: never one that happens to lie in the working
// folder or on the search path.
QString commandInterpreter() {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return QStringLiteral("cmd.exe");
    return QString::fromWCharArray(folder, int(length)) + QStringLiteral("\\cmd.exe");
}
#endif

constexpr int StopPollMs = 25;
constexpr int GiveUpAfterKillMs = 2000;
} // namespace

RowConversion::RowConversion(TargetSystem system, QString scriptPath, ConversionJob job,
                             QObject* parent)
    : QObject(parent)
    , m_system(system)
    , m_scriptPath(std::move(scriptPath))
    , m_job(std::move(job)) {
    m_outcome.targetChecked = m_job.checkTarget;
    m_stopPoll.setInterval(StopPollMs);
    connect(&m_stopPoll, &QTimer::timeout, this, &RowConversion::checkStopped);
}

RowConversion::~RowConversion() {
    if (m_tree && (m_tree->alive() || (m_process && m_process->state() != QProcess::NotRunning)))
        m_tree->kill();
    // A process still running is reaped as it is destroyed, and would report its end, and its
    // last output, to a row and a gobbler already gone.
    if (m_process)
        m_process->disconnect();
    m_gobbler.reset();
    m_process.reset();
    if (!m_done)
        QFile::remove(m_scriptPath);
}

void RowConversion::keepJournal(RunFolder* folder, int job) {
    m_journal = folder;
    m_jobIndex = job;
}

void RowConversion::start() {
    if (m_job.makeFolder) {
        const QString folder = m_job.target.left(lastSeparator(m_job.target));
        if (const int error = makeTargetFolder(folder)) {
            m_outcome.folderNotMade = folder;
            m_outcome.folderError = error;
            finish();
            return;
        }
    }
    if (!writeRunScript(m_scriptPath, rowScriptBytes(m_system, m_job.command))) {
        m_outcome.scriptWritten = false;
        finish();
        return;
    }
    m_launch = scriptLaunch(m_system, m_scriptPath);
    if (!m_launch) {
        m_outcome.launched = false;
        finish();
        return;
    }
    if (m_job.checkTarget) {
        m_outcome.targetBefore = fileStamp(m_job.target);
        m_sourceStamp = fileStamp(m_job.source);
        m_began = true;
        if (m_journal)
            m_journal->rowBegins(m_jobIndex, m_job.target, m_outcome.targetBefore);
    }
    if (m_system == TargetSystem::Mac) {
        QFile::setPermissions(m_scriptPath, QFile::permissions(m_scriptPath) | QFile::ExeOwner);
        startStep(Step::Permission);
    } else {
        startStep(Step::Script);
    }
}

void RowConversion::startStep(Step step) {
    m_step = step;
    m_gobbler.reset();
    m_process = std::make_unique<QProcess>();
    m_tree = std::make_unique<ProcessTree>();
    m_gobbler = std::make_unique<StreamGobbler>(*m_process, m_output);
    m_gobbler->start();
    m_tree->prepare(*m_process);
    QProcess* process = m_process.get();
    connect(process, &QProcess::started, this, [this] {
        // Ended before it ran anything when it cannot be held: nothing it would start could
        // then be reached by Cancel or by the program's end.
        m_outsideTree = !m_tree->adopt(*m_process);
        if (m_journal && !m_outsideTree)
            m_journal->rowGroup(m_jobIndex, m_process->processId());
    });
    connect(process, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
        stepFinished(code, status == QProcess::NormalExit);
    });
    connect(process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            failedToStart();
    });
    if (step == Step::Permission) {
        process->startCommand(m_launch->permissionCommand);
    } else if (m_system == TargetSystem::Mac) {
        process->startCommand(m_launch->command);
    } else {
#ifdef Q_OS_WIN
        // Through cmd, named, as Windows itself starts a batch file (and as it documents: Wine
        // refuses to start an empty one directly). cmd /c takes the rest of the line without
        // its outer quotes: the quoted script, "/c start" and the quoted folder, each exactly
        // as written. Qt's own quoting would escape the folder's quotes with backslashes,
        // which cmd does not know, and leave an "&" in a folder's name outside any quotes.
        process->setProgram(commandInterpreter());
        process->setNativeArguments(QStringLiteral("/c \"") + m_launch->program + QLatin1Char(' ') +
                                    m_launch->arguments.join(QLatin1Char(' ')) + QLatin1Char('"'));
#else
        process->setProgram(m_launch->program);
        process->setArguments(m_launch->arguments);
#endif
        process->start();
    }
}

void RowConversion::failedToStart() {
    if (m_done)
        return;
    m_outcome.launched = false;
    if (m_stopPoll.isActive())
        return; // checkStopped() finishes
    finish();
}

void RowConversion::stepFinished(int exitCode, bool normalExit) {
    m_gobbler->drain();
    if (m_done || m_stopPoll.isActive())
        return; // cancelling: checkStopped() waits for the whole tree
    if (m_outsideTree) {
        m_outcome.launched = false;
        finish();
        return;
    }
    // Whatever the script left running in the background ends with it.
    if (m_tree->alive())
        m_tree->kill();
    if (!normalExit) {
        m_outcome.endedNormally = false;
        finish();
        return;
    }
    if (m_step == Step::Permission) {
        m_outcome.permissionExit = exitCode;
        startStep(Step::Script);
        return;
    }
    m_outcome.scriptExit = exitCode;
    if (m_echoExitValue && m_system == TargetSystem::Windows)
        QTextStream(stdout) << "Process exitValue: " << exitCode << Qt::endl;
    finish();
}

void RowConversion::cancel() {
    if (m_done || m_stopPoll.isActive())
        return;
    m_outcome.cancelled = true;
    if (!m_tree) {
        finish();
        return;
    }
    m_tree->terminate();
    if (m_process)
        m_process->terminate();
    m_stopClock.start();
    m_stopPoll.start();
    checkStopped();
}

void RowConversion::checkStopped() {
    const bool leaderRunning = m_process && m_process->state() != QProcess::NotRunning;
    if (!leaderRunning && !m_tree->alive()) {
        finish();
        return;
    }
    const qint64 waited = m_stopClock.elapsed();
    if (!m_killed && waited >= TerminateGraceMs) {
        m_killed = true;
        m_tree->kill();
        if (m_process)
            m_process->kill();
    } else if (m_killed && waited >= TerminateGraceMs + GiveUpAfterKillMs) {
        finish(); // what SIGKILL cannot end within seconds is beyond our reach
    }
}

void RowConversion::finish() {
    if (m_done)
        return;
    m_done = true;
    // However the row ended: a failed or cancelled row's target is judged by it
    // too, once the row had got as far as looking at it.
    if (m_began)
        m_outcome.targetAfter = fileStamp(m_job.target);
    m_stopPoll.stop();
    QFile::remove(m_scriptPath);
    QMetaObject::invokeMethod(this, &RowConversion::finished, Qt::QueuedConnection);
}
