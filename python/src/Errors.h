#pragma once
// The module's exceptions and how the C++ errors below it become them:
//   mt1d.Error          the base of the others
//   mt1d.OptionError    an option that cannot be used, with the command line's message
//                       (cli::UsageError: "--floor 取 0 到 100 之间的数：“200” (--floor takes a
//                       number from 0 to 100, not '200')")
//   mt1d.ReadError      a sounding file that cannot be used (unreadable, no data for the mode,
//                       no tensor for the 1-D check), with the command line's message
//   mt1d.RefusedError   data and options that cannot be fitted or sampled together (too few
//                       usable values for the layers, layer tops that do not increase, …)
// Errors in the arguments of the array functions (shapes, values that are not positive) are
// ValueError, as numpy's own.

#include <pybind11/pybind11.h>

#include <stdexcept>

namespace mt1d::python {

class OptionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class RefusedError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Adds Error, OptionError, ReadError and RefusedError to the module and translates the C++
// exceptions above, and the command line's UsageError, into them.
void RegisterErrors(pybind11::module_& module);

}  // namespace mt1d::python
