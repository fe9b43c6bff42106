#pragma once

#include <QTemporaryDir>

#include <memory>

// A private (0700) folder for a run's scripts, removed with everything in it
// when the run ends. It lives under the user's cache location, because
// hardened systems mount the system temporary folder noexec and no script
// could run there; the system temporary folder is the fallback. Nothing when
// neither can hold a folder.
std::unique_ptr<QTemporaryDir> makeRunFolder();
