#include "sounding/EdiTipper.h"

#include "sounding/EdiData.h"
#include "sounding/EdiMtSection.h"
#include "sounding/Limits.h"
#include "sounding/ReadError.h"
#include "sounding/Rotation.h"
#include "sounding/TextScan.h"

#include <array>
#include <cmath>

namespace mt1d::sounding {
namespace {

const EdiBlock* Find(const std::vector<const EdiBlock*>& blocks, const char* name)
{
    for (const EdiBlock* b : blocks)
        if (b->name == name) return b;
    return nullptr;
}

// The values of a block, one per row; throws ReadError when the count is off.
std::vector<double> Values(const EdiBlock* block, std::size_t n, const EdiHeader& header, const std::string& file)
{
    if (!block) return {};
    auto v = ReadBlockValues(*block, header.emptyValue, kMaxFrequencies, file);
    if (v.values.size() != n)
        throw ReadError(file, block->line, ReadProblem::kWrongCount,
                        "block >" + block->name + " holds " + std::to_string(v.values.size()) + " values; expected " +
                            std::to_string(n));
    return std::move(v.values);
}

std::vector<double> Frame(const std::vector<const EdiBlock*>& blocks, const std::vector<const EdiBlock*>& data,
                          std::size_t n, const EdiHeader& header, const std::string& file)
{
    for (const EdiBlock* b : data) {
        const auto options = ParseEdiOptions(b->marker);
        const std::string* rot = FindOption(options, "ROT");
        if (!rot) continue;
        const auto v = ParseNumber(Trim(*rot));
        if (v && std::isfinite(*v)) return std::vector<double>(n, *v);
    }
    const EdiBlock* trot = Find(blocks, "TROT");
    if (!trot) trot = Find(blocks, "TROT.EXP");
    auto angles = Values(trot, n, header, file);
    if (angles.empty()) return std::vector<double>(n, 0.0);
    for (double& a : angles)
        if (!std::isfinite(a)) a = 0.0;
    return angles;
}

}  // namespace

void ReadEdiTipper(const EdiLexed& lexed, std::size_t section, const EdiHeader& header, const std::string& file,
                   std::vector<TensorRow>& rows, std::vector<std::string>& notes)
{
    const auto blocks = SectionBlocks(lexed, section);
    const char* names[2][3] = {{"TXR.EXP", "TXI.EXP", "TXVAR.EXP"}, {"TYR.EXP", "TYI.EXP", "TYVAR.EXP"}};
    if (!Find(blocks, names[0][0]) && !Find(blocks, names[1][0])) return;
    const std::size_t n = rows.size();
    try {
        std::vector<const EdiBlock*> data;
        std::array<std::array<std::vector<double>, 3>, 2> values;
        for (std::size_t c = 0; c < 2; ++c) {
            const EdiBlock* re = Find(blocks, names[c][0]);
            const EdiBlock* im = Find(blocks, names[c][1]);
            if (!re || !im) continue;
            data.push_back(re);
            data.push_back(im);
            for (std::size_t q = 0; q < 3; ++q) values[c][q] = Values(Find(blocks, names[c][q]), n, header, file);
        }
        const auto frame = Frame(blocks, data, n, header, file);
        for (std::size_t k = 0; k < n; ++k) {
            TensorRow tipper;
            tipper.rotationDeg = frame[k];
            for (std::size_t c = 0; c < 2; ++c) {
                if (values[c][0].empty()) continue;
                const double re = values[c][0][k];
                const double im = values[c][1][k];
                if (!std::isfinite(re) || !std::isfinite(im)) continue;
                tipper.tipper[c].value = std::complex<double>(re, im);
                if (!values[c][2].empty() && std::isfinite(values[c][2][k]) && values[c][2][k] > 0.0)
                    tipper.tipper[c].variance = values[c][2][k];
            }
            rows[k].tipper = RotatedRow(tipper, rows[k].rotationDeg).tipper;
        }
    } catch (const ReadError& e) {
        for (auto& row : rows) row.tipper = {};
        notes.push_back(std::string("tipper not read: ") + e.what());
    }
}

}  // namespace mt1d::sounding
