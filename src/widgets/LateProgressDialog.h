#pragma once

#include <QProgressDialog>

// The progress of some long work: it appears only once the work has lasted a
// moment, stays up until its owner drops it, and asks for Cancel by its
// button, Escape or its close button alike.
class LateProgressDialog : public QProgressDialog {
    Q_OBJECT
public:
    static constexpr int ShowAfterMs = 300; // work that ends at once shows no dialog

    LateProgressDialog(QWidget* parent, const QString& title, int minimumWidth);

signals:
    void cancelRequested();
};
