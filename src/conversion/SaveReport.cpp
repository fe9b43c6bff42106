// The end of a run as the user meets it: the result box offering to save the
// run's report, File > Save Report..., and a desktop notice when nobody watched.
#include "app/CorvaneGUI.h"

#include "app/DesktopNotifier.h"
#include "app/Dialogs.h"
#include "conversion/rules/RunNotice.h"
#include "conversion/rules/RunReport.h"
#include "conversion/run/SaveFile.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>

void CorvaneGUI::announceRunEnd(RunReport report, Dialogs::MessageKind kind, const QString& text,
                                const QString& details) {
    // Judged before the result box, which brings the window to the front.
    if (notifier &&
        shouldNotifyRunEnd(QApplication::activeWindow() != nullptr, report.durationMs)) {
        const RunNotice notice = runEndNotice(report.converted(), report.failed(), QLocale());
        notifier->notify(notice.title, notice.body);
    }
    lastReport = std::make_shared<const RunReport>(std::move(report));
    itemSaveReport->setEnabled(true);
    if (Dialogs::showMessageOffering(kind, dialogTitle, text, details,
                                     QStringLiteral("Save Report...")))
        saveReport();
}

void CorvaneGUI::saveReport() {
    const std::shared_ptr<const RunReport> report = lastReport;
    if (!report)
        return;
    const std::optional<Dialogs::FileAnswer> answer =
        Dialogs::chooseFiles({.mode = Dialogs::FileMode::Save,
                              .title = QStringLiteral("Save Report"),
                              .startDirectory = chooserDirectory,
                              .filters = {std::make_shared<CsvFilter>()},
                              .currentFilter = 0});
    if (!answer || answer->files.isEmpty())
        return;
    QString path = answer->files.first();
    if (answer->selectedFilter == 0 && QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".csv");
    const QString error = writeFileAtomically(
        path, [&report](QIODevice& file) { return writeReportCsv(file, *report); });
    if (!error.isEmpty())
        Dialogs::showMessage(Dialogs::MessageKind::Warning, dialogTitle,
                             QStringLiteral("The report could not be saved as \"%1\":\n%2")
                                 .arg(QDir::toNativeSeparators(path), error));
}

void CorvaneGUI::ListenerFileSaveReport::actionPerformed() const {
    saveReport();
}
