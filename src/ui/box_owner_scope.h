#pragma once

#include <QPointer>
#include <QWidget>
#include <any>

#include "model/operator.h"

namespace tulvo {

// While it lives, the operator's boxes are centred on `window`; afterwards
// they go back to the window that had them before, if it still exists. A
// window that stays above the others holds one while it is shown.
class BoxOwnerScope {
  public:
    BoxOwnerScope(Operator& op, QWidget* window) : op_(op) {
        const std::any previous = op_.BoxOwner();
        if (QWidget* const* owner = std::any_cast<QWidget*>(&previous)) {
            previous_ = *owner;
        }
        op_.SetBoxOwner(window);
    }
    ~BoxOwnerScope() { op_.SetBoxOwner(previous_.data()); }
    BoxOwnerScope(const BoxOwnerScope&) = delete;
    BoxOwnerScope& operator=(const BoxOwnerScope&) = delete;

  private:
    Operator& op_;
    QPointer<QWidget> previous_;
};

}  // namespace tulvo
