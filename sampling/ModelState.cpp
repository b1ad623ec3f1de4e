#include "sampling/ModelState.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace mt1d::sampling {

namespace {
template <class V>
auto At(V& v, std::size_t i)
{
    return v.begin() + static_cast<std::ptrdiff_t>(i);
}
}  // namespace

ModelState::ModelState(double log10Rho)
    : log10Rho_{log10Rho}, rho_{std::pow(10.0, log10Rho)}
{
}

std::size_t ModelState::LayerAt(double log10Depth) const
{
    return static_cast<std::size_t>(
        std::distance(log10Depth_.begin(), std::upper_bound(log10Depth_.begin(), log10Depth_.end(), log10Depth)));
}

void ModelState::Split(double log10Depth, double upperLog10Rho, double lowerLog10Rho)
{
    const std::size_t j = LayerAt(log10Depth);
    log10Depth_.insert(At(log10Depth_, j), log10Depth);
    depth_.insert(At(depth_, j), std::pow(10.0, log10Depth));
    log10Rho_[j] = upperLog10Rho;
    rho_[j] = std::pow(10.0, upperLog10Rho);
    log10Rho_.insert(At(log10Rho_, j + 1), lowerLog10Rho);
    rho_.insert(At(rho_, j + 1), std::pow(10.0, lowerLog10Rho));
    thickness_.push_back(0.0);
    UpdateThickness(j);
}

void ModelState::Merge(std::size_t interface, double log10Rho)
{
    log10Depth_.erase(At(log10Depth_, interface));
    depth_.erase(At(depth_, interface));
    log10Rho_.erase(At(log10Rho_, interface + 1));
    rho_.erase(At(rho_, interface + 1));
    log10Rho_[interface] = log10Rho;
    rho_[interface] = std::pow(10.0, log10Rho);
    thickness_.pop_back();
    UpdateThickness(interface);
}

void ModelState::MoveInterface(std::size_t interface, double log10Depth)
{
    log10Depth_[interface] = log10Depth;
    depth_[interface] = std::pow(10.0, log10Depth);
    UpdateThickness(interface);
}

void ModelState::SetLog10Rho(std::size_t layer, double log10Rho)
{
    log10Rho_[layer] = log10Rho;
    rho_[layer] = std::pow(10.0, log10Rho);
}

// Thickness j runs from interface j − 1 (the surface for j = 0) down to interface j.
void ModelState::UpdateThickness(std::size_t from)
{
    for (std::size_t j = from; j < thickness_.size(); ++j) {
        thickness_[j] = depth_[j] - (j == 0 ? 0.0 : depth_[j - 1]);
    }
}

earth::LayeredModel ModelState::ToLayeredModel() const
{
    return {rho_, thickness_};
}

}  // namespace mt1d::sampling
