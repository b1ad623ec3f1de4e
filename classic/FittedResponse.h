#pragma once
// The response of the inversion's result model, to draw over the curves it was fitted to.

#include "classic/Commands.h"
#include "classic/ModelStore.h"

namespace mt1d {

// The view (listing and curves, as DescribeResponse gives them) of the response of the
// model in InvModel (LayerCount resistivities, then LayerCount thicknesses, the last one
// the half-space's and never read) at the store's frequencies. After an inversion InvModel
// holds its result, and this is the response the engine fitted, computed by the same
// forward model from the result's float values. Values are not checked: a response that is
// not finite is returned as it is. Throws std::invalid_argument for a LayerCount outside
// 1..kMaxStoreLayers.
ResponseView FittedResponse(const ModelStore& store);

}  // namespace mt1d
