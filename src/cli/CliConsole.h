#pragma once

#include <QString>

// The program's standard output and standard error, in UTF-8, a line at a
// time as soon as it is whole, so that a pipe's reader sees each result when
// it happens. On a terminal, standard output can also hold one progress line
// that is rewritten in place; a result or an error printed meanwhile goes
// above it.
class CliConsole {
public:
    CliConsole();

    bool outputIsTerminal() const { return m_terminal; }

    // One line of results; the line end is added.
    void out(const QString& line);
    // One line of errors or warnings, with the program's name in front.
    void error(const QString& line);
    // Text as it is, on standard output (a help page).
    void print(const QString& text);

    // The progress line (terminal only): shown in place of the last one.
    void progress(const QString& text);
    // Leaves the progress line where it is and moves below it.
    void endProgress();

private:
    void clearProgress();

    bool m_terminal = false;
    QString m_progress; // what the progress line shows now
};
