#pragma once

#include <QStyledItemDelegate>

namespace tulvo {

// Draws a port in the connection bar's drop-down list as its name with what
// the port is on a second line (the item's DescriptionRole text), so the
// operator can tell the gateway from a modem or an adapter.
class PortItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    static constexpr int DescriptionRole = Qt::UserRole + 1;

    using QStyledItemDelegate::QStyledItemDelegate;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

}  // namespace tulvo
