#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <map>

#include "ui/main/help_texts.h"

class QGroupBox;
class QListWidget;
class QWidget;

namespace tulvo {

// The help pane of the main window: a field's focus, or a click on its label,
// fills the list with the field's lines; focus leaving the editor panel
// clears it (Panel2Exit).
class HelpPane : public QObject {
    Q_OBJECT
  public:
    HelpPane(QGroupBox* pane, QListWidget* list, QWidget* panel, QObject* parent = nullptr);

    // Shows topic when one of `fields` gets focus or one of `labels` is clicked.
    void Bind(HelpTexts::Topic topic, const QList<QWidget*>& fields,
              const QList<QWidget*>& labels = {});
    // Shows topic when `widget` is clicked (Edit7Exit).
    void BindClick(HelpTexts::Topic topic, QWidget* widget);

    void Show(HelpTexts::Topic topic);
    void Clear();
    // CheckBox8Click.
    void SetEnabled(bool enabled);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Panel2Exit(QWidget* old, QWidget* now);

    QGroupBox* pane_;
    QListWidget* list_;
    QWidget* panel_;
    std::map<QObject*, HelpTexts::Topic> onFocus_;
    std::map<QObject*, HelpTexts::Topic> onClick_;
};

}  // namespace tulvo
