#include "tests/cli/CliRun.h"

#include <gtest/gtest.h>

using namespace cli_testing;

namespace {

std::string Layers(int count)
{
    std::string model;
    for (int i = 0; i < count; ++i) model += (i == 0 ? "" : ",") + std::string("100:10");
    return model;
}

// The commands as the messages list them; section is there only where Qt is built.
#ifdef MT1D_CLI_SECTION
const std::string kCommands = "forward, invert, data, dims, fit, misfit, sample, batch, profile, convert, export, section or report";
#else
const std::string kCommands = "forward, invert, data, dims, fit, misfit, sample, batch, profile, convert or export";
#endif

// Input that cannot be used: a message on standard error that names the problem, exit
// status 2, nothing on standard output.
TEST(CliInputErrors, ExitTwoWithAMessageAndNoOutput)
{
    const struct {
        std::vector<std::string> args;
        std::string named;
    } cases[] = {
        {{}, "a command is missing: " + kCommands},
        {{"frobnicate"}, "unknown command 'frobnicate'; the commands are " + kCommands},
        {{"forward", "invert"}, "forward does not take 'invert'"},
        {{"forward", "--model", "abc"}, "'abc' is not a valid number"},
        {{"forward", "--model", "100:10,0"}, "resistivity of layer 2"},
        {{"forward", "--model", "100:-10,5"}, "thickness of layer 1"},
        {{"forward", "--model", "100,10"}, "layer 1 of --model must read RES:TH"},
        {{"forward", "--model", "1:2:3"}, "must read RES:TH"},
        {{"forward", "--model", ""}, "not a valid number"},
        {{"forward", "--model", Layers(51)}, "between 1 and 50"},
        {{"forward", "--model"}, "--model needs a value"},
        {{"forward", "--model", "1", "--model", "2"}, "option --model is given twice"},
        {{"invert", "--format=csv", "--format", "json"}, "option --format is given twice"},
        {{"forward", "--source", "res"}, "forward does not take '--source'"},
        {{"forward", "--format", "xml"}, "--format takes text|csv|json, not 'xml'"},
        {{"forward", "extra"}, "forward does not take 'extra'"},
        {{"invert", "--method=fast"}, "--method takes svd|constrained"},
        {{"invert", "--source", "both", "--model", Layers(10)}, "at most 9 layers"},
        {{"invert", "--model", Layers(16)}, "at most 15 layers"},
        {{"invert", "--repeat", "0"}, "--repeat takes an integer from 1 to 1000, not '0'"},
        {{"invert", "--repeat", "x"}, "--repeat takes an integer from 1 to 1000, not 'x'"},
        {{"invert", "--bounds", "1:2"}, "needs 6 LO:HI pairs"},
        {{"invert", "--bounds", "1:2:3"}, "must read LO:HI"},
        {{"invert", "--bounds", "1:2,3:4,5:6,7:8,9:10,11:x"}, "'x' is not a valid number"},
        {{"invert", "--method", "constrained", "--bounds", "1000:1000,50:5000,100:1,50:5000,100:10000,10:1000"},
         "lower bound 100 of the resistivity of layer 2 is above its upper bound 1"},
        {{"invert", "--method", "constrained", "--bounds", "0:1000,50:5000,1:100,50:5000,100:10000,10:1000"},
         "lower bound of the resistivity of layer 1"},
        {{"invert", "--method", "constrained", "--bounds", "1000:1000,50:5000,1:1e20,50:5000,100:10000,10:1000"},
         "upper bound of the resistivity of layer 2 must lie between 1e-5 and 1e9 ohm-m"},
        // Numbers: out of range is not invalid, and the largest float is a number.
        {{"forward", "--model", "1e39"}, "'1e39' is out of range"},
        {{"forward", "--model", "3.4028235e+38"},
         "the resistivity of layer 1 must lie between 1e-4 and 1e8 ohm-m, not 3.4028235e+38"},
        // Models far outside any earth, named with the accepted range.
        {{"forward", "--model", "1e30:10,100"}, "resistivity of layer 1 must lie between 1e-4 and 1e8 ohm-m"},
        {{"forward", "--model", "1e-6:1e-9,1e15"}, "resistivity of layer 1 must lie between 1e-4 and 1e8 ohm-m"},
        {{"forward", "--model", "100:1e-45,100"}, "thickness of layer 1 must lie between 1e-3 and 1e7 m"},
        {{"invert", "--model", "1e-41:10,100"}, "not 1e-41"},
    };
    for (const auto& c : cases) {
        const ProgramRun run = RunMt1d(c.args);
        SCOPED_TRACE(c.named);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.rfind("mt1d: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find(c.named), std::string::npos) << run.err;
    }
}

// A huge or unprintable argument is quoted as a short escaped excerpt, never echoed whole.
TEST(CliInputErrors, MessagesQuoteAShortEscapedExcerpt)
{
    const std::string huge = std::string(130000, '1') + "x";
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"forward", "--model", huge},
             {"forward", "--model", "1\x1b[2J\n2"},
             {"invert", "--source", huge},
             {"invert", "--repeat", std::string(5000, '9')},
             {huge},
             {"forward", huge},
         }) {
        const ProgramRun run = RunMt1d(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_LT(run.err.size(), 400u) << run.err.substr(0, 200);
        // Only the line breaks between the message and the hint.
        for (const char c : run.err) {
            EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20 && c != '\n') << static_cast<int>(c);
        }
        EXPECT_LE(std::count(run.err.begin(), run.err.end(), '\n'), 2);
    }
    EXPECT_NE(RunMt1d({"forward", "--model", "1\x1b[2J\n2"}).err.find("“1\\x1b[2J\\n2”"), std::string::npos);
}

TEST(CliInputErrors, SingularValueMethodIgnoresBounds)
{
    const ProgramRun run = RunMt1d({"invert", "--bounds", "0:1000,50:5000,100:1,50:5000,100:10000,10:1000"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_FALSE(run.out.empty());
}

}  // namespace
