#pragma once

#include "widgets/LateProgressDialog.h"

// The progress of a scan for images: the images and folders found so far,
// over a busy bar.
class ScanProgressDialog final : public LateProgressDialog {
    Q_OBJECT
public:
    ScanProgressDialog(QWidget* parent, const QString& title);

    void follow(int images, int folders);
};
