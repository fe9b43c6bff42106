#include "conversion/RunProgressDialog.h"

#include "conversion/rules/RunTexts.h"

#include <algorithm>

RunProgressDialog::RunProgressDialog(QWidget* parent, const QString& title, int total)
    : LateProgressDialog(parent, title, 420) {
    setRange(0, std::max(1, total));
    setLabelText(progressText(0, total, QString(), 0, {}));
    setValue(0);
}

void RunProgressDialog::follow(const QString& text, int done) {
    setLabelText(text);
    setValue(done);
}
