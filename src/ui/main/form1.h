#pragma once

#include <QMainWindow>
#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "actions/device_access.h"
#include "actions/device_link.h"
#include "actions/trace_log.h"
#include "store/window_options.h"
#include "ui/app_context.h"

namespace Ui {
class TForm1;
}

class QLabel;
class QProgressBar;

namespace tulvo {

class ConnectionBar;
class HelpPane;
class NetworkPortMenu;
class SubscriberEditor;
class SubscriberGridModel;
class TAcountCtrl;
class TForm12;
class TForm2;
class TForm6;
class TForm7;
class TTrafficLogForm;
class TrayController;

// The main window: the subscriber grid and its editor, the menus, the two
// toolbars, the connection bar, the help pane, the tray icon and the status
// bar. It owns the one protocol object and lends it to every window that
// talks to the gateway.
class TForm1 : public QMainWindow {
    Q_OBJECT
  public:
    explicit TForm1(AppContext& context, QWidget* parent = nullptr);
    // Stores the window options (FormDestroy).
    ~TForm1() override;

    // Chooses the file of the save (save = true) or load dialog; an empty
    // result means the operator cancelled. Tests replace the dialogs here.
    using PathChooser = std::function<QString(bool save)>;
    void SetPathChooser(PathChooser chooser);

    void FillGrid();
    std::string GetPortName() const;
    TPortMost& PortMost() { return link_.Port(); }
    DeviceAccess Device();
    SubscriberEditor& Editor() { return *editor_; }
    NetworkPortMenu& NetworkPorts() { return *networkPorts_; }
    const SubscriberGridModel& Grid() const { return *grid_; }

    // Long-lived windows created after this one. Each comes from a function
    // that is asked every time the window is opened, so the window can be
    // made on its first use.
    template <typename Window>
    using WindowSource = std::function<Window*()>;
    void SetTotalLimitWindow(WindowSource<TForm12> window) {
        totalLimitWindow_ = std::move(window);
    }
    void SetAccountWindow(WindowSource<TAcountCtrl> window) { accountWindow_ = std::move(window); }
    // Enables "GSM шлюза" and "Настройка", which show it modally.
    void SetParametersWindow(WindowSource<TForm2> window);
    void SetBlackListWindow(WindowSource<TForm7> window) { blackListWindow_ = std::move(window); }
    // Enables "База звонков", which shows it modally.
    void SetCallLogWindow(WindowSource<TForm6> window);

    void N4Click();            // "Выход": closes the window, no questions asked
    void N12Click();           // "Чтение"
    void N13Click();           // "Запись"
    void SpeedButton8Click();  // save to file
    void SpeedButton9Click();  // load from file
    // A file named on the command line: asks whether to load it, then loads
    // it as "Загрузить из файла" does.
    void OfferConfigFile(const QString& path);
    void IMEI1Click();          // device information
    void N9Click();             // account balance
    void N7Click();             // total time limit
    void N8Click();             // About box
    void N14Click();            // "База звонков"
    void N5Click();             // device parameters
    void N6Click();             // alarm system dialog
    void N15Click();            // black/white list dialog
    void N09Click();            // device identifier
    void PIN1Click();           // SIM PIN
    void SpeedButton81Click();  // hide to the tray
    void SpeedButton29Click();  // write the subscriber's total limit
    void CheckBox8Click();      // help pane on/off
    void TrafficLog1Click();    // "Журнал обмена"

    // Before an action that would leave typed editor changes behind: asks
    // whether to store them ("Да"), drop them ("Нет") or call the action off
    // ("Отмена"). True when the action may go on.
    bool SettleEditorChanges();
    // Loads a configuration file into the image and the grid, as
    // "Загрузить" does once a file is chosen.
    void LoadConfigFrom(const QString& path);

  protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    // The window manager's close button asks about typed changes as "Выход"
    // does; a close ordered by the program (a signal, the session's end) does not.
    void closeEvent(QCloseEvent* event) override;

  private:
    void FormCreate();
    void FormShow();
    void FormDestroy();
    MainWindowOptions CurrentOptions() const;
    void SetUpWindow();
    void FitWindow();
    // The window's content (grid, editor, help pane) scrolls when the
    // screen is too small for it.
    void ScrollCentralContent();
    int DesignedHeight(int width) const;
    void SetUpIcons();
    void SetUpStatusBar();
    void SetUpHelp();
    void ConnectActions();
    void SetUpKeys();
    void ExitAsked();  // "Выход" from the menu or Ctrl+Q
    void ConnectGrid();
    // Connects a control's signal to a handler that runs guarded: an
    // exception shows its text in an error box and the program goes on.
    template <typename Sender, typename Signal>
    void Bind(Sender* sender, Signal signal, void (TForm1::*handler)());
    QString ChooseFile(bool save);

    // Opens the one traffic log window of the run, beside this one.
    void ShowTrafficLog();

    AppContext& context_;
    std::unique_ptr<Ui::TForm1> ui_;
    // Every exchange of the link is kept here (bounded), so the traffic log
    // window shows a failure that happened before it was opened. Declared
    // before the link, which reports to it until it is destroyed.
    TraceLog traceLog_;
    DeviceLink link_;
    TTrafficLogForm* trafficLog_ = nullptr;  // made on first use, a child of this window
    SubscriberGridModel* grid_;
    SubscriberEditor* editor_ = nullptr;
    ConnectionBar* connectionBar_ = nullptr;
    NetworkPortMenu* networkPorts_ = nullptr;
    HelpPane* helpPane_ = nullptr;
    TrayController* tray_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    WindowSource<TForm12> totalLimitWindow_;
    WindowSource<TAcountCtrl> accountWindow_;
    WindowSource<TForm2> parametersWindow_;
    WindowSource<TForm7> blackListWindow_;
    WindowSource<TForm6> callLogWindow_;
    QWidget* content_ = nullptr;  // the scrolled central content
    PathChooser pathChooser_;
    bool shown_ = false;
    bool painted_ = false;
};

}  // namespace tulvo
