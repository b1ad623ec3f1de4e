#pragma once
// Sounding files written by the tests themselves, in a folder of their own that is removed
// when the test ends, and the real files of the shared data folder.

#include "numerics/LayeredEarth.h"
#include "tests/support/SharedData.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace cli_testing {

class TempDir {
public:
    TempDir()
        : path_(std::filesystem::temp_directory_path() /
                ("mt1d-cli-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++)))
    {
        std::filesystem::create_directories(path_);
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string Path(const std::string& name) const { return (path_ / name).string(); }

    std::string Write(const std::string& name, const std::string& content) const
    {
        const auto file = path_ / name;
        std::ofstream(file, std::ios::binary) << content;
        return file.string();
    }

private:
    static inline int counter_ = 0;
    std::filesystem::path path_;
};

// The three-layer earth of the synthetic files: 100 Ω·m over 500 m, 10 Ω·m over 2000 m, a
// 1000 Ω·m half-space, seen at 25 frequencies from 1 kHz to 1 mHz (four per decade).
inline const mt1d::earth::LayeredModel kSyntheticTruth{{100.0, 10.0, 1000.0}, {500.0, 2000.0}};

inline std::vector<double> SyntheticFrequencies()
{
    std::vector<double> f;
    for (int k = 0; k < 25; ++k) f.push_back(std::pow(10.0, 3.0 - 0.25 * k));
    return f;
}

// A column file of that earth's exact response with errors of 10 % on ρa and 2.866° on the
// phase (the 5 % floor): "frequency rho rho_err phase phase_err", values with 17 digits.
inline std::string SyntheticColumnFile()
{
    const std::vector<double> f = SyntheticFrequencies();
    const auto r = mt1d::earth::LayeredEarth(f).Compute(kSyntheticTruth);
    std::string text = "# three layers, exact response\nfrequency rho rho_err phase phase_err\n";
    char line[200];
    for (std::size_t i = 0; i < f.size(); ++i) {
        std::snprintf(line, sizeof line, "%.17g %.17g %.17g %.17g 2.866\n", f[i], r.rhoA[i], 0.1 * r.rhoA[i],
                      r.phaseDeg[i]);
        text += line;
    }
    return text;
}

// A file of the shared data folder, or nothing when the folder is absent.
inline std::optional<std::string> SharedFile(const std::string& relative)
{
    const auto dir = testing_support::SharedDataDir();
    if (!dir) return std::nullopt;
    return (*dir / relative).string();
}

inline const std::vector<std::string> kCullColumns = {"--columns", "period,log10rho,log10rho_err,phase,phase_err"};

}  // namespace cli_testing
