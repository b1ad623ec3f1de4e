#include "dims/Wording.h"

#include <array>
#include <charconv>

namespace mt1d::dims {

std::string Significant(double value, int significant)
{
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::general, significant);
    return std::string(buffer.data(), result.ptr);
}

std::string AboveLimit(double value, double limit)
{
    std::string text;
    for (int digits = 2; digits <= 9; ++digits) {
        text = Significant(value, digits);
        double read = 0.0;
        std::from_chars(text.data(), text.data() + text.size(), read);
        if (read > limit) break;
    }
    return text;
}

}  // namespace mt1d::dims
