#include "sounding/EmtfXmlReader.h"

#include "sounding/EmtfXmlFields.h"
#include "sounding/ImpedanceMath.h"
#include "sounding/ImpedanceUnits.h"
#include "sounding/Limits.h"
#include "sounding/Normalize.h"
#include "sounding/ReadError.h"
#include "sounding/TextScan.h"

#include <pugixml.hpp>

#include <algorithm>
#include <array>
#include <cmath>

namespace mt1d::sounding {
namespace {

// Magnitudes this large are missing-value marks (1e32 and its spellings), not measurements.
constexpr double kMissingMark = 1.0e30;
// A layout whose channels stray more than this from orthogonal axes is noted.
constexpr double kOrthogonalToleranceDeg = 1.0;

bool Usable(double v)
{
    return std::isfinite(v) && std::abs(v) < kMissingMark;
}

// Where a node sits, for messages: its line and its path from the root.
class Locator {
public:
    Locator(std::string_view bytes, const std::string& file) : bytes_(bytes), file_(file) {}

    int LineOf(std::ptrdiff_t offset) const
    {
        if (offset < 0) return 0;
        const auto end = std::min(static_cast<std::size_t>(offset), bytes_.size());
        int line = 1;
        for (std::size_t i = 0; i < end; ++i) {
            if (bytes_[i] == '\n') ++line;
            else if (bytes_[i] == '\r' && (i + 1 >= bytes_.size() || bytes_[i + 1] != '\n')) ++line;
        }
        return line;
    }

    static std::string PathOf(pugi::xml_node node)
    {
        std::vector<std::string> parts;
        for (pugi::xml_node n = node; n && n.type() == pugi::node_element; n = n.parent()) {
            std::string part = n.name();
            std::size_t index = 0;
            std::size_t same = 0;
            for (pugi::xml_node sib = n.parent().child(n.name()); sib; sib = sib.next_sibling(n.name())) {
                ++same;
                if (sib == n) index = same;
            }
            if (same > 1) part += "[" + std::to_string(index) + "]";
            parts.push_back(std::move(part));
        }
        std::string path;
        for (auto it = parts.rbegin(); it != parts.rend(); ++it) path += (path.empty() ? "" : "/") + *it;
        return path;
    }

    [[noreturn]] void Fail(pugi::xml_node node, const std::string& problem) const
    {
        throw ReadError(file_, LineOf(node.offset_debug()), ReadProblem::kBadValue, "<" + PathOf(node) + ">: " + problem);
    }

    const std::string& File() const { return file_; }

private:
    std::string_view bytes_;
    const std::string& file_;
};

std::string_view TextOf(pugi::xml_node node)
{
    return Trim(node.text().get());
}

// An element's text or an attribute's value, by a path from the root ("Site/Location/@datum").
std::string_view ValueAt(pugi::xml_node root, std::string_view path)
{
    pugi::xml_node node = root;
    while (!path.empty()) {
        const auto slash = path.find('/');
        const std::string part(path.substr(0, slash));
        path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
        if (!part.empty() && part.front() == '@') return Trim(node.attribute(part.c_str() + 1).value());
        node = node.child(part.c_str());
        if (!node) return {};
    }
    return TextOf(node);
}

// Header values stay on one line: line breaks and tabs become blanks.
std::string OneLine(std::string_view text)
{
    std::string out;
    for (const char c : text) out.push_back(c == '\n' || c == '\r' || c == '\t' ? ' ' : c);
    return out;
}

bool IsAnyOf(std::string_view text, std::initializer_list<std::string_view> words)
{
    return std::any_of(words.begin(), words.end(), [&](std::string_view w) { return EqualsIgnoreCase(text, w); });
}

// --- the site ---------------------------------------------------------------------------------

std::optional<double> NumberAt(pugi::xml_node root, std::string_view path)
{
    const auto v = ParseNumber(ValueAt(root, path));
    if (v && std::isfinite(*v)) return v;
    return std::nullopt;
}

Location ReadLocation(pugi::xml_node root, std::vector<std::string>& notes)
{
    Location loc;
    loc.latitudeDeg = NumberAt(root, "Site/Location/Latitude");
    loc.longitudeDeg = NumberAt(root, "Site/Location/Longitude");
    loc.elevationM = NumberAt(root, "Site/Location/Elevation");
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
    if (loc.elevationM) {
        const std::string_view units = ValueAt(root, "Site/Location/Elevation/@units");
        if (IsAnyOf(units, {"feet", "foot", "ft"})) {
            loc.elevationM = *loc.elevationM * 0.3048;
            notes.push_back("elevation given in feet; converted to metres");
        } else if (!units.empty() && !IsAnyOf(units, {"meters", "metres", "meter", "metre", "m"})) {
            notes.push_back("elevation units '" + std::string(units) + "' not known; taken as metres");
        }
    }
    return loc;
}

Site ReadSite(pugi::xml_node root, const std::string& defaultName, std::vector<std::string>& notes)
{
    Site site;
    for (const auto& field : kEmtfXmlFields) {
        const std::string_view v = ValueAt(root, field.path);
        if (!v.empty()) site.header.emplace_back(std::string(field.key), ToUtf8(OneLine(v)));
    }
    const std::string_view id = ValueAt(root, "Site/Id");
    site.name = id.empty() ? defaultName : ToUtf8(OneLine(id));
    site.location = ReadLocation(root, notes);
    // Notes: free text, one entry per line.
    LineCursor lines(root.child("Notes").text().get());
    std::string_view line;
    while (lines.Next(line) && site.info.size() < kMaxTextLines) {
        std::string_view t = line;
        while (!t.empty() && IsBlank(t.back())) t.remove_suffix(1);
        if (!Trim(t).empty()) site.info.push_back(ToUtf8(t));
    }
    return site;
}

// --- time convention, units and frame --------------------------------------------------------

enum class Convention { kPlus, kMinus };

Convention ReadConvention(pugi::xml_node root, std::vector<std::string>& notes)
{
    const std::string_view text = ValueAt(root, "ProcessingInfo/SignConvention");
    if (text.empty()) {
        notes.push_back("the file states no sign convention; e^{+iωt} assumed");
        return Convention::kPlus;
    }
    std::string_view rest = text;
    const auto open = rest.find('(');
    if (open != std::string_view::npos) rest = rest.substr(open + 1);
    rest = Trim(rest);
    if (!rest.empty() && rest.front() == '+') return Convention::kPlus;
    if (!rest.empty() && rest.front() == '-') return Convention::kMinus;
    notes.push_back("sign convention '" + ToUtf8(text) + "' not understood; e^{+iωt} assumed");
    return Convention::kPlus;
}

// The factor from the file's impedance units to (mV/km)/nT. `units` empty: field units.
double ImpedanceFactor(const Locator& where, pugi::xml_node node, std::string_view units)
{
    if (units.empty()) return 1.0;
    const auto f = FieldUnitsPer(units);
    if (!f)
        where.Fail(node, "impedance units '" + ToUtf8(units) +
                             "' not known; expected [mV/km]/[nT], Ohm or [V/m]/[T]");
    return *f;
}

double OrientationOf(pugi::xml_node layout, const char* group, const char* kind, const char* name, bool& found)
{
    for (pugi::xml_node ch : layout.child(group).children(kind)) {
        if (!EqualsIgnoreCase(ch.attribute("name").value(), name)) continue;
        const auto v = ParseNumber(Trim(ch.attribute("orientation").value()));
        if (v && std::isfinite(*v)) {
            found = true;
            return *v;
        }
    }
    found = false;
    return 0.0;
}

double AngleDifference(double a, double b)
{
    double d = std::fmod(a - b, 360.0);
    if (d > 180.0) d -= 360.0;
    if (d < -180.0) d += 360.0;
    return d;
}

double ReadFrame(const Locator& where, pugi::xml_node root, std::vector<std::string>& notes)
{
    const pugi::xml_node orientation = root.child("Site").child("Orientation");
    const std::string_view layoutKind = TextOf(orientation);
    if (EqualsIgnoreCase(layoutKind, "sitelayout")) {
        const pugi::xml_node layout = root.child("SiteLayout");
        bool hx = false, hy = false, ex = false, ey = false;
        const double aHx = OrientationOf(layout, "InputChannels", "Magnetic", "Hx", hx);
        const double aHy = OrientationOf(layout, "InputChannels", "Magnetic", "Hy", hy);
        const double aEx = OrientationOf(layout, "OutputChannels", "Electric", "Ex", ex);
        const double aEy = OrientationOf(layout, "OutputChannels", "Electric", "Ey", ey);
        if (!hx) where.Fail(orientation, "the frame is the site layout, but <SiteLayout> gives no Hx orientation");
        double worst = 0.0;
        if (hy) worst = std::max(worst, std::abs(AngleDifference(aHy, aHx + 90.0)));
        if (ex) worst = std::max(worst, std::abs(AngleDifference(aEx, aHx)));
        if (ey) worst = std::max(worst, std::abs(AngleDifference(aEy, aHx + 90.0)));
        if (worst > kOrthogonalToleranceDeg)
            notes.push_back("the channels of the site layout stray up to " + FormatNumber(worst, 3) +
                            "° from orthogonal axes at the Hx orientation; the tensor is taken in the frame " +
                            FormatNumber(aHx) + "°");
        return aHx;
    }
    if (!layoutKind.empty() && !EqualsIgnoreCase(layoutKind, "orthogonal"))
        notes.push_back("orientation '" + ToUtf8(layoutKind) + "' not known; taken as orthogonal");
    const pugi::xml_attribute angle = orientation.attribute("angle_to_geographic_north");
    if (!angle) return 0.0;
    const auto v = ParseNumber(Trim(angle.value()));
    if (!v || !std::isfinite(*v))
        where.Fail(orientation, "angle_to_geographic_north='" + std::string(angle.value()) + "' is not an angle");
    return *v;
}

// --- the data ---------------------------------------------------------------------------------

// Index of a tensor element from channel names: Z (outputs Ex, Ey; inputs Hx, Hy) or T (output
// Hz; inputs Hx, Hy); -1 when the names do not fit.
int ZIndex(std::string_view output, std::string_view input)
{
    int i = EqualsIgnoreCase(output, "Ex") ? 0 : EqualsIgnoreCase(output, "Ey") ? 1 : -1;
    int j = EqualsIgnoreCase(input, "Hx") ? 0 : EqualsIgnoreCase(input, "Hy") ? 1 : -1;
    return (i < 0 || j < 0) ? -1 : 2 * i + j;
}

int TIndex(std::string_view output, std::string_view input)
{
    if (!EqualsIgnoreCase(output, "Hz")) return -1;
    return EqualsIgnoreCase(input, "Hx") ? 0 : EqualsIgnoreCase(input, "Hy") ? 1 : -1;
}

int ZIndexByName(std::string_view name)
{
    static constexpr std::array<std::string_view, 4> kNames = {"Zxx", "Zxy", "Zyx", "Zyy"};
    for (std::size_t k = 0; k < kNames.size(); ++k)
        if (EqualsIgnoreCase(name, kNames[k])) return static_cast<int>(k);
    return -1;
}

int TIndexByName(std::string_view name)
{
    if (IsAnyOf(name, {"Tx", "Tzx"})) return 0;
    if (IsAnyOf(name, {"Ty", "Tzy"})) return 1;
    return -1;
}

enum class Tf { kZ, kT };

// Where a <value> of a transfer function belongs.
int ElementIndex(const Locator& where, pugi::xml_node value, Tf tf)
{
    const pugi::xml_attribute out = value.attribute("output");
    const pugi::xml_attribute in = value.attribute("input");
    int k = -1;
    if (out && in) k = tf == Tf::kZ ? ZIndex(Trim(out.value()), Trim(in.value())) : TIndex(Trim(out.value()), Trim(in.value()));
    else k = tf == Tf::kZ ? ZIndexByName(Trim(value.attribute("name").value())) : TIndexByName(Trim(value.attribute("name").value()));
    if (k < 0)
        where.Fail(value, tf == Tf::kZ ? "expected an impedance element: output Ex or Ey and input Hx or Hy, or a name Zxx … Zyy"
                                       : "expected a tipper element: output Hz and input Hx or Hy, or a name Tx or Ty");
    return k;
}

std::vector<double> Numbers(const Locator& where, pugi::xml_node value, std::size_t expected, const char* what)
{
    std::vector<double> numbers;
    TokenCursor tokens(TextOf(value));
    std::string_view token;
    while (tokens.Next(token)) {
        double v = 0.0;
        if (ClassifyToken(token, v) == TokenKind::kWord || numbers.size() == expected)
            where.Fail(value, std::string("expected ") + what);
        numbers.push_back(v);  // NaN for a malformed number: missing
    }
    if (numbers.size() != expected) where.Fail(value, std::string("expected ") + what);
    return numbers;
}

struct Counts {
    std::size_t missing = 0;
};

// The values of a <Z> or <T>: complex numbers in the file's units.
template <std::size_t N>
std::array<std::optional<std::complex<double>>, N> ReadValues(const Locator& where, pugi::xml_node block, Tf tf,
                                                              Counts& counts)
{
    std::array<std::optional<std::complex<double>>, N> out;
    std::array<bool, N> seen{};
    for (pugi::xml_node value : block.children("value")) {
        const int k = ElementIndex(where, value, tf);
        if (static_cast<std::size_t>(k) >= N) where.Fail(value, "element outside the tensor");
        if (seen[static_cast<std::size_t>(k)]) where.Fail(value, "this element appears twice in the period");
        seen[static_cast<std::size_t>(k)] = true;
        const auto n = Numbers(where, value, 2, "the real and imaginary parts: two numbers");
        if (Usable(n[0]) && Usable(n[1])) out[static_cast<std::size_t>(k)] = std::complex<double>(n[0], n[1]);
        else ++counts.missing;
    }
    return out;
}

// <Z.VAR>/<T.VAR>: one real variance per element.
template <std::size_t N>
std::array<std::optional<double>, N> ReadVariances(const Locator& where, pugi::xml_node block, Tf tf)
{
    std::array<std::optional<double>, N> out;
    for (pugi::xml_node value : block.children("value")) {
        const int k = ElementIndex(where, value, tf);
        if (static_cast<std::size_t>(k) >= N) where.Fail(value, "element outside the tensor");
        const auto n = Numbers(where, value, 1, "one number, the variance");
        if (Usable(n[0]) && n[0] > 0.0) out[static_cast<std::size_t>(k)] = n[0];
    }
    return out;
}

// A complex covariance matrix between channels, as a map from (output, input) names to its
// real part: only the diagonal is used.
std::optional<double> Diagonal(pugi::xml_node block, std::string_view channel)
{
    for (pugi::xml_node value : block.children("value")) {
        if (!EqualsIgnoreCase(Trim(value.attribute("output").value()), channel) ||
            !EqualsIgnoreCase(Trim(value.attribute("input").value()), channel))
            continue;
        TokenCursor tokens(TextOf(value));
        std::string_view token;
        if (!tokens.Next(token)) return std::nullopt;
        const auto v = ParseNumber(token);
        if (v && Usable(*v) && *v > 0.0) return v;
        return std::nullopt;
    }
    return std::nullopt;
}

// <Z.COV>: the diagonal of the 4×4 covariance of the elements, either named by output/input
// (Zxx … Zyy) or, without names, in row-major order.
std::array<std::optional<double>, 4> CovarianceDiagonal(pugi::xml_node block)
{
    std::array<std::optional<double>, 4> out;
    std::vector<pugi::xml_node> values;
    for (pugi::xml_node v : block.children("value")) values.push_back(v);
    auto realPart = [](pugi::xml_node v) -> std::optional<double> {
        TokenCursor tokens(TextOf(v));
        std::string_view token;
        if (!tokens.Next(token)) return std::nullopt;
        const auto x = ParseNumber(token);
        if (x && Usable(*x) && *x > 0.0) return x;
        return std::nullopt;
    };
    bool named = false;
    for (pugi::xml_node v : values) {
        const int a = ZIndexByName(Trim(v.attribute("output").value()));
        const int b = ZIndexByName(Trim(v.attribute("input").value()));
        if (a < 0 || b < 0) continue;
        named = true;
        if (a == b) out[static_cast<std::size_t>(a)] = realPart(v);
    }
    if (!named && values.size() == 16)
        for (std::size_t k = 0; k < 4; ++k) out[k] = realPart(values[5 * k]);
    return out;
}

struct PeriodRows {
    std::vector<TensorRow> rows;
    bool anyZ = false;
    std::string zVarianceFrom;
    std::size_t noVariance = 0;
    Counts counts;
};

void ReadPeriod(const Locator& where, pugi::xml_node period, double zFactor, PeriodRows& out)
{
    TensorRow row;
    const pugi::xml_attribute value = period.attribute("value");
    const auto v = value ? ParseNumber(Trim(value.value())) : std::nullopt;
    if (!v) where.Fail(period, "expected a period in its value attribute");
    const std::string_view units = Trim(period.attribute("units").value());
    if (units.empty() || IsAnyOf(units, {"secs", "sec", "s", "seconds", "second"})) {
        row.frequencyHz = (std::isfinite(*v) && *v > 0.0) ? 1.0 / *v : std::numeric_limits<double>::quiet_NaN();
    } else if (IsAnyOf(units, {"hz", "hertz"})) {
        row.frequencyHz = *v;
    } else {
        where.Fail(period, "period units '" + ToUtf8(units) + "' not known; expected secs or Hz");
    }

    if (const pugi::xml_node z = period.child("Z")) {
        const pugi::xml_attribute u = z.attribute("units");
        const double f = u ? ImpedanceFactor(where, z, Trim(u.value())) : zFactor;
        const auto values = ReadValues<4>(where, z, Tf::kZ, out.counts);
        std::array<std::optional<double>, 4> var;
        if (const pugi::xml_node zv = period.child("Z.VAR")) {
            var = ReadVariances<4>(where, zv, Tf::kZ);
            out.zVarianceFrom = "<Z.VAR>";
        } else if (const pugi::xml_node cov = period.child("Z.COV")) {
            var = CovarianceDiagonal(cov);
            out.zVarianceFrom = "the diagonal of <Z.COV>";
        } else if (const pugi::xml_node n = period.child("Z.RESIDCOV"), s = period.child("Z.INVSIGCOV"); n && s) {
            for (std::size_t i = 0; i < 2; ++i)
                for (std::size_t j = 0; j < 2; ++j) {
                    const auto a = Diagonal(n, i == 0 ? "Ex" : "Ey");
                    const auto b = Diagonal(s, j == 0 ? "Hx" : "Hy");
                    if (a && b) var[2 * i + j] = *a * *b;
                }
            out.zVarianceFrom = "<Z.RESIDCOV> and <Z.INVSIGCOV>";
        }
        for (std::size_t k = 0; k < 4; ++k) {
            if (!values[k]) continue;
            out.anyZ = true;
            row.z[k].value = f * *values[k];
            if (var[k]) row.z[k].variance = f * f * *var[k];
            else ++out.noVariance;
        }
    }
    if (const pugi::xml_node t = period.child("T")) {
        const auto values = ReadValues<2>(where, t, Tf::kT, out.counts);
        std::array<std::optional<double>, 2> var;
        if (const pugi::xml_node tv = period.child("T.VAR")) {
            var = ReadVariances<2>(where, tv, Tf::kT);
        } else if (const pugi::xml_node n = period.child("T.RESIDCOV"), s = period.child("T.INVSIGCOV"); n && s) {
            for (std::size_t j = 0; j < 2; ++j) {
                const auto a = Diagonal(n, "Hz");
                const auto b = Diagonal(s, j == 0 ? "Hx" : "Hy");
                if (a && b) var[j] = *a * *b;
            }
        }
        for (std::size_t k = 0; k < 2; ++k) {
            if (!values[k]) continue;
            row.tipper[k].value = *values[k];
            row.tipper[k].variance = var[k];
        }
    }
    out.rows.push_back(std::move(row));
}

// Whether the xy phases plainly follow e^{+iωt}: more than half in (0°, 90°).
bool PhasesFollowPlus(const std::vector<TensorRow>& rows)
{
    std::size_t n = 0;
    std::size_t first = 0;
    for (const auto& row : rows) {
        const auto& v = row.z[static_cast<std::size_t>(Component::kXy)].value;
        if (!v || *v == 0.0) continue;
        ++n;
        const double p = PhaseDegrees(*v);
        if (p > 0.0 && p < 90.0) ++first;
    }
    return 2 * first > n;
}

}  // namespace

Sounding ParseEmtfXml(std::string_view bytes, const std::string& file, const std::string& defaultName)
{
    const Locator where(bytes, file);
    pugi::xml_document doc;
    const pugi::xml_parse_result parsed =
        doc.load_buffer(bytes.data(), bytes.size(), pugi::parse_default, pugi::encoding_auto);
    if (!parsed)
        throw ReadError(file, where.LineOf(parsed.offset), ReadProblem::kNotSounding,
                        std::string("not well-formed XML: ") + parsed.description());
    const pugi::xml_node root = doc.document_element();
    if (!root) throw ReadError(file, 0, ReadProblem::kNotSounding, "no XML element; expected <EM_TF> (EMTF XML)");
    if (std::string_view(root.name()) != "EM_TF")
        throw ReadError(file, where.LineOf(root.offset_debug()), ReadProblem::kNotSounding,
                        "the root element is <" + std::string(root.name()) + ">; expected <EM_TF> (EMTF XML)");

    Sounding s;
    s.sourceName = file;
    s.format = SourceFormat::kEmtfXml;
    s.kind = DataKind::kImpedance;
    std::vector<std::string> notes;
    s.site = ReadSite(root, defaultName, notes);
    const Convention convention = ReadConvention(root, notes);
    const double frame = ReadFrame(where, root, notes);

    double zFactor = 1.0;
    pugi::xml_node zType;
    for (pugi::xml_node t : root.child("DataTypes").children("DataType"))
        if (std::string_view(t.attribute("name").value()) == "Z") zType = t;
    if (zType && zType.attribute("units")) {
        zFactor = ImpedanceFactor(where, zType, Trim(zType.attribute("units").value()));
    } else {
        bool perPeriod = false;
        for (pugi::xml_node p : root.child("Data").children("Period"))
            perPeriod = perPeriod || static_cast<bool>(p.child("Z").attribute("units"));
        if (!perPeriod) notes.push_back("the file names no impedance units; [mV/km]/[nT] assumed");
    }
    if (zFactor != 1.0)
        notes.push_back("impedances converted from " + ToUtf8(Trim(zType.attribute("units").value())) +
                        " to (mV/km)/nT (× " + FormatNumber(zFactor) + ")");

    const pugi::xml_node data = root.child("Data");
    if (!data) where.Fail(root, "expected a <Data> element holding the transfer functions");
    PeriodRows rows;
    std::size_t periods = 0;
    for (pugi::xml_node period : data.children("Period")) {
        if (++periods > kMaxFrequencies)
            where.Fail(period, "more than " + std::to_string(kMaxFrequencies) + " periods; mt1d reads up to that many");
        ReadPeriod(where, period, zFactor, rows);
    }
    if (rows.rows.empty()) where.Fail(data, "expected <Period> elements; there are none");
    if (!rows.anyZ) where.Fail(data, "expected impedances (<Z>) in the periods; the file holds none");
    if (const pugi::xml_attribute count = data.attribute("count")) {
        const auto n = ParseCount(Trim(count.value()));
        if (n && static_cast<std::size_t>(*n) != rows.rows.size())
            notes.push_back("<Data count=" + std::to_string(*n) + "> but " + std::to_string(rows.rows.size()) +
                            " periods; all were read");
    }
    for (auto& row : rows.rows) row.rotationDeg = frame;
    if (frame != 0.0) notes.push_back("the tensor is given in the frame " + FormatNumber(frame) + "° from north");
    if (rows.counts.missing > 0)
        notes.push_back(std::to_string(rows.counts.missing) + " values marked missing (NaN or 1e32)");
    if (rows.noVariance > 0)
        notes.push_back(std::to_string(rows.noVariance) + " impedance values have no variance");
    else if (!rows.zVarianceFrom.empty())
        notes.push_back("variances from " + rows.zVarianceFrom);

    if (convention == Convention::kMinus) {
        if (PhasesFollowPlus(rows.rows)) {
            notes.push_back("the file declares e^{−iωt}, but most xy phases lie between 0° and 90° as with e^{+iωt}; "
                            "the values are kept as written");
        } else {
            for (auto& row : rows.rows) {
                for (auto& e : row.z)
                    if (e.value) e.value = std::conj(*e.value);
                for (auto& e : row.tipper)
                    if (e.value) e.value = std::conj(*e.value);
            }
            s.conjugated = true;
            notes.push_back("the file declares e^{−iωt}: impedances and tipper conjugated to e^{+iωt}");
        }
    }
    s.tensor = std::move(rows.rows);
    s.notes = std::move(notes);
    NormalizeSounding(s);
    return s;
}

}  // namespace mt1d::sounding
