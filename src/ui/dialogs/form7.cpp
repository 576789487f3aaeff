#include "ui/dialogs/form7.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTableView>
#include <QToolButton>
#include <algorithm>
#include <string>

#include "model/operator.h"
#include "model/t_data.h"
#include "store/image_store.h"
#include "ui/cp1251_text.h"
#include "ui/dialogs/black_list_grid_delegate.h"
#include "ui/dialogs/black_list_grid_model.h"
#include "ui/dialogs/dialog_help_pane.h"
#include "ui/dialogs/dialog_help_texts.h"
#include "ui/guarded_call.h"
#include "ui/main/key_filter_validator.h"
#include "ui_form7.h"

namespace tulvo {

namespace {

constexpr int kFirstDirectionBit = 2;
constexpr int kColumnWidths[BlackListGridModel::kColumns] = {34, 150, 24, 24, 24, 24, 24,
                                                             24, 24,  24, 86, 92, 86, 86};

bool TestPrefixKey(QChar key) {
    return key == u'+' || TestKey(key);
}

}  // namespace

TForm7::TForm7(TData& image, RegistryStore& store, Operator& op, QWidget* parent)
    : QDialog(parent), image_(image), store_(store), op_(op), ui_(std::make_unique<Ui::TForm7>()) {
    ui_->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    // A fixed size that follows the help pane: hiding it shrinks the window.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    SetUpEditors();
    SetUpHelp();
    Connect();
}

TForm7::~TForm7() = default;

const BlackListGridModel& TForm7::Grid(Tab tab) const {
    return *editors_[tab].model;
}

void TForm7::SetUpEditors() {
    editors_[kBlack] = Editor{
        ui_->StringGrid1,
        new BlackListGridModel(BlackListRecord::kBlack, this),
        ui_->Label24,
        ui_->Edit3,
        {ui_->CheckBox7, ui_->CheckBox8, ui_->CheckBox4, ui_->CheckBox9, ui_->CheckBox10,
         ui_->CheckBox11, ui_->CheckBox12, ui_->CheckBox13},
        {ui_->CheckBox28, ui_->CheckBox29, ui_->CheckBox30, ui_->CheckBox31},
        ui_->SpeedButton5,
        ui_->SpeedButton6,
        ui_->SpeedButton9,
        BlackListRecord::kBlack,
    };
    editors_[kWhite] = Editor{
        ui_->StringGrid2,
        new BlackListGridModel(BlackListRecord::kWhite, this),
        ui_->Label30,
        ui_->Edit4,
        {ui_->CheckBox15, ui_->CheckBox16, ui_->CheckBox14, ui_->CheckBox17, ui_->CheckBox18,
         ui_->CheckBox19, ui_->CheckBox20, ui_->CheckBox21},
        {ui_->Blm_Mob_FXO_Eable, ui_->Blm_Mob_Conf_Enable, ui_->Blm_FXO_Mob_Enable,
         ui_->Blm_FXS_Mob_Enable},
        ui_->SpeedButton7,
        ui_->SpeedButton8,
        ui_->SpeedButton10,
        BlackListRecord::kWhite,
    };
    for (Editor& editor : editors_) {
        SetUpGrid(editor);
        new KeyFilterValidator(&TestPrefixKey, 0, editor.prefix);
    }
}

void TForm7::SetUpGrid(Editor& editor) {
    QTableView* grid = editor.grid;
    grid->setModel(editor.model);
    grid->setItemDelegate(new BlackListGridDelegate(grid));
    grid->verticalHeader()->hide();
    grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->horizontalHeader()->setMinimumSectionSize(16);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    int width = 0;
    for (int column = 0; column < BlackListGridModel::kColumns; ++column) {
        grid->setColumnWidth(column, kColumnWidths[column]);
        width += kColumnWidths[column];
    }
    grid->setFixedWidth(width + grid->verticalScrollBar()->sizeHint().width() +
                        2 * grid->frameWidth());
    grid->viewport()->installEventFilter(this);
}

void TForm7::SetUpHelp() {
    using T = DialogHelpTexts::Topic;
    auto lines = [](T topic) { return DialogHelpTexts::Lines(topic); };
    help_ = new DialogHelpPane(ui_->ListBox1, this);
    help_->Bind(lines(T::BlackList), {ui_->Panel1, ui_->StringGrid1});
    help_->Bind(lines(T::WhiteList), {ui_->StringGrid2});
    const struct {
        Tab tab;
        T prefix;
        T groups;
        T directions;
    } topics[] = {{kBlack, T::BlackPrefix, T::BlackGroups, T::BlackDirections},
                  {kWhite, T::WhitePrefix, T::WhiteGroups, T::WhiteDirections}};
    for (const auto& topic : topics) {
        const Editor& editor = editors_[topic.tab];
        help_->Bind(lines(topic.prefix), {editor.prefix});
        help_->Bind(lines(topic.groups), {editor.groups.begin(), editor.groups.end()});
        help_->Bind(lines(topic.directions), {editor.directions.begin(), editor.directions.end()});
    }
}

template <typename Sender, typename Signal>
void TForm7::Bind(Sender* sender, Signal signal, void (TForm7::*handler)(Tab), Tab tab) {
    connect(sender, signal, this,
            [this, handler, tab] { GuardedCall(op_, [&] { (this->*handler)(tab); }); });
}

void TForm7::Connect() {
    for (Tab tab : {kBlack, kWhite}) {
        const Editor& editor = editors_[tab];
        Bind(editor.prefix, &QLineEdit::textEdited, &TForm7::EditorChanged, tab);
        for (QCheckBox* box : editor.groups) {
            Bind(box, &QCheckBox::clicked, &TForm7::EditorChanged, tab);
        }
        for (QCheckBox* box : editor.directions) {
            Bind(box, &QCheckBox::clicked, &TForm7::EditorChanged, tab);
        }
        Bind(editor.add, &QToolButton::clicked, &TForm7::AddClick, tab);
        Bind(editor.edit, &QToolButton::clicked, &TForm7::EditClick, tab);
        Bind(editor.remove, &QToolButton::clicked, &TForm7::DeleteClick, tab);
    }
    auto guarded = [this](void (TForm7::*handler)()) {
        return [this, handler] { GuardedCall(op_, [&] { (this->*handler)(); }); };
    };
    connect(ui_->PageControl1, &QTabWidget::currentChanged, this,
            guarded(&TForm7::PageControl1Change));
    connect(ui_->SpeedButton1, &QToolButton::clicked, this, guarded(&TForm7::SpeedButton1Click));
    connect(ui_->SpeedButton2, &QToolButton::clicked, this, guarded(&TForm7::SpeedButton2Click));
    connect(ui_->CheckBox1, &QCheckBox::clicked, this, guarded(&TForm7::CheckBox1Click));
}

void TForm7::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        GuardedCall(op_, [this] { FormShow(); });
    }
}

bool TForm7::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        for (Tab tab : {kBlack, kWhite}) {
            if (watched == editors_[tab].grid->viewport()) {
                const auto* mouse = static_cast<QMouseEvent*>(event);
                const QPoint at = mouse->position().toPoint();
                const Qt::MouseButton button = mouse->button();
                GuardedCall(op_, [&] { StringGridMouseDown(tab, button, at); });
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TForm7::FormShow() {
    RebuildGrids();
    LoadEntry(kBlack, 1);
    for (const Editor& editor : editors_) {
        editor.add->setEnabled(false);
        editor.edit->setEnabled(false);
    }
    ShowTabHelp();
}

void TForm7::PageControl1Change() {
    for (const Editor& editor : editors_) {
        editor.add->setEnabled(false);
        editor.remove->setEnabled(false);
        editor.edit->setEnabled(false);
    }
    ShowTabHelp();
}

void TForm7::ShowTabHelp() {
    const bool black = ui_->PageControl1->currentIndex() == kBlack;
    help_->Show(DialogHelpTexts::Lines(black ? DialogHelpTexts::Topic::BlackList
                                             : DialogHelpTexts::Topic::WhiteList));
}

void TForm7::StringGridMouseDown(Tab tab, Qt::MouseButton button, const QPoint& at) {
    const Editor& editor = editors_[tab];
    const int entry = editor.model->EntryAt(editor.grid->indexAt(at).row());
    if (entry == 0) {
        return;
    }
    if (button == Qt::LeftButton) {
        LoadEntry(tab, entry);
    }
    editor.add->setEnabled(false);
    editor.edit->setEnabled(false);
    editor.remove->setEnabled(true);
}

void TForm7::EditorChanged(Tab tab) {
    editors_[tab].add->setEnabled(true);
    editors_[tab].edit->setEnabled(true);
}

void TForm7::AddClick(Tab tab) {
    // The lowest free entry the gateway is sent; entry 186 only lives here.
    int entry = 0;
    for (int i = 1; i <= kLastAddedEntry && entry == 0; ++i) {
        if (std::as_const(image_).BlackListEntry(i).Empty()) {
            entry = i;
        }
    }
    if (entry == 0) {
        op_.Message("Список заполнен: нет свободных записей!");
        return;
    }
    const Editor& editor = editors_[tab];
    editor.number->setText(QString::number(entry));
    StoreEditor(tab, entry);
    RebuildGrids();
    ScrollToEntry(tab, entry);
    editor.add->setEnabled(false);
    editor.edit->setEnabled(false);
    editor.remove->setEnabled(false);
}

void TForm7::EditClick(Tab tab) {
    const int entry = ShownEntry(tab);
    if (entry == 0) {
        return;
    }
    StoreEditor(tab, entry);
    RebuildGrids();
    ScrollToEntry(tab, entry);
    const Editor& editor = editors_[tab];
    editor.add->setEnabled(false);
    editor.edit->setEnabled(false);
    editor.remove->setEnabled(false);
}

void TForm7::DeleteClick(Tab tab) {
    const Editor& editor = editors_[tab];
    const int entry = ShownEntry(tab);
    if (entry == 0) {
        return;
    }
    const QModelIndex current = editor.grid->currentIndex();
    const int row = current.isValid() ? current.row() : 0;
    const int column = current.isValid() ? current.column() : 0;
    editor.prefix->clear();
    for (QCheckBox* box : editor.groups) {
        box->setChecked(false);
    }
    StoreEditor(tab, entry);
    RebuildGrids();
    const int rows = editor.model->rowCount();
    if (rows > 0) {
        const int kept = std::min(row, rows - 1);
        editor.grid->setCurrentIndex(editor.model->index(kept, column));
        LoadEntry(tab, editor.model->EntryAt(kept));
    }
    editor.add->setEnabled(false);
    editor.edit->setEnabled(false);
    if (tab == kWhite) {
        editor.remove->setEnabled(false);
    }
}

void TForm7::SpeedButton1Click() {
    SaveBlackList(image_, store_);
    accept();
}

void TForm7::SpeedButton2Click() {
    // The store holds element 0 too, but it is the gateway's entry, which
    // this dialog never shows: it keeps what the image holds now.
    const auto element0 = std::as_const(image_).BlackListEntry(0).SealedCopy();
    LoadBlackList(image_, store_);
    const auto bytes = image_.BlackListEntry(0).bytes();
    std::copy(element0.begin(), element0.end(), bytes.begin());
    reject();
}

void TForm7::CheckBox1Click() {
    ui_->GroupBox5->setVisible(ui_->CheckBox1->isChecked());
}

void TForm7::RebuildGrids() {
    for (Editor& editor : editors_) {
        editor.model->Rebuild(image_);
    }
}

void TForm7::LoadEntry(Tab tab, int entry) {
    const Editor& editor = editors_[tab];
    const ConstBlackListRecord record = std::as_const(image_).BlackListEntry(entry);
    editor.number->setText(QString::number(entry));
    KeyFilterValidator::SetText(editor.prefix, FromCp1251(record.NUM()));
    for (std::size_t d = 0; d < editor.directions.size(); ++d) {
        editor.directions[d]->setChecked(((record.FLAG() >> (kFirstDirectionBit + d)) & 1U) != 0);
    }
    for (std::size_t g = 0; g < editor.groups.size(); ++g) {
        editor.groups[g]->setChecked(((record.GM() >> g) & 1U) != 0);
    }
}

// An entry stored without a prefix is marked empty.
void TForm7::StoreEditor(Tab tab, int entry) {
    const Editor& editor = editors_[tab];
    BlackListRecord record = image_.BlackListEntry(entry);
    record.SetNUM(ToCp1251(editor.prefix->text()));
    std::uint8_t flag = editor.listBit;
    if (editor.prefix->text().isEmpty()) {
        flag |= BlackListRecord::kEmpty;
    }
    for (std::size_t d = 0; d < editor.directions.size(); ++d) {
        if (editor.directions[d]->isChecked()) {
            flag |= static_cast<std::uint8_t>(1U << (kFirstDirectionBit + d));
        }
    }
    record.SetFLAG(flag);
    std::uint8_t groups = 0;
    for (std::size_t g = 0; g < editor.groups.size(); ++g) {
        if (editor.groups[g]->isChecked()) {
            groups |= static_cast<std::uint8_t>(1U << g);
        }
    }
    record.SetGM(groups);
}

void TForm7::ScrollToEntry(Tab tab, int entry) {
    const Editor& editor = editors_[tab];
    const int row = editor.model->RowOf(entry);
    if (row >= 0) {
        editor.grid->scrollTo(editor.model->index(row, 0));
    }
}

int TForm7::ShownEntry(Tab tab) const {
    bool ok = false;
    const int entry = editors_[tab].number->text().toInt(&ok);
    return ok && entry >= 1 && entry < TData::kBlackListEntries ? entry : 0;
}

}  // namespace tulvo
