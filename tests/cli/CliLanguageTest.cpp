// The language of mt1d's messages: Chinese with the English in parentheses by default, English
// alone with --lang en (before or after the command) or MT1D_LANG=en.

#include "tests/cli/CliRun.h"

#include "cli/MessageLanguage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

using namespace cli_testing;

namespace {

// Sets MT1D_LANG for the life of the object.
class LanguageVariable {
public:
    explicit LanguageVariable(const char* value) { ::setenv("MT1D_LANG", value, 1); }
    ~LanguageVariable() { ::unsetenv("MT1D_LANG"); }
};

std::string FirstLine(const std::string& text)
{
    return text.substr(0, text.find('\n'));
}

// A file that is no sounding, written for the test.
std::string NotASounding()
{
    const auto path = std::filesystem::temp_directory_path() / "mt1d-language-test-not-a-sounding.edi";
    std::ofstream(path) << "this is not an EDI file\n";
    return path.string();
}

// Refusals of the command line and read errors of the input, each formed in a different place
// (the parser, an option's value, a number of the classic library, the readers).
struct Refusal {
    const char* name;
    std::vector<std::string> args;
};

std::vector<Refusal> Refusals()
{
    return {
        {"unknown command", {"frobnicate"}},
        {"repeated option", {"forward", "--model", "1", "--model", "2"}},
        {"value out of range", {"invert", "--repeat", "0"}},
        {"not a number", {"forward", "--model", "abc"}},
        {"missing file", {"data", "/nonexistent/site.edi"}},
        {"unreadable file", {"fit", NotASounding()}},
    };
}

}  // namespace

// In English a refusal and a read error say what the default says in its parentheses, with no
// Han character, and end with the same status; --lang goes before or after the command.
TEST(CliLanguage, EnglishMessagesSayTheSameWithoutChinese)
{
    for (const Refusal& r : Refusals()) {
        SCOPED_TRACE(r.name);
        const ProgramRun both = RunMt1d(r.args);
        ASSERT_EQ(both.status, 2) << both.err;
        ASSERT_TRUE(mt1d::cli::HasHan(both.err)) << "the default message is bilingual: " << both.err;

        std::vector<std::string> before{"--lang", "en"};
        before.insert(before.end(), r.args.begin(), r.args.end());
        std::vector<std::string> after = r.args;
        after.push_back("--lang=en");
        ProgramRun fromVariable;
        {
            const LanguageVariable en("en");
            fromVariable = RunMt1d(r.args);
        }
        for (const ProgramRun& english : {RunMt1d(before), RunMt1d(after), fromVariable}) {
            EXPECT_EQ(english.status, both.status);
            EXPECT_FALSE(mt1d::cli::HasHan(english.err)) << english.err;
            const std::string message = FirstLine(english.err).substr(std::string("mt1d: ").size());
            EXPECT_GT(message.size(), 10u) << english.err;
            EXPECT_NE(both.err.find(message), std::string::npos) << "english: " << english.err << "\nboth: " << both.err;
            EXPECT_TRUE(english.out.empty());
        }
    }
    // The default is back once the option is gone: the language does not outlive a run.
    EXPECT_TRUE(mt1d::cli::HasHan(RunMt1d({"frobnicate"}).err));
}

// --lang zh gives the default messages; another language is refused by name, in both languages.
TEST(CliLanguage, OnlyChineseOrEnglishIsAccepted)
{
    EXPECT_EQ(RunMt1d({"--lang", "zh", "frobnicate"}).err, RunMt1d({"frobnicate"}).err);
    const struct {
        std::vector<std::string> args;
        const char* variable;
        std::string named;
    } cases[] = {
        {{"forward", "--lang", "fr"}, nullptr, "--lang takes zh or en, not 'fr'"},
        {{"forward", "--lang"}, nullptr, "--lang needs a value"},
        {{"forward"}, "de", "MT1D_LANG takes zh or en, not 'de'"},
    };
    for (const auto& c : cases) {
        std::unique_ptr<LanguageVariable> variable;
        if (c.variable) variable = std::make_unique<LanguageVariable>(c.variable);
        const ProgramRun run = RunMt1d(c.args);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find(c.named), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty());
    }
    EXPECT_NE(RunMt1d({"--help"}).out.find("--lang en"), std::string::npos);
    // After "--" it is a file name, not the option.
    const ProgramRun file = RunMt1d({"--lang", "en", "data", "--", "--lang"});
    EXPECT_EQ(file.status, 2);
    EXPECT_NE(file.err.find("--lang"), std::string::npos) << file.err;
}

// The English of a one-string message is its parenthesised text after the last Han character.
TEST(CliLanguage, EnglishPartOfAOneStringMessage)
{
    const struct {
        std::string line;
        std::string english;
    } cases[] = {
        {"mt1d: 无法写出结果 (the output cannot be written)\n", "mt1d: the output cannot be written\n"},
        {"mt1d: a.edi: 重新运行 (run again: options (method) differ)\n", "mt1d: run again: options (method) differ\n"},
        {"mt1d: “abc” 不是有效的数字 ('abc' is not a valid number)", "mt1d: 'abc' is not a valid number"},
        {"不能与 --x 同时使用（--x 已给出每一层） (cannot be used with --x)", "cannot be used with --x"},
        {"(mt1d --help)\n", "(mt1d --help)\n"},
        {"plain English (with a note)\n", "plain English (with a note)\n"},
        {"只有中文\n", "只有中文\n"},                            // nothing to take: left as it is
        {"中文 (unclosed\n", "中文 (unclosed\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(mt1d::cli::EnglishPart(c.line), c.english) << c.line;
}
