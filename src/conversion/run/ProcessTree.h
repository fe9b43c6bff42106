#pragma once

#include <QtGlobal>

class QProcess;

// A child process together with everything it starts (a script and the
// converter it runs), so that Cancel can end all of it. On Unix the child
// leads a process group of its own; on Windows it is put into a job object.
class ProcessTree {
public:
    ProcessTree() = default;
    ~ProcessTree();
    ProcessTree(const ProcessTree&) = delete;
    ProcessTree& operator=(const ProcessTree&) = delete;

    // Before the process starts.
    void prepare(QProcess& process);
    // Once it has started.
    void adopt(QProcess& process);

    // Asks every process of the tree to end.
    void terminate();
    // Ends every process of the tree at once.
    void kill();
    // Whether any process of the tree still runs (ended but unreaped ones do not count).
    bool alive() const;

private:
    qint64 m_group = 0;
#ifdef Q_OS_WIN
    void* m_job = nullptr;
#endif
};
