#pragma once

#include <QMessageBox>
#include <QObject>
#include <memory>
#include <string>

#include "model/operator.h"

namespace tulvo {

// Operator that shows message boxes. Calls from a worker thread block on a
// queued call into the user-interface thread until the box is acknowledged.
class QtOperator : public QObject, public Operator {
    Q_OBJECT
  public:
    // The title of every box: the program's caption.
    static constexpr const char* kCaption = "Конфигуратор TulvoUniversal";

    explicit QtOperator(QWidget* parentWindow = nullptr);

    // The window the boxes are centred on; may change as windows come and go.
    void SetParentWindow(QWidget* window);
    QWidget* ParentWindow() const { return parentWindow_; }

    void Message(const std::string& text) override;
    void MessageWithDetail(const std::string& text, const std::string& detail) override;
    void Error(const std::string& text) override;
    void ErrorWithDetail(const std::string& text, const std::string& detail) override;
    bool AskYesNo(const std::string& text) override;
    Choice AskAbortIgnoreCancel(const std::string& text) override;
    Answer AskYesNoCancel(const std::string& text) override;
    // The parent window, as a QWidget*; another kind of handle is ignored.
    std::any BoxOwner() const override;
    void SetBoxOwner(const std::any& window) override;

    // The text of every box's OK button.
    static constexpr const char* kOkText = "ОК";

    // A box as this operator shows it: the program's caption whole in its
    // title bar, and its OK button written as the program's dialogs write it.
    static std::unique_ptr<QMessageBox> Box(QMessageBox::Icon icon, const QString& text,
                                            QMessageBox::StandardButtons buttons, QWidget* parent);
    // The question of AskYesNoCancel ("Да" the default, Esc "Отмена").
    static std::unique_ptr<QMessageBox> YesNoCancelBox(const QString& text, QWidget* parent);

  private:
    // Runs fn on the thread that owns this object, waiting for it to finish.
    template <typename Fn>
    void OnUiThread(Fn&& fn);

    void ShowInformation(const QString& text, const QString& detail = {});
    void ShowCritical(const QString& text, const QString& detail);
    bool ShowYesNo(const QString& text);
    Choice ShowAbortIgnoreCancel(const QString& text);
    Answer ShowYesNoCancel(const QString& text);

    QWidget* parentWindow_;
};

}  // namespace tulvo
