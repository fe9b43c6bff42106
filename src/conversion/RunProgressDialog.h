#pragma once

#include <QProgressDialog>

// The progress of a run: it appears once the run has lasted a moment, shows
// the run's text and a bar, and asks for Cancel by its button, Escape or its
// close button alike.
class RunProgressDialog final : public QProgressDialog {
    Q_OBJECT
public:
    static constexpr int ShowAfterMs = 300; // a run that ends at once shows no dialog

    RunProgressDialog(QWidget* parent, const QString& title, int total);

    void follow(const QString& text, int done);

signals:
    void cancelRequested();
};
