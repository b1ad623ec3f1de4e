#include "inversion/Inversion1DImpl.h"

template class Inversion1D<TMTRes>;
template class Inversion1D<TMTPhase>;
template class Inversion1D<TMTResPhase>;
