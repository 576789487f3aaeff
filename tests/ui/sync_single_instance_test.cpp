#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <atomic>
#include <thread>

#include "app/single_instance.h"

namespace tulvo {
namespace {

struct HandOverCase {
    const char* name;
    QString file;  // what the later start was given
};

class SingleInstanceHandOverTest : public ::testing::TestWithParam<HandOverCase> {};

// A later start on the same store shows the running window and passes on
// the configuration file it was opened with, so the file is offered there
// instead of being dropped with the later start.
TEST_P(SingleInstanceHandOverTest, LaterStartPassesItsFileToTheRunningProgram) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const std::string store = (temp.path() + "/store.reg").toStdString();
    SingleInstance first(store);
    ASSERT_EQ(first.Claim(), SingleInstance::Role::First);
    first.Serve();
    int raised = 0;
    QStringList offered;
    QObject::connect(&first, &SingleInstance::raiseRequested, [&] { ++raised; });
    QObject::connect(&first, &SingleInstance::fileOffered,
                     [&](const QString& path) { offered << path; });

    SingleInstance later(store, GetParam().file);
    std::atomic<int> role{-1};
    std::thread claim([&] { role = static_cast<int>(later.Claim()); });
    const QDeadlineTimer deadline(10000);
    while (role < 0 && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    claim.join();

    EXPECT_EQ(role, static_cast<int>(SingleInstance::Role::HandedOver));
    EXPECT_EQ(raised, 1);
    EXPECT_EQ(offered, GetParam().file.isEmpty() ? QStringList() : QStringList{GetParam().file});
}

INSTANTIATE_TEST_SUITE_P(
    Files, SingleInstanceHandOverTest,
    ::testing::Values(HandOverCase{"NoFile", {}},
                      HandOverCase{"File", QStringLiteral("/home/монтажник/объект 7/site.cnfg")}),
    [](const ::testing::TestParamInfo<HandOverCase>& info) { return info.param.name; });

}  // namespace
}  // namespace tulvo
