"""examples/dask_survey.py writes the folder `mt1d batch` writes for the same survey and
options, byte for byte, whatever the number of workers; it refuses what it cannot run."""

import os
import re
import subprocess
import sys

import pytest

from conftest import SOURCE_DIR, cli_message, run_cli

SCRIPT = SOURCE_DIR / "examples" / "dask_survey.py"


def run_script(*args):
    done = subprocess.run([sys.executable, str(SCRIPT), *map(str, args)], capture_output=True, timeout=600,
                          env=dict(os.environ, PYTHONWARNINGS="ignore"))
    return done.returncode, done.stdout.decode(), done.stderr.decode()


def folder_bytes(folder):
    return {p.name: p.read_bytes() for p in sorted(folder.iterdir())}


@pytest.fixture(scope="module")
def mixed_survey(survey, tmp_path_factory):
    """The synthetic survey and a file no reader takes, so that a failed row is compared too."""
    folder = tmp_path_factory.mktemp("mixed")
    for path in sorted(survey.glob("*.edi")):
        (folder / path.name).write_bytes(path.read_bytes())
    (folder / "broken.edi").write_text(">HEAD\n>END\n")
    return folder


@pytest.mark.parametrize("options", [
    [],
    ["--method", "layered", "--layers", "3", "--seed", "5", "--floor", "7.5"],
])
def test_the_folder_equals_mt1d_batch_byte_for_byte(mixed_survey, tmp_path, options):
    status, _, err = run_cli("batch", mixed_survey, "--out", tmp_path / "batch", "-j", "2", *options)
    assert status == 1, err  # the broken file fails its site
    want = folder_bytes(tmp_path / "batch")
    assert "summary.csv" in want and "sites.csv" in want and len(want) == 2 + 6
    for workers in (1, 2):
        out = tmp_path / f"dask{workers}"
        status, stdout, err = run_script(mixed_survey, "--out", out, "--workers", workers, *options)
        assert status == 1, err
        assert "broken (" in err and "7 sites, 6 ok, 1 failed" in stdout
        got = folder_bytes(out)
        assert sorted(got) == sorted(want)
        for name in want:
            assert got[name] == want[name], name


@pytest.mark.parametrize("args,words", [
    (["--floor", "200"], "--floor"),
    (["-j", "2"], "-j"),
    (["--method", "sample", "--layers", "3"], "--method sample"),
    (["--workers", "0"], "--workers"),
    (["--bogus"], "--bogus"),
])
def test_arguments_that_cannot_be_used_write_nothing(survey, tmp_path, args, words):
    out = tmp_path / "out"
    status, _, err = run_script(survey, "--out", out, *args)
    assert status == 2 and words in err
    assert not out.exists()


def test_an_input_folder_is_not_an_output_folder(survey):
    status, _, err = run_script(survey, "--out", survey)
    assert status == 2 and "input folder" in err


# A small sampling run per site: seconds on this machine for the six sites.
SAMPLE = ["--method", "sample", "--samples", "3000", "--burn-in", "500", "--chains", "2", "--max-layers", "4",
          "--seed", "11"]
# "seconds": 0.123 and "per_second": 456.7 (or null): the timing values of a sampling run's
# "ess", which differ between any two runs of one seed.
TIMING = re.compile(rb'("(?:seconds|per_second)": )(?:-?[0-9][0-9.eE+-]*|null)')


def test_a_sampled_folder_equals_mt1d_batch_but_for_timings(mixed_survey, tmp_path):
    status, _, err = run_cli("batch", mixed_survey, "--out", tmp_path / "batch", "-j", "2", *SAMPLE)
    assert status in (0, 1), err
    want = folder_bytes(tmp_path / "batch")
    assert len(want) == 2 + 7 - 1  # the broken file's site has a row but no file
    for workers in (1, 2):
        out = tmp_path / f"dask{workers}"
        status_dask, _, err = run_script(mixed_survey, "--out", out, "--workers", workers, *SAMPLE)
        assert status_dask == status, err
        got = folder_bytes(out)
        assert sorted(got) == sorted(want)
        for name in want:
            if name.endswith(".json"):
                assert TIMING.findall(got[name]), name  # the sampler's record, not a fit's
            assert TIMING.sub(rb"\1T", got[name]) == TIMING.sub(rb"\1T", want[name]), name


@pytest.mark.parametrize("args", [
    ["--method", "sample", "--layers", "3"],           # steers a fit
    ["--method", "sample", "--target-rms", "2"],
    ["--method", "sample", "--relative-tolerance", "1e-4"],
    ["--method", "sample", "--chains", "0"],            # a value mt1d sample refuses
    ["--samples", "100"],                               # sampling only
    ["--method", "layered", "--max-rho", "1000"],
    ["--method", "bogus"],
])
def test_refused_sampling_combinations_carry_the_batch_message(survey, tmp_path, args):
    status, out, err = run_cli("batch", survey, "--out", tmp_path / "batch", *args)
    assert status == 2 and out == b"", err
    status, _, script_err = run_script(survey, "--out", tmp_path / "dask", *args)
    assert status == 2
    assert script_err.splitlines()[0] == "dask_survey: " + cli_message(err)
    assert not (tmp_path / "dask").exists()
