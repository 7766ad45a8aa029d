#!/usr/bin/env python3
"""Whole-command figures: quillet build and import run as a user runs them, on generated
texts, with the default options unless a row says otherwise.

    bench/commands.py [BUILD] [--runs N] [--keep DIR]

BUILD is the build folder that holds release/cli/quillet, and prose_text and run_measured
in bench/bench (default: build). Each row is run once to warm the page cache, then N times
(default 10; a third as often for the 50 MB rows, three times as often for the import).
run_measured starts each run and reports its wall time, processor time and peak memory
(the launcher's own megabyte or so is in the peak). Times are medians, which a single run
slowed by the rest of the machine does not move, with the processor time's mean beside
them; the peak is the largest. MB are 10^6 bytes. Each run makes its output anew (the one
before is deleted first, unmeasured), except in the rows that say they replace earlier
outputs. The targets are judged on the former. The texts are made in a scratch folder that is deleted afterwards unless --keep
names one.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile

MB = 1000 * 1000


def run_once(launcher, command):
    """Wall seconds, processor seconds and peak resident kilobytes of one run."""
    done = subprocess.run([launcher, *command], stdout=subprocess.PIPE, text=True)
    if done.returncode != 0:
        sys.exit("failed: " + " ".join(command))
    wall, cpu, peak = done.stdout.split()
    return float(wall), float(cpu), int(peak)


def measure(launcher, command, runs, before):
    def run():
        before()  # outside the measured time
        return run_once(launcher, command)
    run()
    results = [run() for _ in range(runs)]
    walls = [r[0] for r in results]
    cpus = [r[1] for r in results]
    return {
        "wall": statistics.median(walls),
        "best": min(walls),
        "cpu": statistics.median(cpus),
        "cpu mean": statistics.mean(cpus),
        "peak": max(r[2] for r in results) * 1024 / MB,  # wait4 counts in KiB
    }


def make_texts(folder, prose_text):
    def prose(size, seed, name):
        path = os.path.join(folder, name)
        subprocess.run([prose_text, str(size), str(seed), path], check=True)
        return path

    texts = {"5": prose(5 * MB, 1, "prose5.txt"), "50": prose(50 * MB, 1, "prose50.txt")}
    with open(texts["50"], "rb") as source:
        plain = source.read()
    texts["50utf8"] = os.path.join(folder, "prose50-utf8.txt")
    with open(texts["50utf8"], "wb") as out:
        out.write(plain.replace(b"river", "rivière".encode()))  # some letters in two bytes
    texts["50html"] = os.path.join(folder, "page50.html")
    with open(texts["50html"], "wb") as out:
        out.write(b"<html><head><title>Fifty</title></head><body>\n")
        out.write(plain.replace(b"\n", b"<br>\n"))
        out.write(b"</body></html>\n")
    books = os.path.join(folder, "books")
    os.makedirs(books, exist_ok=True)
    texts["batch"] = [prose(100 * 1000, seed, os.path.join("books", "b%03d.txt" % seed))
                      for seed in range(1, 201)]
    # Books of a size that the allocator's own thresholds once made fault in afresh.
    os.makedirs(os.path.join(folder, "middling"), exist_ok=True)
    texts["middling"] = [prose(1500 * 1000, seed, os.path.join("middling", "m%02d.txt" % seed))
                         for seed in range(1, 21)]
    return texts


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("build", nargs="?", default="build")
    parser.add_argument("--runs", type=int, default=10)
    parser.add_argument("--keep")
    options = parser.parse_args()
    quillet = os.path.join(options.build, "release", "cli", "quillet")
    prose_text = os.path.join(options.build, "bench", "bench", "prose_text")
    launcher = os.path.join(options.build, "bench", "bench", "run_measured")
    for program in (quillet, prose_text, launcher):
        if not os.access(program, os.X_OK):
            sys.exit(program + " is missing: run 'make release-build bench-build' first")

    folder = options.keep or tempfile.mkdtemp(prefix="quillet-bench-")
    os.makedirs(folder, exist_ok=True)
    try:
        texts = make_texts(folder, prose_text)
        out = lambda name: os.path.join(folder, name)
        subprocess.run([quillet, "build", texts["50"], "-o", out("prose50.pdb"), "-q"], check=True)
        subprocess.run([quillet, "build", texts["5"], "-o", out("prose5.pdb"), "-q"], check=True)
        few, many = options.runs, max(2, options.runs // 3)
        build = lambda source, *rest: [quillet, "build", source, "-o", out("out.pdb"), "-q", *rest]
        batch = lambda folder, jobs: [quillet, "build", *texts["batch"], "-o", out(folder), "-q",
                                      "-j", jobs]
        # (what, command, runs, the figure a target is about, the target, its unit)
        rows = [
            # What starting and ending any process costs here, which every row below includes.
            ("/bin/true, for reference", ["true"], 3 * few, None, None, None),
            ("build 5 MB prose", build(texts["5"]), few, "wall", 0.04, "s"),
            ("build 5 MB prose, -j 1", build(texts["5"], "-j", "1"), few, None, None, None),
            ("build 50 MB prose", build(texts["50"]), many, "wall", 0.4, "s"),
            ("  its peak memory", None, None, "peak", 66, "MB"),
            ("build 50 MB prose, -j 1", build(texts["50"], "-j", "1"), many, None, None, None),
            ("build 50 MB UTF-8", build(texts["50utf8"]), many, "peak", 66, "MB"),
            ("build from 50 MB's Doc", build(out("prose50.pdb")), many, "peak", 66, "MB"),
            ("build 50 MB HTML page", build(texts["50html"]), many, None, None, None),
            ("import 5 MB book", [quillet, "import", out("prose5.pdb"), "-o", out("out.txt"), "-q"],
             3 * few, "cpu", 0.01, "s"),
            ("  over an earlier text",
             [quillet, "import", out("prose5.pdb"), "-o", out("earlier.txt"), "-q"], 3 * few, None,
             None, None),
            ("import 50 MB book", [quillet, "import", out("prose50.pdb"), "-o", out("out.txt"), "-q"],
             many, None, None, None),
            ("build 200 x 100 KB, -j 2", batch("books", "2"), few, None, None, None),
            ("build 200 x 100 KB, -j 1", batch("books", "1"), few, None, None, None),
            ("  over earlier books, -j 2", batch("earlier", "2"), few, None, None, None),
            ("  over earlier books, -j 1", batch("earlier", "1"), few, None, None, None),
            ("build 20 x 1.5 MB",
             [quillet, "build", *texts["middling"], "-o", out("middling"), "-q"], few, None,
             None, None),
        ]
        os.makedirs(out("earlier"), exist_ok=True)
        # The outputs of the rows that replace what the run before them wrote.
        replaced = {out("earlier.txt"), out("earlier")}

        # Each run makes its output anew, as a user's command does, unless its row replaces
        # earlier ones: replacing what the run before wrote a moment ago also waits for that
        # output to reach the disk, and on ext4 starts writing the new one back.
        def make_anew(command):
            target = command[command.index("-o") + 1] if "-o" in command else None

            def clear():
                if target is None or target in replaced:
                    return
                if os.path.isdir(target):  # a batch's folder, beside its sources
                    for name in os.listdir(target):
                        if name.endswith(".pdb"):
                            os.remove(os.path.join(target, name))
                elif os.path.exists(target):
                    os.remove(target)
            return clear

        print("%-26s %10s %10s %10s %10s %9s   %s" % ("", "wall", "best wall", "processor",
                                                    "its mean", "peak", "target"))
        figures = {}
        walls = {}
        for what, command, runs, figure, limit, unit in rows:
            if command is not None:
                figures = measure(launcher, command, runs, make_anew(command))
                print("%-26s %8.3f s %8.3f s %7.1f ms %7.1f ms %6.1f MB" %
                      (what, figures["wall"], figures["best"], figures["cpu"] * 1000,
                       figures["cpu mean"] * 1000, figures["peak"]), end="")
            else:
                print("%-26s %54s" % (what, ""), end="")
            if figure is not None:
                value = figures[figure]
                print("   %s <= %g %s: %s" % (figure, limit, unit,
                                              "met" if value <= limit else "NOT MET"), end="")
            print()
            walls[what] = figures["wall"]
        speedup = walls["build 200 x 100 KB, -j 1"] / walls["build 200 x 100 KB, -j 2"]
        print("%-26s %54s   -j 2 at least 1.7x faster: %.2fx, %s" %
              ("batch speed-up", "", speedup, "met" if speedup >= 1.7 else "NOT MET"))
        print("%-26s %54s   %.2fx" % ("  over earlier books", "", walls["  over earlier books, -j 1"] /
                                      walls["  over earlier books, -j 2"]))
    finally:
        if not options.keep:
            shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
