#pragma once

#include <QProgressDialog>

// The progress of a scan for images: it appears once the scan has lasted a
// moment, counts the images and folders found so far, and asks for Cancel by
// its button, Escape or its close button alike.
class ScanProgressDialog final : public QProgressDialog {
    Q_OBJECT
public:
    static constexpr int ShowAfterMs = 300; // a scan that ends at once shows no dialog

    ScanProgressDialog(QWidget* parent, const QString& title);

    void follow(int images, int folders);

signals:
    void cancelRequested();
};
