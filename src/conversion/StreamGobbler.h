#pragma once

#include <QProcess>
#include <QString>

// Drains and discards one output channel of a child process. The channel is
// sent to the null device, so the operating system swallows the output and a
// talkative child can never stall on a full pipe; no thread of ours is needed.
class StreamGobbler {
public:
    StreamGobbler(QProcess& process, QProcess::ProcessChannel channel, QString streamType);

    // Must run before the process starts.
    void start();

    const QString& streamType() const { return m_streamType; }

private:
    QProcess& m_process;
    QProcess::ProcessChannel m_channel;
    QString m_streamType; // "ERROR" or "OUTPUT"; kept for diagnostics only
};
