#include "sounding/EdiSpectra.h"

#include "sounding/EdiData.h"
#include "sounding/Limits.h"
#include "sounding/ReadError.h"
#include "sounding/TextScan.h"

#include <cmath>
#include <complex>

namespace mt1d::sounding {
namespace {

using Complex = std::complex<double>;

struct ChannelList {
    std::vector<std::string> ids;
    int line = 0;  // where the list starts
    std::optional<int> nchan;
    std::optional<int> nfreq;
};

ChannelList ReadChannelList(const EdiBlock& section, const std::string& file)
{
    ChannelList list;
    LineCursor lines(section.body, section.bodyLine);
    std::string_view line;
    std::optional<int> count;
    bool inList = false;
    while (lines.Next(line)) {
        std::string_view t = Trim(line);
        if (!inList && t.substr(0, 2) == "//") {
            inList = true;
            list.line = lines.LineNumber();
            TokenCursor tokens(t.substr(2));
            std::string_view token;
            if (!tokens.Next(token) || !(count = ParseCount(token)))
                throw ReadError(file, lines.LineNumber(), ReadProblem::kMissingPart, "expected the number of channels after '//'");
            while (tokens.Next(token) && list.ids.size() <= kMaxSpectraChannels) list.ids.emplace_back(token);
            continue;
        }
        if (inList) {
            TokenCursor tokens(t);
            std::string_view token;
            while (tokens.Next(token)) {
                if (list.ids.size() > kMaxSpectraChannels)
                    throw ReadError(file, lines.LineNumber(), ReadProblem::kTooLarge,
                                    "more than " + std::to_string(kMaxSpectraChannels) + " channels listed");
                list.ids.emplace_back(token);
            }
            continue;
        }
        for (const auto& [key, value] : ParseEdiKeyLine(line)) {
            if (key == "NCHAN") list.nchan = ParseCount(Trim(value));
            if (key == "NFREQ") list.nfreq = ParseCount(Trim(value));
        }
    }
    if (!count)
        throw ReadError(file, section.line, ReadProblem::kMissingPart,
                        "expected the channel list ('// NCHAN' and then the channel IDs) in the >=SPECTRASECT section");
    if (*count < 4 || static_cast<std::size_t>(*count) > kMaxSpectraChannels)
        throw ReadError(file, list.line, ReadProblem::kBadValue,
                        "'// " + std::to_string(*count) + "': expected between 4 and " +
                            std::to_string(kMaxSpectraChannels) + " channels");
    if (list.ids.size() != static_cast<std::size_t>(*count))
        throw ReadError(file, list.line, ReadProblem::kWrongCount,
                        "'// " + std::to_string(*count) + "' announces " + std::to_string(*count) +
                            " channels but " + std::to_string(list.ids.size()) + " IDs follow");
    if (list.nchan && *list.nchan != *count)
        throw ReadError(file, list.line, ReadProblem::kWrongCount,
                        "NCHAN=" + std::to_string(*list.nchan) + " but " + std::to_string(*count) + " channels listed");
    return list;
}

bool SameId(std::string_view a, std::string_view b)
{
    if (a == b) return true;
    const auto x = ParseNumber(a);
    const auto y = ParseNumber(b);
    return x && y && std::isfinite(*x) && *x == *y;
}

struct Roles {
    int hx = -1, hy = -1, ex = -1, ey = -1, rx = -1, ry = -1;
};

Roles AssignRoles(const std::vector<std::string>& types, const std::vector<std::string>& ids, int line,
                  const std::string& file, std::vector<std::string>& notes)
{
    Roles r;
    int hx2 = -1, hy2 = -1, ex2 = -1, ey2 = -1;
    const auto take = [](int& first, int& second, int i) {
        if (first < 0) first = i;
        else if (second < 0) second = i;
    };
    for (int i = 0; i < static_cast<int>(types.size()); ++i) {
        const std::string& t = types[static_cast<std::size_t>(i)];
        if (t == "RX" || t == "RRHX") {
            if (r.rx < 0) r.rx = i;
        } else if (t == "RY" || t == "RRHY") {
            if (r.ry < 0) r.ry = i;
        } else if (t == "HX") {
            take(r.hx, hx2, i);
        } else if (t == "HY") {
            take(r.hy, hy2, i);
        } else if (t == "EX") {
            take(r.ex, ex2, i);
        } else if (t == "EY") {
            take(r.ey, ey2, i);
        }
    }
    if (r.hx < 0 || r.hy < 0 || r.ex < 0 || r.ey < 0)
        throw ReadError(file, line, ReadProblem::kMissingPart, "the spectra need channels of type HX, HY, EX and EY");
    const auto name = [&](int i) { return ids[static_cast<std::size_t>(i)]; };
    if (r.rx >= 0 && r.ry >= 0) {
        notes.push_back("impedances computed from the cross-spectra with the remote reference channels " + name(r.rx) +
                        " and " + name(r.ry));
    } else if (hx2 >= 0 && hy2 >= 0) {
        r.rx = hx2;
        r.ry = hy2;
        notes.push_back("impedances computed from the cross-spectra with the second HX/HY pair (" + name(r.rx) + ", " +
                        name(r.ry) + ") as remote reference");
    } else if (ex2 >= 0 && ey2 >= 0) {
        r.rx = ex2;
        r.ry = ey2;
        notes.push_back("impedances computed from the cross-spectra with channels " + name(r.rx) + " and " +
                        name(r.ry) + " (declared as a second EX/EY pair) as remote reference");
    } else {
        r.rx = r.hx;
        r.ry = r.hy;
        notes.push_back(
            "impedances computed from the cross-spectra without remote reference (single-site estimate, biased by "
            "noise in the magnetic channels)");
    }
    return r;
}

// Cross-power S_ij from the stored real matrix (row-major, n × n).
Complex Cross(const std::vector<double>& a, std::size_t n, int i, int j)
{
    const auto ui = static_cast<std::size_t>(i);
    const auto uj = static_cast<std::size_t>(j);
    if (ui == uj) return {a[ui * n + ui], 0.0};
    if (ui < uj) return {a[ui * n + uj], a[uj * n + ui]};
    return {a[uj * n + ui], -a[ui * n + uj]};
}

bool Finite(Complex z)
{
    return std::isfinite(z.real()) && std::isfinite(z.imag());
}

TensorRow ImpedanceFromSpectra(const std::vector<double>& a, std::size_t n, const Roles& r)
{
    TensorRow row;
    const Complex m00 = Cross(a, n, r.hx, r.rx);
    const Complex m01 = Cross(a, n, r.hx, r.ry);
    const Complex m10 = Cross(a, n, r.hy, r.rx);
    const Complex m11 = Cross(a, n, r.hy, r.ry);
    const Complex det = m00 * m11 - m01 * m10;
    if (!Finite(det) || det == 0.0) return row;
    const Complex i00 = m11 / det;
    const Complex i01 = -m01 / det;
    const Complex i10 = -m10 / det;
    const Complex i11 = m00 / det;
    const int e[2] = {r.ex, r.ey};
    for (int k = 0; k < 2; ++k) {
        const Complex sa = Cross(a, n, e[k], r.rx);
        const Complex sb = Cross(a, n, e[k], r.ry);
        const Complex zx = sa * i00 + sb * i10;
        const Complex zy = sa * i01 + sb * i11;
        if (Finite(zx)) row.z[static_cast<std::size_t>(2 * k)].value = zx;
        if (Finite(zy)) row.z[static_cast<std::size_t>(2 * k + 1)].value = zy;
    }
    return row;
}

}  // namespace

EdiSectionRows ReadEdiSpectraSection(const EdiLexed& lexed, std::size_t section, const EdiHeader& header,
                                     const std::string& file)
{
    EdiSectionRows out;
    out.kind = DataKind::kImpedance;
    const EdiBlock& sect = lexed.blocks[section];
    const ChannelList list = ReadChannelList(sect, file);
    const std::size_t n = list.ids.size();

    std::vector<std::string> types;
    for (const auto& id : list.ids) {
        const EdiChannel* found = nullptr;
        for (const auto& ch : header.channels)
            if (SameId(ch.id, id)) {
                found = &ch;
                break;
            }
        if (!found)
            throw ReadError(file, list.line, ReadProblem::kMissingPart,
                            "channel " + ToUtf8(id) + " of the spectra is not defined by any >HMEAS or >EMEAS line");
        types.push_back(found->type);
    }
    const Roles roles = AssignRoles(types, list.ids, list.line, file, out.notes);

    std::size_t missing = 0;
    for (const EdiBlock* b : SectionBlocks(lexed, section)) {
        if (b->name != "SPECTRA") continue;
        if (out.tensor.size() >= kMaxFrequencies)
            throw ReadError(file, b->line, ReadProblem::kTooLarge,
                            "more than " + std::to_string(kMaxFrequencies) +
                                " >SPECTRA blocks; mt1d reads up to " + std::to_string(kMaxFrequencies) + " frequencies");
        const auto options = ParseEdiOptions(b->marker);
        const std::string* freq = FindOption(options, "FREQ");
        const auto f = freq ? ParseNumber(Trim(*freq)) : std::nullopt;
        if (!f) throw ReadError(file, b->line, ReadProblem::kMissingPart, "expected FREQ=<frequency> on the >SPECTRA line");
        double rotation = 0.0;
        if (const std::string* rot = FindOption(options, "ROTSPEC")) {
            const auto v = ParseNumber(Trim(*rot));
            if (!v || !std::isfinite(*v)) throw ReadError(file, b->line, ReadProblem::kBadValue, "ROTSPEC= is not an angle");
            rotation = *v;
        }
        const auto values = ReadBlockValues(*b, header.emptyValue, kMaxSpectraChannels * kMaxSpectraChannels, file);
        CheckBlockCount(*b, values.values.size(), n * n,
                        "a " + std::to_string(n) + " × " + std::to_string(n) + " matrix for " + std::to_string(n) +
                            " channels",
                        file, out.notes);
        missing += values.missing + values.malformed;
        TensorRow row = ImpedanceFromSpectra(values.values, n, roles);
        row.frequencyHz = *f;
        row.rotationDeg = rotation;
        out.tensor.push_back(row);
    }
    if (out.tensor.empty()) throw ReadError(file, sect.line, ReadProblem::kMissingPart, "expected >SPECTRA blocks after the >=SPECTRASECT section");
    if (list.nfreq) {
        const auto declared = static_cast<std::size_t>(*list.nfreq);
        if (declared > out.tensor.size())
            throw ReadError(file, sect.line, ReadProblem::kWrongCount,
                            "the section says NFREQ=" + std::to_string(declared) + " but holds " +
                                std::to_string(out.tensor.size()) + " >SPECTRA blocks; the file looks cut short");
        if (declared < out.tensor.size())
            out.notes.push_back("the section says NFREQ=" + std::to_string(declared) + " but holds " +
                                std::to_string(out.tensor.size()) + " >SPECTRA blocks; all were read");
    }
    if (missing > 0) out.notes.push_back(std::to_string(missing) + " spectra values missing or not numbers");
    out.notes.push_back("impedances from cross-spectra carry no errors; the error floor sets them");
    return out;
}

}  // namespace mt1d::sounding
