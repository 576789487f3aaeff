#include "ui/about/form4.h"

#include <QLayout>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QScreen>

#include "program_version.h"
#include "ui_form4.h"

namespace tulvo {
namespace {

// The logo: a gateway box with an antenna and radio waves.
QPixmap DrawLogo() {
    constexpr int kSize = 256;
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient body(0, 120, 0, 230);
    body.setColorAt(0, QColor(0x2f, 0x6f, 0xb5));
    body.setColorAt(1, QColor(0x17, 0x3f, 0x6e));
    painter.setPen(Qt::NoPen);
    painter.setBrush(body);
    painter.drawRoundedRect(QRectF(36, 128, 184, 96), 18, 18);

    painter.setBrush(QColor(0x7c, 0xe0, 0x7a));
    for (int i = 0; i < 3; ++i) {
        painter.drawEllipse(QPointF(76 + i * 28, 196), 8, 8);
    }
    painter.setPen(QPen(QColor(0x17, 0x3f, 0x6e), 10, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(180, 128), QPointF(180, 60));

    painter.setPen(QPen(QColor(0xe0, 0x6c, 0x1c), 8, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    for (int r = 24; r <= 56; r += 16) {
        const QRectF arc(180 - r, 60 - r, 2 * r, 2 * r);
        painter.drawArc(arc, 30 * 16, 120 * 16);
    }
    painter.setPen(Qt::white);
    QFont font("DejaVu Sans", 40, QFont::Bold);
    painter.setFont(font);
    painter.drawText(QRectF(36, 128, 120, 64), Qt::AlignCenter, "TU");
    return pixmap;
}

}  // namespace

TForm4::TForm4(QWidget* owner) : QDialog(owner), ui_(std::make_unique<Ui::TForm4>()) {
    ui_->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    ui_->Image1->setPixmap(DrawLogo());
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

void TForm4::N8Click(QWidget* owner) {
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
