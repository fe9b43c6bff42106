// The Help menu: the maker's web pages and the About window.
#include "app/HelpMenu.h"

#include "app/CorvaneGUI.h"
#include "app/Dialogs.h"
#include "conversion/rules/Maker.h"

#include <QDialog>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QTextStream>
#include <QUrl>

namespace HelpPages {
namespace {
QString pageAddress(const QString& path) {
    return QStringLiteral("http://") + makerWebHost() + path;
}
} // namespace

QString productPageAddress() {
    return pageAddress(QStringLiteral("/corvane/"));
}

QString donatePageAddress() {
    return pageAddress(QStringLiteral("/donate/"));
}

QString forumPageAddress() {
    return pageAddress(QStringLiteral("/forum/"));
}

QString aboutText() {
    return QStringLiteral("<html><body><center>"
                          "www.<b>quillmere-software</b>.example<br>"
                          "<br>"
                          "Developed by Ada Quillfeather<br>"
                          "www.<b>quillfeather-dev</b>.example<br>"
                          "<br>"
                          "Featuring graphics by Rook Inkwell<br>"
                          "www.<b>rookinkwell</b>.example"
                          "</center></body></html>");
}
} // namespace HelpPages

void CorvaneGUI::openWebPage(const QString& address) {
    const QUrl url(address, QUrl::StrictMode);
    QTextStream errors(stderr);
    if (!url.isValid()) {
        errors << "Corvane: malformed address " << address << ": " << url.errorString() << Qt::endl;
        return;
    }
    if (!Dialogs::openUrl(url))
        errors << "Corvane: the desktop could not open " << address << Qt::endl;
}

void CorvaneGUI::showAboutBox() {
    auto* about = new QDialog(frame);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->setModal(false);
    auto* grid = new QGridLayout(about);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    // Each window gets its own logo label: a widget lives in one window only,
    // and the first About window closed would otherwise take it along.
    auto* maker = new QLabel;
    maker->setPixmap(*iconMaker);
    maker->setObjectName(QStringLiteral("labelMaker"));
    grid->addWidget(maker, 0, 0);
    auto* credits = new QLabel(HelpPages::aboutText());
    credits->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    grid->addWidget(credits, 1, 0);
    grid->setRowStretch(0, 1);
    grid->setRowStretch(1, 1);
    about->setWindowTitle(QStringLiteral("About"));
    about->setFixedSize(640, 350);
    if (const QScreen* screen = frame ? frame->screen() : nullptr) {
        QRect box(QPoint(), about->size());
        box.moveCenter(screen->availableGeometry().center());
        about->move(box.topLeft());
    }
    about->setWindowIcon(QIcon(*logoImage));
    about->show();
}

void CorvaneGUI::ListenerHelpAbout::actionPerformed() const {
    showAboutBox();
}

void CorvaneGUI::ListenerHelpWebsite::actionPerformed() const {
    openWebPage(HelpPages::productPageAddress());
}

void CorvaneGUI::ListenerHelpDonate::actionPerformed() const {
    openWebPage(HelpPages::donatePageAddress());
}

void CorvaneGUI::ListenerHelpForum::actionPerformed() const {
    openWebPage(HelpPages::forumPageAddress());
}
