// Process runs nothing with a converter that is not there: one warning
// instead of a failed row for every image.
#include "app/CorvaneGUI.h"

#include "app/Dialogs.h"
#include "conversion/rules/ConverterCheck.h"

#include <QDir>
#include <QLineEdit>

bool CorvaneGUI::converterReadyToRun() {
    const QString converter = fieldImfCopy->text();
    const ConverterState state = checkConverter(converter);
    if (state == ConverterState::Found)
        return true;
    Dialogs::showMessage(Dialogs::MessageKind::Warning, dialogTitle,
                         converterProblemText(state, QDir::toNativeSeparators(converter)));
    return false;
}
