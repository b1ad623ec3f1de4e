#pragma once
// mt1d.forward and mt1d.jacobian: the layered-earth kernel (numerics/LayeredEarth.h) over one
// model or many at once, with the interpreter's lock released while it runs, so that Python
// threads calling them run on as many cores.

#include <pybind11/pybind11.h>

namespace mt1d::python {

void RegisterForward(pybind11::module_& module);

}  // namespace mt1d::python
