#!/usr/bin/env python3
"""Stitches a bench run's outputs (win_bench's "key value" lines, hyperfine's
and Google Benchmark's JSON) into bench/results.md, and prints it. The
file's closing "## History" section is carried over from the last one.

usage: write_results.py OUT_DIR RESULTS_MD
"""
import json
import os
import platform
import subprocess
import sys
import time


def key_values(path):
    figures = {}
    if os.path.exists(path):
        for line in open(path):
            parts = line.split(" ", 1)
            if len(parts) == 2:
                figures[parts[0]] = parts[1].strip()
    return figures


def first_line(args):
    try:
        out = subprocess.run(args, capture_output=True, text=True, timeout=30).stdout
        return out.strip().splitlines()[0]
    except (OSError, subprocess.SubprocessError, IndexError):
        return "not found"


def huge_section(w):
    """One message of 100,000 and one of 1,000,000 header blocks that each
    name a file: the abort inside it, stretches without a drain, own bytes."""
    if "huge_100k_rows" not in w:
        return []
    lines = ["", "## One huge message", "",
             "A store of one message whose source is nothing but header blocks that each name a file"
             " (`gen_store.py huge100k`, `huge1m`). The abort is clicked (posted to the progress window)"
             " when the given row is added; latency runs to RunSearch returning. A stretch without a"
             " drain is the time between two looks at the queue (every PeekMessageA of the program"
             " is timed). Own bytes: the plug-in's operator new outside the host functions, with the"
             " whole message's records held but not put into the list.", "",
             "| figure | 100,000 rows | 1,000,000 rows |", "|---|---|---|"]
    def row(label, fmt, key, scale=1.0):
        lines.append("| %s | %s | %s |" % (label, fmt % (scale * w["huge_100k_" + key]),
                                            fmt % (scale * w["huge_1m_" + key])))
    row("abort clicked at row", "%d", "abort_at_row")
    row("abort clicked after", "%.2f s", "abort_posted_after")
    row("**abort: click to RunSearch returning**", "**%.1f ms**", "abort_latency", 1e3)
    row("rows shown when the search ended", "%d", "abort_rows")
    row("closing the window with those rows", "%.2f s", "close_seconds")
    row("longest stretch without a drain until then, in all", "%.0f ms", "max_stretch", 1e3)
    row("the same, host functions' time (the source's reading) taken out", "%.0f ms", "max_own_stretch", 1e3)
    row("whole message, records held without the list: seconds", "%.2f s", "records_seconds")
    row("its longest stretch without a drain, host time taken out", "%.0f ms", "records_max_own_stretch", 1e3)
    row("rows", "%d", "rows")
    row("**the plug-in's own bytes per row**", "**%.1f**", "own_bytes_per_row")
    row("own bytes held with every row", "%.1f MB", "own_bytes_held", 1e-6)
    row("own bytes at their peak", "%.1f MB", "own_bytes_peak", 1e-6)
    row("own bytes left after the close", "%d", "own_bytes_after_close")
    return lines


LIST_SIZES = (25000, 50000, 100000, 200000)
LIST_FIGURES = (("search", "the search that fills it", "%.3f s"),
                ("close", "**the close**", "**%.3f s**"),
                ("search_clear", "**a new search's clear** (a search of an empty folder)", "**%.3f s**"),
                ("search_empty", "the same search with the list already empty", "%.3f s"),
                ("filter_clear", "**a filter's clear** (a filter that matches nothing)", "**%.3f s**"),
                ("filter_all", "an empty filter: every row again", "%.3f s"),
                ("sort_up", "sort by file name, ascending", "%.3f s"),
                ("sort_down", "sort by file name, descending", "%.3f s"),
                ("private_per_row", "private bytes per row, list full", "%.0f"))


def side_runs(out, files, sizes):
    """Each side's runs (list_bench through the DLL of each commit), from
    files FILES_before.K.SIZE.txt: a dict of figures a run."""
    sides = {}
    for side in ("before", "after"):
        sides[side] = []
        for k in (1, 2, 3):
            found = {}
            for size in sizes:
                path = os.path.join(out, "%s_%s.%d.%d.txt" % (files, side, k, size))
                found.update({key: float(v) for key, v in key_values(path).items()})
            if found:
                sides[side].append(found)
    return sides


def side_median(sides, side, key, scale=1):
    values = sorted(r[key] for r in sides[side] if key in r)
    return values[len(values) // 2] * scale if values else None


def sizes_section(out, run, files, sizes, figures, heading, intro, scale=1):
    """Figures by row count, each side the median of its runs."""
    sides = side_runs(out, files, sizes)
    if not sides["after"]:
        return []
    def median(side, key):
        return side_median(sides, side, key, scale)
    has_before = bool(sides["before"])
    lines = ["", heading, "", intro + " Medians of %d run(s) a side%s."
             % (len(sides["after"]), ", before and after in turns, base " + run.get("base", "")
                if has_before else ""), ""]
    lines += (["| rows | figure | before | after | after / before |", "|---|---|---|---|---|"]
              if has_before else ["| rows | figure | value |", "|---|---|---|"])
    for size in sizes:
        for key, label, fmt in figures:
            k = "list_%d_%s" % (size, key)
            after = median("after", k)
            if after is None:
                continue
            if has_before:
                before = median("before", k)
                ratio = "%.3f" % (after / before) if before else "-"
                lines.append("| %d | %s | %s | %s | %s |" % (
                    size, label, fmt % before if before is not None else "-", fmt % after, ratio))
            else:
                lines.append("| %d | %s | %s |" % (size, label, fmt % after))
    return lines


def list_section(out, run):
    return sizes_section(
        out, run, "list", LIST_SIZES, LIST_FIGURES, "## The results list at 25,000 to 200,000 rows",
        "A store of one message with N attachments beside an empty folder (`gen_store.py"
        " flood25k` ... `flood200k`), searched, sorted, filtered and closed through the plug-in"
        " DLL loaded as the host loads it (`bench/list_bench.cpp`); each step is timed from the"
        " click until the queue is empty again, its paint included.")


KEY_SIZES = (100000, 1000000)
KEY_FIGURES = (("key", "a key that moves the selection (Down, End, Home), until painted", "%.1f ms"),
               ("key_cpu", "the same, the process's CPU", "%.1f ms"),
               ("click", "a click on another row, until painted", "%.1f ms"),
               ("click_cpu", "the same, the process's CPU", "%.1f ms"),
               ("letter", "a typed letter that begins no name (every row looked at)", "%.1f ms"),
               ("letter_cpu", "the same, the process's CPU", "%.1f ms"))


def keys_section(out, run):
    return sizes_section(
        out, run, "keys", KEY_SIZES, KEY_FIGURES,
        "## Moving the selection at 100,000 and 1,000,000 rows",
        "The flood stores searched, a row selected, then ten Down keys, End and Home, ten"
        " clicks on another row and three typed letters that find nothing"
        " (`bench/list_bench.cpp --keys`), each timed until the queue is empty, its paint"
        " included; the mean per key, click or letter.", scale=1000)


DEEP_KEYS = (("down_from_top", "20 x Down from row 0"), ("end", "End"),
             ("page_up_at_bottom", "Page Up at the bottom"), ("page_down_at_bottom", "Page Down there"),
             ("up_from_bottom", "10 x Up from the last row"), ("letter_at_bottom", "a letter that finds nothing"),
             ("click_at_bottom", "a click on another row"), ("home_from_bottom", "Home from there"))


def deep_keys_section(out, run):
    """Keys from the top to the bottom of the list and back, by row count and
    side: the host's CPU a key, and the wall time until painted."""
    sides = side_runs(out, "keys", KEY_SIZES)
    if not sides["after"] or "list_%d_end" % KEY_SIZES[-1] not in sides["after"][0]:
        return []
    shown = [side for side in ("before", "after") if sides[side]]
    lines = ["", "## A key anywhere in the list", "",
             "The same flood stores: ten rounds from row 0 of twenty Down keys, End, Page Up and"
             " Page Down at the bottom, ten Up keys from the last row, a letter that finds nothing"
             " and a click on another row there, and Home (`bench/list_bench.cpp --keys`). The"
             " host's CPU is the process's over all rounds by kind of key (its clock ticks by"
             " 10 ms), until painted the median key. Medians of %d run(s) a side%s."
             % (len(sides["after"]), ", before and after in turns, base " + run.get("base", "")
                if sides["before"] else "")]
    for title, suffix in (("the host's CPU a key", "_cpu"), ("a key until painted", "")):
        lines += ["", "| %s | %s |" % (title, " | ".join(label for _, label in DEEP_KEYS)),
                  "|---|" + "---|" * len(DEEP_KEYS)]
        for size in KEY_SIZES:
            for side in shown:
                cells = [side_median(sides, side, "list_%d_%s%s" % (size, key, suffix), 1000)
                         for key, _ in DEEP_KEYS]
                if all(c is None for c in cells):
                    continue
                lines.append("| %d rows, %s | %s |" % (size, side, " | ".join(
                    "%.1f ms" % c if c is not None else "-" for c in cells)))
    return lines


def deep_keys_goal(out):
    """The costliest key, click or letter at 1,000,000 rows in the host's CPU."""
    sides = side_runs(out, "keys", (1000000,))
    keys = [key for key, _ in DEEP_KEYS] + ["key", "click", "letter"]
    costs = [side_median(sides, "after", "list_1000000_%s_cpu" % key, 1000) for key in keys]
    costs = [c for c in costs if c is not None]
    return max(costs) if costs else None


def paint_share(v):
    return v["search_paint"] / v["search_seconds"]


def before_after(out, run):
    """The same store searched three times by the base commit's program and
    three times by this one's, in turns: the median of each side."""
    sides = {}
    for side in ("before", "after"):
        runs = [key_values(os.path.join(out, "win_bench_%s.%d.txt" % (side, k))) for k in (1, 2, 3)]
        runs = [{k: float(v) for k, v in r.items() if "," not in v} for r in runs if "search_paint" in r]
        if runs:
            sides[side] = runs
    if len(sides) < 2:
        return []

    def median(side, f):
        values = sorted(f(r) for r in sides[side])
        return values[len(values) // 2]

    lines = ["", "## Before and after, one run", "",
             "The search of commit %s (built in a worktree of its own) and this one's ran in turns on"
             " the same store, three times each, in the same Wine session: medians, and the paint's"
             " share in each of the runs." % run.get("base", "?"), "",
             "| figure | before | after |", "|---|---|---|"]
    for label, fmt, f in [
            ("whole search", "%.3f s", lambda v: v["search_seconds"]),
            ("**paint's share of the search**", "**%.1f %%**", lambda v: 100 * paint_share(v)),
            ("paint", "%.3f s", lambda v: v["search_paint"]),
            ("paints of the list", "%d", lambda v: v["search_paints"]),
            ("the list's WM_PAINT, a paint", "%.1f ms", lambda v: 1e3 * v["search_wm_paint"] / max(v["search_paints"], 1)),
            ("scanning", "%.3f s", lambda v: v["search_scan"]),
            ("rows", "%.3f s", lambda v: v["search_rows_seconds"]),
            ("longest a found row waited to be drawn", "%.0f ms", lambda v: 1e3 * v["search_max_row_wait"]),
            ("abort during the middle message: latency", "%.1f ms", lambda v: 1e3 * v["abort_latency"])]:
        lines.append("| %s | %s | %s |" % (label, fmt % median("before", f), fmt % median("after", f)))
    lines.append("| paint's share in each run | %s | %s |" % tuple(
        " / ".join("%.1f %%" % (100 * paint_share(r)) for r in sides[side]) for side in ("before", "after")))
    return lines


def kept_history(results):
    """The "## History" section at the end of the last results, written by
    hand: a run replaces the figures above it and keeps it."""
    try:
        old = open(results).read()
    except OSError:
        return ""
    at = old.find("\n## History\n")
    return old[at:] if at >= 0 else ""


def main(out, results):
    raw = key_values(os.path.join(out, "win_bench.txt"))
    w = {k: float(v) for k, v in raw.items() if "," not in v}
    run = key_values(os.path.join(out, "run.txt"))
    commands = {r["command"]: r for r in
                json.load(open(os.path.join(out, "commands.json")))["results"]}
    native = {b["name"]: b for b in json.load(open(os.path.join(out, "native.json")))["benchmarks"]
              if b.get("aggregate_name") == "median"}
    lscpu = subprocess.run(["lscpu"], capture_output=True, text=True).stdout.splitlines()
    cpu = next((l.split(":", 1)[1].strip() for l in lscpu if l.startswith("Model name")), "")
    search, io = w["search_seconds"], w["io_seconds"]
    mb = w["search_bytes"] / 1e6

    def median(name):
        return next((r["median"] for c, r in commands.items() if c.startswith(name)), float("nan"))

    lines = ["# Benchmark results", "",
             "Written by `./quenfold bench%s` (bench/run-bench.sh): the figures of one run, side by"
             " side. Stores come from `bench/gen_store.py` (fixed seed), outside the repository."
             % (" --quick" if run.get("store") == "quick" else ""), "",
             "## Machine", "", "|  |  |", "|---|---|",
             "| CPU | %s, %d cores |" % (cpu, os.cpu_count()),
             "| Kernel | %s |" % platform.release(),
             "| Wine | %s, %s-bit build of the plug-in |" % (run.get("wine_version"), run.get("wine_arch")),
             "| Cross compiler | %s, Release |" % first_line(["i686-w64-mingw32-g++-posix", "--version"]),
             "| Date of the run | %s |" % time.strftime("%Y-%m-%d %H:%M UTC", time.gmtime()), "",
             "## Whole search", "",
             "Store `%s`: %d messages, %.1f MB, %d attachments; crafted message: 17.8 MB header block, "
             "500 attachments. The search is timed from the search button's click to the end of the"
             " queue's last pump (the last paint included), in one process with the stand-in host."
             % (run.get("store"), w["search_messages"], mb, w["search_rows"]), "",
             "| stage | seconds | share |", "|---|---|---|"]
    for key, label in [("search_host", "host functions (devhost: enumeration, sources, headers, names)"),
                       ("search_scan", "scanning"), ("search_header", "header fields and dates"),
                       ("search_rows_seconds", "rows (shell type name, insertion with drawing held)"),
                       ("search_paint", "paint (drawing let through, and the list's WM_PAINT)"),
                       ("search_drain", "queue drain after every message, paint excluded"),
                       ("search_rest", "the rest: windows disabled and enabled, progress window, title")]:
        lines.append("| %s | %.3f | %.0f %% |" % (label, w[key], 100 * w[key] / search))
    lines += ["| **whole search** | **%.3f** | %.0f messages/s |" % (search, w["search_messages"] / search), "",
              "| figure | value |", "|---|---|",
              "| reading the same files through Wine, nothing else (I/O limit) | %.3f s |" % io,
              "| whole search / I/O limit | %.2fx |" % (search / io),
              "| paints of the list during the search | %d (%.1f per second) |"
              % (w["search_paints"], w["search_paints_per_second"]),
              "| the list's WM_PAINT alone | %.3f s, %.1f ms a paint |"
              % (w["search_wm_paint"], 1e3 * w["search_wm_paint"] / max(w["search_paints"], 1)),
              "| shortest gap between two paints of rows while the search runs | %.0f ms |" % (1e3 * w["search_min_paint_gap"]),
              "| longest a found row waited to be drawn | %.0f ms |" % (1e3 * w["search_max_row_wait"]),
              "| longest stretch without a drain of the queue: in all / the host functions' time taken out | %.0f ms / %.0f ms |"
              % (1e3 * w["search_max_stretch"], 1e3 * w["search_max_own_stretch"]),
              "| abort: click during message %d to RunSearch returning | %.1f ms (a message takes %.2f ms on average) |"
              % (w["abort_latency_message"], 1e3 * w["abort_latency"], 1e3 * search / w["search_messages"]),
              "| abort during the crafted message | %.1f ms (its whole search: %.1f ms) |"
              % (1e3 * w["crafted_abort_latency"], 1e3 * w["crafted_search_seconds"]),
              "| shell queries per search: one per extension (%d), one per name without one | %d for %d rows |"
              % (w["shell_extensions"], w["shell_queries_per_search"], w["shell_rows"]),
              "| cached answer against a fresh query | %d of %d names differ |"
              % (w["shell_names_differing"], w["shell_names_compared"]),
              "| shell query: fresh / cached | %.1f us / %.2f us |"
              % (w["shell_fresh_us_per_name"], w["shell_cached_us_per_row"]),
              "| private bytes before / after the search and close; peak working set | %.1f / %.1f / %.1f MB |"
              % (w["memory_before_private"] / 1e6, w["memory_after_close_private"] / 1e6,
                 w["memory_peak_working_set"] / 1e6),
              ]
    if "repeat_own_bytes_left" in w:
        private = [int(x) for x in raw["repeat_private_after_close"].split(",")]
        lines.append("| private bytes after each of ten searches and closes in a row | %s MB; the plug-in's own bytes left: %d |"
                     % (" / ".join("%.1f" % (p / 1e6) for p in private), w["repeat_own_bytes_left"]))
    lines += huge_section(w) + before_after(out, run) + list_section(out, run) + keys_section(out, run)
    lines += deep_keys_section(out, run)
    lines += ["", "## The same messages by other programs (hyperfine, %d runs, median)" % len(
                  next(iter(commands.values()))["times"]), "",
              "| command | seconds | / whole search |", "|---|---|---|"]
    for name, r in commands.items():
        lines.append("| %s | %.3f | %.2fx |" % (name, r["median"], r["median"] / search))
    scan, memchr = native.get("scan_store_median"), native.get("memchr_cr_median")
    if scan and memchr:
        lines += ["", "## Scanner alone (native, Google Benchmark, median)", "",
                  "| pass | MB/s |", "|---|---|",
                  "| ScanMessageSource over the store in memory | %.0f |" % (scan["bytes_per_second"] / 1e6),
                  "| memchr for CR over the same bytes | %.0f |" % (memchr["bytes_per_second"] / 1e6)]
    python, mu, notmuch = median("Python"), median("mu index"), median("notmuch")
    startup = median("./quenfold search, empty")
    goals = [("10x faster than the Python script", "%.1fx" % (python / search), python / search >= 10),
             ("faster than both cold indexers", "mu %.2fx, notmuch %.2fx" % (mu / search, notmuch / search),
              search < mu and search < notmuch),
             ("within 1.5x of reading the files through Wine", "%.2fx" % (search / io), search / io <= 1.5),
             ("a paint at least every 500 ms while rows arrive", "longest wait %.0f ms" % (1e3 * w["search_max_row_wait"]),
              w["search_max_row_wait"] <= 0.5),
             ("painting at most 10 % of the search", "%.1f %%" % (100 * paint_share(w)), paint_share(w) <= 0.1),
             ("no more than one paint per 50 ms", "shortest gap %.0f ms" % (1e3 * w["search_min_paint_gap"]),
              w["search_min_paint_gap"] == 0 or w["search_min_paint_gap"] >= 0.05),
             ("abort within 100 ms", "%.1f ms" % (1e3 * w["abort_latency"]), w["abort_latency"] <= 0.1)]
    if "huge_1m_abort_latency" in w:
        own = max(w["search_max_own_stretch"], w["huge_100k_max_own_stretch"], w["huge_1m_max_own_stretch"],
                  w["huge_100k_records_max_own_stretch"], w["huge_1m_records_max_own_stretch"])
        goals += [("abort within 100 ms inside a message of 1,000,000 rows", "%.1f ms" % (1e3 * w["huge_1m_abort_latency"]),
                   0 <= w["huge_1m_abort_latency"] <= 0.1),
                  ("no stretch over 100 ms without a drain caused by the plug-in's own work",
                   "longest %.0f ms" % (1e3 * own), own <= 0.1)]
    deepest = deep_keys_goal(out)
    if deepest is not None:
        goals.append(("a key, click or letter anywhere in 1,000,000 rows at most 20 ms of the host's CPU",
                      "costliest %.1f ms" % deepest, deepest <= 20))
    goals += [
             ("start-up of ./quenfold search at most 2 s", "%.2f s" % startup, startup <= 2)]
    lines += ["", "## Goals", "", "| goal | measured | status |", "|---|---|---|"]
    lines += ["| %s | %s | %s |" % (g, m, "met" if ok else "**not met**") for g, m, ok in goals]
    text = "\n".join(lines) + "\n" + kept_history(results)
    open(results, "w").write(text)
    sys.stdout.write(text)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
