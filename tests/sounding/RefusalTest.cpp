// Files that must be refused, each with its name, the line and what was expected.

#include "sounding/Limits.h"
#include "sounding/ReadError.h"
#include "sounding/SoundingFile.h"
#include "tests/sounding/SyntheticEdi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace {

using namespace mt1d::sounding;
using sounding_test::kHalfSpaceEdi;
using sounding_test::Replace;

struct Broken {
    const char* what;
    std::string text;
    int line;             // 0: the file as a whole
    std::string message;  // a part of the message
    ReadProblem kind;
};

void PrintTo(const Broken& b, std::ostream* os)
{
    *os << b.what;
}

class BrokenFiles : public testing::TestWithParam<Broken> {};

TEST_P(BrokenFiles, AreRefusedNamingFileLineAndWhatWasExpected)
{
    const Broken& b = GetParam();
    ASSERT_FALSE(b.text.empty() && b.line != 0) << "stale replacement pattern";
    ASSERT_FALSE(b.message.empty());
    try {
        ParseSounding(b.text, "site.edi");
        FAIL() << "accepted";
    } catch (const ReadError& e) {
        EXPECT_EQ(e.File(), "site.edi");
        EXPECT_EQ(e.Line(), b.line) << e.what();
        EXPECT_NE(std::string(e.what()).find(b.message), std::string::npos) << e.what();
        EXPECT_EQ(e.Kind(), b.kind) << e.what() << " (" << ReadProblemText(e.Kind()) << ")";
    }
}

// The line of the first occurrence of `pattern` in the synthetic file.
int LineOf(std::string_view pattern)
{
    const auto at = kHalfSpaceEdi.find(pattern);
    return 1 + static_cast<int>(std::count(kHalfSpaceEdi.begin(), kHalfSpaceEdi.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
}

std::string Before(std::string_view pattern)
{
    return kHalfSpaceEdi.substr(0, kHalfSpaceEdi.find(pattern));
}

const std::string kZxyValues = "  15.8113883008419 50 158.113883008419 5";

INSTANTIATE_TEST_SUITE_P(
    Edi, BrokenFiles,
    testing::Values(
        Broken{"truncated block", Replace(kHalfSpaceEdi, kZxyValues + "\n>ZXYI", "  15.8113883008419 50\n>ZXYI"),
               LineOf(">ZXYR"), "block >ZXYR announces 4 values but holds 2", ReadProblem::kWrongCount},
        Broken{"file cut short inside a block", Before(">ZXYI").substr(0, Before(">ZXYI").size() - 20), LineOf(">ZXYR"),
               "cut short", ReadProblem::kWrongCount},
        Broken{"count larger than the values", Replace(kHalfSpaceEdi, ">FREQ //4", ">FREQ //5"), LineOf(">FREQ"),
               "announces 5 values but holds 4", ReadProblem::kWrongCount},
        Broken{"block without count, too short",
               Replace(kHalfSpaceEdi, ">ZXYR ROT=ZROT //4\n" + kZxyValues, ">ZXYR ROT=ZROT\n  15.8113883008419 50 158.1"),
               LineOf(">ZXYR"), "block >ZXYR holds 3 values; expected 4 (the >FREQ block has 4)", ReadProblem::kWrongCount},
        Broken{"NFREQ larger than FREQ", Replace(kHalfSpaceEdi, "NFREQ=4", "NFREQ=6"), LineOf(">FREQ"),
               "the section says NFREQ=6", ReadProblem::kWrongCount},
        Broken{"text in numbers", Replace(kHalfSpaceEdi, kZxyValues, "  15.8113883008419 fifty 158.113883008419 5"),
               LineOf(">ZXYR") + 1, "expected numbers in block >ZXYR (line " + std::to_string(LineOf(">ZXYR")) + "), found 'fifty'", ReadProblem::kNotANumber},
        Broken{"marker that lost its '>'", Replace(kHalfSpaceEdi, ">ZXYI ROT", "ZXYI ROT"), LineOf(">ZXYI"), "found 'ZXYI'", ReadProblem::kNotANumber},
        Broken{"real part without imaginary part", Replace(kHalfSpaceEdi, ">ZXYI ROT=ZROT //4\n" + kZxyValues + "\n", ""),
               LineOf(">ZXYR"), "block >ZXYR has no matching >ZXYI block", ReadProblem::kMissingPart},
        Broken{"block twice", Replace(kHalfSpaceEdi, ">END", ">ZXYR //4\n 1 2 3 4\n>END"), LineOf(">END"),
               "second >ZXYR block; the first is at line " + std::to_string(LineOf(">ZXYR")), ReadProblem::kDuplicate},
        Broken{"frequency twice", Replace(kHalfSpaceEdi, "1.0 10.0 100.0 0.1", "1.0 10.0 100.0 10"), 0,
               "frequency 10 Hz appears twice", ReadProblem::kDuplicate},
        Broken{"no FREQ block", Replace(kHalfSpaceEdi, ">FREQ //4\n  1.0 10.0 100.0 0.1\n", ""), LineOf(">=MTSECT"),
               "expected a >FREQ block", ReadProblem::kMissingPart},
        Broken{"no data section", Before(">=MTSECT"), 0, "expected a >=MTSECT or >=SPECTRASECT data section", ReadProblem::kMissingPart},
        Broken{"neither impedance nor resistivity", Before(">ZXXR"), LineOf(">=MTSECT"), "expected impedance blocks", ReadProblem::kMissingPart},
        Broken{"rotation given two ways", Replace(kHalfSpaceEdi, ">ZXYI ROT=ZROT", ">ZXYI ROT=10"), LineOf(">ZXYI"),
               "one frame per file", ReadProblem::kBadValue},
        Broken{"empty file", "", 0, "the file is empty", ReadProblem::kEmpty},
        Broken{"blank file", " \n\r\n\t\n", 0, "the file is empty", ReadProblem::kEmpty},
        Broken{"binary file", std::string("\x7f" "ELF\x02\x01\x01\0\0\0\0", 11) + kHalfSpaceEdi, 0, "a binary file", ReadProblem::kBinary},
        Broken{"binary without NUL", std::string(200, '\x01') + kHalfSpaceEdi, 0, "a binary file", ReadProblem::kBinary},
        Broken{"Occam model file", "Format: Resistivity1DMod_1.0\n#LAYERS: 2\n", 1, "an Occam model file, not sounding data", ReadProblem::kOtherKind},
        Broken{"Occam response file", " Format:    EMResp_1.2\n", 1, "an Occam response file", ReadProblem::kOtherKind},
        Broken{"prose", "# notes\nTwo small text files copied verbatim\n", 2, "not a sounding file", ReadProblem::kNotSounding}));

// A batch summary names a refused file, its line and the kind of problem, never its content:
// a link to a system file in a survey folder must not copy that file's lines into the summary.
// Each of these messages quotes the file (what a person fixing it needs); the content-free
// message holds the file as named, the line and the fixed text of the kind, and no byte of the
// secret.
TEST(ReadErrorParts, ContentFreeMessageNamesFileLineAndKindButNothingReadFromTheFile)
{
    const std::string secret = "s3cr3t-Token";
    const struct {
        const char* what;
        std::string text;
        int line;
        ReadProblem kind;
    } cases[] = {
        {"a password file", "root:" + secret + ":0:0:root:/root:/bin/bash\ndaemon:x:1:1::/:/sbin/nologin\n", 1,
         ReadProblem::kNotSounding},
        {"a word in an EDI block", Replace(kHalfSpaceEdi, kZxyValues, "  15.8 " + secret + " 158.1 5"),
         LineOf(">ZXYR") + 1, ReadProblem::kNotANumber},
        {"an unknown column", "period rho " + secret + "\n1 2 3\n", 1, ReadProblem::kMissingPart},
        {"text in a column row", "period rho phase\n1 " + secret + " 3\n", 2, ReadProblem::kNotANumber},
        {"an unknown Format line", "Format: " + secret + "\n", 1, ReadProblem::kOtherKind},
        {"text in an Occam data row",
         "Format: EMData_1.1\n# Frequencies: 1\n1.0\n# Data: 1\nRhoZxy 1 0 1 " + secret + " 1\n", 5,
         ReadProblem::kNotANumber},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            ParseSounding(c.text, "survey/link.edi");
            ADD_FAILURE() << "accepted";
        } catch (const ReadError& e) {
            EXPECT_NE(std::string(e.what()).find(secret), std::string::npos) << "the full message quotes the file";
            EXPECT_EQ(e.Kind(), c.kind) << e.what();
            EXPECT_EQ(e.Line(), c.line) << e.what();
            const std::string free = e.ContentFreeMessage();
            EXPECT_EQ(free, "survey/link.edi, line " + std::to_string(c.line) + ": " +
                                std::string(ReadProblemText(c.kind)));
            EXPECT_EQ(free.find(secret), std::string::npos) << free;
        }
    }
    // A fault of the file as a whole names no line.
    try {
        ParseSounding("", "empty.txt");
    } catch (const ReadError& e) {
        EXPECT_EQ(e.ContentFreeMessage(), "empty.txt: the file is empty");
    }
}

TEST(Limits, MoreThanTenThousandFrequenciesAreRefusedWithTheLimitInTheMessage)
{
    std::string freq = ">FREQ\n";
    for (std::size_t i = 0; i <= kMaxFrequencies; ++i) freq += std::to_string(i + 1) + "\n";
    const std::string text = Replace(kHalfSpaceEdi, ">FREQ //4\n  1.0 10.0 100.0 0.1\n", freq);
    try {
        ParseSounding(text, "big.edi");
        FAIL() << "accepted";
    } catch (const ReadError& e) {
        EXPECT_NE(std::string(e.what()).find("10000 frequencies"), std::string::npos) << e.what();
    }
    std::string columns = "frequency rho phase\n";
    for (std::size_t i = 0; i <= kMaxFrequencies; ++i) columns += std::to_string(i + 1) + " 10 45\n";
    EXPECT_THROW(ParseSounding(columns, "big.txt"), ReadError);
    columns.resize(columns.rfind("10001"));  // exactly the limit reads
    EXPECT_EQ(ParseSounding(columns, "ok.txt").rhoPhase.size(), kMaxFrequencies);
}

TEST(Limits, FilesAboveSixtyFourMegabytesAreRefusedBeforeReading)
{
    const auto path = std::filesystem::temp_directory_path() / "mt1d_sounding_large.txt";
    {
        std::ofstream out(path, std::ios::binary);
        out << "frequency rho phase\n";
        out.seekp(static_cast<std::streamoff>(kMaxFileBytes));  // sparse: no 64 MB written
        out << "\n";
    }
    try {
        ReadSoundingFile(path);
        FAIL() << "accepted";
    } catch (const ReadError& e) {
        EXPECT_NE(std::string(e.what()).find("up to 64 MB"), std::string::npos) << e.what();
    }
    std::filesystem::remove(path);
    EXPECT_THROW(ReadSoundingFile(path), ReadError);  // and a missing file
}

TEST(FormatDetection, RecognisesTheFormatFromTheContent)
{
    EXPECT_EQ(DetectFormat("\xEF\xBB\xBF\n  >HEAD\n", "a"), FileFormat::kEdi);
    EXPECT_EQ(DetectFormat("Format:  EMData_1.1 \n", "a"), FileFormat::kOccamData);
    EXPECT_EQ(DetectFormat("# period rho phase\n1 2 3\n", "a"), FileFormat::kColumns);
}

}  // namespace
