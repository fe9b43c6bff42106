// The flag controls: reading them into plain options, keeping their enabled
// states consistent, and composing each row's converter line from them.
#include "app/CorvaneGUI.h"

#include "app/Dialogs.h"
#include "conversion/rules/CommandLine.h"
#include "conversion/rules/ConverterLocation.h"
#include "joblist/JobTableModel.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>

FlagOptions CorvaneGUI::flagOptions() {
    FlagOptions options;
    options.pyramid = checkPyramid->isChecked();
    options.tile = checkTile->isChecked();
    options.gamma = checkGamma->isChecked();
    options.gammaValue = fieldGamma->text();
    options.filter = checkFilter->isChecked();
    options.filterValue = fieldFilter->text();
    options.custom = checkCustom->isChecked();
    options.customText = fieldCustom->text();
    return options;
}

QString CorvaneGUI::buildFlagString() {
    return ::buildFlagString(flagOptions());
}

std::optional<QString> CorvaneGUI::commandTargetPath(int row) {
    return ::commandTargetPath(model->row(row), model->roots(), commandSettings().output);
}

std::optional<QString> CorvaneGUI::buildConverterCommand(int row) {
    const ConverterLines lines(commandSettings());
    const std::optional<LineTarget> target = lines.target(model->row(row));
    if (!target)
        return std::nullopt;
    return lines.line(model->row(row).image, target->joined());
}

void CorvaneGUI::setFlagControlsEnabled(bool enabled) {
    for (QCheckBox* box : {checkPyramid, checkTile, checkGamma, checkFilter})
        box->setEnabled(enabled);
    if (checkGamma->isChecked())
        fieldGamma->setEnabled(enabled);
    if (checkFilter->isChecked())
        fieldFilter->setEnabled(enabled);
}

void CorvaneGUI::ListenerGamma::itemStateChanged() const {
    fieldGamma->setEnabled(checkGamma->isChecked());
}

void CorvaneGUI::ListenerFilter::itemStateChanged() const {
    fieldFilter->setEnabled(checkFilter->isChecked());
}

void CorvaneGUI::ListenerCustom::itemStateChanged() const {
    const bool custom = checkCustom->isChecked();
    fieldCustom->setEnabled(custom);
    setFlagControlsEnabled(!custom);
}

void CorvaneGUI::ListenerImfCopyBrowse::actionPerformed() const {
#ifdef Q_OS_WIN
    constexpr int shown = 0;
#else
    constexpr int shown = 1; // the converter has no ".exe" here: show every file
#endif
    if (const std::optional<QString> converter =
            Dialogs::chooseFile({.mode = Dialogs::FileMode::OpenFile,
                                 .title = QStringLiteral("Select imf_copy"),
                                 .filters = {std::make_shared<ExeFilter>()},
                                 .currentFilter = shown}))
        fieldImfCopy->setText(QDir::toNativeSeparators(*converter));
}
