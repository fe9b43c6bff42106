#include "app/DesktopNotifier.h"

#include "app/CorvaneGUI.h"

#include <QIcon>
#include <QPixmap>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>

#ifdef CORVANE_HAVE_DBUS
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#endif

namespace {
constexpr int ShowForMs = 8000;

// A tray icon just long enough to carry the message.
void notifyFromTray(const QString& title, const QString& body) {
    if (!QSystemTrayIcon::isSystemTrayAvailable() || !QSystemTrayIcon::supportsMessages())
        return;
    auto* tray = new QSystemTrayIcon(CorvaneGUI::frame);
    if (CorvaneGUI::logoImage)
        tray->setIcon(QIcon(*CorvaneGUI::logoImage));
    tray->show();
    tray->showMessage(title, body, QSystemTrayIcon::Information, ShowForMs);
    QTimer::singleShot(ShowForMs + 1000, tray, &QObject::deleteLater);
}

class SystemNotifier final : public DesktopNotifier {
public:
    void notify(const QString& title, const QString& body) override {
#ifdef CORVANE_HAVE_DBUS
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (bus.isConnected()) {
            QDBusMessage call = QDBusMessage::createMethodCall(
                QStringLiteral("org.freedesktop.Notifications"),
                QStringLiteral("/org/freedesktop/Notifications"),
                QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
            call << title << 0u << QStringLiteral("corvane") << title << body << QStringList()
                 << QVariantMap() << ShowForMs;
            // Never waited for: a missing service answers with an error, and
            // then the tray gets its turn.
            auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call));
            QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                             [title, body](QDBusPendingCallWatcher* self) {
                                 if (self->isError())
                                     notifyFromTray(title, body);
                                 self->deleteLater();
                             });
            return;
        }
#endif
        notifyFromTray(title, body);
    }
};
} // namespace

std::unique_ptr<DesktopNotifier> systemNotifier() {
    return std::make_unique<SystemNotifier>();
}
