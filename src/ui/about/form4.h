#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TForm4;
}

namespace tulvo {

// The About box: program name, version and the maker's web address, shown
// as text. Created when opened, destroyed after.
class TForm4 : public QDialog {
    Q_OBJECT
  public:
    explicit TForm4(QWidget* owner = nullptr);
    ~TForm4() override;

    static constexpr const char* kWebAddress = "www.zarq-tulvo.example";

    // Create, show modally, destroy.
    static void ShowAbout(QWidget* owner);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    std::unique_ptr<Ui::TForm4> ui_;
};

}  // namespace tulvo
