#pragma once

#include <QList>
#include <QObject>
#include <QStringList>
#include <map>

class QListWidget;
class QWidget;

namespace tulvo {

// The help pane of a settings dialog: a list box that a control's focus, or a
// click on it, empties and fills with that control's fixed lines.
class HelpListBinder : public QObject {
    Q_OBJECT
  public:
    explicit HelpListBinder(QListWidget* list, QObject* parent = nullptr);

    // Shows lines when one of `fields` gets focus or is clicked.
    void OnFocusOrClick(const QStringList& lines, const QList<QWidget*>& fields);
    // Shows lines when one of `widgets` is clicked (labels, frames).
    void OnClick(const QStringList& lines, const QList<QWidget*>& widgets);

    void Show(const QStringList& lines);
    void Clear();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QListWidget* list_;
    std::map<QObject*, QStringList> onFocus_;
    std::map<QObject*, QStringList> onClick_;
};

}  // namespace tulvo
