#include "widgets/LateProgressDialog.h"

LateProgressDialog::LateProgressDialog(QWidget* parent, const QString& title, int minimumWidth)
    : QProgressDialog(parent) {
    setWindowTitle(title);
    setCancelButtonText(QStringLiteral("Cancel"));
    setAutoClose(false);
    setAutoReset(false);
    setMinimumDuration(ShowAfterMs);
    setMinimumWidth(minimumWidth);
    connect(this, &QProgressDialog::canceled, this, &LateProgressDialog::cancelRequested);
    connect(this, &QDialog::rejected, this, &LateProgressDialog::cancelRequested);
}
