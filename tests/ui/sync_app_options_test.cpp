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

// A mistyped option or a stray word is a usage error, never passed on to Qt
// while the default store is quietly used.
TEST(AppOptions, MissingValuesUnknownOptionsAndStrayWordsAreRefused) {
    const std::vector<Args> cases = {
        {"tulvo-configurator", "--store"},           {"tulvo-configurator", "--data-dir"},
        {"tulvo-configurator", "--stor", "x.reg"},   {"tulvo-configurator", "x.reg"},
        {"tulvo-configurator", "--demo", "--", "x"},
    };
    for (Args args : cases) {
        EXPECT_FALSE(AppOptions::Parse(args).error.empty()) << args[1];
    }
}

}  // namespace
}  // namespace tulvo::test
