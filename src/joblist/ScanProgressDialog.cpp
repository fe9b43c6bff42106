#include "joblist/ScanProgressDialog.h"

#include "joblist/rules/ScanTexts.h"

ScanProgressDialog::ScanProgressDialog(QWidget* parent, const QString& title)
    : QProgressDialog(parent) {
    setWindowTitle(title);
    setCancelButtonText(QStringLiteral("Cancel"));
    setAutoClose(false);
    setAutoReset(false);
    setMinimumDuration(ShowAfterMs);
    setMinimumWidth(360);
    setRange(0, 0); // how much there is to find is not known: a busy bar
    setLabelText(scanProgressText(0, 0));
    setValue(0);
    connect(this, &QProgressDialog::canceled, this, &ScanProgressDialog::cancelRequested);
    connect(this, &QDialog::rejected, this, &ScanProgressDialog::cancelRequested);
}

void ScanProgressDialog::follow(int images, int folders) {
    setLabelText(scanProgressText(images, folders));
}
