#!/usr/bin/env python3
"""Fits a survey with Dask: every sounding read, fitted and written as `mt1d batch` does.

    python3 examples/dask_survey.py INPUT... --out DIR [--workers N] [--scheduler ADDRESS]
                                    [the data and fit options of mt1d batch]

INPUT: sounding files and folders, as for mt1d batch (a folder stands for its sounding files,
sorted by name). Each site is one Dask task, which reads its file, fits it and writes
DIR/<site>.json: the same file, byte for byte, that `mt1d batch INPUT... --out DIR` writes with
the same options (the batch's own code does it: mt1d.survey.run_site); with --method sample,
the same file but for the timing values of its "ess" part ("seconds", "per_second"), which
differ between any two runs. The script then writes
DIR/sites.csv and DIR/summary.csv as the batch does, rows in input order whatever the order
the tasks finished in; `mt1d section DIR` draws the result. The files do not depend on the
number of workers: layered fits and the chains of --method sample are seeded per site.

--workers N: a LocalCluster of N worker processes of one thread each (default: one per core).
--scheduler ADDRESS: a running scheduler instead (tcp://host:8786); its workers must import
    mt1d (PYTHONPATH) and see INPUT and DIR under the same paths (a shared file system).

The options of the fits are those of `mt1d batch` (mt1d fit --help lists them), for example
--method layered --layers 3 --floor 5 --seed 7, and --method sample with the options of
mt1d sample (--samples ... --max-rho, --seed); the script refuses the combinations mt1d
batch refuses, with its messages. Not taken: -j (the workers are Dask's), --shard, --resume
and --merge.

Exit status: 0 when every site reached its goal, 1 when some did not, 2 for arguments that
cannot be used (nothing is written then).
"""

import os
import sys

import mt1d
from mt1d import survey

PROGRAM = "dask_survey"
# Options of mt1d batch this script does not take, and why.
NOT_TAKEN = {
    "-j": "the workers are Dask's: --workers N or --scheduler ADDRESS",
    "--jobs": "the workers are Dask's: --workers N or --scheduler ADDRESS",
    "--shard": "Dask spreads the sites itself",
    "--resume": "run mt1d batch --resume for that",
    "--merge": "run mt1d batch --merge for that",
}


class UsageError(Exception):
    pass


def parse_arguments(argv):
    """(inputs, out, workers, scheduler, the batch's option arguments)."""
    takes_value = {o.name: not o.flag for group in ("data", "fit", "sample") for o in mt1d._mt1d._options(group)}
    inputs, options = [], []
    out = workers = scheduler = None
    i = 0

    def value(name):
        nonlocal i
        if i + 1 >= len(argv):
            raise UsageError(f"{name} needs a value")
        i += 1
        return argv[i]

    while i < len(argv):
        word = argv[i]
        name, has_value, inline = word.partition("=")
        if word in ("-h", "--help"):
            print(__doc__.strip())
            sys.exit(0)
        elif name == "--out":
            out = inline if has_value else value(name)
        elif name == "--workers":
            text = inline if has_value else value(name)
            if not text.isdigit() or not 1 <= int(text) <= 1024:
                raise UsageError(f"--workers takes a whole number from 1 to 1024, not '{text}'")
            workers = int(text)
        elif name == "--scheduler":
            scheduler = inline if has_value else value(name)
        elif name in NOT_TAKEN:
            raise UsageError(f"{name} is not taken here: {NOT_TAKEN[name]}")
        elif name in takes_value:
            if takes_value[name]:
                options.append(f"{name}={inline if has_value else value(name)}")
            else:
                options.append(word)
        elif word.startswith("-") and word != "-":
            raise UsageError(f"unknown option '{word}' (the data and fit options of mt1d batch are taken)")
        else:
            inputs.append(word)
        i += 1
    if out is None:
        raise UsageError("--out DIR is needed")
    if not inputs:
        raise UsageError("soundings are needed: dask_survey.py INPUT... --out DIR")
    if workers is not None and scheduler is not None:
        raise UsageError("--workers does not go with --scheduler (the scheduler has its workers)")
    return inputs, out, workers, scheduler, options


def check_output_folder(out, inputs):
    if os.path.exists(out) and not os.path.isdir(out):
        raise UsageError(f"--out {out} is not a folder")
    for path in inputs:
        if os.path.isdir(path) and os.path.isdir(out) and os.path.samefile(path, out):
            raise UsageError(f"--out {out} is an input folder: its summary.csv would be read as a sounding "
                             "by the next run")


def fit_site(site, file, out, options):
    """One Dask task: the site read, fitted and written; its summary line and its status."""
    return survey.run_site(out, site, file, options)


def connect(workers, scheduler):
    from dask.distributed import Client, LocalCluster

    if scheduler is not None:
        return Client(scheduler), None
    cluster = LocalCluster(n_workers=workers or os.cpu_count() or 1, threads_per_worker=1,
                           processes=True, dashboard_address=None)
    return Client(cluster), cluster


def run(argv):
    inputs, out, workers, scheduler, options = parse_arguments(argv)
    # Every option is checked before anything is read or written, with mt1d batch's messages.
    survey.check_options(options)
    sites = survey.plan(inputs)
    check_output_folder(out, inputs)
    os.makedirs(out, exist_ok=True)
    with survey.FolderClaim(out):
        survey.write_atomically(os.path.join(out, survey.SITES_FILE), survey.sites_csv(sites))
        client, cluster = connect(workers, scheduler)
        try:
            futures = client.map(fit_site, [s for s, _ in sites], [f for _, f in sites],
                                 out=out, options=options, pure=False)
            results = client.gather(futures)  # in input order
        finally:
            client.close()
            if cluster is not None:
                cluster.close()
        lines = [line for line, _ in results]
        summary = os.path.join(out, survey.SUMMARY_FILE)
        survey.write_atomically(summary, "".join(l + "\n" for l in [survey.SUMMARY_HEADER, *lines]))
    failed = 0
    for (site, file), (_, status) in zip(sites, results):
        if status != "ok":
            failed += 1
            print(f"{PROGRAM}: {site} ({file}): {status}", file=sys.stderr)
    print(f"{summary}: {len(sites)} sites, {len(sites) - failed} ok, {failed} failed")
    return 0 if failed == 0 else 1


def main():
    try:
        return run(sys.argv[1:])
    except (UsageError, mt1d.OptionError) as e:
        print(f"{PROGRAM}: {e}", file=sys.stderr)
        return 2


if __name__ == "__main__":
    sys.exit(main())
