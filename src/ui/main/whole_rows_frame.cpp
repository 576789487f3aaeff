#include "ui/main/whole_rows_frame.h"

#include "ui/main/subscriber_grid_view.h"

namespace tulvo {

WholeRowsFrame::WholeRowsFrame(SubscriberGridView* grid, QWidget* parent)
    : QWidget(parent), grid_(grid) {
    setObjectName(QStringLiteral("StringGrid1Frame"));
    setSizePolicy(grid_->sizePolicy());
    grid_->setParent(this);
    grid_->show();
}

QSize WholeRowsFrame::sizeHint() const {
    return grid_->sizeHint();
}

QSize WholeRowsFrame::minimumSizeHint() const {
    return grid_->minimumSizeHint();
}

void WholeRowsFrame::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    grid_->setGeometry(0, 0, width(), grid_->WholeRowsHeight(height()));
}

}  // namespace tulvo
