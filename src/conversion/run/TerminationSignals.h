#pragma once

#include <QObject>

// Turns the requests to end the program from outside into one signal on the
// event loop: SIGTERM, SIGINT and SIGHUP (a logout, a closed terminal, kill,
// Ctrl+C) on Unix; Ctrl+C, Ctrl+Break and a closed console window on
// Windows. What to do then is the program's business: a run under way must
// end first, with its converters.
class TerminationSignals final : public QObject {
    Q_OBJECT
public:
    // The one watcher of the process, made on first use on the event thread.
    static TerminationSignals& watch();

signals:
    void requested();

private:
    TerminationSignals();
};
