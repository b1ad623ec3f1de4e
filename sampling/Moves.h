#pragma once
// The moves of the sampler and how often each was taken.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace mt1d::sampling {

// Birth: add an interface; death: remove one; move: shift an interface's depth; change: a
// layer's resistivity; swap: exchange models between neighbouring temperatures (parallel
// tempering only); shift: one curve's static-shift unknown (only with free factors).
enum class Move { kBirth, kDeath, kMove, kChange, kSwap, kShift };
inline constexpr std::size_t kMoveKinds = 6;
// The moves a chain draws its proposals from, each with probability 1/4; with static-shift
// unknowns kShift joins them, each then with probability 1/5.
inline constexpr std::size_t kChainMoves = 4;

// "birth", "death", "move", "change", "swap": the keys of the acceptance rates.
std::string_view ToString(Move move);

struct MoveCount {
    std::uint64_t proposed = 0;
    std::uint64_t accepted = 0;
    double Rate() const { return proposed == 0 ? 0.0 : static_cast<double>(accepted) / static_cast<double>(proposed); }
};

struct MoveCounts {
    std::array<MoveCount, kMoveKinds> byMove{};

    MoveCount& operator[](Move m) { return byMove[static_cast<std::size_t>(m)]; }
    const MoveCount& operator[](Move m) const { return byMove[static_cast<std::size_t>(m)]; }
    void Add(const MoveCounts& other);
    // Over the chain moves (swaps left out).
    MoveCount ChainTotal() const;
};

}  // namespace mt1d::sampling
