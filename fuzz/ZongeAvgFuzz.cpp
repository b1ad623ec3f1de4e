// libFuzzer target: the Zonge AVG reader, on any bytes; what it accepts must also
// survive the writers (FuzzChecks.h).

#include "fuzz/FuzzChecks.h"
#include "sounding/ReadError.h"
#include "sounding/ZongeAvgReader.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    mt1d::sounding::Sounding s;
    try {
        s = mt1d::sounding::ParseZongeAvg(bytes, "fuzz.avg", "fuzz");
    } catch (const mt1d::sounding::ReadError&) {
        return 0;  // a refusal is a proper answer to a broken file
    }
    mt1d_fuzz::CheckWriters(s);
    mt1d_fuzz::CheckSounding(std::move(s));
    return 0;
}
