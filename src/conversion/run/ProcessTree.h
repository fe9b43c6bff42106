#pragma once

#include <QtGlobal>

class QProcess;

// A child process together with everything it starts (a script and the
// converter it runs), so that Cancel can end all of it. On Unix the child
// leads a process group of its own; on Windows it is put into a job object
// that ends its processes when its last handle closes, however the program
// ends. The child starts suspended and runs only once it is in the job, so
// nothing it starts is ever born outside it.
class ProcessTree {
public:
    ProcessTree();
    ~ProcessTree();
    ProcessTree(const ProcessTree&) = delete;
    ProcessTree& operator=(const ProcessTree&) = delete;

    // Before the process starts.
    void prepare(QProcess& process);
    // Once it has started. False when it could not be made part of the tree:
    // it has then been ended before it ran anything.
    bool adopt(QProcess& process);

    // Asks every process of the tree to end (Windows has no polite request
    // for console programs: there this ends them at once).
    void terminate();
    // Ends every process of the tree at once.
    void kill();
    // Whether any process of the tree still runs (ended but unreaped ones do not count).
    bool alive() const;

private:
    qint64 m_group = 0;
#ifdef Q_OS_WIN
    void* m_job = nullptr;
    void* m_started = nullptr; // the child's PROCESS_INFORMATION, filled by CreateProcess
#endif
};
