#pragma once

#include <QDialog>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace Ui {
class TTrafficLogForm;
}

namespace tulvo {

class Operator;
class TraceLog;

// "Журнал обмена": the link's traffic of this run, one line per request,
// reply and trouble, shown live while operations run beside the main window
// (not modal). "Только ошибки" keeps only the failed attempts and the
// trouble around them, "Сохранить…" writes what is shown to a file,
// "Очистить" forgets the lines kept so far.
class TTrafficLogForm : public QDialog {
    Q_OBJECT
  public:
    // How often the window fetches new lines from the log, in milliseconds.
    static constexpr int kRefreshMs = 200;

    TTrafficLogForm(TraceLog& log, Operator& op, QWidget* parent = nullptr);
    ~TTrafficLogForm() override;

    // Chooses the file "Сохранить…" writes; empty when the operator
    // cancelled. Tests replace the dialog here.
    using PathChooser = std::function<QString()>;
    void SetPathChooser(PathChooser chooser) { pathChooser_ = std::move(chooser); }

    // Files "Сохранить…" never replaces: the program's own data.
    void SetOwnFiles(std::vector<std::string> files) { ownFiles_ = std::move(files); }

    // Shows the lines recorded since the last look; public so tests can
    // drive it without waiting for the timer.
    void Timer1Timer();

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void CheckBox1Click();  // "Только ошибки": the view is built afresh
    void Button1Click();    // "Сохранить…"
    void Button2Click();    // "Очистить"
    void Rebuild();
    // The lines after `after` that the filter lets through, one per line.
    QString VisibleText(std::uint64_t after, std::uint64_t& last) const;
    QString ChooseFile();

    std::unique_ptr<Ui::TTrafficLogForm> ui_;
    TraceLog& log_;
    Operator& op_;
    QTimer timer1_;  // objectName "Timer1"
    PathChooser pathChooser_;
    std::vector<std::string> ownFiles_;
    std::uint64_t shownUpTo_ = 0;  // sequence of the last line looked at
};

}  // namespace tulvo
