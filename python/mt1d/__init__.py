"""mt1d: one-dimensional magnetotelluric sounding, for Python and numpy.

The engines of the command-line tool mt1d, with its options, defaults and messages:

    read(path)                       a sounding file as read (Sounding)
    curve(path, **data options)      its apparent resistivity and phase as the fits use them (Curve)
    forward(rho, thickness, f)       the response of layered earths, many at once
    jacobian(rho, thickness, f)      the response and its derivatives
    fit(source, **options)           mt1d fit: a smooth (Occam) or layered model (FitResult)
    sample(source, **options)        mt1d sample: the posterior of layered models (Posterior)
    survey                           the pieces of mt1d batch for a survey run elsewhere

A keyword option is the command's option with '_' for '-': floor=5 is --floor 5,
max_iterations=50 is --max-iterations 50, only_1d=True is --only-1d; a list is written with
commas (exclude=[50, 60] is --exclude 50,60). None, or a flag given False, leaves the
command's default. The values are checked by the command's own parsers: OptionError carries
the message mt1d prints for the same option.

Errors: OptionError (an option that cannot be used), ReadError (a file that cannot be used),
RefusedError (data and options that cannot be fitted together), all subclasses of Error.
Units: ohm-m, m, Hz, degrees; time dependence e^{+iwt}; phases in the first quadrant.
"""

import os as _os
import sys as _sys

from . import _mt1d
from ._mt1d import (
    Curve,
    Error,
    FitResult,
    OptionError,
    Posterior,
    ReadError,
    RefusedError,
    Sounding,
    forward,
    jacobian,
    survey,
)

__version__ = _mt1d.__version__
_sys.modules[__name__ + ".survey"] = survey  # import mt1d.survey

__all__ = [
    "Curve", "Error", "FitResult", "OptionError", "Posterior", "ReadError", "RefusedError",
    "Sounding", "curve", "fit", "forward", "jacobian", "read", "sample", "survey", "__version__",
]

# The options of the commands as their --help lists them, by keyword.
_GROUPS = {group: {o.name[2:].replace("-", "_"): o for o in _mt1d._options(group)}
           for group in ("data", "fit", "sample")}
# The data options that decide how a file is read; a Sounding was read with them already.
_READING = ("columns", "rotate", "var_convention", "rho_err")


def _refuse_unknown(name):
    option = "--" + name.replace("_", "-")
    raise OptionError(f"未知选项 “{option}” (unknown option '{option}')")


def _option_text(option, value):
    if isinstance(value, bool):
        raise OptionError(f"{option.name} 取值而非开关 ({option.name} takes a value {option.value_name}, "
                          f"not {value})")
    if isinstance(value, (list, tuple)):
        return ",".join(_option_text(option, v) for v in value)
    if isinstance(value, float):
        return repr(value)  # the shortest text that reads back as the same double
    return str(value)


def _number_text(value):
    return repr(value) if isinstance(value, float) else str(value)


def _args(options, *groups):
    """The command-line arguments ("--name=value", "--flag") of keyword options."""
    args = []
    for key, value in options.items():
        option = next((g[key] for g in (_GROUPS[name] for name in groups) if key in g), None)
        if option is None:
            _refuse_unknown(key)
        if value is None:
            continue
        if option.flag:
            if not isinstance(value, bool):
                raise OptionError(f"{option.name} 是开关，取 True 或 False ({option.name} is a flag: "
                                  f"True or False, not {value!r})")
            if value:
                args.append(option.name)
            continue
        args.append(f"{option.name}={_option_text(option, value)}")
    return args


def _path(path):
    if not isinstance(path, (str, bytes, _os.PathLike)):
        raise TypeError(f"a path was expected, not {type(path).__name__}")
    return _os.fsdecode(_os.fspath(path))


def _refuse_given(options, names, where):
    for name in names:
        if options.get(name) is not None:
            option = "--" + name.replace("_", "-")
            raise OptionError(f"{option} 不适用于 {where} ({option} does not apply to {where})")


def read(path, columns=None, *, rotate=None, var_convention=None, rho_err=None):
    options = {"columns": columns, "rotate": rotate, "var_convention": var_convention, "rho_err": rho_err}
    return _mt1d._read(_path(path), _args(options, "data"))


def curve(path, **options):
    return _mt1d._load_curve(_path(path), _args(options, "data"))


def _sounding_curve(self, mode=None, floor=None, only_1d=None, **options):
    _refuse_given(options, _READING, "a Sounding already read (give them to mt1d.read)")
    options.update(mode=mode, floor=floor, only_1d=only_1d)
    return self._curve(_args(options, "data"))


def _sounding_dims(self, max_skew=3.0, max_ellipticity=0.1, within_errors=False):
    # The defaults of `mt1d dims`; the values are checked as its options are.
    return self._dims(_number_text(max_skew), _number_text(max_ellipticity), bool(within_errors))


Sounding.curve = _sounding_curve
Sounding.dims = _sounding_dims


def _run(source, options, group, on_file, on_sounding, on_curve):
    if isinstance(source, Curve):
        _refuse_given(options, _GROUPS["data"], "a Curve (give them to mt1d.curve)")
        return on_curve(source, _args(options, group))
    if isinstance(source, Sounding):
        _refuse_given(options, _READING, "a Sounding already read (give them to mt1d.read)")
        return on_sounding(source, _args(options, "data", group))
    return on_file(_path(source), _args(options, "data", group))


def fit(source, method=None, **options):
    options["method"] = method
    return _run(source, options, "fit", _mt1d._fit_file, _mt1d._fit_sounding, _mt1d._fit_curve)


def sample(source, **options):
    return _run(source, options, "sample", _mt1d._sample_file, _mt1d._sample_sounding, _mt1d._sample_curve)


def _help(options):
    lines = []
    for key, option in options.items():
        value = "" if option.flag else " " + option.value_name
        lines.append(f"    {key}  ({option.name}{value})")
        lines.extend("        " + line for line in option.description.splitlines())
    return "\n".join(lines)


read.__doc__ = f"""Reads a sounding file (EDI, EMTF XML, J-format, Zonge AVG, Occam data or columns; the
format recognised from the content) as `mt1d data FILE` reads it.

Returns a Sounding: site, location, frequencies, the impedance tensor and its variances or
apparent resistivity and phase with errors, and the reader's notes. Raises ReadError with the
message of mt1d for a file that cannot be used, OptionError for a bad option.

Options:
{_help({k: _GROUPS["data"][k] for k in _READING})}
"""

curve.__doc__ = f"""Reads a sounding file and derives the curve the fits use, as `mt1d data FILE` does.

Returns a Curve: frequency, rho, rho_err, phase, phase_err (numpy float64 arrays), usable
(bool), the reasons of unusable rows and the notes. Raises ReadError, OptionError.

Options:
{_help(_GROUPS["data"])}
"""

_sounding_curve.__doc__ = f"""The curve of one mode, as `mt1d data FILE` derives it (a Curve).

mode: the file's default when None (det for a tensor); floor: the error floor in percent of
|Z|; only_1d: leave out the rows that are not one-dimensional. Raises ReadError for a mode
without data, OptionError for a bad option.

Options:
{_help({k: v for k, v in _GROUPS["data"].items() if k not in _READING})}
"""

_sounding_dims.__doc__ = """The phase-tensor dimensionality per frequency, as `mt1d dims` computes it.

Returns a dict: frequency, period, phi_max, phi_min, alpha, beta, beta_sd, strike, strike_sd,
ellipticity, ellipticity_sd, swift_skew, bahr_skew (float64 arrays, NaN where not computed),
one_d, computed, two_d (bool arrays), reason (why a row is not 1-D), one_d_fraction,
site_strike, site_strike_sd, notes, and json (what `mt1d dims --format json` prints).
max_skew (degrees, 0 to 45) and max_ellipticity (0 to 1) are the limits of a 1-D row, and
within_errors also takes a row as 1-D within two standard errors of both (the options
--max-skew, --max-ellipticity and --within-errors of mt1d dims, with their defaults). Raises
ReadError for a sounding without the impedance tensor, OptionError for a limit out of range.
"""

fit.__doc__ = f"""Fits a model of horizontal layers to a sounding, as `mt1d fit` does.

source: a file (read as `mt1d fit FILE`), a Sounding (the data options but the reading ones
apply) or a Curve (as it is; no data options). method: "occam" (smooth) or "layered"; None:
the command's default. The options and their defaults are those of `mt1d fit --help`:

{_help(dict(_GROUPS["data"], **_GROUPS["fit"]))}

Returns a FitResult; FitResult.to_json() is, byte for byte, what `mt1d fit FILE --format json`
prints for the same file and options. A fit that ends without reaching its goal is returned
(FitResult.succeeded is False) where mt1d exits with status 1. Raises OptionError, ReadError,
and RefusedError for data and options that cannot be fitted together. The interpreter's lock
is released while the fit runs. Ctrl-C (any signal whose Python handler raises) stops the fit
between two iterations and raises KeyboardInterrupt, within about 0.2 s; the interpreter stays
usable.
"""

sample.__doc__ = f"""Samples the layered models that fit a sounding, as `mt1d sample` does.

source: a file, a Sounding or a Curve, as for fit. The options and their defaults are those of
`mt1d sample --help`:

{_help(dict(_GROUPS["data"], **_GROUPS["sample"]))}

Returns a Posterior; Posterior.to_json() is what `mt1d sample FILE` prints for the same file
and options, but for the timing values of "ess" (seconds, per_second). Raises OptionError,
ReadError, RefusedError. The interpreter's lock is released while the chains run. Ctrl-C
stops the chains and raises KeyboardInterrupt, within about 0.2 s.
"""
