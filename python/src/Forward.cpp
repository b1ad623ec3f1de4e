#include "python/src/Forward.h"

#include "python/src/Arrays.h"

#include "numerics/LayeredEarth.h"

#include <cmath>
#include <span>
#include <stdexcept>
#include <string>

namespace mt1d::python {

namespace {

using Input = py::array_t<double, py::array::c_style | py::array::forcecast>;

// The models of a call: M models of L layers, row-major; `batched` when they came as 2-D
// arrays (the results then have a leading axis of M).
struct Models {
    const double* rho = nullptr;
    const double* thickness = nullptr;
    std::size_t count = 0;
    std::size_t layers = 0;
    bool batched = false;
};

std::string Where(const char* name, bool batched, std::size_t model, std::size_t index)
{
    return std::string(name) + (batched ? "[" + std::to_string(model) + ", " + std::to_string(index) + "]"
                                        : "[" + std::to_string(index) + "]");
}

void CheckPositive(const char* name, const double* values, std::size_t count, std::size_t perModel, bool batched)
{
    for (std::size_t i = 0; i < count; ++i) {
        if (!(values[i] > 0.0) || !std::isfinite(values[i])) {
            throw py::value_error(Where(name, batched, perModel == 0 ? 0 : i / perModel, perModel == 0 ? i : i % perModel) +
                                  " = " + std::to_string(values[i]) + " is not a positive finite number");
        }
    }
}

Models ModelsOf(const Input& rho, const Input& thickness)
{
    if (rho.ndim() != thickness.ndim() || rho.ndim() < 1 || rho.ndim() > 2) {
        throw py::value_error("rho and thickness must both be 1-D (one model) or both 2-D (one model per row); got " +
                              std::to_string(rho.ndim()) + "-D and " + std::to_string(thickness.ndim()) + "-D");
    }
    Models m;
    m.batched = rho.ndim() == 2;
    m.count = m.batched ? static_cast<std::size_t>(rho.shape(0)) : 1;
    m.layers = static_cast<std::size_t>(rho.shape(rho.ndim() - 1));
    const std::size_t thicknesses = static_cast<std::size_t>(thickness.shape(thickness.ndim() - 1));
    if (m.batched && static_cast<std::size_t>(thickness.shape(0)) != m.count) {
        throw py::value_error("rho holds " + std::to_string(m.count) + " models, thickness " +
                              std::to_string(thickness.shape(0)));
    }
    if (m.layers == 0) throw py::value_error("a model needs at least one layer (the half-space)");
    if (thicknesses + 1 != m.layers) {
        throw py::value_error("a model of " + std::to_string(m.layers) + " layers has " + std::to_string(m.layers - 1) +
                              " thicknesses, not " + std::to_string(thicknesses));
    }
    m.rho = rho.data();
    m.thickness = thickness.data();
    CheckPositive("rho", m.rho, m.count * m.layers, m.layers, m.batched);
    CheckPositive("thickness", m.thickness, m.count * (m.layers - 1), m.layers - 1, m.batched);
    return m;
}

std::vector<double> FrequenciesOf(const Input& frequencies)
{
    if (frequencies.ndim() != 1) throw py::value_error("frequencies must be a 1-D array");
    std::vector<double> f(frequencies.data(), frequencies.data() + frequencies.size());
    for (std::size_t i = 0; i < f.size(); ++i) {
        // 0 Hz is the direct-current limit of the kernel.
        if (!(f[i] >= 0.0) || !std::isfinite(f[i])) {
            throw py::value_error("frequencies[" + std::to_string(i) + "] = " + std::to_string(f[i]) +
                                  " is not a finite frequency of 0 Hz or more");
        }
    }
    return f;
}

// An output array of shape (F) or (M, F), or with a trailing (columns) axis.
py::array_t<double> Output(const Models& m, std::size_t rows, std::size_t columns = 0)
{
    std::vector<py::ssize_t> shape;
    if (m.batched) shape.push_back(static_cast<py::ssize_t>(m.count));
    shape.push_back(static_cast<py::ssize_t>(rows));
    if (columns > 0) shape.push_back(static_cast<py::ssize_t>(columns));
    return py::array_t<double>(shape);
}

py::tuple Forward(const Input& rho, const Input& thickness, const Input& frequencies)
{
    const Models m = ModelsOf(rho, thickness);
    std::vector<double> f = FrequenciesOf(frequencies);
    const std::size_t nf = f.size();
    py::array_t<double> rhoA = Output(m, nf);
    py::array_t<double> phase = Output(m, nf);
    double* rhoOut = rhoA.mutable_data();
    double* phaseOut = phase.mutable_data();
    {
        const py::gil_scoped_release release;
        earth::LayeredEarth earth(std::move(f));
        const std::size_t h = m.layers - 1;
        for (std::size_t k = 0; k < m.count; ++k) {
            earth.Compute(std::span(m.rho + k * m.layers, m.layers), std::span(m.thickness + k * h, h),
                          std::span(rhoOut + k * nf, nf), std::span(phaseOut + k * nf, nf));
        }
    }
    return py::make_tuple(rhoA, phase);
}

py::tuple Jacobian(const Input& rho, const Input& thickness, const Input& frequencies)
{
    const Models m = ModelsOf(rho, thickness);
    std::vector<double> f = FrequenciesOf(frequencies);
    const std::size_t nf = f.size();
    const std::size_t columns = 2 * m.layers - 1;
    py::array_t<double> rhoA = Output(m, nf);
    py::array_t<double> phase = Output(m, nf);
    py::array_t<double> jacobian = Output(m, 2 * nf, columns);
    double* rhoOut = rhoA.mutable_data();
    double* phaseOut = phase.mutable_data();
    double* jOut = jacobian.mutable_data();
    {
        const py::gil_scoped_release release;
        earth::LayeredEarth earth(std::move(f));
        const std::size_t h = m.layers - 1;
        const std::size_t size = 2 * nf * columns;
        for (std::size_t k = 0; k < m.count; ++k) {
            earth.ComputeWithJacobian(std::span(m.rho + k * m.layers, m.layers), std::span(m.thickness + k * h, h),
                                      std::span(rhoOut + k * nf, nf), std::span(phaseOut + k * nf, nf),
                                      std::span(jOut + k * size, size));
        }
    }
    return py::make_tuple(rhoA, phase, jacobian);
}

}  // namespace

void RegisterForward(py::module_& module)
{
    module.def("forward", &Forward, py::arg("rho"), py::arg("thickness"), py::arg("frequencies"),
               R"(The magnetotelluric response of horizontally layered earths.

rho: resistivities in ohm-m, top layer first, the last the half-space: shape (L,) for one
    model or (M, L) for M models at once.
thickness: thicknesses in m, one fewer than the layers: shape (L-1,) or (M, L-1).
frequencies: in Hz, shape (F,); 0 Hz gives the direct-current limit.

Returns (rho_a, phase): apparent resistivity in ohm-m and impedance phase in degrees (first
quadrant, 45 over a half-space; time dependence e^{+iwt}), each of shape (F,) or (M, F),
float64. The interpreter's lock is released while the models are computed, so that threads
calling forward run in parallel. Raises ValueError for shapes that do not agree and for
resistivities or thicknesses that are not positive finite numbers.)");
    module.def("jacobian", &Jacobian, py::arg("rho"), py::arg("thickness"), py::arg("frequencies"),
               R"(The response of layered earths and its derivatives, as forward takes them.

Returns (rho_a, phase, jacobian). jacobian has shape (2F, 2L-1), or (M, 2F, 2L-1) for M
models: rows d log10(rho_a) at every frequency, then d phase (degrees) at every frequency;
columns the derivatives with respect to log10 rho_1 .. log10 rho_L, then log10 h_1 ..
log10 h_{L-1}. Computed by differentiating the recursion, not by differences; the lock is
released as for forward.)");
}

}  // namespace mt1d::python
