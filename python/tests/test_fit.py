"""mt1d.fit against `mt1d fit --format json`: the same bytes for the same file and options,
from a file, a Sounding or a Curve; the refusals and errors with the command's messages."""

import json

import numpy as np
import pytest

import mt1d
from conftest import cli_message, run_cli

# Keyword options and the arguments of mt1d fit they stand for: each method, the data options
# on the way, stop criteria and seeds.
FIT_CASES = [
    ({}, []),
    ({"method": "occam", "floor": 10, "target_rms": 1.5}, ["--method", "occam", "--floor", "10", "--target-rms", "1.5"]),
    ({"method": "occam", "top_depth": 5.0, "bottom_depth": 20000, "max_iterations": 4},
     ["--method", "occam", "--top-depth", "5.0", "--bottom-depth", "20000", "--max-iterations", "4"]),
    ({"method": "layered", "layers": 3}, ["--method", "layered", "--layers", "3"]),
    ({"method": "layered", "layers": 2, "starts": 3, "seed": 11, "mode": "xy"},
     ["--method", "layered", "--layers", "2", "--starts", "3", "--seed", "11", "--mode", "xy"]),
    ({"method": "occam", "layer_tops": [0, 50, 200, 1000, 5000]}, ["--method", "occam", "--layer-tops", "0,50,200,1000,5000"]),
]


@pytest.mark.parametrize("options,args", FIT_CASES)
def test_fit_json_equals_mt1d_fit_byte_for_byte(edi_files, options, args):
    path = edi_files[2]
    status, out, err = run_cli("fit", path, *args, "--format", "json")
    assert status in (0, 1), err
    result = mt1d.fit(path, **options)
    assert result.to_json().encode() == out
    # Exit status 1 is a fit that ended short of its goal.
    assert result.succeeded == (status == 0)
    _, csv, _ = run_cli("fit", path, *args, "--format", "csv")
    assert result.to_csv().encode() == csv


@pytest.mark.parametrize("options,args", FIT_CASES[:4])
def test_a_sounding_or_a_curve_fits_as_its_file(edi_files, options, args):
    path = edi_files[4]
    _, out, _ = run_cli("fit", path, *args, "--format", "json")
    fit_options = {k: v for k, v in options.items() if k not in ("floor", "mode")}
    curve_options = {k: v for k, v in options.items() if k in ("floor", "mode")}
    from_sounding = mt1d.fit(mt1d.read(path), **options)
    from_curve = mt1d.fit(mt1d.curve(path, **curve_options), **fit_options)
    assert from_sounding.to_json().encode() == out
    assert from_curve.to_json().encode() == out


def test_result_arrays_hold_the_record(edi_files):
    result = mt1d.fit(edi_files[5], method="layered", layers=3)
    record = json.loads(result.to_json())
    layers = record["layers"]
    assert result.resistivity.shape == result.top.shape == result.thickness.shape == (3,)
    np.testing.assert_array_equal(result.resistivity, [l["resistivity_ohmm"] for l in layers])
    np.testing.assert_array_equal(result.top, [l["top_m"] for l in layers])
    np.testing.assert_array_equal(result.thickness[:-1], [l["thickness_m"] for l in layers[:-1]])
    assert np.isnan(result.thickness[-1]) and layers[-1]["thickness_m"] is None
    np.testing.assert_array_equal(result.log10_rho_sd, [l["log10_rho_sd"] for l in layers])
    response = record["response"]
    np.testing.assert_array_equal(result.response_rho, [p["rho_ohmm"] for p in response])
    np.testing.assert_array_equal(result.response_phase, [p["phase_deg"] for p in response])
    assert result.rms == record["rms"] and result.status == record["status"]
    assert result.iterations == record["iterations"] and result.values_fitted == record["values_fitted"]
    assert result.roughness is None and result.method == "layered"
    # The response is the model's: the forward model of the layers gives it again. The record
    # writes each number as the shortest text that reads back exactly; the kernel is the same
    # code path, so only the summation of the thicknesses into tops differs: 1e-12.
    rho_a, phase = mt1d.forward(result.resistivity, result.thickness[:-1], result.response_frequency)
    np.testing.assert_allclose(rho_a, result.response_rho, rtol=1e-12)
    np.testing.assert_allclose(phase, result.response_phase, rtol=0, atol=1e-10)


FIT_REFUSALS = [
    ({"method": "occam", "layer_tops": [0, 500, 100]}, ["--method", "occam", "--layer-tops", "0,500,100"]),
    ({"method": "layered", "layers": 40}, ["--method", "layered", "--layers", "40"]),
]


@pytest.mark.parametrize("options,args", FIT_REFUSALS)
def test_data_and_options_that_cannot_be_fitted_raise_refused_error(edi_files, options, args):
    status, out, err = run_cli("fit", edi_files[0], *args)
    assert status == 2 and out == b"", err
    with pytest.raises(mt1d.Error) as raised:
        mt1d.fit(edi_files[0], **options)
    assert str(raised.value) == cli_message(err)
    assert isinstance(raised.value, (mt1d.RefusedError, mt1d.OptionError))


FIT_BAD_OPTIONS = [
    ({"method": "smooth"}, ["--method", "smooth"]),
    ({"method": "occam", "starts": 3}, ["--method", "occam", "--starts", "3"]),
    ({"method": "layered", "top_depth": 5}, ["--method", "layered", "--top-depth", "5"]),
    ({"target_rms": -1}, ["--target-rms", "-1"]),
    ({"max_iterations": 2.5}, ["--max-iterations", "2.5"]),
]


@pytest.mark.parametrize("options,args", FIT_BAD_OPTIONS)
def test_fit_options_are_refused_as_mt1d_fit_refuses_them(edi_files, options, args):
    status, _, err = run_cli("fit", edi_files[0], *args)
    assert status == 2
    with pytest.raises(mt1d.OptionError) as raised:
        mt1d.fit(edi_files[0], **options)
    assert str(raised.value) == cli_message(err)


def test_options_are_checked_before_the_file_is_read(tmp_path):
    # mt1d fit checks every option before it reads the file: a bad option with a missing file
    # is an OptionError, as the command says.
    missing = tmp_path / "missing.edi"
    status, _, err = run_cli("fit", missing, "--layers", "0", "--method", "layered")
    with pytest.raises(mt1d.OptionError) as raised:
        mt1d.fit(missing, method="layered", layers=0)
    assert status == 2 and str(raised.value) == cli_message(err)


def test_data_options_do_not_go_with_a_curve(edi_files):
    curve = mt1d.curve(edi_files[0])
    with pytest.raises(mt1d.OptionError, match="--floor"):
        mt1d.fit(curve, floor=10)
    with pytest.raises(mt1d.OptionError, match="--columns"):
        mt1d.fit(mt1d.read(edi_files[0]), columns="frequency,rho,phase")


def test_real_soundings_fit_as_mt1d_fit_fits_them(shared_data):
    files = sorted((shared_data / "edi").glob("*.edi"))[:4]
    assert files, f"no EDI files in {shared_data / 'edi'}"
    for path in files:
        status, out, err = run_cli("fit", path, "--format", "json")
        if status in (0, 1):
            assert mt1d.fit(path).to_json().encode() == out, path.name
        else:
            with pytest.raises(mt1d.Error) as raised:
                mt1d.fit(path)
            assert str(raised.value) == cli_message(err), path.name
