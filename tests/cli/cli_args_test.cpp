#include "cli/cli_args.h"

#include <gtest/gtest.h>

#include "cli/stderr_operator.h"

namespace tulvo::cli {
namespace {

class CliArgsTest : public ::testing::Test {
  protected:
    CliArgs Parse(std::vector<std::string> words) { return CliArgs(std::move(words), op); }

    StderrOperator op;
};

TEST_F(CliArgsTest, TakesValuesInBothFormsAndKeepsRepeats) {
    const CliArgs args = Parse({"download", "--port", "/tmp/gw", "--fault=silent:cmd=07", "--yes",
                                "--fault", "delay:ms=5", "report.txt"});
    EXPECT_EQ(args.Positional(), (std::vector<std::string>{"download", "report.txt"}));
    EXPECT_EQ(args.Value("port"), "/tmp/gw");
    EXPECT_EQ(args.Values("fault"), (std::vector<std::string>{"silent:cmd=07", "delay:ms=5"}));
    EXPECT_TRUE(args.Has("yes"));
    EXPECT_FALSE(args.Has("store"));
}

TEST_F(CliArgsTest, RejectsMissingAndMalformedValues) {
    EXPECT_THROW(Parse({"--port"}), UsageError);
    const CliArgs args = Parse({"--baud", "fast", "--latency-ms", "70000", "--port="});
    EXPECT_THROW(args.Int("baud", 0, 4000000), UsageError);
    EXPECT_THROW(args.Int("latency-ms", 0, 60000), UsageError);
    EXPECT_FALSE(args.Int("seed", 0, 10));
    EXPECT_THROW(args.Required("port"), UsageError) << "an empty value counts as missing";
}

// A word that begins with "--" is the next option, never a value, and an
// option that takes one value takes it once; the error names the option.
TEST_F(CliArgsTest, MissingAndRepeatedValuesNameTheirOption) {
    struct Case {
        std::vector<std::string> words;
        std::string error;
    };
    const Case cases[] = {
        {{"--port", "--store", "s.reg"}, "option --port needs a value"},
        {{"--store", "a.reg", "--port", "--verify"}, "option --port needs a value"},
        {{"--port", "--"}, "option --port needs a value"},
        {{"--port", "a", "--port", "b"}, "option --port given twice"},
        {{"--store=a.reg", "--store", "b.reg"}, "option --store given twice"},
    };
    for (const Case& c : cases) {
        try {
            Parse(c.words);
            ADD_FAILURE() << c.error;
        } catch (const UsageError& e) {
            EXPECT_EQ(std::string(e.what()), c.error);
        }
    }
    const CliArgs args = Parse({"--port=--odd", "--fault", "a", "--fault=b", "--yes", "--yes"});
    EXPECT_EQ(args.Value("port"), "--odd");
    EXPECT_EQ(args.Values("fault"), (std::vector<std::string>{"a", "b"}));
}

TEST_F(CliArgsTest, ResolvesPortsAndFoldersWithTheirDefaults) {
    EXPECT_EQ(Parse({"--port", "ttyACM0"}).Required("port"), "ttyACM0");
    EXPECT_THROW(Parse({}).Required("port"), UsageError);
    EXPECT_EQ(Parse({"--data-dir", "/srv/log"}).DataDir(), "/srv/log");
    EXPECT_EQ(Parse({"--store", "a.reg"}).StorePath(), "a.reg");
    EXPECT_NE(Parse({}).StorePath().find("ZARQ/MTulvo.reg"), std::string::npos);
    EXPECT_NE(Parse({}).DataDir().find("ZARQ/MTulvo"), std::string::npos);
}

}  // namespace
}  // namespace tulvo::cli
