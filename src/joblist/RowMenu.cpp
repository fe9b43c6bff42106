// The menu of a right click on a job row, and what only it offers: the row's
// converter line to copy, and a failed row's report.
#include "app/CorvaneGUI.h"

#include "app/Dialogs.h"
#include "joblist/JobTableModel.h"
#include "joblist/rules/JobRow.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QMenu>
#include <QPersistentModelIndex>

namespace {
QString exitValuesText(const ExitValues& exits) {
    if (!exits.permission)
        return QStringLiteral("Exit value: %1").arg(exits.script);
    return QStringLiteral("Exit values: chmod %1, script %2")
        .arg(*exits.permission)
        .arg(exits.script);
}
} // namespace

void CorvaneGUI::showRowMenu(int row, const QPoint& globalPos) {
    if (row < 0 || row >= model->rowCount())
        return;
    // The row is held by a persistent index: it may move while the menu is open.
    const QPersistentModelIndex at(model->index(row, 0));
    auto act = [at](void (*action)(int)) {
        return [at, action] {
            if (at.isValid())
                action(at.row());
        };
    };
    auto* menu = new QMenu(frame);
    menu->setObjectName(QStringLiteral("rowMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(QStringLiteral("Open File"), menu, act(&CorvaneGUI::openRowFile));
    menu->addAction(QStringLiteral("Open Folder"), menu, act(&CorvaneGUI::openRowFolder));
    menu->addSeparator();
    QAction* copy = menu->addAction(QStringLiteral("Copy Command Line"), menu,
                                    act(&CorvaneGUI::copyCommandLine));
    // A target that cannot be placed in the output directory has no line.
    copy->setEnabled(buildConverterCommand(row).has_value());
    QAction* report =
        menu->addAction(QStringLiteral("Show Report"), menu, act(&CorvaneGUI::showRowReport));
    report->setEnabled(model->row(row).status == Status::Failed);
    menu->addSeparator();
    QAction* remove = menu->addAction(QStringLiteral("Remove"), menu,
                                      [] { ListenerTableDelete{}.actionPerformed(); });
    remove->setEnabled(!model->isLocked());
    menu->popup(globalPos);
}

void CorvaneGUI::copyCommandLine(int row) {
    if (const std::optional<QString> line = buildConverterCommand(row))
        QGuiApplication::clipboard()->setText(*line);
}

void CorvaneGUI::showRowReport(int row) {
    const JobRow& job = model->row(row);
    QString text;
    if (job.failureExit)
        text += exitValuesText(*job.failureExit) + QStringLiteral("\n\n");
    text += job.note.isEmpty() ? QStringLiteral("(The converter printed nothing.)")
                               : QString::fromUtf8(job.note);
    Dialogs::showText(dialogTitle,
                      QStringLiteral("Why %1 failed:").arg(QDir::toNativeSeparators(job.image)),
                      text);
}
