// The README and the user guide link their pages and figures by relative paths; a page moved
// or renamed without its links breaks them silently. Every relative link must name a file.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> MarkdownPages()
{
    const fs::path root(MT1D_SOURCE_DIR);
    std::vector<fs::path> pages{root / "README.md"};
    for (const auto& entry : fs::recursive_directory_iterator(root / "docs")) {
        if (entry.path().extension() == ".md") pages.push_back(entry.path());
    }
    return pages;
}

// The targets of [text](target) and ![alt](target) that are paths in the repository (not
// web addresses, not anchors), without any #anchor.
std::vector<std::string> RelativeLinks(const std::string& text)
{
    static const std::regex link(R"(\]\(([^)\s]+)\))");
    std::vector<std::string> targets;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), link); it != std::sregex_iterator(); ++it) {
        std::string target = (*it)[1].str();
        if (target.find("://") != std::string::npos || target.rfind('#', 0) == 0 || target.rfind("mailto:", 0) == 0)
            continue;
        if (const auto hash = target.find('#'); hash != std::string::npos) target.resize(hash);
        targets.push_back(target);
    }
    return targets;
}

TEST(DocumentationLinks, EveryRelativeLinkNamesAFile)
{
    std::size_t checked = 0;
    for (const fs::path& page : MarkdownPages()) {
        std::ifstream in(page);
        std::stringstream text;
        text << in.rdbuf();
        for (const std::string& target : RelativeLinks(text.str())) {
            EXPECT_TRUE(fs::is_regular_file(page.parent_path() / target))
                << page.filename() << " links " << target << ", which is not there";
            ++checked;
        }
    }
    EXPECT_GE(checked, 20u);  // the README's guide and the guide's pages and figures at least
}

TEST(DocumentationLinks, RelativeLinksAreFoundAndWebAddressesLeftAlone)
{
    const std::vector<std::string> links =
        RelativeLinks("see [fit](fit.md#stop), ![plot](../a.png) and [web](https://x.org/y.md) [top](#top)");
    EXPECT_EQ(links, (std::vector<std::string>{"fit.md", "../a.png"}));
}

}  // namespace
