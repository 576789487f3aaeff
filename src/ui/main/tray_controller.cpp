#include "ui/main/tray_controller.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QWidget>

namespace tulvo {

TrayController::TrayController(QWidget* window, const QIcon& icon, QAction* open, QAction* quit,
                               QObject* parent)
    : QObject(parent),
      window_(window),
      popupMenu1_(new QMenu(window)),
      trayIcon1_(new QSystemTrayIcon(icon, this)) {
    popupMenu1_->setObjectName(QStringLiteral("PopupMenu1"));
    trayIcon1_->setObjectName(QStringLiteral("TrayIcon1"));
    trayIcon1_->setContextMenu(popupMenu1_);
    connect(trayIcon1_, &QSystemTrayIcon::activated, this, &TrayController::Activated);
    popupMenu1_->addAction(open);
    popupMenu1_->addAction(quit);
    connect(open, &QAction::triggered, this, &TrayController::Restore);
    // "Выйти" ends the program the same way as closing the main window, also
    // while the window is hidden in the tray (closing a hidden window alone
    // would not end the event loop).
    connect(quit, &QAction::triggered, window_, [this] {
        if (quitCheck_ && !quitCheck_()) {
            return;
        }
        window_->close();
        QCoreApplication::quit();
    });
}

bool TrayController::IconVisible() const {
    return trayIcon1_->isVisible();
}

void TrayController::HideToTray() {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        window_->showMinimized();
        return;
    }
    trayIcon1_->show();
    window_->hide();
}

void TrayController::Activated(QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger) {
        Restore();
    }
}

void TrayController::Restore() {
    window_->showNormal();
    window_->raise();
    window_->activateWindow();
    TrayIcon1Restore();
}

void TrayController::TrayIcon1Restore() {
    trayIcon1_->hide();
}

}  // namespace tulvo
