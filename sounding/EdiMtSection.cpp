#include "sounding/EdiMtSection.h"

#include "sounding/EdiData.h"
#include "sounding/Limits.h"
#include "sounding/ReadError.h"
#include "sounding/TextScan.h"

#include <array>
#include <cmath>
#include <map>

namespace mt1d::sounding {
namespace {

constexpr std::array<const char*, 4> kComponentNames = {"XX", "XY", "YX", "YY"};
constexpr std::array<const char*, 4> kElementNames = {"Zxx", "Zxy", "Zyx", "Zyy"};

bool IsSectionName(const std::string& name)
{
    return name == "HEAD" || name == "INFO" || name == "DEFINEMEAS" || name == "MTSECT" ||
           name == "SPECTRASECT";
}

bool IsUsedName(const std::string& n)
{
    if (n == "FREQ" || n == "ZROT" || n == "RHOROT") return true;
    for (const char* c : kComponentNames) {
        const std::string cc = c;
        if (n == "Z" + cc + "R" || n == "Z" + cc + "I" || n == "Z" + cc + ".VAR") return true;
    }
    for (const char* c : {"XY", "YX"}) {
        const std::string cc = c;
        if (n == "RHO" + cc || n == "RHO" + cc + ".ERR" || n == "PHS" + cc || n == "PHS" + cc + ".ERR") return true;
    }
    return false;
}

// Reads the used blocks of a section and checks their counts against N.
class SectionReader {
public:
    SectionReader(const EdiLexed& lexed, std::size_t section, const EdiHeader& header, const std::string& file,
                  std::vector<std::string>& notes)
        : section_(lexed.blocks[section]), header_(header), file_(file), notes_(notes)
    {
        for (const EdiBlock* b : SectionBlocks(lexed, section)) {
            if (!IsUsedName(b->name)) continue;
            const auto [it, fresh] = blocks_.emplace(b->name, b);
            if (!fresh)
                throw ReadError(file, b->line,
                                "second >" + b->name + " block; the first is at line " + std::to_string(it->second->line));
        }
    }

    const EdiBlock* Find(const std::string& name) const
    {
        const auto it = blocks_.find(name);
        return it == blocks_.end() ? nullptr : it->second;
    }

    // The frequencies, which fix N.
    std::vector<double> Frequencies()
    {
        const EdiBlock* freq = Find("FREQ");
        if (!freq)
            throw ReadError(file_, section_.line, "expected a >FREQ block in the >=MTSECT section");
        auto v = ReadBlockValues(*freq, header_.emptyValue, kMaxFrequencies, file_);
        n_ = v.values.size();
        if (n_ == 0) throw ReadError(file_, freq->line, "block >FREQ holds no frequencies");
        CheckBlockCount(*freq, n_, n_, "", file_, notes_);
        CheckNfreq(*freq);
        Tally(v);
        return std::move(v.values);
    }

    // The values of a block that must hold one value per frequency; empty without the block.
    std::vector<double> Values(const EdiBlock* block)
    {
        if (!block) return {};
        auto v = ReadBlockValues(*block, header_.emptyValue, kMaxFrequencies, file_);
        CheckBlockCount(*block, v.values.size(), n_, "the >FREQ block has " + std::to_string(n_), file_, notes_);
        Tally(v);
        return std::move(v.values);
    }

    std::size_t Count() const { return n_; }
    std::size_t Missing() const { return missing_; }
    std::size_t Malformed() const { return malformed_; }

private:
    void CheckNfreq(const EdiBlock& freq)
    {
        LineCursor lines(section_.body);
        std::string_view line;
        while (lines.Next(line)) {
            for (const auto& [key, value] : ParseEdiKeyLine(line)) {
                if (key != "NFREQ") continue;
                const auto nfreq = ParseCount(Trim(value));
                if (!nfreq) continue;
                const auto declared = static_cast<std::size_t>(*nfreq);
                if (declared > n_)
                    throw ReadError(file_, freq.line,
                                    "block >FREQ holds " + std::to_string(n_) + " frequencies but the section says NFREQ=" +
                                        std::to_string(declared) + "; the file looks cut short");
                if (declared < n_)
                    notes_.push_back("the section says NFREQ=" + std::to_string(declared) + " but >FREQ holds " +
                                     std::to_string(n_) + " frequencies; all were read");
                return;
            }
        }
    }

    void Tally(const BlockValues& v)
    {
        missing_ += v.missing;
        malformed_ += v.malformed;
    }

    const EdiBlock& section_;
    const EdiHeader& header_;
    const std::string& file_;
    std::vector<std::string>& notes_;
    std::map<std::string, const EdiBlock*> blocks_;
    std::size_t n_ = 0;
    std::size_t missing_ = 0;
    std::size_t malformed_ = 0;
};

// The frame of a group of blocks: ROT=<angle> on any of them (all must agree), else the
// per-frequency angles of the rotation block, else 0.
std::vector<double> Rotation(SectionReader& reader, const std::vector<const EdiBlock*>& blocks, const char* rotBlock,
                             const std::string& file, std::vector<std::string>& notes)
{
    std::optional<double> angle;
    const EdiBlock* angleFrom = nullptr;
    bool refersToBlock = false;
    for (const EdiBlock* b : blocks) {
        const auto options = ParseEdiOptions(b->marker);
        const std::string* rot = FindOption(options, "ROT");
        if (!rot) continue;
        const auto v = ParseNumber(Trim(*rot));
        if (!v) {
            refersToBlock = refersToBlock || EqualsIgnoreCase(Trim(*rot), rotBlock);
            continue;
        }
        if (!std::isfinite(*v)) throw ReadError(file, b->line, "ROT= of block >" + b->name + " is not an angle");
        if (angle && *angle != *v)
            throw ReadError(file, b->line,
                            "block >" + b->name + " is rotated by ROT=" + FormatNumber(*v) + " but block >" +
                                angleFrom->name + " (line " + std::to_string(angleFrom->line) + ") by ROT=" +
                                FormatNumber(*angle) + "; one frame per file is expected");
        angle = *v;
        angleFrom = b;
    }
    const std::size_t n = reader.Count();
    const EdiBlock* rb = reader.Find(rotBlock);
    if (angle) {
        if (refersToBlock && rb) {
            for (const double a : reader.Values(rb)) {
                if (std::isfinite(a) && a != *angle)
                    throw ReadError(file, angleFrom->line,
                                    "block >" + angleFrom->name + " is rotated by ROT=" + FormatNumber(*angle) +
                                        " but other blocks refer to >" + rotBlock + ", which gives " +
                                        FormatNumber(a) + "; one frame per file is expected");
            }
        }
        return std::vector<double>(n, *angle);
    }
    if (!rb) {
        if (refersToBlock)
            notes.push_back(std::string("blocks refer to ROT=") + rotBlock + " but there is no >" + rotBlock +
                            " block; taken as unrotated");
        return std::vector<double>(n, 0.0);
    }
    auto angles = reader.Values(rb);
    std::size_t unknown = 0;
    for (double& a : angles) {
        if (!std::isfinite(a)) {
            a = 0.0;
            ++unknown;
        }
    }
    if (unknown > 0)
        notes.push_back(std::to_string(unknown) + " rotation angles in >" + rotBlock + " missing; taken as 0");
    return angles;
}

void ReadTensor(SectionReader& reader, const std::vector<double>& freq, const std::string& file,
                EdiSectionRows& out)
{
    const std::size_t n = freq.size();
    std::array<std::vector<double>, 4> re;
    std::array<std::vector<double>, 4> im;
    std::array<std::vector<double>, 4> var;
    std::vector<const EdiBlock*> zBlocks;
    std::string noVariance;
    for (std::size_t c = 0; c < 4; ++c) {
        const std::string base = std::string("Z") + kComponentNames[c];
        const EdiBlock* r = reader.Find(base + "R");
        const EdiBlock* i = reader.Find(base + "I");
        if (!r && !i) continue;
        // Values first: a block cut short or broken says so before its partner is missed.
        re[c] = reader.Values(r);
        im[c] = reader.Values(i);
        if (!r || !i) {
            const EdiBlock* present = r ? r : i;
            throw ReadError(file, present->line,
                            "block >" + present->name + " has no matching >" + base + (r ? "I" : "R") + " block");
        }
        zBlocks.push_back(r);
        zBlocks.push_back(i);
        if (const EdiBlock* v = reader.Find(base + ".VAR")) {
            var[c] = reader.Values(v);
        } else {
            noVariance += (noVariance.empty() ? "" : ", ") + std::string(kElementNames[c]);
        }
    }
    const auto rotation = Rotation(reader, zBlocks, "ZROT", file, out.notes);
    out.kind = DataKind::kImpedance;
    out.tensor.resize(n);
    for (std::size_t k = 0; k < n; ++k) {
        TensorRow& row = out.tensor[k];
        row.frequencyHz = freq[k];
        row.rotationDeg = rotation[k];
        for (std::size_t c = 0; c < 4; ++c) {
            if (re[c].empty()) continue;
            if (!std::isfinite(re[c][k]) || !std::isfinite(im[c][k])) continue;
            row.z[c].value = std::complex<double>(re[c][k], im[c][k]);
            if (!var[c].empty() && std::isfinite(var[c][k]) && var[c][k] > 0.0) row.z[c].variance = var[c][k];
        }
    }
    if (!noVariance.empty()) out.notes.push_back("the file gives no variances for " + noVariance);
}

void ReadRhoPhase(SectionReader& reader, const std::vector<double>& freq, const std::string& file,
                  EdiSectionRows& out)
{
    const std::size_t n = freq.size();
    out.kind = DataKind::kRhoPhase;
    out.rhoPhase.resize(n);
    std::vector<const EdiBlock*> blocks;
    for (const char* c : {"XY", "YX"}) {
        for (const char* q : {"RHO", "PHS"})
            if (const EdiBlock* b = reader.Find(std::string(q) + c)) blocks.push_back(b);
    }
    const auto rotation = Rotation(reader, blocks, "RHOROT", file, out.notes);
    for (std::size_t k = 0; k < n; ++k) {
        out.rhoPhase[k].frequencyHz = freq[k];
        out.rhoPhase[k].rotationDeg = rotation[k];
    }
    bool anyRhoErr = false;
    for (const auto& [c, mode] : {std::pair{"XY", Mode::kXy}, std::pair{"YX", Mode::kYx}}) {
        const std::string cc = c;
        const auto rho = reader.Values(reader.Find("RHO" + cc));
        const auto rhoErr = reader.Values(reader.Find("RHO" + cc + ".ERR"));
        const auto phs = reader.Values(reader.Find("PHS" + cc));
        const auto phsErr = reader.Values(reader.Find("PHS" + cc + ".ERR"));
        anyRhoErr = anyRhoErr || !rhoErr.empty();
        for (std::size_t k = 0; k < n; ++k) {
            RhoPhaseValue& v = out.rhoPhase[k][mode];
            if (!rho.empty() && std::isfinite(rho[k])) {
                v.rhoOhmM = rho[k];
                // log10 error σ → δρa = ρa·ln 10·σ
                if (!rhoErr.empty() && std::isfinite(rhoErr[k]) && rhoErr[k] > 0.0)
                    v.rhoErrOhmM = rho[k] * std::log(10.0) * rhoErr[k];
            }
            if (!phs.empty() && std::isfinite(phs[k])) {
                v.phaseDeg = phs[k];
                if (!phsErr.empty() && std::isfinite(phsErr[k]) && phsErr[k] > 0.0) v.phaseErrDeg = phsErr[k];
            }
        }
    }
    if (anyRhoErr)
        out.notes.push_back("RHO*.ERR read as standard errors of log10 ρa (δρa = ρa·ln 10·σ)");
}

}  // namespace

std::vector<const EdiBlock*> SectionBlocks(const EdiLexed& lexed, std::size_t section)
{
    std::vector<const EdiBlock*> blocks;
    for (std::size_t i = section + 1; i < lexed.blocks.size(); ++i) {
        const EdiBlock& b = lexed.blocks[i];
        if (IsSectionName(b.name) || b.name == "END") break;
        blocks.push_back(&b);
    }
    return blocks;
}

EdiSectionRows ReadEdiMtSection(const EdiLexed& lexed, std::size_t section, const EdiHeader& header,
                                const std::string& file)
{
    EdiSectionRows out;
    SectionReader reader(lexed, section, header, file, out.notes);
    const auto freq = reader.Frequencies();

    bool hasZ = false;
    bool hasRho = false;
    for (const char* c : kComponentNames) {
        const std::string base = std::string("Z") + c;
        hasZ = hasZ || reader.Find(base + "R") || reader.Find(base + "I");
    }
    for (const char* c : {"RHOXY", "RHOYX", "PHSXY", "PHSYX"}) hasRho = hasRho || reader.Find(c);

    if (hasZ) {
        ReadTensor(reader, freq, file, out);
        if (hasRho) out.notes.push_back("apparent resistivity and phase blocks ignored; the curves come from the impedances");
    } else if (hasRho) {
        ReadRhoPhase(reader, freq, file, out);
    } else {
        throw ReadError(file, lexed.blocks[section].line,
                        "expected impedance blocks (>ZXYR …) or apparent resistivity and phase blocks (>RHOXY …) "
                        "in the >=MTSECT section");
    }
    if (reader.Missing() > 0)
        out.notes.push_back(std::to_string(reader.Missing()) + " values marked missing in the blocks read");
    if (reader.Malformed() > 0)
        out.notes.push_back(std::to_string(reader.Malformed()) +
                            " values that are not numbers (such as '******') read as missing");
    return out;
}

}  // namespace mt1d::sounding
