#include "fitting/Damping.h"

#include <algorithm>

namespace mt1d::fitting {

void Damping::Accept(double gainRatio)
{
    const double t = 2.0 * gainRatio - 1.0;
    lambda_ = std::max(kMinLambda, lambda_ * std::max(1.0 / 3.0, 1.0 - t * t * t));
    nu_ = 2.0;
}

void Damping::Reject()
{
    lambda_ *= nu_;
    nu_ *= 2.0;
}

}  // namespace mt1d::fitting
