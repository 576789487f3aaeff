#pragma once

#include <QObject>
#include <cstdint>
#include <functional>

class QButtonGroup;

namespace Ui {
class TForm1;
}

namespace tulvo {

class TData;

// The subscriber editor in Panel2: loads a slot into its controls, stores
// them back, prepares new subscribers, tracks changes and keeps the default
// line's access box checked. The slot numbers are 1 to 300.
//
// States: Shown (a used slot, only "Удалить" on), New (an empty slot with
// defaults, all three buttons off), Modified ("Ок" and "Отмена" on).
class SubscriberEditor : public QObject {
    Q_OBJECT
  public:
    struct Hooks {
        std::function<int()> currentRow;      // the grid's current row
        std::function<void()> fillGrid;       // rebuild the grid from the image
        std::function<void(int n)> saveSlot;  // save one slot to the store
        std::function<void(int n)> scrollRowToTop;
        std::function<void(const char* text)> message;  // operator message
    };

    SubscriberEditor(Ui::TForm1& ui, TData& image, Hooks hooks, QObject* parent = nullptr);

    void ShowSubscriber(int n, bool editable);
    void StoreSubscriber(int n);
    // Prepares the editor for a new subscriber in empty slot n.
    void SpeedButton7Click(int n);
    void EnableEditor(bool on);

    // The grid moved to row n (click, arrow key, wheel): show it, dropping
    // unsaved changes.
    void FollowRow(int n);
    void SpeedButton1Click();    // "Ок"
    void StringGrid1DblClick();  // also "Отмена"
    void SpeedButton6Click();    // "Удалить"
    void CheckBox9Click();

    // The editor holds typed changes not yet stored with "Ок".
    bool HasUnconfirmedChanges() const;
    // "Ок"; true when the changes reached the slot, false when the operator
    // was told why not (an empty phone box).
    bool ApplyChanges();

    bool EditorReady() const { return editorReady_; }
    void SetEditorReady(bool ready) { editorReady_ = ready; }
    // The number shown in Label9.
    int ShownSlot() const;
    // Default line chosen in RadioGroup1: 0 FXO, 1 FXS, 2 conference, -1 none.
    int DefaultLine() const;
    // The group ComboBox1 shows, picked or typed: 1 to 8, or 0 for no group
    // (an empty box or text that names no group).
    int ShownGroup() const;

  private:
    void Wire();
    // Enter is "Ок" and Esc is "Отмена" anywhere in the editor panel.
    void WireKeys();
    void Edit1Change();
    void RadioGroup1Click(int line);
    void LineAccessClick(int line, bool checked);
    void SetDefaultLine(int line);
    void SetButtons(bool ok, bool cancel, bool remove);
    void EnableLimitControls(bool on);
    void ShowLimit(int n);
    void ShowGroup(int group);

    Ui::TForm1& ui_;
    TData& image_;
    Hooks hooks_;
    QButtonGroup* lines_;
    bool editorReady_ = false;
};

}  // namespace tulvo
