#pragma once

#include <QString>

#include <memory>

// Shows a short notice on the desktop, outside the window. Tests replace it.
class DesktopNotifier {
public:
    virtual ~DesktopNotifier() = default;
    virtual void notify(const QString& title, const QString& body) = 0;
};

// The desktop's notification service (freedesktop, over D-Bus) where it
// answers, else a message from a tray icon where there is a tray; without
// either, nothing is shown and nothing said.
std::unique_ptr<DesktopNotifier> systemNotifier();
