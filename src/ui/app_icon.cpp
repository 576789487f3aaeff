#include "ui/app_icon.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

// The resource lives in a static library: nothing would pull its
// registration into the program unless it is called for by name.
static void InitIconResource() {
    Q_INIT_RESOURCE(tulvo_icons);
}

namespace tulvo {

QIcon AppIcon() {
    InitIconResource();
    // Drawn here rather than left to an image plugin, so the icon never
    // comes out empty on a machine that lacks the plugin.
    QSvgRenderer renderer(QStringLiteral(":/icons/com.zarq.TulvoConfigurator.svg"));
    QIcon icon;
    if (!renderer.isValid()) {
        return icon;
    }
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace tulvo
