#pragma once

#include <QMargins>
#include <QObject>
#include <QRect>
#include <QSize>

class QWidget;

namespace tulvo {

// Keeps the program's dialogs on their screen, however small the screen and
// however large the fonts. A dialog that fits is left exactly as designed; one
// that does not is shrunk to the screen's free area and its content scrolls.
// Installed once on the application, it looks at every dialog as it is first
// shown; windows that set their own size call FixSize.
class ScreenFit : public QObject {
    Q_OBJECT
  public:
    // Room for the title bar and borders the window manager adds, while it has
    // not yet said how large they are (before a window's first show).
    static constexpr QMargins kFrameAllowance{2, 32, 2, 2};

    explicit ScreenFit(QObject* parent = nullptr);

    // Installs one ScreenFit on the application (owned by it).
    static void Install();

    // The largest size a window may take so that its frame stays inside the
    // free area of its screen.
    static QSize RoomFor(const QWidget& window);
    // Where a window frame goes in a screen's free area: centred, and moved
    // back inside where it would cross an edge, its top left corner last.
    static QRect PlaceWithin(QRect frame, const QRect& area);
    // Gives a window a fixed size: the designed one where it fits, else the
    // room there is, with the content scrolling.
    static void FixSize(QWidget& window, QSize designed);
    // Moves a window's layout into a scroll area (once). False when the window
    // has no layout of a kind that can be moved.
    static bool ScrollContent(QWidget& window);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    static bool Handles(const QObject* object);
    static void FitOnPolish(QWidget& window);
    static void FitOnShow(QWidget& window);
    static void FitGrown(QWidget& window);
};

}  // namespace tulvo
