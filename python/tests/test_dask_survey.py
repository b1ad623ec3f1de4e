"""examples/dask_survey.py writes the folder `mt1d batch` writes for the same survey and
options, byte for byte, whatever the number of workers; it refuses what it cannot run."""

import os
import subprocess
import sys

import pytest

from conftest import SOURCE_DIR, run_cli

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
    (["--method", "sample"], "--method sample"),
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
