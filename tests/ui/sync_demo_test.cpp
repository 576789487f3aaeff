#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>

#include "actions/serial_ports.h"
#include "app/demo_gateway.h"
#include "model/cp1251.h"
#include "model/t_data.h"
#include "store/registry_store.h"
#include "store/window_options.h"
#include "support/recording_operator.h"
#include "ui/app_context.h"
#include "ui/main/form1.h"

namespace tulvo::test {
namespace {

// The demo gateway offered as the only USB port: the main window picks it by
// itself, even when the store said "COM", and a read brings the demo
// subscribers with their names.
TEST(DemoGateway, MainWindowChoosesItAndReadsDemoSubscribers) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    RegistryStore store((temp.path() + "/store.reg").toStdString());
    SaveMainWindowOptions(store, {.portName = "ttyS0", .usbCom = false, .abHelpEnable = true});
    TData image;
    RecordingOperator op;
    SerialPorts ports((temp.path() + "/sys").toStdString());
    DemoGateway demo(false);
    ASSERT_TRUE(demo.Offer(ports, store, image)) << demo.Error();
    AppContext context{image, store, op, ports, LinkSpeed::Short(), temp.path().toStdString()};

    TForm1 form(context);
    form.show();
    // The connection bar takes its first look at the ports once shown.
    ASSERT_TRUE(QTest::qWaitFor([&form] { return !form.GetPortName().empty(); }, 5000));
    EXPECT_EQ(form.GetPortName(), demo.DevicePath());

    form.N12Click();

    EXPECT_EQ(op.Texts(), std::vector<std::string>{"Чтение завершено!"});
    EXPECT_FALSE(image.AbInfo(12).Empty());
    EXPECT_TRUE(image.AbInfo(13).Empty());
    EXPECT_EQ(Cp1251ToUtf8(image.Name(1).AbFNS), "Иванов Сергей");
    EXPECT_EQ(image.AbPhone(2).PhoneOut(), "8881");
}

}  // namespace
}  // namespace tulvo::test
