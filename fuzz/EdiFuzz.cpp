// libFuzzer target: the EDI reader, on any bytes; what it accepts must also survive the
// writers (FuzzChecks.h).

#include "sounding/EdiReader.h"
#include "fuzz/FuzzChecks.h"
#include "sounding/ReadError.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace mt1d::sounding;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The last byte chooses the readings: detected, or forced one way or the other.
    ReadOptions options;
    if (size > 0 && (data[size - 1] & 1) != 0) {
        options.varianceConvention = (data[size - 1] & 2) != 0 ? VarianceConvention::kPart : VarianceConvention::kComplex;
        options.rhoErrorUnit = (data[size - 1] & 4) != 0 ? RhoErrorUnit::kOhmM : RhoErrorUnit::kLog10;
    }
    Sounding s;
    try {
        s = ParseEdi(bytes, "fuzz.edi", "fuzz", options);
    } catch (const ReadError& e) {
        // A refusal is a proper answer to a broken file.
        mt1d_fuzz::CheckRefusal(e);
        return 0;
    }
    mt1d_fuzz::CheckWriters(s);
    mt1d_fuzz::CheckSounding(std::move(s));
    return 0;
}
