// The laterally constrained inversion: its block-tridiagonal solve against Eigen's general
// sparse Cholesky on the same matrices, and whole profile fits of the synthetic profile of its
// tests (tests/lci/SyntheticProfile.h) at 40 frequencies, on one and two threads.
//
// A fit's time grows linearly with the sites (forward models, Jacobian blocks and the block
// solve are each linear in them; the iterations do not grow with the profile), so the times
// at 100 and 250 sites extrapolate to longer profiles; bench/LciStudy.cpp fits 1,000 sites
// whole.

#include "lci/BlockTridiagonal.h"
#include "lci/LciFit.h"
#include "fitting/SeededRandom.h"
#include "tests/lci/SyntheticProfile.h"

#include <Eigen/Sparse>
#include <Eigen/SparseCholesky>
#include <benchmark/benchmark.h>

#include <vector>

namespace {

using namespace mt1d::lci;

struct System {
    std::vector<Eigen::MatrixXd> diagonal;
    std::vector<Eigen::VectorXd> off;
    Eigen::VectorXd rhs;
};

// `sites` blocks of n × n of the shape a smooth profile fit makes: JᵀJ of 80 values plus
// vertical roughness on the diagonal, lateral ties off it.
System MakeSystem(std::size_t sites, Eigen::Index n)
{
    mt1d::fitting::SeededRandom random(3);
    System s;
    const Eigen::MatrixXd d = [&] {
        Eigen::MatrixXd r = Eigen::MatrixXd::Zero(n - 1, n);
        for (Eigen::Index k = 0; k + 1 < n; ++k) r(k, k) = -1.0, r(k, k + 1) = 1.0;
        return Eigen::MatrixXd(r.transpose() * r);
    }();
    for (std::size_t k = 0; k < sites; ++k) {
        Eigen::MatrixXd j(80, n);
        for (Eigen::Index a = 0; a < j.rows(); ++a) {
            for (Eigen::Index b = 0; b < n; ++b) j(a, b) = random.Gaussian();
        }
        Eigen::MatrixXd block = j.transpose() * j + 10.0 * d;
        block.diagonal().array() += 20.0;
        s.diagonal.push_back(block);
        if (k + 1 < sites) s.off.push_back(Eigen::VectorXd::Constant(n, -10.0));
    }
    s.rhs = Eigen::VectorXd::Ones(static_cast<Eigen::Index>(sites) * n);
    return s;
}

void BM_BlockTridiagonalSolve(benchmark::State& state)
{
    const System s = MakeSystem(static_cast<std::size_t>(state.range(0)), state.range(1));
    BlockTridiagonal solver;
    for (auto _ : state) {
        if (!solver.Factorize(s.diagonal, s.off)) state.SkipWithError("not positive definite");
        Eigen::VectorXd x = solver.Solve(s.rhs);
        benchmark::DoNotOptimize(x.data());
    }
}
BENCHMARK(BM_BlockTridiagonalSolve)->ArgNames({"sites", "layers"})->Args({100, 50})->Args({1000, 50})->Unit(benchmark::kMillisecond);

// The same matrix through Eigen's sparse LLᵀ (natural order keeps the band; its pattern is
// analysed once, as a fit would reuse it), factorised and solved each time.
void BM_EigenSparseCholeskySolve(benchmark::State& state)
{
    const System s = MakeSystem(static_cast<std::size_t>(state.range(0)), state.range(1));
    const Eigen::Index n = state.range(1);
    std::vector<Eigen::Triplet<double>> t;
    for (std::size_t k = 0; k < s.diagonal.size(); ++k) {
        const Eigen::Index o = static_cast<Eigen::Index>(k) * n;
        for (Eigen::Index a = 0; a < n; ++a) {
            for (Eigen::Index b = 0; b < n; ++b) t.emplace_back(o + a, o + b, s.diagonal[k](a, b));
        }
        if (k < s.off.size()) {
            for (Eigen::Index a = 0; a < n; ++a) {
                t.emplace_back(o + a, o + n + a, s.off[k][a]);
                t.emplace_back(o + n + a, o + a, s.off[k][a]);
            }
        }
    }
    Eigen::SparseMatrix<double> m(s.rhs.size(), s.rhs.size());
    m.setFromTriplets(t.begin(), t.end());
    Eigen::SimplicialLLT<Eigen::SparseMatrix<double>, Eigen::Lower, Eigen::NaturalOrdering<int>> llt;
    llt.analyzePattern(m);
    for (auto _ : state) {
        llt.factorize(m);
        Eigen::VectorXd x = llt.solve(s.rhs);
        benchmark::DoNotOptimize(x.data());
    }
}
BENCHMARK(BM_EigenSparseCholeskySolve)->ArgNames({"sites", "layers"})->Args({100, 50})->Args({1000, 50})->Unit(benchmark::kMillisecond);

// Arguments: sites, threads. The smooth form with its default 50 layers.
void ProfileFit(benchmark::State& state, LciForm form)
{
    const auto sites = static_cast<std::size_t>(state.range(0));
    const auto profile = testing_support::MakeSyntheticProfile(
        sites, testing_support::LogFrequencies(1e3, 1e-3, 40), {sites * 3 / 10, sites * 7 / 10}, 2);
    LciOptions options;
    options.form = form;
    options.threads = static_cast<std::size_t>(state.range(1));
    ProfileFitResult fit;
    for (auto _ : state) {
        fit = FitProfile(profile.sites, options);
        benchmark::DoNotOptimize(fit.sites.data());
    }
    if (fit.status == mt1d::fitting::FitStatus::kInvalidInput) state.SkipWithError(fit.message.c_str());
    state.counters["iterations"] = static_cast<double>(fit.iterations);
    state.counters["forward_runs"] = static_cast<double>(fit.forwardRuns);
    state.counters["jacobian_runs"] = static_cast<double>(fit.jacobianRuns);
    state.counters["rms"] = fit.rms;
}

void BM_LciSmooth(benchmark::State& state) { ProfileFit(state, LciForm::kSmooth); }
BENCHMARK(BM_LciSmooth)
    ->ArgNames({"sites", "threads"})
    ->Args({100, 1})->Args({100, 2})->Args({250, 2})
    ->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

void BM_LciLayered(benchmark::State& state) { ProfileFit(state, LciForm::kLayered); }
BENCHMARK(BM_LciLayered)
    ->ArgNames({"sites", "threads"})
    ->Args({100, 1})->Args({100, 2})->Args({250, 2})
    ->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

}  // namespace
