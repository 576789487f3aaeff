#include "ui/main/subscriber_editor.h"

#include <QButtonGroup>
#include <QShortcut>

#include "model/new_subscriber_defaults.h"
#include "model/t_data.h"
#include "ui/cp1251_text.h"
#include "ui/main/key_filter_validator.h"
#include "ui/main/subscriber_grid_view.h"
#include "ui_form1.h"

namespace tulvo {

namespace {

const char* const kEnterPhone = "Введите номер телефона абонента!";

// An empty (or unconvertible) box stores 0.
std::uint32_t NumberOf(const QString& text) {
    bool ok = false;
    const std::uint32_t value = text.toUInt(&ok);
    return ok ? value : 0;
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
    // The limit controls follow their box from the first showing on, also
    // on an empty row, where the editor does not load the limit.
    EnableLimitControls(ui_.CheckBox9->isChecked());
    Wire();
}

void SubscriberEditor::Wire() {
    for (QLineEdit* edit : {ui_.Edit1, ui_.Edit2, ui_.Edit3, ui_.Edit4, ui_.Edit5}) {
        connect(edit, &QLineEdit::textChanged, this, &SubscriberEditor::Edit1Change);
    }
    // Only a change of the text the box shows counts: when focus leaves the
    // box, Qt selects the item matching the typed text, which changes the
    // index but not what the operator sees.
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
    WireKeys();
}

void SubscriberEditor::WireKeys() {
    const auto bind = [this](QKeySequence key, QToolButton* button) {
        auto* shortcut = new QShortcut(key, ui_.Panel2);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, button, [button] {
            if (button->isEnabled()) {
                button->click();
            }
        });
    };
    bind(QKeySequence(Qt::Key_Return), ui_.SpeedButton1);
    bind(QKeySequence(Qt::Key_Enter), ui_.SpeedButton1);
    bind(QKeySequence(Qt::Key_Escape), ui_.SpeedButton2);
}

bool SubscriberEditor::HasUnconfirmedChanges() const {
    return ui_.SpeedButton1->isEnabled();
}

bool SubscriberEditor::ApplyChanges() {
    SpeedButton1Click();
    return !HasUnconfirmedChanges();
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

int SubscriberEditor::ShownGroup() const {
    bool ok = false;
    const int group = ui_.ComboBox1->currentText().trimmed().toInt(&ok);
    return ok && group >= 1 && group <= 8 ? group : 0;
}

void SubscriberEditor::ShowGroup(int group) {
    // Index -1 also clears text typed into the box.
    ui_.ComboBox1->setCurrentIndex(group >= 1 && group <= 8 ? group - 1 : -1);
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
    KeyFilterValidator::SetText(ui_.Edit2, FromCp1251(phone.Numbers()));
    KeyFilterValidator::SetText(ui_.Edit3, QString::number(info.LimIn()));
    KeyFilterValidator::SetText(ui_.Edit4, QString::number(info.LimOut()));
    // Each box runs its handler as it is set, so the default line's access
    // box ends checked even when the record lacks that bit.
    SetDefaultLine(info.DL());
    const std::uint8_t flag = info.FLAG();
    const std::uint8_t lm = info.LM();
    ui_.CheckBox4->setChecked(flag & AbInfoRecord::kActivation);
    ui_.CheckBox1->setChecked(lm & AbInfoRecord::kLineConference);
    ui_.CheckBox5->setChecked(lm & AbInfoRecord::kLineFxo);
    ui_.CheckBox6->setChecked(lm & AbInfoRecord::kLineFxs);
    ui_.CheckBox2->setChecked(flag & AbInfoRecord::kLongDistance);
    ui_.CheckBox3->setChecked(flag & AbInfoRecord::kCallBack);
    ui_.CheckBox7->setChecked(!(flag & AbInfoRecord::kUssdBarred));
    KeyFilterValidator::SetText(ui_.Edit5, FromCp1251(info.Password()));
    ShowGroup(info.GroupNumber());
    ShowLimit(n);
    SetButtons(false, false, true);
    editorReady_ = true;
}

void SubscriberEditor::StoreSubscriber(int n) {
    AbInfoRecord info = image_.AbInfo(n);
    NameEntry& name = image_.Name(n);
    name.AbFNS = ToCp1251(ui_.Edit1->text());
    name.AbIdCod = static_cast<std::int32_t>(info.ID());
    image_.AbPhone(n).StoreNumbers(static_cast<std::uint16_t>(n - 1), ToCp1251(ui_.Edit2->text()));
    info.StoreLineAccess(ui_.CheckBox5->isChecked(), ui_.CheckBox6->isChecked(),
                         ui_.CheckBox1->isChecked());
    info.StoreRights(ui_.CheckBox3->isChecked(), ui_.CheckBox2->isChecked(),
                     ui_.CheckBox4->isChecked(), ui_.CheckBox7->isChecked());
    info.SetLimIn(NumberOf(ui_.Edit3->text()));
    info.SetLimOut(NumberOf(ui_.Edit4->text()));
    info.SetDL(static_cast<std::uint8_t>(DefaultLine()));
    info.StoreGroup(ShownGroup());
    info.StampEditorStore();
    hooks_.fillGrid();
}

void SubscriberEditor::SpeedButton7Click(int n) {
    const NewSubscriberDefaults defaults;
    ui_.Edit1->clear();
    ui_.Edit2->clear();
    ui_.Edit3->setText(QString::number(defaults.limIn));
    ui_.Edit4->setText(QString::number(defaults.limOut));
    ui_.Edit5->clear();
    ShowGroup(defaults.group);
    ui_.CheckBox2->setChecked(defaults.longDistance);
    ui_.CheckBox4->setChecked(defaults.activation);
    ui_.CheckBox3->setChecked(defaults.callBack);
    ui_.CheckBox5->setChecked(defaults.lineFxo);
    ui_.CheckBox6->setChecked(defaults.lineFxs);
    ui_.CheckBox1->setChecked(defaults.lineConference);
    SetDefaultLine(defaults.defaultLine);
    image_.ReserveIdCode(n);
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
    AbInfoRecord info = image_.AbInfo(n);
    info.SetFLAG(info.FLAG() & ~AbInfoRecord::kEmpty);
    hooks_.saveSlot(n);
    // The box shows the group just stored: typed text that names no group
    // is cleared, so what the operator sees is what the slot holds.
    editorReady_ = false;
    ShowGroup(info.GroupNumber());
    editorReady_ = true;
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
    image_.AbPhone(n).StoreDeleted(static_cast<std::uint16_t>(n - 1));
    image_.AbInfo(n).StoreDeleted();
    hooks_.saveSlot(n);
    ShowSubscriber(n, false);
    hooks_.fillGrid();
    SpeedButton7Click(n);
    SetButtons(false, false, false);
    // Disabling the editor would hand focus to the next control still
    // enabled ("Разрешить USSD"), where a stray Space would toggle it.
    ui_.StringGrid1->setFocus();
}

void SubscriberEditor::CheckBox9Click() {
    const bool on = ui_.CheckBox9->isChecked();
    EnableLimitControls(on);
    image_.AbLimit(hooks_.currentRow()).SetLimitOn(on);
}

}  // namespace tulvo
