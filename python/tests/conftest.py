"""What the module's tests share: the command-line tool to compare with, a synthetic survey
made by the survey writer, and the real soundings of ../shared/data (skipped when absent, as
tests/support/SharedData.h does for the C++ tests).

ctest sets MT1D_CLI, MT1D_MAKE_SURVEY and MT1D_SOURCE_DIR (python/CMakeLists.txt) and puts the
package of the build tree on PYTHONPATH."""

import os
import pathlib
import subprocess

import pytest

SOURCE_DIR = pathlib.Path(os.environ.get("MT1D_SOURCE_DIR", pathlib.Path(__file__).resolve().parents[2]))

NO_SHARED_DATA = ("real sounding files not found: expected ../shared/data beside the source tree "
                  "(or set MT1D_SHARED_DATA)")


def shared_data_dir():
    """The folder of real soundings, or None."""
    env = os.environ.get("MT1D_SHARED_DATA")
    if env:
        path = pathlib.Path(env)
        return path if path.is_dir() else None
    path = SOURCE_DIR.parent / "shared" / "data"
    return path if path.is_dir() else None


def tool(variable):
    path = os.environ.get(variable)
    if not path or not os.access(path, os.X_OK):
        pytest.skip(f"{variable} does not name the built program (run the tests through ctest)")
    return path


def run_cli(*args, cwd=None):
    """mt1d with `args`: (exit status, standard output as bytes, standard error as text)."""
    done = subprocess.run([tool("MT1D_CLI"), *map(str, args)], capture_output=True, cwd=cwd, timeout=600)
    return done.returncode, done.stdout, done.stderr.decode("utf-8", "replace")


def cli_message(stderr):
    """The message of mt1d's first error line, without its "mt1d: " prefix."""
    first = stderr.splitlines()[0]
    assert first.startswith("mt1d: "), stderr
    return first[len("mt1d: "):]


@pytest.fixture(scope="session")
def survey(tmp_path_factory):
    """Six synthetic soundings (half-space to five layers, 5 % noise), EDI files in a folder."""
    folder = tmp_path_factory.mktemp("survey")
    subprocess.run([tool("MT1D_MAKE_SURVEY"), str(folder), "6", "1", "3"], check=True, capture_output=True)
    return folder


@pytest.fixture(scope="session")
def edi_files(survey):
    files = sorted(survey.glob("*.edi"))
    assert len(files) == 6
    return files


@pytest.fixture(scope="session")
def shared_data():
    path = shared_data_dir()
    if path is None:
        pytest.skip(NO_SHARED_DATA)
    return path
