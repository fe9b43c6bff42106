#pragma once

#include <QString>

// What a person reads about a scan of folders for images.

// The progress dialog's text: "Scanning… 12,345 images in 310 folders".
QString scanProgressText(int images, int folders);

// Told once a scan has ended with folders it could not read:
// "3 folders could not be read."
QString unreadableFoldersText(int count);
