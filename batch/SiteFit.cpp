#include "batch/SiteFit.h"

#include "jobs/FitCurve.h"
#include "jobs/SiteSeed.h"

#include <algorithm>
#include <exception>
#include <new>

namespace mt1d::batch {

namespace {

// Characters of a reader's or fit's message kept in a failure: it names the file and the line.
constexpr std::size_t kMessageLength = 400;

SiteFit Failure(std::string why)
{
    SiteFit result;
    result.failure = FailureLine(std::move(why));
    return result;
}

}  // namespace

std::string FailureLine(std::string why)
{
    std::replace_if(why.begin(), why.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    if (why.size() > kMessageLength) why = why.substr(0, kMessageLength) + "…";
    return why;
}

std::string LoadFailure(const jobs::LoadError& error)
{
    // Never the file's own text: a survey folder may hold anything (a link to a system file).
    return FailureLine(error.GetKind() == jobs::LoadError::Kind::kCannotRead
                           ? "cannot read: " + error.ContentFreeMessage()
                           : error.ContentFreeMessage());
}

jobs::FitOptions SiteFitOptions(const jobs::FitOptions& batch, const std::string& siteName)
{
    jobs::FitOptions options = batch;
    if (options.method == fitting::Method::kLayered) {
        options.seed = jobs::SiteSeed(batch.seed.value_or(jobs::kDefaultSeed), siteName);
    }
    return options;
}

SiteFit FitSiteFile(const std::string& file, const std::string& siteName, const jobs::DataOptions& data,
                    const jobs::FitOptions& fit, const fitting::RunControl& control)
{
    try {
        jobs::LoadedCurve loaded;
        try {
            loaded = jobs::LoadCurve(file, data);
        } catch (const jobs::LoadError& e) {
            return Failure(LoadFailure(e));
        }
        jobs::FitRun run = jobs::FitCurve(loaded, SiteFitOptions(fit, siteName), {}, control);
        if (!run.record) return Failure("cannot fit: " + run.refusal);
        SiteFit result;
        if (run.record->report.status == fitting::FitStatus::kCancelled) {
            result.cancelled = true;
            return result;
        }
        result.record = std::move(run.record);
        return result;
    } catch (const std::bad_alloc&) {
        return Failure("out of memory");
    } catch (const std::exception& e) {
        // A fault of one sounding must not end the survey; it is that site's failure.
        return Failure(std::string("unexpected error: ") + e.what());
    }
}

}  // namespace mt1d::batch
