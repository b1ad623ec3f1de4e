// A mutator for fuzz_edi_blocks that knows the shape of an EDI file: blocks that start with
// '>' at the start of a line, and the counts that size them (NFREQ=4, NCHAN=7, "//4" after a
// data block's name). Byte flips rarely keep a file readable far enough to reach the checks
// between blocks (a count against the values given, a block repeated or missing, the order
// of frequencies); these edits do, so the plain fuzzer's coverage is carried further.
//
// Each call makes one of: two blocks swapped, a block repeated, a block dropped, a block cut
// short, a count replaced by an awkward one, or (one time in four) libFuzzer's own byte edit.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <string_view>
#include <vector>

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

namespace {

// Where each block starts: offset 0 and every '>' that begins a line.
std::vector<std::size_t> BlockStarts(std::string_view text)
{
    std::vector<std::size_t> starts{0};
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (text[i] == '>' && text[i - 1] == '\n') starts.push_back(i);
    }
    return starts;
}

// The blocks, each with its own line breaks; joined they give the text back.
std::vector<std::string> Blocks(std::string_view text)
{
    const std::vector<std::size_t> starts = BlockStarts(text);
    std::vector<std::string> blocks;
    for (std::size_t k = 0; k < starts.size(); ++k) {
        const std::size_t end = k + 1 < starts.size() ? starts[k + 1] : text.size();
        blocks.emplace_back(text.substr(starts[k], end - starts[k]));
    }
    return blocks;
}

// Digit runs that follow "NFREQ=", "NCHAN=", "MAXCHAN=", "NSPECT=" or "//": what sizes blocks.
std::vector<std::pair<std::size_t, std::size_t>> Counts(std::string_view text)
{
    std::vector<std::pair<std::size_t, std::size_t>> counts;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::size_t at = std::string_view::npos;
        if (text.substr(i, 2) == "//") at = i + 2;
        for (const std::string_view key : {"NFREQ=", "NCHAN=", "MAXCHAN=", "NSPECT=", "NFREQ =", "NCHAN ="}) {
            if (text.size() - i >= key.size() && text.substr(i, key.size()) == key) at = i + key.size();
        }
        if (at == std::string_view::npos) continue;
        while (at < text.size() && text[at] == ' ') ++at;
        std::size_t end = at;
        while (end < text.size() && (text[end] == '-' || (text[end] >= '0' && text[end] <= '9'))) ++end;
        if (end > at) counts.emplace_back(at, end - at);
    }
    return counts;
}

std::string AwkwardCount(std::mt19937& random, std::string_view old)
{
    static const char* const kValues[] = {"0", "1", "-1", "2", "10000", "10001", "65536", "2147483648",
                                          "4294967297", "18446744073709551616", "99999999999999999999", ""};
    // atoll saturates at the ends of long long; the neighbours are taken only where they exist.
    const long long number = old.empty() ? 0 : std::atoll(std::string(old).c_str());
    switch (random() % 3) {
    case 0:
        if (number < std::numeric_limits<long long>::max()) return std::to_string(number + 1);
        return std::string(old) + "0";
    case 1:
        if (number > std::numeric_limits<long long>::min()) return std::to_string(number - 1);
        return std::string(old) + "0";
    default: return kValues[random() % (sizeof kValues / sizeof kValues[0])];
    }
}

}  // namespace

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size, std::size_t maxSize,
                                               unsigned int seed)
{
    std::mt19937 random(seed);
    if (random() % 4 == 0) return LLVMFuzzerMutate(data, size, maxSize);
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> blocks = Blocks(text);
    std::string out;
    const std::size_t n = blocks.size();
    switch (random() % 5) {
    case 0:  // two blocks swapped
        if (n >= 2) std::swap(blocks[random() % n], blocks[random() % n]);
        break;
    case 1:  // a block repeated, somewhere
        if (n >= 1) {
            const std::string copy = blocks[random() % n];
            blocks.insert(blocks.begin() + static_cast<std::ptrdiff_t>(random() % (n + 1)), copy);
        }
        break;
    case 2:  // a block dropped
        if (n >= 2) blocks.erase(blocks.begin() + static_cast<std::ptrdiff_t>(random() % n));
        break;
    case 3:  // a block cut short
        if (n >= 1) {
            std::string& block = blocks[random() % n];
            if (!block.empty()) block.resize(random() % block.size());
        }
        break;
    default: {  // a count changed
        const auto counts = Counts(text);
        if (counts.empty()) return LLVMFuzzerMutate(data, size, maxSize);
        const auto [at, length] = counts[random() % counts.size()];
        out = text.substr(0, at) + AwkwardCount(random, std::string_view(text).substr(at, length)) + text.substr(at + length);
        break;
    }
    }
    if (out.empty()) {
        for (const std::string& block : blocks) out += block;
    }
    if (out.size() > maxSize || out.empty()) return LLVMFuzzerMutate(data, size, maxSize);
    std::memcpy(data, out.data(), out.size());
    return out.size();
}
