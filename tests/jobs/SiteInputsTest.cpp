// Which files a batch takes from its inputs, in which order, and the names their results get.

#include "jobs/PlanError.h"
#include "tests/support/TempDir.h"
#include "jobs/SiteInputs.h"

#include <gtest/gtest.h>

namespace {

using namespace mt1d::jobs;
namespace fs = std::filesystem;
using mt1d_testing::TempDir;

std::vector<std::string> Expand(const std::vector<std::string>& inputs) { return ExpandInputs(inputs); }

TEST(ExpandInputs, FolderGivesItsSoundingFilesSortedByteWiseWithoutHiddenOnesOrSubfolders)
{
    TempDir dir;
    for (const char* name : {"b.edi", "A.EDI", "c.Dat", "d.csv", "e.txt", "a.edi", "notes.json", ".hidden.edi",
                             "edi", "x.edi.bak", "sub/deep.edi"}) {
        dir.Write(name, "x");
    }
    fs::create_directories(dir / "folder.edi");  // a folder whose name looks like a sounding
    const std::string root = dir.Path().string();
    EXPECT_EQ(Expand({root}), (std::vector<std::string>{root + "/A.EDI", root + "/a.edi", root + "/b.edi",
                                                         root + "/c.Dat", root + "/d.csv", root + "/e.txt"}));
}

TEST(ExpandInputs, KeepsTheOrderOfTheInputsAndTakesAFileNamedTwiceOnceWhereItFirstAppears)
{
    TempDir dir;
    const std::string z = dir.Write("z.edi", "x");
    const std::string a = dir.Write("data/a.edi", "x");
    const std::string b = dir.Write("data/b.edi", "x");
    const std::string folder = (dir / "data").string();
    // z first though it sorts last; a named directly and again through its folder.
    EXPECT_EQ(Expand({z, a, folder, z}), (std::vector<std::string>{z, a, folder + "/b.edi"}));
    // A file given directly is taken whatever its extension: the content decides the format.
    const std::string other = dir.Write("site.sounding", "x");
    EXPECT_EQ(Expand({other}), (std::vector<std::string>{other}));
}

TEST(ExpandInputs, RefusesMissingInputsEmptyFoldersAndNamesTheInput)
{
    TempDir dir;
    fs::create_directories(dir / "empty");
    dir.Write("only-notes/readme.md", "x");
    for (const std::string& input : {(dir / "missing.edi").string(), (dir / "empty").string(),
                                     (dir / "only-notes").string(), std::string()}) {
        try {
            Expand({input});
            ADD_FAILURE() << "accepted '" << input << "'";
        } catch (const PlanError& e) {
            EXPECT_NE(std::string(e.what()).find(input), std::string::npos) << e.what();
        }
    }
    EXPECT_THROW(Expand({}), PlanError);
}

struct NamingCase {
    const char* what;
    std::vector<std::string> files;
    std::vector<std::string> names;
};

class NameSitesTest : public testing::TestWithParam<NamingCase> {};

TEST_P(NameSitesTest, GivesUniqueSafeNamesInInputOrder)
{
    const NamingCase& c = GetParam();
    std::vector<std::string> names;
    for (const SiteInput& site : NameSites(c.files)) names.push_back(site.name);
    EXPECT_EQ(names, c.names);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NameSitesTest,
    testing::Values(
        NamingCase{"stems", {"a/s1.edi", "b/s2.dat", "s3"}, {"s1", "s2", "s3"}},
        NamingCase{"same stem twice", {"a/s1.edi", "b/s1.edi", "c/s1.txt"}, {"s1", "s1-2", "s1-3"}},
        // A suffix never takes a name another file has of its own, even a later one.
        NamingCase{"suffix collides", {"x/a.edi", "y/a.edi", "a-2.edi"}, {"a", "a-3", "a-2"}},
        // Results may be copied to a file system that ignores case.
        NamingCase{"case", {"A.edi", "a.edi"}, {"A", "a-2"}},
        NamingCase{"unsafe characters", {"d/x y$z.edi", "d/ñ.edi", "d/.edi", "d/..x.edi"},
                   {"x_y_z", "__", "_edi", "_.x"}},
        NamingCase{"nothing left", {"dir/"}, {"site"}}),
    [](const testing::TestParamInfo<NamingCase>& info) {
        std::string name = info.param.what;
        for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

TEST(NameSites, KeepsTheFileAsGiven)
{
    const std::vector<std::string> files = {"../data/a b.edi"};
    EXPECT_EQ(NameSites(files), (std::vector<SiteInput>{{"a_b", "../data/a b.edi"}}));
}

}  // namespace
