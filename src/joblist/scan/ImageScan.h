#pragma once

#include "joblist/scene/SceneOutcome.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <atomic>
#include <memory>
#include <vector>

class QThread;

// What to look through: folders and files, as chosen or dropped, in order.
// Scene and list files among them are read for the textures they use.
struct ScanRequest {
    QStringList paths;
    // With subfolders, a folder's images come with those of every folder
    // below it, by name; without, its direct image files as the file system
    // lists them.
    bool subfolders = false;
};

// Images found under one root, in the order they are to be added.
struct ImageGroup {
    QString root;       // the folder chosen or dropped; empty: each image's own folder
    QStringList images; // full paths, native separators
};

struct ScanResult {
    std::vector<ImageGroup> groups;
    int images = 0;
    int folders = 0;           // folders read
    int unreadableFolders = 0; // folders that could not be listed (only counted with subfolders)
    std::vector<SceneTextures> scenes; // scene and list files read, in order
    bool cancelled = false;
};

// How far a scan has come; written by the scan, read from any thread.
struct ScanCounters {
    std::atomic<int> images{0};
    std::atomic<int> folders{0};
    std::atomic<bool> cancel{false};
};

// Looks through the request on the calling thread. A folder with subfolders
// gives its own images, then each subfolder's, depth first, names compared
// as a file manager does ("tile2" before "tile10"); hidden folders are
// skipped and symbolic links to folders are not followed, so a loop cannot
// hang it. Image files are those with an image extension in any letter case.
// A scene or list file (sceneFormatOf) is read and its textures looked for.
ScanResult scanForImages(const ScanRequest& request, ScanCounters& counters);

// Runs scanForImages() on a worker thread and reports on the event thread:
// progress a few times a second, then finished() once, after which the
// result can be taken. Deleting it cancels the scan and waits for the thread.
class ImageScan final : public QObject {
    Q_OBJECT
public:
    static constexpr int ProgressMs = 100;

    explicit ImageScan(ScanRequest request, QObject* parent = nullptr);
    ~ImageScan() override;

    void start();
    // Stops the scan soon; finished() follows with a cancelled result.
    void cancel();
    ScanResult takeResult() { return std::move(m_result); }

signals:
    void progressed(int images, int folders);
    void finished();

private:
    void reportProgress();
    void threadEnded();

    ScanRequest m_request;
    ScanCounters m_counters;
    ScanResult m_result;
    QThread* m_thread = nullptr;
    QTimer m_progress;
    int m_reportedImages = -1;
    int m_reportedFolders = -1;
};
