// libFuzzer target: the EDI reader, on any bytes.

#include "sounding/EdiReader.h"
#include "fuzz/FuzzChecks.h"
#include "sounding/ReadError.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        mt1d_fuzz::CheckSounding(mt1d::sounding::ParseEdi(bytes, "fuzz.edi", "fuzz"));
    } catch (const mt1d::sounding::ReadError&) {
        // A refusal is a proper answer to a broken file.
    }
    return 0;
}
