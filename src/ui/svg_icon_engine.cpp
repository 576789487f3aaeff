#include "ui/svg_icon_engine.h"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>
#include <utility>

namespace tulvo {

SvgIconEngine::SvgIconEngine(QString path, QList<QSize> sizes)
    : path_(std::move(path)), sizes_(std::move(sizes)) {}

QPixmap SvgIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) {
    (void)state;
    if (size.isEmpty()) {
        return {};
    }
    const quint64 key = (quint64(size.width()) << 32) | (quint64(size.height()) << 8) | mode;
    if (const auto found = drawn_.constFind(key); found != drawn_.constEnd()) {
        return *found;
    }
    QSvgRenderer renderer(path_);
    if (!renderer.isValid()) {
        return {};
    }
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    // Disabled and selected looks as the style draws them for any icon.
    if (mode != QIcon::Normal && qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QStyleOption option;
        option.palette = QApplication::palette();
        pixmap = QApplication::style()->generatedIconPixmap(mode, pixmap, &option);
    }
    drawn_.insert(key, pixmap);
    return pixmap;
}

void SvgIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
                          QIcon::State state) {
    const qreal scale = painter->device() != nullptr ? painter->device()->devicePixelRatioF() : 1.0;
    QPixmap drawn = pixmap(rect.size() * scale, mode, state);
    drawn.setDevicePixelRatio(scale);
    painter->drawPixmap(rect, drawn);
}

QList<QSize> SvgIconEngine::availableSizes(QIcon::Mode mode, QIcon::State state) {
    (void)mode;
    (void)state;
    return sizes_;
}

QSize SvgIconEngine::actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) {
    (void)mode;
    (void)state;
    return size;
}

QIconEngine* SvgIconEngine::clone() const {
    return new SvgIconEngine(*this);
}

QString SvgIconEngine::key() const {
    return QStringLiteral("tulvo-svg");
}

bool SvgIconEngine::isNull() {
    return !QFile::exists(path_);
}

}  // namespace tulvo
