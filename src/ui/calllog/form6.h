#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "actions/device_access.h"
#include "calllog/call_log_filter.h"
#include "calllog/call_log_storage.h"
#include "calllog/call_log_table.h"

class QComboBox;
class QLabel;
class QProgressBar;

namespace Ui {
class TForm6;
}

namespace tulvo {

class CallLogModel;
class Operator;
class TData;

// "База звонков": the call-log table in a grid, the filter panel, the
// download from the gateway, the report export and the clearing. Created
// once at start-up (it loads the table's file then) and shown modally by the
// main window; the table is saved after every download and clearing, when
// the window closes after an edit, and at program end after an edit.
class TForm6 : public QDialog {
    Q_OBJECT
  public:
    TForm6(TData& image, Operator& op, DeviceAccess device, const std::string& dataDir,
           QWidget* parent = nullptr);
    ~TForm6() override;

    // Chooses the report file; empty when the operator cancelled. Tests
    // replace the save dialog here.
    using PathChooser = std::function<QString()>;
    void SetPathChooser(PathChooser chooser);

    CallLogTable& Table() { return table_; }
    CallLogModel& Model() { return *model_; }
    const CallLogStorage& Storage() const { return storage_; }
    QString StatusText() const;
    // What the download is reading within its block ("запись 5 из 17").
    QString RecordText() const;
    const QProgressBar& ProgressBar() const { return *progressBar_; }

    // Saves the table if a cell was edited since the last save.
    void SaveIfEdited();
    // Saves the table's changes into the file as it is now; the grid then
    // shows the file, rows other programs saved included.
    bool SaveTable();

    void SpeedButton7Click();  // "Считать"
    void SpeedButton1Click();  // "Фильтр"
    void SpeedButton2Click();  // "Экспорт в Excel"
    void SpeedButton5Click();  // "Очистка базы"
    void SpeedButton4Click();  // "Применить"
    void SpeedButton9Click();  // "Скрыть"

  protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FormShow();
    void SetUpGrid();
    void SetUpStatusBar();
    void ConnectControls();
    bool Edit1KeyPress(QChar key);
    void SetBusy(bool busy);
    void SetStatusText(const QString& text);
    QString ChooseReportFile();
    SubscriberCondition SubscriberOfItem(const QComboBox* list) const;

    std::unique_ptr<Ui::TForm6> ui_;
    TData& image_;
    Operator& op_;
    DeviceAccess device_;
    CallLogStorage storage_;
    CallLogTable table_;
    std::unique_ptr<CallLogModel> model_;
    QLabel* statusText_ = nullptr;
    QLabel* recordText_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    PathChooser pathChooser_;
    std::vector<std::int32_t> filterIds_ = std::vector<std::int32_t>(305, 0);
    bool patternOpen_ = false;
    bool busy_ = false;
};

}  // namespace tulvo
