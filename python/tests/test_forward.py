"""mt1d.forward and mt1d.jacobian: the values the C++ tests hold the kernel to, the layout of
the arrays, one model against many, the refusals, and the interpreter's lock released."""

import sys
import threading

import numpy as np
import pytest

import mt1d

# tests/numerics/LayeredEarthResponseTest.cpp: two-layer earths solved as a boundary value
# problem at 40 digits (tests/numerics/scripts/two_layer_values.py), no recursion involved.
TWO_LAYER = [
    # rho1, h, rho2, f, rho_a, phase
    (100, 1000, 10, 0.001, 10.364021841674456, 46.002456928743206),
    (100, 1000, 10, 0.1, 14.196967970561928, 53.270102781938313),
    (100, 1000, 10, 10, 83.583371566521254, 61.040908120765443),
    (10, 500, 1000, 0.001, 822.35128095604209, 39.893539893798227),
    (10, 500, 1000, 0.1, 205.1186560249964, 19.295811500113211),
    (10, 500, 1000, 10, 8.3558953963601332, 33.258661637430514),
]


@pytest.mark.parametrize("rho1,h,rho2,f,rho_a,phase", TWO_LAYER)
def test_two_layer_earths_match_the_boundary_value_solution(rho1, h, rho2, f, rho_a, phase):
    got_rho, got_phase = mt1d.forward([rho1, rho2], [h], [f])
    # The C++ test's bounds: one step of double arithmetic with library exp/sin/cos of at most
    # 4 ulps each; 1e-13 relative and 1e-11 degrees leave a margin of some hundred ulps.
    assert got_rho[0] == pytest.approx(rho_a, rel=1e-13)
    assert got_phase[0] == pytest.approx(phase, abs=1e-11)


def test_a_half_space_answers_its_resistivity_at_45_degrees_and_unit_derivative():
    f = np.logspace(-4, 4, 9)
    rho_a, phase, jac = mt1d.jacobian([123.0], np.empty(0), f)
    # ρa = (√ρ)²: two roundings, 2 ulps; the phase of a real positive admittance ratio is 45°.
    np.testing.assert_allclose(rho_a, 123.0, rtol=4e-16, atol=0)
    np.testing.assert_allclose(phase, 45.0, rtol=0, atol=1e-12)
    assert jac.shape == (18, 1)
    # ∂log10 ρa/∂log10 ρ = 1 and ∂φ/∂log10 ρ = 0 (LayeredEarthJacobianTest: 4 ulps).
    np.testing.assert_allclose(jac[:9, 0], 1.0, rtol=0, atol=1e-15)
    np.testing.assert_allclose(jac[9:, 0], 0.0, rtol=0, atol=1e-12)


def _log10_response(log_params, layers, f):
    rho = 10.0 ** log_params[:layers]
    h = 10.0 ** log_params[layers:]
    r, p = mt1d.forward(rho, h, f)
    return np.concatenate([np.log10(r), p])


def test_jacobian_equals_central_differences_of_forward():
    rho = np.array([30.0, 300.0, 3.0, 1000.0])
    h = np.array([200.0, 1500.0, 4000.0])
    f = np.logspace(-3, 3, 13)
    _, _, jac = mt1d.jacobian(rho, h, f)
    params = np.log10(np.concatenate([rho, h]))
    numeric = np.empty_like(jac)
    delta = 1e-3
    for c in range(params.size):
        def diff(step):
            up, down = params.copy(), params.copy()
            up[c] += step
            down[c] -= step
            return (_log10_response(up, 4, f) - _log10_response(down, 4, f)) / (2 * step)
        # One Richardson step: the truncation error falls to O(δ⁴) ~ 1e-12; rounding in the
        # differences is ~1e-16/δ = 1e-13 of values of O(10) degrees.
        numeric[:, c] = (4 * diff(delta / 2) - diff(delta)) / 3
    # 1e-7 is far above both and far below any mistake of layout or sign (derivatives of O(0.1)).
    np.testing.assert_allclose(jac, numeric, rtol=0, atol=1e-7)


def test_many_models_at_once_equal_each_model_alone():
    rng = np.random.default_rng(5)
    m, layers = 7, 4
    rho = 10 ** rng.uniform(0, 3, (m, layers))
    h = 10 ** rng.uniform(1, 3, (m, layers - 1))
    f = np.logspace(-3, 3, 11)
    rho_a, phase = mt1d.forward(rho, h, f)
    r2, p2, jac = mt1d.jacobian(rho, h, f)
    assert rho_a.shape == phase.shape == (m, 11)
    assert jac.shape == (m, 22, 2 * layers - 1)
    for k in range(m):
        one_rho, one_phase = mt1d.forward(rho[k], h[k], f)
        _, _, one_jac = mt1d.jacobian(rho[k], h[k], f)
        # The same kernel on the same numbers: exactly equal.
        np.testing.assert_array_equal(rho_a[k], one_rho)
        np.testing.assert_array_equal(phase[k], one_phase)
        np.testing.assert_array_equal(r2[k], one_rho)
        np.testing.assert_array_equal(p2[k], one_phase)
        np.testing.assert_array_equal(jac[k], one_jac)


@pytest.mark.parametrize("make", [
    lambda a: a.tolist(),                       # lists
    lambda a: a.astype(np.float32),             # another dtype
    lambda a: np.asfortranarray(a),             # another memory order
    lambda a: np.repeat(a, 2, axis=-1)[..., ::2],  # a strided view
])
def test_inputs_of_any_layout_and_dtype_give_float64_results(make):
    rho = np.array([[10.0, 100.0, 1.0], [5.0, 50.0, 500.0]])
    h = np.array([[100.0, 1000.0], [300.0, 30.0]])
    f = np.array([10.0, 1.0, 0.1])
    plain = lambda a: np.ascontiguousarray(np.asarray(make(a), dtype=np.float64))
    want_rho, want_phase = mt1d.forward(plain(rho), plain(h), f)
    got_rho, got_phase = mt1d.forward(make(rho), make(h), f)
    assert got_rho.dtype == np.float64 and got_phase.dtype == np.float64
    assert got_rho.flags.c_contiguous
    np.testing.assert_array_equal(got_rho, want_rho)
    np.testing.assert_array_equal(got_phase, want_phase)


@pytest.mark.parametrize("rho,h,f,words", [
    ([10.0, -1.0], [100.0], [1.0], "rho[1]"),
    ([10.0, np.nan], [100.0], [1.0], "rho[1]"),
    ([10.0, 1.0], [0.0], [1.0], "thickness[0]"),
    ([[10.0, 1.0], [1.0, 1.0]], [[100.0], [np.inf]], [1.0], "thickness[1, 0]"),
    ([10.0, 1.0], [100.0], [-1.0], "frequencies[0]"),
    ([10.0, 1.0], [100.0, 5.0], [1.0], "thicknesses"),
    ([[10.0, 1.0]], [100.0], [1.0], "both 2-D"),
    ([[10.0, 1.0]], [[100.0], [100.0]], [1.0], "models"),
    ([], [], [1.0], "at least one layer"),
    ([10.0], [], [[1.0]], "1-D array"),
])
def test_bad_models_are_refused_naming_the_value(rho, h, f, words):
    for function in (mt1d.forward, mt1d.jacobian):
        with pytest.raises(ValueError, match=words.replace("[", r"\[").replace("]", r"\]")):
            function(np.asarray(rho, dtype=float), np.asarray(h, dtype=float), np.asarray(f, dtype=float))


def test_forward_lets_other_threads_run_while_it_computes():
    """The main thread runs Python while another thread is inside forward: the lock is released.

    With the interpreter's switch interval made huge, a thread holding the lock is never made
    to give it up; the main thread, waiting for the lock, gets it back only when the worker
    releases it. If forward kept the lock, that would be after the call had returned and
    `finished` was set. No wall-clock bound is asserted. (The call takes some 0.4 s, so that
    the main thread is woken while it lasts even on a loaded machine.)"""
    rng = np.random.default_rng(1)
    rho = 10 ** rng.uniform(0, 3, (100_000, 6))
    h = 10 ** rng.uniform(1, 3, (100_000, 5))
    f = np.logspace(-3, 3, 40)
    state = {"finished": False}

    def worker():
        mt1d.forward(rho, h, f)
        state["finished"] = True

    interval = sys.getswitchinterval()
    sys.setswitchinterval(1000.0)
    try:
        thread = threading.Thread(target=worker)
        thread.start()  # returns once the main thread has the lock again
        finished_when_back = state["finished"]
        thread.join()
    finally:
        sys.setswitchinterval(interval)
    assert state["finished"]
    assert not finished_when_back, "the main thread ran only after forward had returned"
