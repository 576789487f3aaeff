#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_options.h"

namespace tulvo::test {
namespace {

using Args = std::vector<std::string>;

TEST(AppOptions, TakesOwnOptionsAndLeavesQtOnesForQApplication) {
    Args args{"tulvo-configurator", "--demo", "--store", "/tmp/a.reg", "-platform", "offscreen",
              "--data-dir=/tmp/d",  "-style", "fusion"};

    const AppOptions options = AppOptions::Parse(args);

    EXPECT_TRUE(options.demo);
    EXPECT_EQ(options.storePath, "/tmp/a.reg");
    EXPECT_EQ(options.dataDir, "/tmp/d");
    EXPECT_TRUE(options.error.empty());
    EXPECT_EQ(args, (Args{"tulvo-configurator", "-platform", "offscreen", "-style", "fusion"}));
}

TEST(AppOptions, OptionWithoutValueIsRefused) {
    for (const char* option : {"--store", "--data-dir"}) {
        Args args{"tulvo-configurator", option};
        EXPECT_FALSE(AppOptions::Parse(args).error.empty()) << option;
    }
}

}  // namespace
}  // namespace tulvo::test
