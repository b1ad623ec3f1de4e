// mt1d convert: a sounding written as EDI or EMTF XML and read back with the same numbers, and
// the command lines it refuses without writing anything.

#include "sounding/SoundingFile.h"
#include "tests/cli/CliRun.h"
#include "tests/cli/SoundingFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

using namespace cli_testing;

namespace {

// A hand-written EMTF XML file of the repository's tests.
std::string MinimalXml() { return std::string(MT1D_SOURCE_DIR) + "/tests/sounding/files/minimal-impedance.xml"; }

// Every impedance and variance of b equals a's to 1e-6 relative (the formats carry 7 digits at least).
void ExpectSameTensor(const mt1d::sounding::Sounding& a, const mt1d::sounding::Sounding& b)
{
    ASSERT_EQ(a.tensor.size(), b.tensor.size());
    for (std::size_t i = 0; i < a.tensor.size(); ++i) {
        EXPECT_NEAR(b.tensor[i].frequencyHz, a.tensor[i].frequencyHz, 1e-6 * a.tensor[i].frequencyHz);
        for (std::size_t k = 0; k < 4; ++k) {
            const auto& ea = a.tensor[i].z[k];
            const auto& eb = b.tensor[i].z[k];
            ASSERT_EQ(ea.value.has_value(), eb.value.has_value()) << i << "," << k;
            if (!ea.value) continue;
            EXPECT_NEAR(std::abs(*eb.value - *ea.value), 0.0, 1e-6 * std::abs(*ea.value)) << i << "," << k;
            ASSERT_EQ(ea.variance.has_value(), eb.variance.has_value());
            if (ea.variance) {
                EXPECT_NEAR(*eb.variance, *ea.variance, 1e-6 * *ea.variance);
            }
        }
    }
}

TEST(CliConvert, XmlToEdiToXmlKeepsEveryNumber)
{
    TempDir dir;
    const std::string edi = dir.Path("site.edi");
    const std::string xml = dir.Path("again.xml");
    const ProgramRun toEdi = RunMt1d({"convert", MinimalXml(), "--out", edi});
    ASSERT_EQ(toEdi.status, 0) << toEdi.err;
    EXPECT_EQ(toEdi.out, edi + "\n");
    const ProgramRun toXml = RunMt1d({"convert", edi, "--out", xml});
    ASSERT_EQ(toXml.status, 0) << toXml.err;
    const auto original = mt1d::sounding::ReadSoundingFile(MinimalXml());
    ExpectSameTensor(original, mt1d::sounding::ReadSoundingFile(edi));
    ExpectSameTensor(original, mt1d::sounding::ReadSoundingFile(xml));
}

TEST(CliConvert, RefusesWhatItCannotWriteAndWritesNothing)
{
    TempDir dir;
    const std::string rhoPhase = dir.Write("three.txt", SyntheticColumnFile());
    const struct {
        const char* why;
        std::vector<std::string> args;
    } cases[] = {
        {"no --out", {"convert", MinimalXml()}},
        {"an unknown suffix", {"convert", MinimalXml(), "--out", dir.Path("a.csv")}},
        {"an unknown mode", {"convert", MinimalXml(), "--out", dir.Path("b.edi"), "--mode", "zz"}},
        {"a file that is not a sounding", {"convert", dir.Write("x.txt", "hello\n"), "--out", dir.Path("c.edi")}},
        {"ρa and phase rotated", {"convert", rhoPhase, "--out", dir.Path("d.edi"), "--rotate", "10"}},
    };
    for (const auto& c : cases) {
        const ProgramRun run = RunMt1d(c.args);
        EXPECT_EQ(run.status, 2) << c.why << ": " << run.err;
        EXPECT_EQ(run.out, "") << c.why;
    }
    for (const char* name : {"a.csv", "b.edi", "c.edi", "d.edi"}) EXPECT_FALSE(std::filesystem::exists(dir.Path(name))) << name;
}

}  // namespace
