#include "conversion/run/StreamGobbler.h"

StreamGobbler::StreamGobbler(QProcess& process, OutputTail& tail)
    : m_process(process)
    , m_tail(tail) {}

void StreamGobbler::start() {
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &m_process,
                     [this] { drain(); });
}

void StreamGobbler::drain() {
    char chunk[16384];
    for (;;) {
        const qint64 got = m_process.read(chunk, sizeof chunk);
        if (got <= 0)
            return;
        m_tail.append(chunk, got);
    }
}
