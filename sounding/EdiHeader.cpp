#include "sounding/EdiHeader.h"

#include "sounding/Limits.h"
#include "sounding/TextScan.h"

#include <algorithm>
#include <cmath>

namespace mt1d::sounding {
namespace {

constexpr double kStandardEmpty = 1.0e32;
// Marks at least this large are matched from below (|v| ≥ 0.99·|mark|); smaller marks are
// matched as values.
constexpr double kLargeMark = 1.0e10;

bool IsSection(const std::string& name)
{
    return name == "HEAD" || name == "INFO" || name == "DEFINEMEAS" || name == "MTSECT" ||
           name == "SPECTRASECT";
}

bool IsChannel(const std::string& name)
{
    return name == "HMEAS" || name == "EMEAS";
}

struct Collected {
    std::vector<std::pair<std::string, std::string>> head;
    std::vector<std::pair<std::string, std::string>> define;
    std::vector<std::string> info;
    bool infoCut = false;
    bool headCut = false;
};

void AddText(Collected& c, std::string_view body, const std::string& section)
{
    LineCursor lines(body);
    std::string_view line;
    while (lines.Next(line)) {
        if (section == "INFO") {
            // Free text: keep it as written, without trailing blanks and the empty lines.
            std::string_view t = line;
            while (!t.empty() && (IsBlank(t.back()))) t.remove_suffix(1);
            if (Trim(t).empty()) continue;
            if (c.info.size() >= kMaxTextLines) {
                c.infoCut = true;
                continue;
            }
            c.info.push_back(ToUtf8(t));
            continue;
        }
        if ((section != "HEAD" && section != "DEFINEMEAS")) continue;
        auto& target = section == "HEAD" ? c.head : c.define;
        for (auto& kv : ParseEdiKeyLine(line)) {
            if (target.size() >= kMaxTextLines) {
                c.headCut = true;
                break;
            }
            target.push_back(std::move(kv));
        }
    }
}

const std::string* Find(const std::vector<std::pair<std::string, std::string>>& kv,
                        std::initializer_list<std::string_view> keys)
{
    for (const auto key : keys)
        if (const auto* v = FindOption(kv, key)) return v;
    return nullptr;
}

std::optional<double> Angle(const std::vector<std::pair<std::string, std::string>>& kv,
                            std::initializer_list<std::string_view> keys)
{
    for (const auto key : keys) {
        const auto* v = FindOption(kv, key);
        if (!v) continue;
        if (const auto a = ParseEdiAngle(*v)) return a;
    }
    return std::nullopt;
}

std::optional<double> Number(const std::vector<std::pair<std::string, std::string>>& kv,
                             std::initializer_list<std::string_view> keys)
{
    for (const auto key : keys) {
        const auto* v = FindOption(kv, key);
        if (!v) continue;
        if (const auto x = ParseNumber(Trim(*v)); x && std::isfinite(*x)) return x;
    }
    return std::nullopt;
}

Location ReadLocation(const Collected& c, std::vector<std::string>& notes)
{
    Location loc;
    loc.latitudeDeg = Angle(c.head, {"LAT", "LATITUDE"});
    if (!loc.latitudeDeg) loc.latitudeDeg = Angle(c.define, {"REFLAT"});
    loc.longitudeDeg = Angle(c.head, {"LONG", "LON", "LONGITUDE"});
    if (!loc.longitudeDeg) loc.longitudeDeg = Angle(c.define, {"REFLONG", "REFLON"});
    loc.elevationM = Number(c.head, {"ELEV", "ELEVATION"});
    if (!loc.elevationM) loc.elevationM = Number(c.define, {"REFELEV"});

    if (loc.latitudeDeg && loc.longitudeDeg && *loc.latitudeDeg == 0.0 && *loc.longitudeDeg == 0.0) {
        loc.latitudeDeg.reset();
        loc.longitudeDeg.reset();
        notes.push_back("location given as 0, 0: taken as unknown");
    }
    if (loc.latitudeDeg && std::abs(*loc.latitudeDeg) > 90.0) {
        notes.push_back("latitude " + FormatNumber(*loc.latitudeDeg) + "° is out of range: ignored");
        loc.latitudeDeg.reset();
    }
    if (loc.longitudeDeg) {
        double lon = *loc.longitudeDeg;
        if (std::abs(lon) > 360.0) {
            notes.push_back("longitude " + FormatNumber(lon) + "° is out of range: ignored");
            loc.longitudeDeg.reset();
        } else {
            if (lon > 180.0) lon -= 360.0;
            if (lon <= -180.0) lon += 360.0;
            loc.longitudeDeg = lon;
        }
    }
    return loc;
}

}  // namespace

std::optional<double> ParseEdiAngle(std::string_view text)
{
    text = Trim(text);
    if (text.empty()) return std::nullopt;
    double hemisphere = 1.0;
    const char last = static_cast<char>(text.back() & ~0x20);  // upper case for letters
    if (last == 'N' || last == 'S' || last == 'E' || last == 'W') {
        if (last == 'S' || last == 'W') hemisphere = -1.0;
        text = Trim(text.substr(0, text.size() - 1));
    }
    if (text.empty()) return std::nullopt;
    const bool negative = text.front() == '-';
    double parts[3] = {0.0, 0.0, 0.0};
    int count = 0;
    std::size_t start = 0;
    while (true) {
        const std::size_t colon = text.find(':', start);
        const std::string_view piece = Trim(text.substr(start, colon == std::string_view::npos ? colon : colon - start));
        if (count == 3) return std::nullopt;
        const auto v = ParseNumber(piece);
        if (!v || !std::isfinite(*v)) return std::nullopt;
        parts[count++] = *v;
        if (colon == std::string_view::npos) break;
        start = colon + 1;
    }
    if (count == 1) return hemisphere * parts[0];
    // Minutes and seconds are unsigned and below 60 (60.00 seconds occurs and is accepted).
    if (parts[1] < 0.0 || parts[1] >= 60.0 || parts[2] < 0.0 || parts[2] > 60.0) return std::nullopt;
    const double magnitude = std::abs(parts[0]) + parts[1] / 60.0 + parts[2] / 3600.0;
    return hemisphere * (negative ? -magnitude : magnitude);
}

bool IsEdiMissing(double value, double emptyValue)
{
    if (!std::isfinite(value)) return true;
    const double a = std::abs(value);
    if (a >= 0.99 * kStandardEmpty) return true;
    const double mark = std::abs(emptyValue);
    if (mark >= kLargeMark) return a >= 0.99 * mark;
    return std::abs(value - emptyValue) <= 1e-6 * std::max(1.0, mark);
}

EdiHeader ReadEdiHeader(const EdiLexed& lexed, const std::string& defaultName)
{
    EdiHeader header;
    Collected c;
    std::string section;  // the section a comment's lines continue
    for (const auto& block : lexed.blocks) {
        if (block.name == "!") {
            if (IsSection(section)) AddText(c, block.body, section);
            continue;
        }
        section = block.name;
        if (IsSection(block.name)) {
            AddText(c, block.body, block.name);
        } else if (IsChannel(block.name)) {
            auto options = ParseEdiOptions(block.marker);
            LineCursor lines(block.body);
            std::string_view line;
            while (lines.Next(line))
                for (auto& kv : ParseEdiOptions(line)) options.push_back(std::move(kv));
            EdiChannel channel;
            channel.line = block.line;
            if (const auto* id = FindOption(options, "ID")) channel.id = std::string(Trim(*id));
            if (const auto* type = FindOption(options, "CHTYPE")) channel.type = ToUpper(Trim(*type));
            if (!channel.id.empty() && header.channels.size() < kMaxSpectraChannels * 4)
                header.channels.push_back(std::move(channel));
        }
    }

    if (const auto* id = Find(c.head, {"DATAID"}); id && !Trim(*id).empty())
        header.site.name = std::string(Trim(*id));
    else
        header.site.name = defaultName;
    header.site.location = ReadLocation(c, header.notes);
    if (const auto* empty = Find(c.head, {"EMPTY"})) {
        const auto v = ParseNumber(Trim(*empty));
        if (v && std::isfinite(*v) && *v != 0.0) {
            header.emptyValue = *v;
        } else {
            header.notes.push_back("EMPTY=" + *empty + " is not a usable missing-value mark; 1.0E32 assumed");
        }
    }
    header.site.header = std::move(c.head);
    header.site.info = std::move(c.info);
    if (c.infoCut)
        header.notes.push_back("INFO longer than " + std::to_string(kMaxTextLines) + " lines; the rest not kept");
    if (c.headCut)
        header.notes.push_back("HEAD longer than " + std::to_string(kMaxTextLines) + " fields; the rest not kept");
    return header;
}

}  // namespace mt1d::sounding
