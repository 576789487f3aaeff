#pragma once

#include <QWidget>

namespace tulvo {

class SubscriberGridView;

// Holds the subscriber grid at the tallest height within the frame that
// shows whole rows only; the rest of the frame stays empty below the grid.
// A grid scrolled to its end aligns its last row with the bottom, which
// would otherwise cut the top row in half.
class WholeRowsFrame : public QWidget {
    Q_OBJECT
  public:
    WholeRowsFrame(SubscriberGridView* grid, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    SubscriberGridView* grid_;
};

}  // namespace tulvo
