#include "session/Project.h"

#include "io/AtomicFile.h"
#include "io/JsonReader.h"
#include "session/SessionCommands.h"
#include "session/SessionJson.h"

#include <nlohmann/json.hpp>

#include <fstream>
#include <iterator>
#include <sstream>

namespace mt1d::session {

namespace {

using nlohmann::json;

// Far more windows than a screen holds; a list longer than this is not a project.
constexpr std::size_t kMaxWindows = 1000;

}  // namespace

std::string ProjectToJson(const Project& project)
{
    json windows = json::array();
    for (const auto& w : project.windows) {
        windows.push_back({{"geometry",
                            {{"x", w.geometry.x},
                             {"y", w.geometry.y},
                             {"width", w.geometry.width},
                             {"height", w.geometry.height},
                             {"maximized", w.geometry.maximized}}},
                           {"session", SessionToJson(w.session)}});
    }
    const json document = {{"format", kProjectFormat}, {"version", kProjectVersion}, {"windows", windows}};
    // Text from files in an unknown encoding is written with replacement characters rather
    // than refused: a project must always be savable.
    return document.dump(1, ' ', false, json::error_handler_t::replace) + "\n";
}

Project ProjectFromJson(std::string_view text, const std::string& file)
{
    try {
        const json document = io::ParseJson(text, file);
        const io::JsonCursor root(document, file);
        if (!document.is_object() || !root.Has("format")) {
            root.Refuse("not a project file: it has no \"format\": \"" + std::string(kProjectFormat) + "\"");
        }
        if (document["format"] != kProjectFormat) {
            root.Refuse("not a project file of this program: its format is " + io::DescribeValue(document["format"]));
        }
        const int version = root.Member("version").Int();
        if (version > kProjectVersion) {
            root.Refuse("the project was saved in format version " + std::to_string(version) +
                        " by a newer program; this one reads up to version " + std::to_string(kProjectVersion));
        }
        if (version < 1) root.Member("version").Refuse("expected a version of 1 or more");
        Project project;
        for (const io::JsonCursor& w : root.Member("windows").Elements(kMaxWindows)) {
            ProjectWindow window;
            const io::JsonCursor g = w.Member("geometry");
            window.geometry = {g.Member("x").Int(), g.Member("y").Int(), g.Member("width").Int(),
                               g.Member("height").Int(), g.Member("maximized").Bool()};
            if (window.geometry.width < 0 || window.geometry.height < 0) g.Refuse("the size is negative");
            window.session = SessionFromJson(w.Member("session"), version);
            if (const auto problem = SessionProblem(window.session)) w.Member("session").Refuse(*problem);
            project.windows.push_back(std::move(window));
        }
        return project;
    } catch (const io::FileError& e) {
        throw ProjectError(e.what());
    }
}

void SaveProject(const Project& project, const std::filesystem::path& path)
{
    io::WriteFileAtomically(path, ProjectToJson(project));
}

Project LoadProject(const std::filesystem::path& path)
{
    std::string text;
    try {
        text = io::ReadRegularFile(path, kMaxProjectBytes);
    } catch (const io::FileError& e) {
        throw ProjectError(e.what());
    }
    return ProjectFromJson(text, path.string());
}

}  // namespace mt1d::session
