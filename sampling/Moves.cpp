#include "sampling/Moves.h"

namespace mt1d::sampling {

std::string_view ToString(Move move)
{
    switch (move) {
    case Move::kBirth: return "birth";
    case Move::kDeath: return "death";
    case Move::kMove: return "move";
    case Move::kChange: return "change";
    case Move::kSwap: return "swap";
    case Move::kShift: return "shift";
    }
    return "unknown";
}

void MoveCounts::Add(const MoveCounts& other)
{
    for (std::size_t i = 0; i < kMoveKinds; ++i) {
        byMove[i].proposed += other.byMove[i].proposed;
        byMove[i].accepted += other.byMove[i].accepted;
    }
}

MoveCount MoveCounts::ChainTotal() const
{
    MoveCount total;
    for (std::size_t i = 0; i < kChainMoves; ++i) {
        total.proposed += byMove[i].proposed;
        total.accepted += byMove[i].accepted;
    }
    total.proposed += (*this)[Move::kShift].proposed;
    total.accepted += (*this)[Move::kShift].accepted;
    return total;
}

}  // namespace mt1d::sampling
