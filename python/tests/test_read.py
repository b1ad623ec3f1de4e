"""mt1d.read, Sounding.curve, mt1d.curve and Sounding.dims against what `mt1d data` and
`mt1d dims` print for the same files and options, and the errors of files that cannot be used."""

import json
import math

import numpy as np
import pytest

import mt1d
from conftest import cli_message, run_cli

CURVE_COLUMNS = [("frequency", "frequency_hz"), ("period", "period_s"), ("rho", "rho_ohmm"),
                 ("rho_err", "rho_err_ohmm"), ("phase", "phase_deg"), ("phase_err", "phase_err_deg")]


def assert_curve_equals_cli_json(curve, text):
    """Every array of the curve holds the numbers of the command's JSON (null as NaN)."""
    record = json.loads(text)
    rows = record["rows"]
    for attribute, key in CURVE_COLUMNS:
        want = np.array([math.nan if r[key] is None else r[key] for r in rows])
        got = getattr(curve, attribute)
        assert got.dtype == np.float64 and got.shape == (len(rows),), attribute
        # The JSON's numbers read back as the same doubles: exactly equal.
        np.testing.assert_array_equal(got, want, err_msg=attribute)
    assert curve.usable.dtype == np.bool_
    np.testing.assert_array_equal(curve.usable, [r["usable"] for r in rows])
    assert curve.notes == record["notes"]
    assert curve.mode == record["mode"] and curve.floor == record["floor_percent"]


# Curve options and the arguments of mt1d data they stand for.
CURVE_CASES = [
    ({}, []),
    ({"floor": 12.5}, ["--floor", "12.5"]),
    ({"mode": "xy", "floor": 0}, ["--mode", "xy", "--floor", "0"]),
    ({"mode": "yx", "exclude": None, "keep_any_phase": True}, ["--mode", "yx", "--keep-any-phase"]),
    ({"only_1d": True, "max_skew": 5}, ["--only-1d", "--max-skew", "5"]),
]


@pytest.mark.parametrize("options,args", CURVE_CASES)
def test_curves_equal_mt1d_data_byte_for_byte(edi_files, options, args):
    for path in edi_files[::2]:
        status, out, err = run_cli("data", path, *args, "--format", "json")
        assert status == 0, err
        from_file = mt1d.curve(path, **options)
        from_sounding = mt1d.read(path).curve(**options)
        for curve in (from_file, from_sounding):
            assert curve.to_json().encode() == out
            assert_curve_equals_cli_json(curve, out)
        status, out, _ = run_cli("data", path, *args, "--format", "csv")
        assert from_file.to_csv().encode() == out


def test_excluded_frequencies_are_written_with_commas(edi_files):
    path = edi_files[1]
    sounding = mt1d.read(path)
    chosen = sounding.frequencies[[2, 5]]
    _, out, _ = run_cli("data", path, "--exclude", ",".join(repr(f) for f in chosen), "--format", "json")
    curve = sounding.curve(exclude=list(chosen))
    assert curve.to_json().encode() == out
    assert not curve.usable[2] and not curve.usable[5] and curve.usable[3]


def test_a_sounding_holds_the_tensor_as_read(edi_files):
    s = mt1d.read(edi_files[3])
    n = s.frequencies.size
    assert s.kind == "impedance" and s.format == "edi-impedance"
    assert s.z.shape == (n, 2, 2) and s.z.dtype == np.complex128
    assert s.z_var.shape == (n, 2, 2) and s.z_var.dtype == np.float64
    assert s.rho is None
    assert np.all(np.diff(s.frequencies) < 0), "highest frequency first"
    assert s.site == edi_files[3].stem
    # The det curve's apparent resistivity from the tensor: ρa = |Z_det|² / (5 f) in
    # (mV/km)/nT (0.2 T |Z|²), Z_det = sqrt(Zxx Zyy − Zxy Zyx); rounding only: 1e-12.
    z = s.z
    zdet = np.sqrt(z[:, 0, 0] * z[:, 1, 1] - z[:, 0, 1] * z[:, 1, 0])
    rho = np.abs(zdet) ** 2 / (5.0 * s.frequencies)
    curve = s.curve(floor=0)
    np.testing.assert_allclose(curve.rho, rho, rtol=1e-12)


def test_dims_equal_mt1d_dims(edi_files):
    for path, options, args in [(edi_files[4], {}, []),
                                (edi_files[5], {"max_skew": 1.5, "max_ellipticity": 0.05, "within_errors": True},
                                 ["--max-skew", "1.5", "--max-ellipticity", "0.05", "--within-errors"])]:
        status, out, err = run_cli("dims", path, *args, "--format", "json")
        assert status == 0, err
        d = mt1d.read(path).dims(**options)
        assert d["json"].encode() == out
        n = len(json.loads(out)["rows"])
        for key in ("beta", "strike", "ellipticity", "phi_max"):
            assert d[key].shape == (n,) and d[key].dtype == np.float64
        assert d["one_d"].dtype == np.bool_ and d["one_d"].shape == (n,)


# Options that cannot be used, as keywords and as the command line's arguments.
BAD_OPTIONS = [
    ({"floor": 200}, ["--floor", "200"]),
    ({"floor": "abc"}, ["--floor", "abc"]),
    ({"mode": "zz"}, ["--mode", "zz"]),
    ({"exclude": [1, "x"]}, ["--exclude", "1,x"]),
    ({"max_skew": -1, "only_1d": True}, ["--max-skew", "-1", "--only-1d"]),
]


@pytest.mark.parametrize("options,args", BAD_OPTIONS)
def test_bad_options_raise_option_error_with_the_cli_message(edi_files, options, args):
    status, out, err = run_cli("data", edi_files[0], *args)
    assert status == 2 and out == b""
    with pytest.raises(mt1d.OptionError) as raised:
        mt1d.curve(edi_files[0], **options)
    assert str(raised.value) == cli_message(err)


def test_unknown_keywords_and_misused_flags_are_option_errors(edi_files):
    with pytest.raises(mt1d.OptionError, match="--flor"):
        mt1d.curve(edi_files[0], flor=5)
    with pytest.raises(mt1d.OptionError, match="--only-1d"):
        mt1d.curve(edi_files[0], only_1d="yes")
    with pytest.raises(mt1d.OptionError, match="--floor"):
        mt1d.curve(edi_files[0], floor=True)
    with pytest.raises(mt1d.OptionError, match="--rotate"):
        mt1d.read(edi_files[0]).curve(rotate=30)  # read with mt1d.read(…, rotate=30)
    with pytest.raises(mt1d.OptionError, match="--max-skew"):
        mt1d.read(edi_files[0]).dims(max_skew=60)


@pytest.mark.parametrize("content", [
    None,                                         # no such file
    "",                                           # empty
    ">HEAD\nDATAID=x\n>END\n",                    # an EDI without data
    "frequency,rho\n1,abc\n",                     # columns that are not numbers
])
def test_files_that_cannot_be_used_raise_read_error_with_the_cli_message(tmp_path, content):
    path = tmp_path / "input.edi"
    if content is not None:
        path.write_text(content)
    status, out, err = run_cli("data", path)
    assert status == 2 and out == b""
    for call in (lambda: mt1d.read(path), lambda: mt1d.curve(path)):
        with pytest.raises(mt1d.ReadError) as raised:
            call()
        assert str(raised.value) == cli_message(err)
        assert isinstance(raised.value, mt1d.Error)


def test_a_mode_without_data_is_a_read_error_naming_the_file(tmp_path, edi_files):
    # A column file holds one curve; ask for a mode it does not have.
    path = tmp_path / "one-curve.csv"
    path.write_text("frequency,rho,phase\n10,100,45\n1,100,45\n0.1,100,45\n")
    sounding = mt1d.read(path)
    assert sounding.kind == "rho-phase" and sounding.rho.shape == (3, 4)
    mode = next(m for m in ("det", "xy", "yx", "berd") if m not in sounding.modes)
    status, _, err = run_cli("data", path, "--mode", mode)
    with pytest.raises(mt1d.ReadError) as raised:
        mt1d.curve(path, mode=mode)
    assert status == 2 and str(raised.value) == cli_message(err)
    with pytest.raises(mt1d.ReadError) as raised:
        sounding.curve(mode=mode)
    assert str(raised.value) == cli_message(err)
    with pytest.raises(mt1d.ReadError) as raised:
        sounding.dims()
    assert "apparent resistivity and phase only" in str(raised.value)


def test_real_soundings_read_as_mt1d_data_reads_them(shared_data):
    files = sorted((shared_data / "edi").glob("*.edi"))
    assert files, f"no EDI files in {shared_data / 'edi'}"
    for path in files:
        status, out, err = run_cli("data", path, "--format", "json")
        if status == 0:
            curve = mt1d.curve(path)
            assert curve.to_json().encode() == out, path.name
            assert_curve_equals_cli_json(curve, out)
        else:
            with pytest.raises(mt1d.Error) as raised:
                mt1d.curve(path)
            assert str(raised.value) == cli_message(err), path.name
