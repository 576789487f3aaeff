#include "main/subscriber_editor.h"

#include <QButtonGroup>
#include <algorithm>

#include "main/key_filter_validator.h"
#include "main/subscriber_grid_model.h"
#include "model/cp1251.h"
#include "model/t_data.h"
#include "ui_form1.h"

namespace tulvo {

namespace {

constexpr std::uint8_t kLineBitsBase = 0x38;
constexpr int kStampDay = 1;
constexpr int kStampMonth = 1;
constexpr int kStampYear = 2035;
const char* const kEnterPhone = "Введите номер телефона абонента!";

QString FromCp1251(const std::string& bytes) {
    return QString::fromStdString(Cp1251ToUtf8(bytes));
}

std::string ToCp1251(const QString& text) {
    return Utf8ToCp1251(text.toStdString());
}

// An empty (or unconvertible) box stores 0.
std::uint32_t NumberOf(const QString& text) {
    bool ok = false;
    const std::uint32_t value = text.toUInt(&ok);
    return ok ? value : 0;
}

// "Main/short": the main number runs to the first "/" or "\"; every later
// character except the separators belongs to the short number.
void SplitPhone(const std::string& text, std::string& main, std::string& shortNumber) {
    const std::size_t cut = text.find_first_of("/\\");
    main = text.substr(0, cut);
    shortNumber.clear();
    if (cut == std::string::npos) {
        return;
    }
    for (std::size_t i = cut + 1; i < text.size(); ++i) {
        if (text[i] != '/' && text[i] != '\\') {
            shortNumber += text[i];
        }
    }
}

}  // namespace

SubscriberEditor::SubscriberEditor(Ui::TForm1& ui, TData& image, Hooks hooks, QObject* parent)
    : QObject(parent),
      ui_(ui),
      image_(image),
      hooks_(std::move(hooks)),
      lines_(new QButtonGroup(this)) {
    lines_->addButton(ui_.RadioGroup1Item0, 0);
    lines_->addButton(ui_.RadioGroup1Item1, 1);
    lines_->addButton(ui_.RadioGroup1Item2, 2);
    for (int g = 1; g <= 8; ++g) {
        ui_.ComboBox1->addItem(QString::number(g));
    }
    // Typed text never becomes a list item; it only leaves the list without
    // a choice until an item is picked again.
    ui_.ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    new KeyFilterValidator(&TestPhoneKey, 0, ui_.Edit2);
    new KeyFilterValidator(&TestKey, 4, ui_.Edit3);
    new KeyFilterValidator(&TestKey, 4, ui_.Edit4);
    new KeyFilterValidator(&TestKey, 7, ui_.Edit5);
    new KeyFilterValidator(&TestKey, 6, ui_.Edit6);
    // Disabled boxes take the panel's colour whatever the style's own choice.
    const QColor panel = ui_.Panel2->palette().color(QPalette::Window);
    for (QWidget* w : std::initializer_list<QWidget*>{ui_.Edit1, ui_.Edit2, ui_.Edit3, ui_.Edit4,
                                                      ui_.Edit5, ui_.ComboBox1}) {
        QPalette palette = w->palette();
        palette.setColor(QPalette::Disabled, QPalette::Base, panel);
        w->setPalette(palette);
    }
    SetButtons(false, false, false);
    Wire();
}

void SubscriberEditor::Wire() {
    for (QLineEdit* edit : {ui_.Edit1, ui_.Edit2, ui_.Edit3, ui_.Edit4, ui_.Edit5}) {
        connect(edit, &QLineEdit::textChanged, this, &SubscriberEditor::Edit1Change);
    }
    connect(ui_.ComboBox1->lineEdit(), &QLineEdit::textEdited, this,
            [this] { groupTyped_ = true; });
    connect(ui_.ComboBox1, &QComboBox::currentIndexChanged, this, [this] { groupTyped_ = false; });
    connect(ui_.ComboBox1, &QComboBox::activated, this, [this] { groupTyped_ = false; });
    connect(ui_.ComboBox1, &QComboBox::currentIndexChanged, this, &SubscriberEditor::Edit1Change);
    connect(ui_.ComboBox1, &QComboBox::editTextChanged, this, &SubscriberEditor::Edit1Change);
    for (QCheckBox* box : {ui_.CheckBox2, ui_.CheckBox3, ui_.CheckBox4, ui_.CheckBox7}) {
        connect(box, &QCheckBox::toggled, this, &SubscriberEditor::Edit1Change);
    }
    connect(lines_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked) {
            RadioGroup1Click(id);
        }
    });
    connect(ui_.CheckBox5, &QCheckBox::toggled, this, [this](bool on) { LineAccessClick(0, on); });
    connect(ui_.CheckBox6, &QCheckBox::toggled, this, [this](bool on) { LineAccessClick(1, on); });
    connect(ui_.CheckBox1, &QCheckBox::toggled, this, [this](bool on) { LineAccessClick(2, on); });
    connect(ui_.CheckBox9, &QCheckBox::clicked, this, &SubscriberEditor::CheckBox9Click);
    connect(ui_.SpeedButton1, &QToolButton::clicked, this, &SubscriberEditor::SpeedButton1Click);
    connect(ui_.SpeedButton2, &QToolButton::clicked, this, &SubscriberEditor::StringGrid1DblClick);
    connect(ui_.SpeedButton6, &QToolButton::clicked, this, &SubscriberEditor::SpeedButton6Click);
}

void SubscriberEditor::Edit1Change() {
    if (editorReady_) {
        ui_.SpeedButton1->setEnabled(true);
        ui_.SpeedButton2->setEnabled(true);
    }
}

void SubscriberEditor::RadioGroup1Click(int line) {
    QCheckBox* access[] = {ui_.CheckBox5, ui_.CheckBox6, ui_.CheckBox1};
    access[line]->setChecked(true);
    Edit1Change();
}

// The access box of the default line cannot be cleared. Only the conference
// box counts as a change of the subscriber on its own.
void SubscriberEditor::LineAccessClick(int line, bool checked) {
    QCheckBox* access[] = {ui_.CheckBox5, ui_.CheckBox6, ui_.CheckBox1};
    if (!checked && DefaultLine() == line) {
        access[line]->setChecked(true);
    }
    if (line == 2) {
        Edit1Change();
    }
}

int SubscriberEditor::DefaultLine() const {
    return lines_->checkedId();
}

void SubscriberEditor::SetDefaultLine(int line) {
    if (line >= 0 && line <= 2) {
        lines_->button(line)->setChecked(true);
        return;
    }
    // A value the group does not offer shows no choice.
    lines_->setExclusive(false);
    for (QAbstractButton* button : lines_->buttons()) {
        button->setChecked(false);
    }
    lines_->setExclusive(true);
}

int SubscriberEditor::GroupIndex() const {
    return groupTyped_ ? -1 : ui_.ComboBox1->currentIndex();
}

int SubscriberEditor::ShownSlot() const {
    return ui_.Label9->text().toInt();
}

void SubscriberEditor::SetButtons(bool ok, bool cancel, bool remove) {
    ui_.SpeedButton1->setEnabled(ok);
    ui_.SpeedButton2->setEnabled(cancel);
    ui_.SpeedButton6->setEnabled(remove);
}

void SubscriberEditor::EnableEditor(bool on) {
    for (QWidget* w : std::initializer_list<QWidget*>{
             ui_.Edit1, ui_.Edit2, ui_.Edit3, ui_.Edit4, ui_.Edit5, ui_.ComboBox1, ui_.CheckBox1,
             ui_.CheckBox2, ui_.CheckBox3, ui_.CheckBox4, ui_.CheckBox5, ui_.CheckBox6,
             ui_.RadioGroup1}) {
        w->setEnabled(on);
    }
}

void SubscriberEditor::EnableLimitControls(bool on) {
    for (QWidget* w : std::initializer_list<QWidget*>{
             ui_.Edit6, ui_.Edit7, ui_.Label19, ui_.Label20, ui_.CheckBox10, ui_.CheckBox11}) {
        w->setEnabled(on);
    }
}

void SubscriberEditor::ShowLimit(int n) {
    const ConstAbLimitRecord limit = std::as_const(image_).AbLimit(n);
    const std::uint32_t t = limit.LimitSeconds();
    ui_.Edit7->setText(QStringLiteral("%1мин %2сек").arg(t / 60).arg(t % 60));
    ui_.CheckBox9->setChecked(limit.LimitOn());
    ui_.CheckBox11->setChecked(limit.LimitOut());
    ui_.CheckBox10->setChecked(limit.LimitIn());
    EnableLimitControls(ui_.CheckBox9->isChecked());
}

void SubscriberEditor::ShowSubscriber(int n, bool editable) {
    editorReady_ = false;
    EnableEditor(editable);
    ui_.Label9->setText(QString::number(n));
    const TData& image = image_;
    const ConstAbInfoRecord info = image.AbInfo(n);
    const ConstAbPhoneRecord phone = image.AbPhone(n);
    ui_.Edit1->setText(FromCp1251(image.Name(n).AbFNS));
    const std::string out = phone.PhoneOut();
    KeyFilterValidator::SetText(
        ui_.Edit2, FromCp1251(out.empty() ? phone.PhoneIn() : phone.PhoneIn() + "/" + out));
    KeyFilterValidator::SetText(ui_.Edit3, QString::number(info.LimIn()));
    KeyFilterValidator::SetText(ui_.Edit4, QString::number(info.LimOut()));
    // Each box runs its handler as it is set, so the default line's access
    // box ends checked even when the record lacks that bit.
    SetDefaultLine(info.DL());
    const std::uint8_t flag = info.FLAG();
    const std::uint8_t lm = info.LM();
    ui_.CheckBox4->setChecked(flag & AbInfoRecord::kActivation);
    ui_.CheckBox1->setChecked(lm & 0x04);
    ui_.CheckBox5->setChecked(lm & 0x01);
    ui_.CheckBox6->setChecked(lm & 0x02);
    ui_.CheckBox2->setChecked(flag & AbInfoRecord::kLongDistance);
    ui_.CheckBox3->setChecked(flag & AbInfoRecord::kCallBack);
    ui_.CheckBox7->setChecked(!(flag & AbInfoRecord::kUssdBarred));
    KeyFilterValidator::SetText(ui_.Edit5, FromCp1251(info.Password()));
    ui_.ComboBox1->setCurrentIndex(SubscriberGridModel::GroupNumber(info.Gr()) - 1);
    groupTyped_ = false;
    ShowLimit(n);
    SetButtons(false, false, true);
    editorReady_ = true;
}

void SubscriberEditor::StoreSubscriber(int n) {
    const AbInfoRecord info = image_.AbInfo(n);
    const AbPhoneRecord phone = image_.AbPhone(n);
    NameEntry& name = image_.Name(n);
    name.AbFNS = ToCp1251(ui_.Edit1->text());
    name.AbIdCod = static_cast<std::int32_t>(info.ID());
    phone.SetPhoneIndex(static_cast<std::uint16_t>(n - 1));
    phone.SetFlagPhone(0);
    std::string main;
    std::string shortNumber;
    SplitPhone(ToCp1251(ui_.Edit2->text()), main, shortNumber);
    phone.SetPhoneIn(main);
    phone.SetPhoneLen(static_cast<std::uint8_t>(std::min<std::size_t>(shortNumber.size(), 255)));
    phone.SetPhoneOut(shortNumber);
    info.SetLM(kLineBitsBase | (ui_.CheckBox5->isChecked() ? 1 : 0) |
               (ui_.CheckBox6->isChecked() ? 2 : 0) | (ui_.CheckBox1->isChecked() ? 4 : 0));
    info.SetFLAG((ui_.CheckBox2->isChecked() ? AbInfoRecord::kLongDistance : 0) |
                 (ui_.CheckBox3->isChecked() ? AbInfoRecord::kCallBack : 0) |
                 (ui_.CheckBox4->isChecked() ? AbInfoRecord::kActivation : 0) |
                 (ui_.CheckBox7->isChecked() ? 0 : AbInfoRecord::kUssdBarred));
    info.SetLimIn(NumberOf(ui_.Edit3->text()));
    info.SetLimOut(NumberOf(ui_.Edit4->text()));
    info.SetDL(static_cast<std::uint8_t>(DefaultLine()));
    const int group = GroupIndex();
    info.SetGr(group >= 0 ? static_cast<std::uint8_t>(1u << group) : 0);
    info.SetDateStamp(kStampDay, kStampMonth, kStampYear);
    info.SetReserved1(0);
    info.SetReserved2(0);
    info.SetReserved3(0xFF);
    hooks_.fillGrid();
}

std::uint32_t SubscriberEditor::NextIdCode() const {
    std::uint32_t largest = 0;
    bool found = false;
    const TData& image = image_;
    for (int n = 1; n <= TData::kSubscribers; ++n) {
        const ConstAbInfoRecord info = image.AbInfo(n);
        const std::uint32_t id = info.ID();
        if (!info.Empty() && (id & 0x80000000u) == 0 && (!found || id > largest)) {
            largest = id;
            found = true;
        }
    }
    return found ? largest + 1 : 1;
}

void SubscriberEditor::SpeedButton7Click(int n) {
    const std::uint32_t id = NextIdCode();
    ui_.Edit1->clear();
    ui_.Edit2->clear();
    ui_.Edit3->setText(QStringLiteral("7200"));
    ui_.Edit4->setText(QStringLiteral("7200"));
    ui_.Edit5->clear();
    ui_.ComboBox1->setCurrentIndex(0);
    groupTyped_ = false;
    ui_.CheckBox2->setChecked(true);
    ui_.CheckBox4->setChecked(true);
    ui_.CheckBox3->setChecked(false);
    ui_.CheckBox5->setChecked(true);
    ui_.CheckBox6->setChecked(true);
    ui_.CheckBox1->setChecked(true);
    SetDefaultLine(0);
    // The identifier is reserved in the image at once; the slot stays empty
    // until "Ок".
    image_.AbInfo(n).SetID(id);
    image_.Name(n).AbIdCod = static_cast<std::int32_t>(id);
    EnableEditor(true);
}

void SubscriberEditor::FollowRow(int n) {
    if (n < 1 || n > TData::kSubscribers) {
        return;
    }
    if (!std::as_const(image_).AbInfo(n).Empty()) {
        ShowSubscriber(n, true);
        return;
    }
    editorReady_ = false;
    ui_.Label9->setText(QString::number(n));
    SpeedButton7Click(n);
    SetButtons(false, false, false);
    editorReady_ = true;
}

void SubscriberEditor::SpeedButton1Click() {
    if (ui_.Edit2->text().isEmpty()) {
        hooks_.message(kEnterPhone);
        return;
    }
    const int n = hooks_.currentRow();
    image_.AbInfo(n).SetPassword(ToCp1251(ui_.Edit5->text()));
    StoreSubscriber(n);
    const AbInfoRecord info = image_.AbInfo(n);
    info.SetFLAG(info.FLAG() & ~AbInfoRecord::kEmpty);
    hooks_.saveSlot(n);
    SetButtons(false, false, true);
}

void SubscriberEditor::StringGrid1DblClick() {
    const int n = hooks_.currentRow();
    hooks_.scrollRowToTop(n);
    if (std::as_const(image_).AbInfo(n).Empty()) {
        ui_.Label9->setText(QString::number(n));
        SpeedButton7Click(n);
    } else {
        ShowSubscriber(n, true);
    }
    ui_.SpeedButton1->setEnabled(false);
    ui_.SpeedButton2->setEnabled(false);
}

void SubscriberEditor::SpeedButton6Click() {
    const int n = ShownSlot();
    if (n < 1 || n > TData::kSubscribers) {
        return;
    }
    NameEntry& name = image_.Name(n);
    name.AbFNS.clear();
    name.AbIdCod = -1;
    const AbPhoneRecord phone = image_.AbPhone(n);
    phone.SetPhoneIndex(static_cast<std::uint16_t>(n - 1));
    phone.SetFlagPhone(0);
    phone.SetPhoneIn("");
    phone.SetPhoneOut("");
    const AbInfoRecord info = image_.AbInfo(n);
    info.SetLM(0);
    info.SetID(0xFFFFFFFFu);
    info.SetLimIn(0);
    info.SetLimOut(0);
    info.SetDL(0);
    info.SetGr(1);
    info.SetDateStamp(kStampDay, kStampMonth, kStampYear);
    info.SetReserved1(0);
    info.SetReserved2(0);
    info.SetReserved3(0);
    info.SetFLAG(AbInfoRecord::kEmpty);
    hooks_.saveSlot(n);
    ShowSubscriber(n, false);
    hooks_.fillGrid();
    SpeedButton7Click(n);
    SetButtons(false, false, false);
}

void SubscriberEditor::CheckBox9Click() {
    const bool on = ui_.CheckBox9->isChecked();
    EnableLimitControls(on);
    image_.AbLimit(hooks_.currentRow()).SetLimitOn(on);
}

}  // namespace tulvo
