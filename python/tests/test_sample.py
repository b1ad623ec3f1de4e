"""mt1d.sample against `mt1d sample`: the same JSON but for the timing values of "ess"
(seconds, per_second), which differ between any two runs of one seed."""

import json
import re

import numpy as np
import pytest

import mt1d
from conftest import cli_message, run_cli

SMALL = {"samples": 4000, "burn_in": 1000, "chains": 2, "seed": 7, "max_layers": 4}
SMALL_ARGS = ["--samples", "4000", "--burn-in", "1000", "--chains", "2", "--seed", "7", "--max-layers", "4"]

# "seconds": 0.123 and "per_second": 456.7 (or null) wherever they occur.
TIMING = re.compile(rb'("(?:seconds|per_second)": )(?:-?[0-9][0-9.eE+-]*|null)')


def without_timing(text):
    return TIMING.sub(rb"\1T", text)


@pytest.mark.parametrize("options,args", [
    (SMALL, SMALL_ARGS),
    (dict(SMALL, temperatures=2, floor=8, mode="yx"), SMALL_ARGS + ["--temperatures", "2", "--floor", "8", "--mode", "yx"]),
])
def test_sample_json_equals_mt1d_sample_but_for_timings(edi_files, options, args):
    path = edi_files[3]
    status, out, err = run_cli("sample", path, *args)
    assert status == 0, err
    posterior = mt1d.sample(path, **options)
    text = posterior.to_json().encode()
    # The timing values are there, and nothing else differs.
    assert len(TIMING.findall(out)) >= 2
    assert without_timing(text) == without_timing(out)
    assert text != without_timing(text)
    _, csv, _ = run_cli("sample", path, *args, "--format", "csv")
    assert posterior.to_csv().encode() == csv


def test_posterior_arrays_hold_the_record(edi_files):
    posterior = mt1d.sample(mt1d.read(edi_files[1]), **SMALL)
    record = json.loads(posterior.to_json())
    d, r = len(record["depth_m"]), len(record["log10_rho_grid"])
    assert posterior.density.shape == (d, r) and posterior.density.dtype == np.float64
    np.testing.assert_array_equal(posterior.density, record["density"])
    np.testing.assert_array_equal(posterior.depth, record["depth_m"])
    for key in ("p10", "p50", "p90", "mean", "interface_probability"):
        np.testing.assert_array_equal(getattr(posterior, key), record[key], err_msg=key)
    # Each depth's probabilities sum to 1 (the sums of a few hundred bins: 1e-12).
    np.testing.assert_allclose(posterior.density.sum(axis=1), 1.0, rtol=0, atol=1e-12)
    assert posterior.samples == record["samples"] and posterior.seed == record["seed"]
    assert posterior.status == record["status"] == "completed"


def test_a_curve_samples_as_its_file(edi_files):
    path = edi_files[0]
    a = mt1d.sample(path, **SMALL).to_json().encode()
    b = mt1d.sample(mt1d.curve(path), **SMALL).to_json().encode()
    assert without_timing(a) == without_timing(b)


@pytest.mark.parametrize("options,args", [
    (dict(SMALL, min_rho=100, max_rho=10), SMALL_ARGS + ["--min-rho", "100", "--max-rho", "10"]),
    (dict(SMALL, samples=1), ["--samples", "1", "--burn-in", "1000", "--chains", "2", "--seed", "7"]),
    (dict(SMALL, chains=0), ["--samples", "4000", "--chains", "0"]),
    (dict(SMALL, layers=3), SMALL_ARGS + ["--layers", "3"]),
])
def test_sampling_refusals_carry_the_cli_message(edi_files, options, args):
    status, out, err = run_cli("sample", edi_files[0], *args)
    assert status == 2 and out == b""
    with pytest.raises(mt1d.Error) as raised:
        mt1d.sample(edi_files[0], **options)
    if "layers" in options:
        # mt1d sample has no --layers: the module names the keyword rather than CLI11's words.
        assert isinstance(raised.value, mt1d.OptionError) and "--layers" in str(raised.value)
    else:
        assert str(raised.value) == cli_message(err)
