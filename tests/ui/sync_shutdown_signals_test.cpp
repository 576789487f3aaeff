#include <gtest/gtest.h>

#include <QSignalSpy>
#include <csignal>

#include "app/shutdown_signals.h"

namespace tulvo::test {
namespace {

TEST(ShutdownSignals, TerminationSignalsArriveOnTheEventLoop) {
    for (const int number : {SIGTERM, SIGINT}) {
        ShutdownSignals shutdown;
        ASSERT_TRUE(shutdown.Installed());
        QSignalSpy spy(&shutdown, &ShutdownSignals::requested);

        std::raise(number);

        // The handler only writes to the socket: nothing is emitted until the
        // event loop runs.
        EXPECT_EQ(spy.count(), 0);
        ASSERT_TRUE(spy.wait(5000));
        EXPECT_EQ(spy.front().front().toInt(), number);
    }
}

}  // namespace
}  // namespace tulvo::test
