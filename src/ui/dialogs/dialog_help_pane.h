#pragma once

#include <QList>
#include <QObject>
#include <QStringList>
#include <map>

class QListWidget;
class QWidget;

namespace tulvo {

// The help pane of a settings dialog: when a bound field gets focus, or a
// bound field or label is clicked, the list is cleared and filled with that
// field's lines.
class DialogHelpPane : public QObject {
    Q_OBJECT
  public:
    DialogHelpPane(QListWidget* list, QObject* parent = nullptr);

    // `widgets` show `lines` on focus and on a click; `labels` on a click.
    void Bind(const QStringList& lines, const QList<QWidget*>& widgets,
              const QList<QWidget*>& labels = {});

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
