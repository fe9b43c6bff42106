#pragma once

#include "conversion/rules/FarmJob.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QSpinBox;

// The settings of a farm job: images per task, how many tasks may run at
// once, and whether up-to-date images are skipped. It shows how the images
// split into tasks as the numbers change.
class FarmJobDialog final : public QDialog {
    Q_OBJECT
public:
    FarmJobDialog(int images, QWidget* parent);

    FarmSettings settings() const;

private:
    void showSummary();

    int m_images;
    QSpinBox* m_perTask;
    QSpinBox* m_atOnce;
    QCheckBox* m_skip;
    QLabel* m_summary;
};
