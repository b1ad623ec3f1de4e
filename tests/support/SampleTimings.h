#pragma once
// The output of a sampling run without its timings: ess.seconds and ess.*.per_second are the
// only values two runs of one seed differ in (report/SampleJson.h). Text that is not such a
// JSON document is returned as it is.

#include <nlohmann/json.hpp>

#include <string>

namespace mt1d_testing {

inline std::string WithoutTimings(const std::string& text)
{
    nlohmann::ordered_json doc = nlohmann::ordered_json::parse(text, nullptr, false);
    if (doc.is_discarded() || !doc.is_object() || !doc.contains("ess")) return text;
    nlohmann::ordered_json& ess = doc["ess"];
    ess.erase("seconds");
    for (const char* key : {"misfit", "layer_count"}) ess[key].erase("per_second");
    for (auto& depth : ess["log10_rho"]) depth.erase("per_second");
    return doc.dump(1);
}

}  // namespace mt1d_testing
