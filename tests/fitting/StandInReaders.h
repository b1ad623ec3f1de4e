#pragma once
// STAND-IN, to be replaced by the library readers of `sounding/` once they are on main: small
// parsers for the two real data sets the fitting tests use, each returning nullopt when its
// file is absent or does not look as expected.
//
// - The Cull (1985) sounding as tabulated by Constable, Parker & Constable (1987)
//   (cull1985-occam1987/aushield.dat): a '#' header, then rows of period (s), log10 ρa, its
//   standard error, phase (degrees), its standard error.
// - The OCCAM1DCSEM run R1 (occam1dcsem-r1/): the data file (frequencies, then RhoZxy/PhsZxy
//   rows with value and standard error), the layer tops of Model1D (the air layer left out)
//   and the log10 ρ of an ITER_n.iter file.

#include "Curve.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace testing_support {

inline std::optional<mt1d::sounding::Curve> ReadCullTable(const std::filesystem::path& path)
{
    std::ifstream in(path);
    if (!in) return std::nullopt;
    mt1d::sounding::Curve curve;
    curve.mode = mt1d::sounding::Mode::kXy;
    curve.floorPercent = 0.0;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream s(line);
        double period, log10Rho, log10RhoErr, phase, phaseErr;
        if (!(s >> period >> log10Rho >> log10RhoErr >> phase >> phaseErr)) return std::nullopt;
        mt1d::sounding::CurveRow row;
        row.periodS = period;
        row.frequencyHz = 1.0 / period;
        row.rhoOhmM = std::pow(10.0, log10Rho);
        row.rhoErrOhmM = log10RhoErr * row.rhoOhmM * std::log(10.0);  // so that δρa/(ρa ln10) is the table's error
        row.phaseDeg = phase;
        row.phaseErrDeg = phaseErr;
        row.usable = true;
        curve.rows.push_back(row);
    }
    if (curve.rows.empty()) return std::nullopt;
    return curve;
}

inline std::optional<mt1d::sounding::Curve> ReadOccamData(const std::filesystem::path& path)
{
    std::ifstream in(path);
    if (!in) return std::nullopt;
    mt1d::sounding::Curve curve;
    curve.mode = mt1d::sounding::Mode::kDet;
    curve.floorPercent = 0.0;
    std::string line;
    std::vector<double> frequencies;
    while (std::getline(in, line)) {
        if (line.rfind("# Frequencies:", 0) == 0) {
            const int count = std::stoi(line.substr(14));
            for (int i = 0; i < count && std::getline(in, line); ++i) frequencies.push_back(std::stod(line));
            curve.rows.resize(frequencies.size());
            for (std::size_t i = 0; i < frequencies.size(); ++i) {
                curve.rows[i].frequencyHz = frequencies[i];
                curve.rows[i].periodS = 1.0 / frequencies[i];
            }
            continue;
        }
        std::istringstream s(line);
        std::string type;
        int index = 0, tx = 0, rx = 0;
        double value = 0.0, error = 0.0;
        if (!(s >> type >> index >> tx >> rx >> value >> error)) continue;
        if (type != "RhoZxy" && type != "PhsZxy") continue;
        if (index < 1 || static_cast<std::size_t>(index) > curve.rows.size()) return std::nullopt;
        auto& row = curve.rows[static_cast<std::size_t>(index - 1)];
        if (type == "RhoZxy") {
            row.rhoOhmM = value;
            row.rhoErrOhmM = error;
        } else if (type == "PhsZxy") {
            row.phaseDeg = value;
            row.phaseErrDeg = error;
            row.usable = true;
        }
    }
    if (curve.rows.empty()) return std::nullopt;
    for (const auto& row : curve.rows) {
        if (!row.usable || !(row.rhoOhmM > 0.0)) return std::nullopt;
    }
    return curve;
}

// The ground layers' tops of Model1D: every row after the header whose top is not negative.
inline std::optional<std::vector<double>> ReadOccamLayerTops(const std::filesystem::path& path)
{
    std::ifstream in(path);
    if (!in) return std::nullopt;
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
    if (tops.empty()) return std::nullopt;
    return tops;
}

// The log10 ρ after "Param Count:" of an ITER_n.iter file.
inline std::optional<std::vector<double>> ReadOccamIterationModel(const std::filesystem::path& path)
{
    std::ifstream in(path);
    if (!in) return std::nullopt;
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
    if (count == 0 || values.size() != count) return std::nullopt;
    return values;
}

}  // namespace testing_support
