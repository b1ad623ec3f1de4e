// libFuzzer target: the column reader, on any bytes, with the file's header or, when the
// first byte is odd, with a given column list; and format recognition on the same bytes.

#include "sounding/ColumnReader.h"
#include "fuzz/FuzzChecks.h"
#include "sounding/ReadError.h"
#include "sounding/SoundingFile.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace mt1d::sounding;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    static const std::vector<Column> kGiven = ParseColumnList("period,log10rho,log10rho_err,phase,phase_err");
    const bool given = size > 0 && (data[0] & 1) != 0;
    try {
        mt1d_fuzz::CheckSounding(ParseColumns(bytes, "fuzz.txt", "fuzz", given ? kGiven : std::vector<Column>{}));
    } catch (const ReadError& e) {
        mt1d_fuzz::CheckRefusal(e);
    }
    try {
        (void)DetectFormat(bytes, "fuzz");
    } catch (const ReadError& e) {
        mt1d_fuzz::CheckRefusal(e);
    }
    return 0;
}
