#pragma once

#include <QDialog>
#include <array>
#include <cstdint>
#include <memory>

namespace Ui {
class TForm7;
}

class QCheckBox;
class QLabel;
class QLineEdit;
class QTableView;
class QToolButton;

namespace tulvo {

class BlackListGridModel;
class DialogHelpPane;
class Operator;
class RegistryStore;
class TData;

// "Черный/Белый список": the black and white lists in two grids, each with
// an editor that writes into the image's list entries 1 to 186 at once.
// "ОК" keeps the list by saving it to the store, "Отмена" throws the changes
// away by loading it back. Lives for the whole run.
class TForm7 : public QDialog {
    Q_OBJECT
  public:
    enum Tab { kBlack = 0, kWhite = 1 };

    TForm7(TData& image, RegistryStore& store, Operator& op, QWidget* parent = nullptr);
    ~TForm7() override;

    const BlackListGridModel& Grid(Tab tab) const;

    // The highest entry "Добавить" may take: the gateway is sent entries up to
    // this one, so an entry above it would never leave the program.
    static constexpr int kLastAddedEntry = 185;

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Editor {
        QTableView* grid;
        BlackListGridModel* model;
        QLabel* number;
        QLineEdit* prefix;
        std::array<QCheckBox*, 8> groups;
        std::array<QCheckBox*, 4> directions;
        QToolButton* add;
        QToolButton* remove;
        QToolButton* edit;
        std::uint8_t listBit;
    };

    void SetUpEditors();
    void SetUpGrid(Editor& editor);
    void SetUpHelp();
    void Connect();
    // Connects a signal to a handler of one tab, run guarded.
    template <typename Sender, typename Signal>
    void Bind(Sender* sender, Signal signal, void (TForm7::*handler)(Tab), Tab tab);

    void FormShow();
    void PageControl1Change();
    void StringGridMouseDown(Tab tab, Qt::MouseButton button, const QPoint& at);
    void EditorChanged(Tab tab);  // a key in the prefix or a box clicked
    void AddClick(Tab tab);
    void EditClick(Tab tab);
    void DeleteClick(Tab tab);
    void SpeedButton1Click();  // "ОК"
    void SpeedButton2Click();  // "Отмена"
    void CheckBox1Click();     // help pane on/off

    void RebuildGrids();
    void LoadEntry(Tab tab, int entry);
    void StoreEditor(Tab tab, int entry);
    void ScrollToEntry(Tab tab, int entry);
    void ShowTabHelp();
    int ShownEntry(Tab tab) const;

    TData& image_;
    RegistryStore& store_;
    Operator& op_;
    std::unique_ptr<Ui::TForm7> ui_;
    DialogHelpPane* help_ = nullptr;
    std::array<Editor, 2> editors_{};
};

}  // namespace tulvo
