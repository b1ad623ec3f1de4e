#pragma once
// The two real data sets of the fitting tests, read from the shared data folder; each
// function returns nullopt when the folder is absent.
//
// - The Cull (1985) sounding as tabulated by Constable, Parker & Constable (1987)
//   (cull1985-occam1987/aushield.dat): columns of period, log10 ρa, its standard error,
//   phase and its standard error, read by the column reader with that column list; the xy
//   curve with the published errors (no floor).
// - The OCCAM1DCSEM run R1 (occam1dcsem-r1/): the determinant curve of its data file with the
//   errors it gives (no floor), and two files of that program's own that no sounding reader
//   takes, parsed here: the layer tops of Model1D (the air layer left out) and the log10 ρ
//   of an ITER_n.iter file.

#include "sounding/ColumnReader.h"
#include "sounding/Curve.h"
#include "sounding/CurveDerivation.h"
#include "tests/support/SharedData.h"
#include "sounding/SoundingFile.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace testing_support {

inline std::optional<std::filesystem::path> OccamRunDir()
{
    const auto dir = SharedDataDir();
    if (!dir) return std::nullopt;
    return *dir / "occam1dcsem-r1";
}

inline std::optional<mt1d::sounding::Curve> CullCurve()
{
    const auto dir = SharedDataDir();
    if (!dir) return std::nullopt;
    mt1d::sounding::ReadOptions read;
    read.columns = mt1d::sounding::ParseColumnList("period,log10rho,log10rho_err,phase,phase_err");
    const auto sounding =
        mt1d::sounding::ReadSoundingFile(*dir / "cull1985-occam1987" / "aushield.dat", read);
    return mt1d::sounding::DeriveCurve(sounding, {mt1d::sounding::Mode::kXy, 0.0});
}

inline std::optional<mt1d::sounding::Curve> OccamRunCurve()
{
    const auto dir = OccamRunDir();
    if (!dir) return std::nullopt;
    const auto sounding = mt1d::sounding::ReadSoundingFile(*dir / "Occam1d_DataFile_DET.dat");
    return mt1d::sounding::DeriveCurve(sounding, {mt1d::sounding::Mode::kDet, 0.0});
}

// The ground layers' tops of Model1D: every row after "#LAYERS:" whose top is not negative.
inline std::vector<double> OccamRunLayerTops(const std::filesystem::path& dir)
{
    std::ifstream in(dir / "Model1D");
    std::vector<double> tops;
    std::string line;
    bool inLayers = false;
    while (std::getline(in, line)) {
        if (line.rfind("#LAYERS:", 0) == 0) {
            inLayers = true;
            continue;
        }
        if (!inLayers || line.empty() || line[0] == '!') continue;
        std::istringstream s(line);
        double top = 0.0;
        if (s >> top && top >= 0.0) tops.push_back(top);
    }
    return tops;
}

// The log10 ρ after "Param Count:" of an ITER_n.iter file; empty when it cannot be read.
inline std::vector<double> OccamRunIterationModel(const std::filesystem::path& file)
{
    std::ifstream in(file);
    std::string line;
    std::size_t count = 0;
    while (std::getline(in, line)) {
        if (line.rfind("Param Count:", 0) == 0) {
            count = static_cast<std::size_t>(std::stoul(line.substr(12)));
            break;
        }
    }
    std::vector<double> values;
    double v = 0.0;
    while (values.size() < count && in >> v) values.push_back(v);
    if (values.size() != count) values.clear();
    return values;
}

}  // namespace testing_support
