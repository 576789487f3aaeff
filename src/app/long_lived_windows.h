#pragma once

#include <QObject>
#include <functional>
#include <memory>

namespace tulvo {

struct AppContext;
class ShutdownGate;
class TAcountCtrl;
class TForm1;
class TForm12;
class TForm2;
class TForm6;
class TForm7;

// The windows that live for the whole run once they exist. The main window
// is made at once; the call-log window right after the main window's first
// paint (it loads its table file then, and a file it cannot read is reported
// at start-up as before); the parameters, black/white list, total limit and
// account windows when they are first opened. Destroying this destroys them
// in their order, the main window last, each storing its options as it goes.
class LongLivedWindows : public QObject {
    Q_OBJECT
  public:
    LongLivedWindows(AppContext& context, ShutdownGate& shutdownGate);
    ~LongLivedWindows() override;

    TForm1& Main() { return *main_; }

    // Runs once the main window has been painted for the first time, after
    // the events already waiting: start-up's messages, then FinishStartUp.
    void AfterFirstPaint(std::function<void()> then);
    // Makes the windows start-up still owes: the call-log window.
    void FinishStartUp();
    // Saves the call log's edited rows, as the program does before it stores
    // the image at exit.
    void SaveCallLogIfEdited();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    TForm2* Parameters();
    TForm6* CallLog();
    TForm7* BlackList();
    TForm12* TotalLimit();
    TAcountCtrl* Account();

    AppContext& context_;
    ShutdownGate& shutdownGate_;
    std::function<void()> afterFirstPaint_;
    std::unique_ptr<TForm1> main_;
    std::unique_ptr<TForm2> parameters_;
    std::unique_ptr<TForm6> callLog_;
    std::unique_ptr<TForm7> blackList_;
    std::unique_ptr<TForm12> totalLimit_;
    std::unique_ptr<TAcountCtrl> account_;
};

}  // namespace tulvo
