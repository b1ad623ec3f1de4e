"""The package: its version, its help written from the commands' own, and keywords turned into
the commands' arguments (lists with commas, floats as the shortest exact text, flags)."""

import pydoc
import re

import pytest

import mt1d
from conftest import SOURCE_DIR, run_cli


def test_version_is_the_projects():
    text = (SOURCE_DIR / "CMakeLists.txt").read_text()
    version = re.search(r"project\(mt1d VERSION ([0-9.]+)", text).group(1)
    assert mt1d.__version__ == version


@pytest.mark.parametrize("function,command", [(mt1d.fit, "fit"), (mt1d.sample, "sample"), (mt1d.curve, "data")])
def test_help_names_every_option_of_the_command(function, command):
    status, out, _ = run_cli(command, "--help")
    assert status == 0
    help_text = out.decode()
    text = pydoc.render_doc(function, renderer=pydoc.plaintext)
    # The options the command lists, each at the start of a line of its help.
    options = set(re.findall(r"^ +(--[a-z][a-z0-9-]+)", help_text, re.MULTILINE)) - {"--help", "--format"}
    assert len(options) >= 8, help_text
    for option in options:
        keyword = option[2:].replace("-", "_")
        assert f"{keyword}  ({option}" in text, option
        assert function is not mt1d.curve or option != "--method"


def test_float_keywords_round_trip_exactly(edi_files):
    # 0.1 + 0.2 is not 0.3: the floor must reach the parser as the same double, which a
    # shorter text ("%g": 0.3) would not give.
    floor = 0.1 + 0.2
    _, out, _ = run_cli("data", edi_files[0], "--floor", repr(floor), "--format", "json")
    assert mt1d.curve(edi_files[0], floor=floor).to_json().encode() == out
    _, other, _ = run_cli("data", edi_files[0], "--floor", "0.3", "--format", "json")
    assert out != other


def test_lists_tuples_and_text_give_the_same_option(edi_files):
    s = mt1d.read(edi_files[2])
    f = list(s.frequencies[[1, 3]])
    a = s.curve(exclude=f).to_json()
    assert s.curve(exclude=tuple(f)).to_json() == a
    assert s.curve(exclude=",".join(repr(x) for x in f)).to_json() == a
    assert s.curve(exclude=f[:1]).to_json() != a


def test_flags_given_false_or_none_leave_the_default(edi_files):
    path = edi_files[1]
    plain = mt1d.curve(path).to_json()
    assert mt1d.curve(path, only_1d=False).to_json() == plain
    assert mt1d.curve(path, only_1d=None, floor=None).to_json() == plain
    _, out, _ = run_cli("data", path, "--only-1d", "--format", "json")
    assert mt1d.curve(path, only_1d=True).to_json().encode() == out


def test_paths_may_be_path_objects_and_text_but_not_numbers(edi_files):
    assert mt1d.read(str(edi_files[0])).site == mt1d.read(edi_files[0]).site
    with pytest.raises(TypeError):
        mt1d.read(5)
