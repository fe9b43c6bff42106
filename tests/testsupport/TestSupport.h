#pragma once

#include "TestFiles.h"
#include "app/CorvaneGUI.h"

#include <QString>

class JobTableModel;

#include <functional>
#include <memory>

namespace TestSupport {

using TestFiles::fakeConverter;
using TestFiles::hostFlavour;
using TestFiles::readAll;
using TestFiles::writeFile;

// A main window as start-up builds it, with every dialog answered by the
// test (Dialogs::Testing is reset), no converter installed (nor any folder to
// list), no desktop notifications, and fresh folders as the user's cache and data.
std::unique_ptr<CorvaneGUI> makeWindow(
    const QString& osName = QStringLiteral("Linux"),
    const std::function<bool(const QString&)>& exists = [](const QString&) { return false; },
    const std::function<QStringList(const QString&)>& listFolder = {});

// Writes a small picture in the format the file name implies (PNG data where
// Qt has no writer for it).
bool writeImage(const QString& path, int width = 8, int height = 6);

// Sets a row's status as a run would.
void setStatus(JobTableModel& model, int row, const QString& status);

// Every row's status, and every row's tick, in table order.
QStringList statuses();
// The texts the window's table shows in one column, top to bottom.
QStringList column(int index);
QList<bool> ticks();

// Waits for the conversion run under way (if any) to end; false when it is
// still running after `timeoutMs`.
bool finishRun(int timeoutMs = 60000);

// Waits for the scan for images under way (if any) to end and its rows to be
// added; false when it is still running after `timeoutMs`.
bool finishScan(int timeoutMs = 60000);

// The result text of a run in the host's flavour whose first failed row's converter exited
// with `exitCode`: the Mac flavour names the exit values of chmod (0) and of the script.
QString failedRunText(int exitCode);

// Points the user's cache location, where runs keep their scripts, at `folder`,
// and the data location, where the ledger lives, at `data`. Windows has no
// variable that moves them: Qt keeps each program's folders under its name in
// %LOCALAPPDATA% and %APPDATA% (of the tests' own Wine prefix), so there they
// stay where makeWindow's fresh application name put them, and a plain file
// given for either stands for a location that cannot hold a folder.
void useCacheFolder(const QString& folder);
void useDataFolder(const QString& data);

// Runs a script Create Script saved as `stem` plus its flavour's suffix through its
// interpreter: bash, or cmd for the batch file (whose pauses read the end of its input and go
// on). Its exit status, or -1 when it did not end within a minute.
int runSavedScript(const QString& stem);

// Where runs keep their folders now (QStandardPaths::CacheLocation).
QString cacheLocation();

} // namespace TestSupport
