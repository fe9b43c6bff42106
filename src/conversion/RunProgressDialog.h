#pragma once

#include "widgets/LateProgressDialog.h"

// The progress of a run: the run's text and a bar of the rows done.
class RunProgressDialog final : public LateProgressDialog {
    Q_OBJECT
public:
    RunProgressDialog(QWidget* parent, const QString& title, int total);

    void follow(const QString& text, int done);
};
