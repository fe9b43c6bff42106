#include "conversion/RunProgressDialog.h"

#include "conversion/rules/RunTexts.h"

#include <algorithm>

RunProgressDialog::RunProgressDialog(QWidget* parent, const QString& title, int total)
    : QProgressDialog(parent) {
    setWindowTitle(title);
    setCancelButtonText(QStringLiteral("Cancel"));
    setAutoClose(false);
    setAutoReset(false);
    setMinimumDuration(ShowAfterMs);
    setMinimumWidth(420);
    setRange(0, std::max(1, total));
    setLabelText(progressText(0, total, QString(), 0, {}));
    setValue(0);
    connect(this, &QProgressDialog::canceled, this, &RunProgressDialog::cancelRequested);
    connect(this, &QDialog::rejected, this, &RunProgressDialog::cancelRequested);
}

void RunProgressDialog::follow(const QString& text, int done) {
    setLabelText(text);
    setValue(done);
}
