// Run once per font scale (QT_FONT_DPI 96, 120, 144) on a 1366 x 768 screen:
// every window lies on the screen's free area and every control in it can be
// reached, directly or by scrolling.

#include <QAbstractScrollArea>
#include <QApplication>
#include <QScreen>
#include <memory>
#include <string>

#include "actions/trace_log.h"
#include "main_form_fixture.h"
#include "ui/about/form4.h"
#include "ui/calllog/form6.h"
#include "ui/dialogs/form2.h"
#include "ui/dialogs/form3.h"
#include "ui/dialogs/form7.h"
#include "ui/dialogs/fxo_add_setting.h"
#include "ui/screen_fit.h"
#include "ui/sync/acount_ctrl.h"
#include "ui/sync/form10.h"
#include "ui/sync/form12.h"
#include "ui/sync/form14.h"
#include "ui/sync/read_data.h"
#include "ui/sync/set_dev_name_form.h"
#include "ui/sync/set_pin_code_form.h"
#include "ui/sync/sys_info_form.h"
#include "ui/sync/traffic_log_form.h"

namespace tulvo::test {
namespace {

std::string Text(const QRect& r) {
    return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) +
           "x" + std::to_string(r.height());
}

// A control inside a scroll area's viewport is reached by scrolling.
bool Scrolled(const QWidget* widget, const QWidget* window) {
    for (const QWidget* w = widget; w != nullptr && w != window; w = w->parentWidget()) {
        const auto* area = qobject_cast<const QAbstractScrollArea*>(w->parentWidget());
        if (area != nullptr && area->viewport() == w) {
            return true;
        }
    }
    return false;
}

class ScreenFitTest : public MainFormTest {
  protected:
    static void SetUpTestSuite() { ScreenFit::Install(); }

    void ExpectFits(QWidget& window, const char* name) {
        window.show();
        QApplication::processEvents();
        const QRect area = window.screen()->availableGeometry();
        const QRect frame = window.frameGeometry();
        EXPECT_TRUE(area.contains(frame)) << name << ": " << Text(frame) << " on " << Text(area);
        for (const QWidget* child : window.findChildren<QWidget*>()) {
            if (child->isWindow() || !child->isVisibleTo(&window) || Scrolled(child, &window)) {
                continue;
            }
            const QRect at(child->mapTo(&window, QPoint(0, 0)), child->size());
            EXPECT_TRUE(window.rect().contains(at))
                << name << ": " << child->objectName().toStdString() << " at " << Text(at);
        }
        window.hide();
    }
};

TEST_F(ScreenFitTest, MainWindowFitsAndKeepsItsDesignedSizeWhereThereIsRoom) {
    TForm1& form = Form();
    ExpectFits(form, "TForm1");
    form.show();
    const QSize room = ScreenFit::RoomFor(form);
    if (room.width() >= 1140) {
        EXPECT_EQ(form.width(), 1140);
    } else {
        EXPECT_GE(form.width(), room.width() - 8);  // the frame was not known yet
    }
}

TEST_F(ScreenFitTest, EveryDialogFits) {
    TForm1& owner = Form();
    const DeviceAccess device = owner.Device();
    {
        TForm2 dialog(image_, *store_, op_, {}, &owner);
        ExpectFits(dialog, "TForm2");
        TFXOAddSetting extra(&dialog);
        ExpectFits(extra, "TFXOAddSetting");
    }
    TraceLog traceLog;
    std::unique_ptr<QWidget> dialogs[] = {
        std::make_unique<TForm3>(image_, op_, &owner),
        std::make_unique<TForm7>(image_, *store_, op_, &owner),
        std::make_unique<TForm4>(&owner),
        std::make_unique<TForm6>(image_, op_, device, dir_.string(), &owner),
        std::make_unique<TForm12>(device, &owner),
        std::make_unique<TForm14>(device, &owner),
        std::make_unique<TAcountCtrl>(device, &owner),
        std::make_unique<TSetDevNameForm>(device, &owner),
        std::make_unique<TSetPinCodeForm>(device, &owner),
        std::make_unique<TTSysInfoForm>(&owner, owner.PortMost(), op_),
        std::make_unique<TTrafficLogForm>(traceLog, op_, &owner),
    };
    for (auto& dialog : dialogs) {
        ExpectFits(*dialog, dialog->metaObject()->className());
    }
    {
        // The call log with its filter panel shown once it is up.
        TForm6 log(image_, op_, device, dir_.string(), &owner);
        log.show();
        log.SpeedButton1Click();
        QApplication::processEvents();
        ExpectFits(log, "TForm6 with its filter");
    }
    TReadData thread([](TransferProgress&) { return true; }, op_);
    TForm10 progress(&owner, thread);
    ExpectFits(progress, "TForm10");
    thread.wait();
}

}  // namespace
}  // namespace tulvo::test
