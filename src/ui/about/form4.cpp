#include "ui/about/form4.h"

#include <QLayout>
#include <QPixmap>
#include <QScreen>

#include "program_version.h"
#include "ui/app_icon.h"
#include "ui_form4.h"

namespace tulvo {
namespace {

// The logo is the program's icon, the picture of its window, its tray icon
// and its desktop entry.
constexpr int kLogoSize = 256;

}  // namespace

TForm4::TForm4(QWidget* owner) : QDialog(owner), ui_(std::make_unique<Ui::TForm4>()) {
    ui_->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    ui_->Image1->setPixmap(AppIcon().pixmap(kLogoSize, kLogoSize));
    // The maker has no web site that opens yet, so the address is plain
    // text (selectable, for copying) rather than a link that leads nowhere.
    QFont bold = ui_->Label5->font();
    bold.setBold(true);
    ui_->Label5->setFont(bold);
    ui_->Label5->setText(QString::fromLatin1(kWebAddress));
    // The version of this build, the one `--version` and the package give.
    ui_->BuildVersion->setText(QStringLiteral("Сборка ") + QString::fromLatin1(kProgramVersion));
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

TForm4::~TForm4() = default;

void TForm4::ShowAbout(QWidget* owner) {
    TForm4 form(owner);
    form.exec();
}

// Centred on the desktop rather than on the window that opened it.
void TForm4::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* desktop = screen()) {
        move(desktop->availableGeometry().center() - rect().center());
    }
}

}  // namespace tulvo
