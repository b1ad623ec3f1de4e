#pragma once
// numpy arrays made from the program's vectors (copies the module owns), and strings for
// Python. Missing values, which the program holds as empty optionals, become NaN in float
// arrays and None in scalars.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cmath>
#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace mt1d::python {

namespace py = pybind11;

inline constexpr double kMissing = std::numeric_limits<double>::quiet_NaN();

// A 1-D float64 array of `n` values `value(i)`.
template <typename Value>
py::array_t<double> FloatArray(std::size_t n, Value value)
{
    py::array_t<double> array(static_cast<py::ssize_t>(n));
    double* data = array.mutable_data();
    for (std::size_t i = 0; i < n; ++i) data[i] = value(i);
    return array;
}

inline py::array_t<double> FloatArray(const std::vector<double>& values)
{
    return FloatArray(values.size(), [&](std::size_t i) { return values[i]; });
}

// A 1-D bool array.
template <typename Value>
py::array_t<bool> BoolArray(std::size_t n, Value value)
{
    py::array_t<bool> array(static_cast<py::ssize_t>(n));
    bool* data = array.mutable_data();
    for (std::size_t i = 0; i < n; ++i) data[i] = value(i);
    return array;
}

// A row-major 2-D float64 array of rows × columns values.
inline py::array_t<double> Matrix(const std::vector<double>& values, std::size_t rows, std::size_t columns)
{
    py::array_t<double> array({static_cast<py::ssize_t>(rows), static_cast<py::ssize_t>(columns)});
    double* data = array.mutable_data();
    for (std::size_t i = 0; i < rows * columns && i < values.size(); ++i) data[i] = values[i];
    return array;
}

inline double OrMissing(const std::optional<double>& value) { return value.value_or(kMissing); }

// None for an empty optional, else the float.
inline py::object OrNone(const std::optional<double>& value)
{
    if (!value) return py::none();
    return py::float_(*value);
}

// A str of the program's UTF-8 text. Text quoted from a file may hold bytes that are not
// UTF-8: they become U+FFFD rather than an exception.
inline py::str Text(const std::string& text)
{
    PyObject* object = PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "replace");
    if (object == nullptr) throw py::error_already_set();
    return py::reinterpret_steal<py::str>(object);
}

inline py::list StringList(const std::vector<std::string>& texts)
{
    py::list list;
    for (const std::string& text : texts) list.append(Text(text));
    return list;
}

}  // namespace mt1d::python
