#pragma once

#include <QHash>
#include <QIconEngine>
#include <QPixmap>
#include <QString>

namespace tulvo {

// An icon drawn from an SVG picture at each size when that size is first
// asked for, and kept. Nothing is drawn until someone wants a pixmap, so an
// icon set on the application costs nothing until a title bar, a tray or a
// dialog shows it.
class SvgIconEngine : public QIconEngine {
  public:
    // sizes: what availableSizes() reports; any other size is drawn too.
    SvgIconEngine(QString path, QList<QSize> sizes);

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QIconEngine* clone() const override;
    QString key() const override;
    bool isNull() override;

  private:
    QString path_;
    QList<QSize> sizes_;
    QHash<quint64, QPixmap> drawn_;  // by width, height and mode
};

}  // namespace tulvo
