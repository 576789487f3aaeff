#include "app/long_lived_windows.h"

#include <QEvent>
#include <QTimer>
#include <utility>

#include "store/window_options.h"
#include "ui/app_context.h"
#include "ui/calllog/form6.h"
#include "ui/dialogs/form2.h"
#include "ui/dialogs/form7.h"
#include "ui/main/form1.h"
#include "ui/sync/acount_ctrl.h"
#include "ui/sync/form12.h"
#include "ui/sync/form14.h"

namespace tulvo {

LongLivedWindows::LongLivedWindows(AppContext& context, ShutdownGate& shutdownGate)
    : context_(context), shutdownGate_(shutdownGate), main_(std::make_unique<TForm1>(context)) {
    main_->SetParametersWindow([this] { return Parameters(); });
    main_->SetCallLogWindow([this] { return CallLog(); });
    main_->SetBlackListWindow([this] { return BlackList(); });
    main_->SetTotalLimitWindow([this] { return TotalLimit(); });
    main_->SetAccountWindow([this] { return Account(); });
    main_->installEventFilter(this);
}

LongLivedWindows::~LongLivedWindows() {
    account_.reset();
    totalLimit_.reset();
    if (parameters_ != nullptr) {
        parameters_.reset();  // stores its help pane's state
    } else {
        // Never opened: its option is given its default where the store lacks it.
        LoadDeviceHelpEnable(context_.store);
    }
    callLog_.reset();
    blackList_.reset();
    main_.reset();
}

void LongLivedWindows::AfterFirstPaint(std::function<void()> then) {
    afterFirstPaint_ = std::move(then);
}

bool LongLivedWindows::eventFilter(QObject* watched, QEvent* event) {
    if (watched == main_.get() && event->type() == QEvent::Paint) {
        main_->removeEventFilter(this);
        // Once this paint has been handled and the window is on screen.
        QTimer::singleShot(0, main_.get(), [this] {
            if (afterFirstPaint_) {
                std::exchange(afterFirstPaint_, {})();
            }
        });
    }
    return QObject::eventFilter(watched, event);
}

void LongLivedWindows::FinishStartUp() {
    CallLog();
}

void LongLivedWindows::SaveCallLogIfEdited() {
    if (callLog_ != nullptr) {
        callLog_->SaveIfEdited();
    }
}

TForm2* LongLivedWindows::Parameters() {
    if (parameters_ == nullptr) {
        TForm2::Hooks hooks{
            .openPinCode = [this] { main_->PIN1Click(); },
            .openDevName = [this] { main_->N09Click(); },
            .openTotalLimit = [this] { main_->N7Click(); },
        };
        parameters_ = std::make_unique<TForm2>(context_.image, context_.store, context_.op,
                                               std::move(hooks), main_.get());
        parameters_->SetFirmwareWindowOpener(
            [this] { TForm14::Open(parameters_.get(), main_->Device(), &shutdownGate_); });
    }
    return parameters_.get();
}

TForm6* LongLivedWindows::CallLog() {
    if (callLog_ == nullptr) {
        callLog_ = std::make_unique<TForm6>(context_.image, context_.op, main_->Device(),
                                            context_.dataDir, main_.get());
    }
    return callLog_.get();
}

TForm7* LongLivedWindows::BlackList() {
    if (blackList_ == nullptr) {
        blackList_ =
            std::make_unique<TForm7>(context_.image, context_.store, context_.op, main_.get());
    }
    return blackList_.get();
}

TForm12* LongLivedWindows::TotalLimit() {
    if (totalLimit_ == nullptr) {
        totalLimit_ = std::make_unique<TForm12>(main_->Device(), main_.get());
    }
    return totalLimit_.get();
}

TAcountCtrl* LongLivedWindows::Account() {
    if (account_ == nullptr) {
        account_ = std::make_unique<TAcountCtrl>(main_->Device(), main_.get());
    }
    return account_.get();
}

}  // namespace tulvo
