#include "RunProgram.h"

#include <gtest/gtest.h>

using namespace cli_testing;

namespace {

std::string Layers(int count)
{
    std::string model;
    for (int i = 0; i < count; ++i) model += (i == 0 ? "" : ",") + std::string("100:10");
    return model;
}

// Input that cannot be used: a message on standard error that names the problem, exit
// status 2, nothing on standard output.
TEST(CliInputErrors, ExitTwoWithAMessageAndNoOutput)
{
    const struct {
        std::vector<std::string> args;
        std::string named;
    } cases[] = {
        {{}, "forward or invert"},
        {{"frobnicate"}, "'frobnicate'"},
        {{"forward", "--model", "abc"}, "'abc' is not a valid number"},
        {{"forward", "--model", "100:10,0"}, "resistivity of layer 2"},
        {{"forward", "--model", "100:-10,5"}, "thickness of layer 1"},
        {{"forward", "--model", "100,10"}, "layer 1 of --model must read RES:TH"},
        {{"forward", "--model", "1:2:3"}, "must read RES:TH"},
        {{"forward", "--model", ""}, "not a valid number"},
        {{"forward", "--model", Layers(51)}, "between 1 and 50"},
        {{"forward", "--model"}, "--model needs a value"},
        {{"forward", "--model", "1", "--model", "2"}, "given twice"},
        {{"forward", "--source", "res"}, "does not take '--source'"},
        {{"forward", "--format", "xml"}, "--format takes text|csv|json"},
        {{"forward", "extra"}, "does not take 'extra'"},
        {{"invert", "--method=fast"}, "--method takes svd|constrained"},
        {{"invert", "--source", "both", "--model", Layers(10)}, "at most 9 layers"},
        {{"invert", "--model", Layers(16)}, "at most 15 layers"},
        {{"invert", "--repeat", "0"}, "positive integer"},
        {{"invert", "--repeat", "x"}, "positive integer"},
        {{"invert", "--bounds", "1:2"}, "needs 6 LO:HI pairs"},
        {{"invert", "--bounds", "1:2:3"}, "must read LO:HI"},
        {{"invert", "--bounds", "1:2,3:4,5:6,7:8,9:10,11:x"}, "'x' is not a valid number"},
        {{"invert", "--method", "constrained", "--bounds", "1000:1000,50:5000,100:1,50:5000,100:10000,10:1000"},
         "lower bound 100 of the resistivity of layer 2 is above its upper bound 1"},
        {{"invert", "--method", "constrained", "--bounds", "0:1000,50:5000,1:100,50:5000,100:10000,10:1000"},
         "lower bound of the resistivity of layer 1"},
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

TEST(CliInputErrors, SingularValueMethodIgnoresBounds)
{
    const ProgramRun run = RunMt1d({"invert", "--bounds", "0:1000,50:5000,100:1,50:5000,100:10000,10:1000"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_FALSE(run.out.empty());
}

}  // namespace
