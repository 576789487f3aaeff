#include "ui/main/port_item_delegate.h"

namespace tulvo {

void PortItemDelegate::initStyleOption(QStyleOptionViewItem* option,
                                       const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    const QString description = index.data(DescriptionRole).toString();
    if (!description.isEmpty()) {
        option->text += QChar::LineSeparator + description;
    }
}

}  // namespace tulvo
