#include "ui/app_icon.h"

#include "ui/svg_icon_engine.h"

// The resource lives in a static library: nothing would pull its
// registration into the program unless it is called for by name.
static void InitIconResource() {
    Q_INIT_RESOURCE(tulvo_icons);
}

namespace tulvo {

QIcon AppIcon() {
    InitIconResource();
    // Drawn here rather than left to an image plugin, so the icon never
    // comes out empty on a machine that lacks the plugin; each size only
    // once something shows it.
    return QIcon(new SvgIconEngine(
        QStringLiteral(":/icons/com.zarq.TulvoConfigurator.svg"),
        {{16, 16}, {22, 22}, {24, 24}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}}));
}

}  // namespace tulvo
