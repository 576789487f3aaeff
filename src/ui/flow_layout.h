#pragma once

#include <QLayout>
#include <QList>
#include <vector>

namespace tulvo {

// Lays its items out in a row, as a horizontal box does, and wraps them onto
// further rows when the row is too narrow for them all, so a toolbar stays
// whole on a small screen. An expanding spacer takes its row's free room.
class FlowLayout : public QLayout {
    Q_OBJECT
  public:
    explicit FlowLayout(QWidget* parent = nullptr);
    ~FlowLayout() override;

    // Replaces the owner's box layout by a flow of the same items, with its
    // spacing and margins.
    static FlowLayout* Replace(QWidget& owner);

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect& rect) override;

  private:
    // Places the items inside rect (only measures unless apply); returns the
    // height they take.
    int Arrange(const QRect& rect, bool apply) const;
    int PlaceRow(const std::vector<QLayoutItem*>& row, const QRect& area, int y, bool apply) const;
    int GapBefore(const QLayoutItem* previous, QLayoutItem* item) const;

    QList<QLayoutItem*> items_;
};

}  // namespace tulvo
