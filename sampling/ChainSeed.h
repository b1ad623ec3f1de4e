#pragma once
// The seed of each chain's generator, from the user's seed, the chain's index and its place
// on the temperature ladder, mixed by SplitMix64 (Steele, Lea & Flood 2014) so that
// neighbouring indices give unrelated streams. Depends on nothing else, so a chain gets the
// same numbers whichever thread runs it.

#include <cstddef>
#include <cstdint>

namespace mt1d::sampling {

constexpr std::uint64_t SplitMix64(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// `rung` is the chain's place on its temperature ladder (0 at temperature 1); the ladder's
// exchanges draw from rung = the number of temperatures.
constexpr std::uint64_t ChainSeed(std::uint64_t seed, std::size_t chain, std::size_t rung)
{
    return SplitMix64(SplitMix64(SplitMix64(seed) ^ static_cast<std::uint64_t>(chain)) ^
                      static_cast<std::uint64_t>(rung));
}

}  // namespace mt1d::sampling
