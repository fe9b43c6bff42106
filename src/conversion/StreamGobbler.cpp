#include "conversion/StreamGobbler.h"

StreamGobbler::StreamGobbler(QProcess& process, QProcess::ProcessChannel channel,
                             QString streamType)
    : m_process(process)
    , m_channel(channel)
    , m_streamType(std::move(streamType)) {}

void StreamGobbler::start() {
    if (m_channel == QProcess::StandardError)
        m_process.setStandardErrorFile(QProcess::nullDevice());
    else
        m_process.setStandardOutputFile(QProcess::nullDevice());
}
