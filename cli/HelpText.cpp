#include "HelpText.h"

namespace mt1d::cli {

std::string HelpText()
{
    return R"(mt1d - one-dimensional magnetotelluric sounding: forward response and inversion

Usage:
  mt1d forward [--model MODEL] [--format text|csv|json]
  mt1d invert  [--model MODEL] [--source res|phase|both] [--method svd|constrained]
               [--repeat K] [--bounds BOUNDS] [--format text|csv|json]
  mt1d --help

Commands:
  forward   Computes the response of the layered model at 41 frequencies from 1e-4 Hz to
            1e4 Hz (five per decade) and prints one line per frequency:
            "frequency apparent-resistivity phase" (Hz, ohm-m, radians), each as 0.0E+00,
            in ascending frequency.
  invert    Computes the forward response of the model, takes it as observed data and
            inverts it, as the window's inversion button does: the first run starts from
            0.2 times the model, each further run (--repeat) from the previous result.
            Prints each run's report; two reports are separated by a blank line.

Options:
  --model MODEL   Layers from the top down, separated by commas, each RES:TH (resistivity
                  in ohm-m, thickness in m); the last layer is the half-space and may be
                  given as RES alone (its thickness is then 100). At most 50 layers.
                  Default: 1000:500,10:500,1000
  --source S      Data to fit: res (apparent resistivity, at most 15 layers), phase (at
                  most 15 layers) or both (at most 9 layers). Default: res
  --method M      svd (singular value inversion, bounds unused) or constrained
                  (constrained inversion within the bounds). Default: svd
  --repeat K      Number of successive inversion runs, K >= 1. Default: 1
  --bounds BOUNDS Replaces the default bounds (0.1 and 10 times each model value, the top
                  resistivity fixed at its value) like the parameter-range dialog: LO:HI
                  pairs separated by commas, two per layer in the order resistivity, then
                  thickness, for every layer including the half-space (2N pairs for N
                  layers). Each value is kept as typed (float). The constrained method
                  refuses bounds that are not positive or whose LO is above HI.
  --format F      text (default): the listing or the reports as the window shows them.
                  csv: forward prints the table
                    period_s,frequency_hz,apparent_resistivity_ohm_m,phase_deg
                  (phase in degrees); invert prints that table, a blank line, then
                    run,iterations,misfit,succeeded,message,layer,resistivity_ohm_m,thickness_m
                  with one row per result layer.
                  json: an object with "model" (layers: layer, resistivity, thickness) and
                  "response" (period, frequency, apparent_resistivity, phase_deg); invert
                  adds "source", "method" and "inversions" (run, message, iterations, misfit,
                  succeeded, model, report).
  -h, --help      Prints this text.

Options may also be written --option=VALUE.

Exit status: 0 on success; 2 for input that cannot be used (the message goes to standard
error and nothing is printed on standard output); 1 for any other failure.

Examples:
  mt1d forward --model 100:1000,10
  mt1d invert --model 1000:500,10:500,1000 --source both --method constrained \
      --bounds 1000:1000,50:5000,1:100,50:5000,100:10000,10:1000 --repeat 2 --format json
)";
}

}  // namespace mt1d::cli
