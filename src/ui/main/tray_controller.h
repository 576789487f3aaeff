#pragma once

#include <QObject>
#include <QSystemTrayIcon>
#include <functional>

class QAction;
class QMenu;
class QWidget;

namespace tulvo {

// Hides the main window to the notification area and brings it back.
// Without a notification area the window is only minimised. The icon shows
// the program's picture, so the operator can find the hidden program.
class TrayController : public QObject {
    Q_OBJECT
  public:
    TrayController(QWidget* window, const QIcon& icon, QAction* open, QAction* quit,
                   QObject* parent = nullptr);

    // SpeedButton81Click.
    void HideToTray();
    // N900Click, a left click on the icon, a restore command.
    void Restore();
    bool IconVisible() const;
    // Asked before "Выйти" ends the program; false calls it off.
    void SetQuitCheck(std::function<bool()> check) { quitCheck_ = std::move(check); }

  private:
    void Activated(QSystemTrayIcon::ActivationReason reason);
    void TrayIcon1Restore();

    QWidget* window_;
    QMenu* popupMenu1_;
    QSystemTrayIcon* trayIcon1_;
    std::function<bool()> quitCheck_;
};

}  // namespace tulvo
