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
// is made at once and the others are not needed for its first paint: the
// call-log window is made by FinishStartUp, once the main window is on
// screen (it loads its table file then, so a file it cannot read is still
// told at start-up); the parameters, black/white list, total limit and
// account windows when they are first opened, and any of them sooner if it
// is opened sooner. Destroying this destroys them in their order, the main
// window last, each storing its options as it goes; the parameters
// dialog's option gets its default when the dialog was never made.
class LongLivedWindows : public QObject {
    Q_OBJECT
  public:
    LongLivedWindows(AppContext& context, ShutdownGate& shutdownGate);
    ~LongLivedWindows() override;

    TForm1& Main() { return *main_; }

    // What start-up does once the main window is on screen (its messages,
    // FinishStartUp): run once, right after the window's first paint.
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
