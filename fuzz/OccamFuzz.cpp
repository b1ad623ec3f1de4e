// libFuzzer target: the Occam data reader, on any bytes.

#include "fuzz/FuzzChecks.h"
#include "sounding/OccamReader.h"
#include "sounding/ReadError.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        mt1d_fuzz::CheckSounding(mt1d::sounding::ParseOccamData(bytes, "fuzz.dat", "fuzz"));
    } catch (const mt1d::sounding::ReadError& e) {
        mt1d_fuzz::CheckRefusal(e);
    }
    return 0;
}
