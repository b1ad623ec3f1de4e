#include "session/Project.h"

#include "io/AtomicFile.h"
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
    const auto refuse = [&](const std::string& what) -> ProjectError { return ProjectError(file + ": " + what); };
    json document;
    try {
        document = json::parse(text.begin(), text.end());
    } catch (const json::parse_error& e) {
        throw refuse("not a project file: the text is not JSON (at byte " + std::to_string(e.byte) + ")");
    }
    if (!document.is_object() || !document.contains("format")) {
        throw refuse("not a project file: it has no \"format\": \"" + std::string(kProjectFormat) + "\"");
    }
    if (document["format"] != kProjectFormat) {
        throw refuse("not a project file of this program: its format is " + document["format"].dump());
    }
    Project project;
    try {
        const JsonField root(document, "");
        const int version = root["version"].Int();
        if (version > kProjectVersion) {
            throw refuse("the project was saved in format version " + std::to_string(version)
                         + " by a newer program; this one reads up to version " + std::to_string(kProjectVersion));
        }
        if (version < 1) root["version"].Refuse("expected a version of 1 or more");
        for (const JsonField& w : root["windows"].Array(kMaxWindows)) {
            ProjectWindow window;
            const JsonField g = w["geometry"];
            window.geometry = {g["x"].Int(), g["y"].Int(), g["width"].Int(), g["height"].Int(), g["maximized"].Bool()};
            if (window.geometry.width < 0 || window.geometry.height < 0) g.Refuse("the size is negative");
            window.session = SessionFromJson(w["session"], version);
            if (const auto problem = SessionProblem(window.session)) w["session"].Refuse(*problem);
            project.windows.push_back(std::move(window));
        }
    } catch (const JsonRefusal& e) {
        throw refuse(e.what());
    }
    return project;
}

void SaveProject(const Project& project, const std::filesystem::path& path)
{
    io::WriteFileAtomically(path, ProjectToJson(project));
}

Project LoadProject(const std::filesystem::path& path)
{
    const std::string file = path.string();
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) throw ProjectError(file + ": no such file");
    const auto size = std::filesystem::file_size(path, error);
    if (error) throw ProjectError(file + ": " + error.message());
    if (size > kMaxProjectBytes) throw ProjectError(file + ": larger than any project (" + std::to_string(size) + " bytes)");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw ProjectError(file + ": cannot be opened");
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) throw ProjectError(file + ": cannot be read");
    return ProjectFromJson(text.str(), file);
}

}  // namespace mt1d::session
