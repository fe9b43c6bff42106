#include "joblist/ScanProgressDialog.h"

#include "joblist/rules/ScanTexts.h"

ScanProgressDialog::ScanProgressDialog(QWidget* parent, const QString& title)
    : LateProgressDialog(parent, title, 360) {
    setRange(0, 0); // how much there is to find is not known: a busy bar
    setLabelText(scanProgressText(0, 0));
    setValue(0);
}

void ScanProgressDialog::follow(int images, int folders) {
    setLabelText(scanProgressText(images, folders));
}
