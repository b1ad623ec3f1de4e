#include "python/src/Errors.h"

#include "cli/Cli.h"
#include "io/AtomicFile.h"

namespace mt1d::python {

namespace py = pybind11;

void RegisterErrors(py::module_& module)
{
    // Leaked on purpose: the classes live as long as the interpreter, and a static py::object
    // would be released after it has gone.
    static auto* error = new py::exception<std::runtime_error>(module, "Error", PyExc_Exception);
    static auto* option = new py::exception<OptionError>(module, "OptionError", error->ptr());
    static auto* read = new py::exception<ReadError>(module, "ReadError", error->ptr());
    static auto* refused = new py::exception<RefusedError>(module, "RefusedError", error->ptr());
    error->doc() = "The base of mt1d's own exceptions.";
    option->doc() = "An option that cannot be used; the message is the one of the command line.";
    read->doc() = "A sounding file that cannot be used; the message is the one of the command line.";
    refused->doc() = "Data and options that cannot be fitted or sampled together (too few usable values, …).";
    py::register_exception_translator([](std::exception_ptr p) {
        try {
            if (p) std::rethrow_exception(p);
        } catch (const OptionError& e) {
            PyErr_SetString(option->ptr(), e.what());
        } catch (const cli::UsageError& e) {
            PyErr_SetString(option->ptr(), e.what());
        } catch (const ReadError& e) {
            PyErr_SetString(read->ptr(), e.what());
        } catch (const RefusedError& e) {
            PyErr_SetString(refused->ptr(), e.what());
        } catch (const io::WriteError& e) {
            PyErr_SetString(PyExc_OSError, e.what());
        }
    });
}

}  // namespace mt1d::python
