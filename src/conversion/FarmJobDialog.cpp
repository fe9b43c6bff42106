#include "conversion/FarmJobDialog.h"

#include "conversion/rules/FarmJobTexts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

FarmJobDialog::FarmJobDialog(int images, QWidget* parent)
    : QDialog(parent)
    , m_images(images)
    , m_perTask(new QSpinBox)
    , m_atOnce(new QSpinBox)
    , m_skip(new QCheckBox(QStringLiteral("Skip images whose .map is newer")))
    , m_summary(new QLabel) {
    setWindowTitle(farmDialogTitle());
    const FarmSettings defaults = defaultFarmSettings(images);

    m_perTask->setObjectName(QStringLiteral("imagesPerTask"));
    m_perTask->setRange(1, std::max(1, images));
    m_perTask->setValue(defaults.imagesPerTask);
    m_perTask->setGroupSeparatorShown(true);

    // Zero stands for "no limit", shown in words.
    m_atOnce->setObjectName(QStringLiteral("maxTasksAtOnce"));
    m_atOnce->setRange(0, std::max(1, images));
    m_atOnce->setSpecialValueText(QStringLiteral("No limit"));
    m_atOnce->setValue(defaults.maxTasksAtOnce);
    m_atOnce->setGroupSeparatorShown(true);

    m_skip->setObjectName(QStringLiteral("skipUpToDate"));
    m_skip->setChecked(defaults.skipUpToDate);
    m_skip->setToolTip(QStringLiteral("A resubmitted job then converts only what is missing.\n"
                                      "Only file times are compared: changed flags are not "
                                      "noticed."));

    m_summary->setObjectName(QStringLiteral("taskSummary"));
    m_summary->setWordWrap(true);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Images per task:"), m_perTask);
    form->addRow(QStringLiteral("At most this many tasks at once:"), m_atOnce);
    form->addRow(m_skip);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_summary);
    layout->addWidget(buttons);

    connect(m_perTask, &QSpinBox::valueChanged, this, &FarmJobDialog::showSummary);
    showSummary();
}

FarmSettings FarmJobDialog::settings() const {
    return FarmSettings{m_perTask->value(), m_atOnce->value(), m_skip->isChecked()};
}

void FarmJobDialog::showSummary() {
    m_summary->setText(farmTaskSummary(m_images, m_perTask->value()));
}
