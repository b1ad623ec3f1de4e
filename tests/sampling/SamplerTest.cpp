// The sampler as its callers see it: reproducible results whatever the threads, refusals,
// cancellation, progress, and the shape of what it returns.

#include "tests/sampling/KnownTargets.h"
#include "sampling/Sampler.h"
#include "tests/fitting/SyntheticSounding.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <cmath>
#include <limits>
#include <numeric>
#include <ostream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace mt1d::sampling;
using ::testing::HasSubstr;

const mt1d::earth::LayeredModel kTruth{{100.0, 10.0, 1000.0}, {500.0, 2000.0}};

mt1d::fitting::FitData NoisyData(std::size_t frequencies, std::uint64_t seed)
{
    mt1d::fitting::SeededRandom random(seed);
    const auto curve = testing_support::SyntheticCurve(
        kTruth, testing_support::LogFrequencies(1e3, 1e-3, frequencies), 0.05, &random);
    auto selected = mt1d::fitting::SelectData(curve, {});
    EXPECT_TRUE(selected.Ok()) << selected.error;
    return selected.data;
}

SamplingOptions Small()
{
    SamplingOptions o;
    o.samples = 30'000;
    o.burnIn = 3'000;
    o.chains = 3;
    o.seed = 5;
    o.tracePoints = 50;
    return o;
}

// Every member that the chains produce, compared exactly.
void ExpectIdentical(const SamplingResult& a, const SamplingResult& b)
{
    EXPECT_EQ(a.status, b.status);
    EXPECT_EQ(a.samples, b.samples);
    EXPECT_EQ(a.density, b.density);
    EXPECT_EQ(a.p10, b.p10);
    EXPECT_EQ(a.p50, b.p50);
    EXPECT_EQ(a.p90, b.p90);
    EXPECT_EQ(a.mean, b.mean);
    EXPECT_EQ(a.interfaceProbability, b.interfaceProbability);
    ASSERT_EQ(a.layerCount.size(), b.layerCount.size());
    for (std::size_t i = 0; i < a.layerCount.size(); ++i) EXPECT_EQ(a.layerCount[i].probability, b.layerCount[i].probability);
    ASSERT_EQ(a.acceptance.size(), b.acceptance.size());
    for (std::size_t i = 0; i < a.acceptance.size(); ++i) {
        EXPECT_EQ(a.acceptance[i].proposed, b.acceptance[i].proposed);
        EXPECT_EQ(a.acceptance[i].accepted, b.acceptance[i].accepted);
    }
    EXPECT_EQ(a.rhat.misfit, b.rhat.misfit);
    EXPECT_EQ(a.rhat.layerCount, b.rhat.layerCount);
    ASSERT_EQ(a.traces.size(), b.traces.size());
    for (std::size_t c = 0; c < a.traces.size(); ++c) {
        EXPECT_EQ(a.traces[c].rms, b.traces[c].rms) << "chain " << c;
        EXPECT_EQ(a.traces[c].layers, b.traces[c].layers) << "chain " << c;
    }
    EXPECT_EQ(a.bestModel.resistivity, b.bestModel.resistivity);
    EXPECT_EQ(a.bestModel.thickness, b.bestModel.thickness);
    EXPECT_EQ(a.bestRms, b.bestRms);
    EXPECT_EQ(a.ess.misfit.chains, b.ess.misfit.chains);
    EXPECT_EQ(a.ess.misfit.combined, b.ess.misfit.combined);
    EXPECT_EQ(a.ess.layerCount.combined, b.ess.layerCount.combined);
    ASSERT_EQ(a.ess.log10Rho.size(), b.ess.log10Rho.size());
    for (std::size_t d = 0; d < a.ess.log10Rho.size(); ++d) {
        EXPECT_EQ(a.ess.log10Rho[d].chains, b.ess.log10Rho[d].chains);
        EXPECT_EQ(a.ess.log10Rho[d].combined, b.ess.log10Rho[d].combined);
    }
}

struct ThreadCase {
    std::size_t temperatures;
    friend void PrintTo(const ThreadCase& c, std::ostream* os) { *os << c.temperatures << " temperatures"; }
};

class SameSeed : public ::testing::TestWithParam<ThreadCase> {};

// One seed and one number of chains: the same result to the bit on one, two or three
// threads (three chains shared out differently each time).
TEST_P(SameSeed, GivesTheSameResultWhateverTheNumberOfThreads)
{
    const auto data = NoisyData(21, 1);
    SamplingOptions options = Small();
    options.tempering.temperatures = GetParam().temperatures;
    options.threads = 1;
    const auto one = Sample(data, options);
    ASSERT_EQ(one.status, SamplingStatus::kCompleted) << one.message;
    options.threads = 2;
    const auto two = Sample(data, options);
    options.threads = 3;
    const auto three = Sample(data, options);
    ExpectIdentical(one, two);
    ExpectIdentical(one, three);

    options.seed = 6;
    const auto other = Sample(data, options);
    EXPECT_NE(one.density, other.density);
    EXPECT_NE(one.traces[0].rms, other.traces[0].rms);
}

INSTANTIATE_TEST_SUITE_P(Sampler, SameSeed, ::testing::Values(ThreadCase{1}, ThreadCase{3}),
                         [](const auto& info) { return info.param.temperatures == 1 ? "PlainChains" : "Tempered"; });

// The samples are shared out among the chains; the posterior's rows and the layer counts are
// probabilities; the trace has a point per stride plus the start; acceptance has one entry per
// move (swaps only when tempering).
TEST(Sampler, ResultHasTheShapeItsReadersExpect)
{
    const auto data = NoisyData(21, 2);
    SamplingOptions options = Small();
    options.samples = 30'001;  // not a multiple of the 3 chains
    options.depthCells = 40;
    options.rhoBins = 30;
    options.prior.maxInterfaces = 8;
    const auto r = Sample(data, options);
    ASSERT_EQ(r.status, SamplingStatus::kCompleted) << r.message;
    EXPECT_EQ(r.samples, 30'001u);
    EXPECT_EQ(r.seed, 5u);
    EXPECT_EQ(r.chains, 3u);
    EXPECT_EQ(r.dataCount, data.Count());
    ASSERT_EQ(r.depthM.size(), 40u);
    ASSERT_EQ(r.depthEdgesM.size(), 41u);
    ASSERT_EQ(r.log10RhoGrid.size(), 30u);
    ASSERT_EQ(r.density.size(), 40u * 30u);
    for (std::size_t cell = 0; cell < 40; ++cell) {
        const auto row = r.DensityRow(cell);
        EXPECT_NEAR(std::accumulate(row.begin(), row.end(), 0.0), 1.0, 1e-12) << cell;  // 30 terms of ε
        EXPECT_LE(r.p10[cell], r.p50[cell]);
        EXPECT_LE(r.p50[cell], r.p90[cell]);
        EXPECT_GE(r.interfaceProbability[cell], 0.0);
        EXPECT_LE(r.interfaceProbability[cell], 1.0);
        EXPECT_LT(r.depthEdgesM[cell], r.depthM[cell]);
        EXPECT_LT(r.depthM[cell], r.depthEdgesM[cell + 1]);
    }
    ASSERT_EQ(r.layerCount.size(), 9u);
    double total = 0.0;
    for (std::size_t i = 0; i < 9; ++i) {
        EXPECT_EQ(r.layerCount[i].layers, i + 1);
        total += r.layerCount[i].probability;
    }
    EXPECT_NEAR(total, 1.0, 1e-12);
    ASSERT_EQ(r.acceptance.size(), 4u);
    std::vector<std::string> moves;
    std::uint64_t proposed = 0;
    for (const auto& a : r.acceptance) {
        moves.emplace_back(ToString(a.move));
        proposed += a.proposed;
        EXPECT_GT(a.rate, 0.0) << ToString(a.move);
        EXPECT_LT(a.rate, 1.0) << ToString(a.move);
    }
    EXPECT_THAT(moves, ::testing::ElementsAre("birth", "death", "move", "change"));
    EXPECT_EQ(proposed, 30'001u);  // one proposal per kept sample
    // Chain 0 keeps 10,001 samples after 3,000 burn-in steps: stride ceil(13001/50) = 261.
    ASSERT_EQ(r.traces.size(), 3u);
    EXPECT_EQ(r.traces[0].stride, 261u);
    EXPECT_EQ(r.traces[0].rms.size(), 1u + 13'001u / 261u);
    EXPECT_EQ(r.traces[0].layers.size(), r.traces[0].rms.size());
    EXPECT_EQ(r.traces[0].burnInPoints, 1u + 3'000u / 261u);
    EXPECT_EQ(r.traces[0].layers[0], 1u);  // chains start from a half-space
    EXPECT_GT(r.traces[0].rms.front(), r.traces[0].rms.back());
    EXPECT_TRUE(std::isfinite(r.rhat.misfit));
    EXPECT_TRUE(std::isfinite(r.rhat.layerCount));
    EXPECT_GT(r.depthOfInvestigationM, 0.0);
    EXPECT_GE(r.bestRms, 0.0);
    EXPECT_EQ(r.bestModel.thickness.size() + 1, r.bestModel.resistivity.size());

    // The effective sample sizes: one per chain for each quantity, at the quarter points of the
    // prior's log-depth range. A chain of n samples is worth at most n (it is positively
    // correlated: the sampler repeats a model it does not leave); together at most their sum.
    EXPECT_EQ(r.ess.stride, 1u);
    EXPECT_GT(r.ess.seconds, 0.0);
    ASSERT_EQ(r.ess.depthM.size(), 3u);
    for (std::size_t d = 0; d < 3; ++d) {
        const double quarter = 0.25 * static_cast<double>(d + 1);
        EXPECT_NEAR(std::log10(r.ess.depthM[d]), r.prior.minLog10Depth + quarter * r.prior.DepthSpan(), 1e-12);
    }
    ASSERT_EQ(r.ess.log10Rho.size(), 3u);
    std::vector<const EssFigure*> figures{&r.ess.misfit, &r.ess.layerCount};
    for (const auto& f : r.ess.log10Rho) figures.push_back(&f);
    for (const EssFigure* f : figures) {
        ASSERT_EQ(f->chains.size(), 3u);
        double sum = 0.0;
        for (std::size_t c = 0; c < 3; ++c) {
            EXPECT_GT(f->chains[c], 1.0);
            EXPECT_LE(f->chains[c], c == 0 ? 10'001.0 : 10'000.0);
            sum += f->chains[c];
        }
        EXPECT_GT(f->combined, 1.0);
        EXPECT_LE(f->combined, sum * 1.2);  // chains that agree: about the sum, within its error
    }
}

TEST(Sampler, TemperingAddsTheSwapRate)
{
    SamplingOptions options = Small();
    options.tempering.temperatures = 3;
    const auto r = Sample(NoisyData(21, 2), options);
    ASSERT_EQ(r.acceptance.size(), 5u);
    EXPECT_EQ(r.acceptance[4].move, Move::kSwap);
    // One proposal every swapInterval steps of each chain after burn-in.
    EXPECT_EQ(r.acceptance[4].proposed, 3u * (10'000u / 10u));
    EXPECT_GT(r.acceptance[4].rate, 0.0);
}

// A model the misfit cannot score is never taken: with a NaN for every model of more than one
// layer, the chains stay half-spaces.
TEST(Sampler, NeverAcceptsAModelWhoseMisfitIsNotANumber)
{
    struct NanBeyondOneLayer final : ModelMisfit {
        double ChiSquare(std::span<const double> rho, std::span<const double>) override
        {
            return rho.size() == 1 ? 0.0 : std::numeric_limits<double>::quiet_NaN();
        }
    };
    PriorOptions p;
    p.minDepthM = 1.0;
    p.maxDepthM = 100.0;
    const auto r = SampleModels(testing_support::FactoryOf<NanBeyondOneLayer>(), MakePrior(p).prior, 0, Small());
    ASSERT_EQ(r.status, SamplingStatus::kCompleted) << r.message;
    EXPECT_EQ(r.layerCount[0].probability, 1.0);
    EXPECT_EQ(r.acceptance[0].accepted, 0u);  // no birth
    EXPECT_GT(r.acceptance[3].accepted, 0u);  // the half-space still changes
}

TEST(Sampler, PassesOnAnExceptionFromTheMisfitAfterStoppingEveryChain)
{
    struct Throws final : ModelMisfit {
        int calls = 0;
        double ChiSquare(std::span<const double>, std::span<const double>) override
        {
            if (++calls > 1000) throw std::runtime_error("misfit failed");
            return 0.0;
        }
    };
    PriorOptions p;
    p.minDepthM = 1.0;
    p.maxDepthM = 100.0;
    EXPECT_THROW(SampleModels(testing_support::FactoryOf<Throws>(), MakePrior(p).prior, 0, Small()), std::runtime_error);
}

// A progress hook that throws ends the run (it would otherwise go on for hours) and the
// exception reaches the caller.
TEST(Sampler, PassesOnAnExceptionFromTheProgressHookAfterStoppingEveryChain)
{
    SamplingControl control;
    control.progress = [](const SamplingProgress&) { throw std::runtime_error("window gone"); };
    SamplingOptions options = Small();
    options.samples = 2'000'000'000;
    EXPECT_THROW(Sample(NoisyData(21, 1), options, control), std::runtime_error);
}

struct RefusedRun {
    const char* name;
    SamplingOptions options;
    const char* message;
    friend void PrintTo(const RefusedRun& c, std::ostream* os) { *os << c.name; }
};

class SamplerRefusal : public ::testing::TestWithParam<RefusedRun> {};

TEST_P(SamplerRefusal, SaysWhatIsWrongAndSamplesNothing)
{
    const auto r = Sample(NoisyData(11, 1), GetParam().options);
    EXPECT_EQ(r.status, SamplingStatus::kInvalidInput);
    EXPECT_THAT(r.message, HasSubstr(GetParam().message));
    EXPECT_TRUE(r.density.empty());
    EXPECT_TRUE(r.traces.empty());
}

SamplingOptions Changed(void (*change)(SamplingOptions&))
{
    SamplingOptions o = Small();
    change(o);
    return o;
}

INSTANTIATE_TEST_SUITE_P(
    Sampler, SamplerRefusal,
    ::testing::Values(
        RefusedRun{"FewerSamplesThanChains", Changed([](SamplingOptions& o) { o.samples = 2; }), "2 samples for 3 chains"},
        RefusedRun{"OneDepthCell", Changed([](SamplingOptions& o) { o.depthCells = 1; }), "at least 2 cells"},
        RefusedRun{"TooManyChains", Changed([](SamplingOptions& o) { o.chains = 257; o.samples = 1000; }), "at most 256 chains, not 257"},
        RefusedRun{"GridTooLarge", Changed([](SamplingOptions& o) { o.depthCells = 1000; o.rhoBins = 201; }), "exceeds 200000 cells"},
        RefusedRun{"TooManyTemperatures", Changed([](SamplingOptions& o) { o.tempering.temperatures = 65; }), "at most 64 temperatures"},
        RefusedRun{"OneRhoBin", Changed([](SamplingOptions& o) { o.rhoBins = 1; }), "at least 2 bins"},
        RefusedRun{"NoTrace", Changed([](SamplingOptions& o) { o.tracePoints = 0; }), "at least 1 point"},
        RefusedRun{"NoTemperature", Changed([](SamplingOptions& o) { o.tempering.temperatures = 0; }), "at least one temperature"},
        RefusedRun{"HottestIsOne", Changed([](SamplingOptions& o) { o.tempering = {3, 1.0, 10}; }), "above 1, not 1"},
        RefusedRun{"HottestNaN", Changed([](SamplingOptions& o) { o.tempering = {3, std::nan(""), 10}; }), "finite and above 1"},
        RefusedRun{"NoSwapInterval", Changed([](SamplingOptions& o) { o.tempering = {3, 5.0, 0}; }), "between exchanges"},
        RefusedRun{"BadPrior", Changed([](SamplingOptions& o) { o.prior.maxRhoOhmM = 0.01; }), "resistivity bounds: the lower bound 0.1"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Sampler, RefusesEmptyData)
{
    const auto r = Sample(mt1d::fitting::FitData{}, Small());
    EXPECT_EQ(r.status, SamplingStatus::kInvalidInput);
    EXPECT_THAT(r.message, HasSubstr("no data"));
}

// --- Progress and cancellation ---------------------------------------------------------------

// The hook runs on the caller's thread, never goes backwards, and ends with every step done.
TEST(Sampler, ReportsProgressOnTheCallingThread)
{
    std::vector<SamplingProgress> seen;
    bool elsewhere = false;
    const auto caller = std::this_thread::get_id();
    SamplingControl control;
    control.progress = [&](const SamplingProgress& p) {
        elsewhere = elsewhere || std::this_thread::get_id() != caller;
        seen.push_back(p);
    };
    SamplingOptions options = Small();
    options.samples = 150'000;
    options.threads = 2;
    const auto r = Sample(NoisyData(21, 1), options, control);
    ASSERT_EQ(r.status, SamplingStatus::kCompleted);
    EXPECT_FALSE(elsewhere);
    ASSERT_FALSE(seen.empty());
    for (std::size_t i = 1; i < seen.size(); ++i) EXPECT_GE(seen[i].stepsDone, seen[i - 1].stepsDone);
    const auto& last = seen.back();
    EXPECT_EQ(last.stepsTotal, 150'000u + 3u * 3'000u);
    EXPECT_EQ(last.stepsDone, last.stepsTotal);
    EXPECT_FALSE(last.burningIn);
    ASSERT_EQ(last.chainRms.size(), 3u);
    EXPECT_EQ(last.rms, *std::min_element(last.chainRms.begin(), last.chainRms.end()));
    EXPECT_GT(last.rms, 0.0);
    EXPECT_GT(last.acceptance, 0.0);
    EXPECT_LT(last.acceptance, 1.0);
}

// A run far too long to finish stops when another thread raises the flag, and keeps what it
// sampled.
TEST(Sampler, StopsWhenAnotherThreadCancels)
{
    std::atomic<bool> cancel{false};
    SamplingControl control;
    control.cancel = &cancel;
    std::uint64_t lastDone = 0;
    control.progress = [&](const SamplingProgress& p) { lastDone = p.stepsDone; };
    SamplingOptions options = Small();
    options.samples = 2'000'000'000;
    options.burnIn = 1'000;
    options.threads = 2;
    std::jthread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        cancel = true;
    });
    const auto r = Sample(NoisyData(21, 1), options, control);
    EXPECT_EQ(r.status, SamplingStatus::kCancelled);
    EXPECT_THAT(r.message, HasSubstr("cancelled after"));
    EXPECT_GT(r.samples, 0u);
    EXPECT_LT(r.samples, options.samples);
    // Every step counted, burn-in included, over the chains that started (one per thread
    // here: the third waits for a thread that never frees).
    EXPECT_EQ(r.traces.size(), 2u);
    EXPECT_EQ(lastDone, r.samples + r.traces.size() * 1'000u);
    ASSERT_FALSE(r.density.empty());
    const auto row = r.DensityRow(0);
    EXPECT_NEAR(std::accumulate(row.begin(), row.end(), 0.0), 1.0, 1e-12);
}

TEST(Sampler, CancelledBeforeItStartsKeepsNothing)
{
    std::atomic<bool> cancel{true};
    SamplingControl control;
    control.cancel = &cancel;
    const auto r = Sample(NoisyData(21, 1), Small(), control);
    EXPECT_EQ(r.status, SamplingStatus::kCancelled);
    EXPECT_EQ(r.samples, 0u);
    EXPECT_TRUE(r.density.empty());
    EXPECT_TRUE(r.p50.empty());
    EXPECT_THAT(r.message, HasSubstr("no samples were kept"));
    EXPECT_EQ(r.depthM.size(), Small().depthCells);  // the grid is still described
}

}  // namespace

namespace {

// Runs so short that a worker may finish every chain and count itself off before the last
// worker is started: each still returns. Run on a thread of its own, so that a run that
// never returns fails the test instead of stopping the suite.
TEST(Sampler, ReturnsWhenAWorkerFinishesBeforeTheLastIsStarted)
{
    constexpr int kRuns = 300;
    const auto done = std::make_shared<std::atomic<int>>(0);
    const auto data = std::make_shared<mt1d::fitting::FitData>(NoisyData(5, 1));
    std::thread([done, data] {
        SamplingOptions o;
        o.samples = 8;
        o.burnIn = 0;
        o.chains = 8;
        o.threads = 8;
        o.tracePoints = 1;
        for (int i = 0; i < kRuns; ++i) {
            if (Sample(*data, o).status == SamplingStatus::kCompleted) ++*done;
        }
    }).detach();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (done->load() < kRuns && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(done->load(), kRuns) << "a run did not return";
}

}  // namespace
