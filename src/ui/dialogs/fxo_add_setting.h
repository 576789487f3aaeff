#pragma once

#include <QDialog>
#include <cstdint>
#include <memory>
#include <span>

namespace Ui {
class TFXOAddSetting;
}

namespace tulvo {

// The timing values of one line that the parameters dialog holds between
// its show and its "ОК". One byte each; which of them a variant edits is
// listed at TFXOAddSetting::Edit.
struct AddSettingValues {
    std::uint8_t firstDigitTimeout = 0;  // LMFT, seconds
    std::uint8_t interDigitTimeout = 0;  // LMNT, seconds
    std::uint8_t echoDepth = 0;          // 0..15
    std::uint8_t echoLength = 0;         // 0..15
    std::uint8_t ringTime1 = 0;          // item of ComboBox3
    std::uint8_t ringTime2 = 0;          // item of ComboBox4
    std::uint8_t flashTime = 0;          // 0..3
    std::uint8_t endSignal = 0;          // item of ComboBox5
    std::uint8_t endSignalTime = 0;      // 0..3
    bool busyControl = false;            // FXO FLAG bit 5

    bool operator==(const AddSettingValues&) const = default;
};

// "Доп. установки" of the FXO or the FXS line. The dialog never touches the
// image: the caller passes values in, and takes them back when the operator
// confirms.
class TFXOAddSetting : public QDialog {
    Q_OBJECT
  public:
    enum class Variant { Fxo, Fxs };

    // Time-outs the two combo boxes offer, in seconds.
    static constexpr int kFirstDigitTimeouts[] = {5, 7, 10, 15, 20, 25, 30, 35, 40};
    static constexpr int kInterDigitTimeouts[] = {3, 5, 10, 15, 20, 25, 30, 35, 40};

    explicit TFXOAddSetting(QWidget* owner = nullptr);
    ~TFXOAddSetting() override;

    void SetVariant(Variant variant);
    // The values passed in; FormShow shows them.
    void SetValues(const AddSettingValues& values);
    // What BitBtn1Click took from the controls (the values passed in until
    // then).
    const AddSettingValues& Values() const { return values_; }

    // The item whose value is nearest to `value`; of equally near items the
    // first. Any value selects an item, however far from the table.
    static int NearestItem(std::span<const int> table, int value);

    // Button1Click / Button2Click of the parameters dialog: passes in what the
    // variant edits, shows the dialog modally and, when the operator confirms,
    // copies back into `held` what the variant edits. True when confirmed.
    //   FXO: time-outs, echo, flash duration, busy control.
    //   FXS: time-outs, echo, ring timings, end signal and its duration.
    static bool Edit(QWidget* owner, Variant variant, AddSettingValues& held);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void FormShow();
    void BitBtn1Click();
    void TrackBar1Change(int position);
    void TrackBar2Change(int position);
    void TrackBar3Change(int position);
    void TrackBar4Change(int position);

    std::unique_ptr<Ui::TFXOAddSetting> ui_;
    AddSettingValues values_;
};

}  // namespace tulvo
