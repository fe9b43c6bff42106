#pragma once

#include "conversion/rules/OutputTail.h"

#include <QProcess>
#include <QString>

// Drains a child's output as it arrives, so a talkative child never stalls
// on a full pipe, and keeps only its last bytes for the user. Standard output
// and standard error arrive merged, in the order the child wrote them.
class StreamGobbler {
public:
    StreamGobbler(QProcess& process, OutputTail& tail);

    // Must run before the process starts.
    void start();
    // Reads what is still buffered; call when the process has ended.
    void drain();

private:
    QProcess& m_process;
    OutputTail& m_tail;
};
