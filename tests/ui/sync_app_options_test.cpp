#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_options.h"

namespace tulvo::test {
namespace {

using Args = std::vector<std::string>;

TEST(AppOptions, TakesOwnOptionsAndLeavesQtOnesForQApplication) {
    Args args{"tulvo-configurator", "--demo", "--store", "/tmp/a.reg", "-platform", "offscreen",
              "--data-dir=/tmp/d",  "-style", "fusion",  "--",         "--odd.cnfg"};

    const AppOptions options = AppOptions::Parse(args);

    EXPECT_TRUE(options.demo);
    EXPECT_EQ(options.configFile, "--odd.cnfg") << "the file a file manager passes";
    EXPECT_EQ(options.storePath, "/tmp/a.reg");
    EXPECT_EQ(options.dataDir, "/tmp/d");
    EXPECT_TRUE(options.error.empty());
    EXPECT_EQ(args, (Args{"tulvo-configurator", "-platform", "offscreen", "-style", "fusion"}));
}

// A mistyped option, a missing or repeated value or a second file is a usage
// error, never passed on to Qt while the default store is quietly used.
TEST(AppOptions, MissingValuesUnknownOptionsAndStrayWordsAreRefused) {
    const std::vector<Args> cases = {
        {"tulvo-configurator", "--store"},
        {"tulvo-configurator", "--data-dir"},
        {"tulvo-configurator", "--stor", "x.reg"},
        {"tulvo-configurator", "--store", "--demo"},
        {"tulvo-configurator", "--store=a.reg", "--store", "b.reg"},
        {"tulvo-configurator", "a.cnfg", "b.cnfg"},
        {"tulvo-configurator", "--demo", "--", "a.cnfg", "b.cnfg"},
    };
    for (Args args : cases) {
        EXPECT_FALSE(AppOptions::Parse(args).error.empty()) << args[1] << " " << args.back();
    }
}

}  // namespace
}  // namespace tulvo::test
