#pragma once

#include <QIcon>

namespace tulvo {

// The program's icon, the picture installed with its desktop entry, drawn
// at the sizes title bars, task bars and notification areas ask for.
QIcon AppIcon();

}  // namespace tulvo
