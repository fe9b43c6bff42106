// Adding what folders hold: the scan on a worker thread, its progress, and
// Edit > Include Subfolders.
#include "app/CorvaneGUI.h"

#include "app/Dialogs.h"
#include "conversion/run/RunSession.h"
#include "joblist/JobTableModel.h"
#include "joblist/ScanProgressDialog.h"
#include "joblist/customTable.h"
#include "joblist/rules/ScanTexts.h"
#include "joblist/scan/ImageScan.h"

#include <QAction>
#include <QPushButton>
#include <QWidget>

void CorvaneGUI::scanAndAdd(const QStringList& paths) {
    if (activeScan || activeRun || paths.isEmpty())
        return;
    auto* scan = new ImageScan(ScanRequest{paths, includeSubfolders}, frame);
    activeScan = scan;
    lockForScan(true);
    QPointer<ScanProgressDialog> dialog = new ScanProgressDialog(frame, dialogTitle);
    connect(scan, &ImageScan::progressed, dialog, &ScanProgressDialog::follow);
    connect(dialog, &ScanProgressDialog::cancelRequested, scan, &ImageScan::cancel);
    connect(scan, &ImageScan::finished, frame, [scan, dialog] {
        delete dialog.data();
        lockForScan(false);
        activeScan = nullptr;
        const ScanResult result = scan->takeResult();
        scan->deleteLater();
        if (result.cancelled)
            return; // Cancel adds nothing
        addImageGroups(result.groups);
        if (result.unreadableFolders > 0)
            Dialogs::showMessage(Dialogs::MessageKind::Warning, dialogTitle,
                                 unreadableFoldersText(result.unreadableFolders));
        if (!result.scenes.empty())
            addSceneTextures(result.scenes);
    });
    scan->start();
}

void CorvaneGUI::lockForScan(bool locked) {
    // The window stays alive and the list may still be looked at, ticked and
    // trimmed; only what would add to it or run it waits for the scan.
    panelAdd->setEnabled(!locked);
    itemAddFromScene->setEnabled(!locked);
    buttonProcess->setEnabled(!locked);
    table->setDropsLocked(locked);
}

void CorvaneGUI::ListenerIncludeSubfolders::itemStateChanged() const {
    includeSubfolders = itemIncludeSubfolders->isChecked();
}
