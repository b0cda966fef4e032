#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes or checks docs/RELIABILITY.md from the fault matrix and the fuzz runs.

  scripts/reliability.py --build build-test [--asan build-asan] --write
  scripts/reliability.py --build build-test --check        (CI: the document must match the tests)
  scripts/reliability.py --fuzz-logs build-fuzz --write    (also records the fuzz figures)
  scripts/reliability.py --wine-report build-win/wine-fault-matrix.txt --write|--check
      (the Windows table alone, from the fault matrix's report under Wine: scripts/windows.sh faults)
"""
import argparse
import os
import re
import subprocess
import sys

DOC = os.path.join(os.path.dirname(__file__), "..", "docs", "RELIABILITY.md")
BEGIN, END = "<!-- matrix:begin -->", "<!-- matrix:end -->"
FUZZ_BEGIN, FUZZ_END = "<!-- fuzz:begin -->", "<!-- fuzz:end -->"
CLI_BEGIN, CLI_END = "<!-- cli:begin -->", "<!-- cli:end -->"

FAULTS = [
    ("good line", "closing text; a read fills its fields; gauge at its maximum"),
    ("no reply", "the operation's time-out text; fields kept; gauge at the failed frame; no later frame"),
    ("reply late, inside the limit", "as on a good line (40 ms late: inside on any machine, a poll lasts at least "
     "its 1 ms pause)"),
    ("reply late, outside the limit", "time-out text; fields kept; no later frame; a reply held until poll 300 and "
     "then seen ends a block transfer's wait there, past its acceptance limit of 200"),
    ("truncated reply", "time-out text; fields kept; no later frame"),
    ("garbage", "time-out text (too few bytes); fields kept"),
    ("wrong reply checksum", "as on a good line: reply checksums are not examined"),
    ("device address 0", "\"Niewłaściwy adres urządzenia ...\"; nothing sent (0 reaches every controller on the bus)"),
    ("device address 0 typed during the wait", "\"Niewłaściwy adres urządzenia ...\"; fields kept; no frame after "
     "the one that waited"),
    ("port vanishes", "time-out text, kept after the loss's own notice; fields kept; port closed, controls in their "
     "closed states; the port opens again"),
    ("second click during the wait", "second operation and a project load (\"Odczyt z Pliku\") refused, nothing of them sent or loaded, no dialog opened; the first ends as on a good line"),
    ("\"Zamknij port\" during the wait", "\"Port zamknięty\", after a write of settings (cards, LED numbers, "
     "opening times, guardians) \"Port zamknięty - zapis do sterownika przerwany\"; fields kept; port closed"),
    ("window closed during the wait", "program ends with exit code 0, no sanitizer report"),
]


def run(cmd, env=None):
    e = dict(os.environ, QT_QPA_PLATFORM="offscreen", ASAN_OPTIONS="detect_leaks=0")
    if env:
        e.update(env)
    return subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, env=e)


def matrix(build):
    exe = os.path.join(build, "tests", "tst_fault_matrix")
    out = run([exe]).stdout
    results = {}
    for m in re.finditer(r"^(PASS|FAIL!)\s*: FaultMatrix::operation\((.*) \| (.*)\)", out, re.M):
        results[(m.group(2), m.group(3))] = m.group(1) == "PASS" and results.get((m.group(2), m.group(3)), True)
    if not results:
        sys.exit("no fault-matrix results from " + exe + "\n" + out[-2000:])
    return results


def acceptance(build):
    exe = os.path.join(build, "tests", "ops_tests")
    out = run([exe, "--gtest_filter=AcceptanceLimit.*"]).stdout
    m = re.search(r"\[  PASSED  \] (\d+) test", out)
    failed = "FAILED" in out
    return (int(m.group(1)) if m else 0), failed


def matrix_head(results, begin):
    """The operations in the order first met, and the table's opening lines."""
    ops = list(dict.fromkeys(op for op, _ in results))
    return ops, [begin, "", "| operation | " + " | ".join(f for f, _ in FAULTS) + " |",
                 "|---|" + "---|" * len(FAULTS)]


def render(results, asan_results, accept):
    ops, lines = matrix_head(results, BEGIN)
    cases = passed = 0
    for op in ops:
        cells = []
        for fault, _ in FAULTS:
            if (op, fault) not in results:
                cells.append("n/a")
                continue
            cases += 1
            ok = results[(op, fault)] and (asan_results is None or asan_results.get((op, fault), False))
            passed += ok
            cells.append("pass" if ok else "**FAIL**")
        lines.append("| " + op + " | " + " | ".join(cells) + " |")
    lines += ["", f"{cases} cases, {passed} passed"
              + (" in the normal build and under AddressSanitizer + UndefinedBehaviorSanitizer" if asan_results else "")
              + ". \"n/a\": the address write awaits no reply, so nothing waits to be interrupted; for the same reason every reply fault ends for it as on a good line. "
              "It alone goes to address 0 by design. An address typed during the wait is read for the next frame, which a one-frame operation does not have.", "",
              "Outcome each column checks:", ""]
    lines += [f"- **{f}**: {d}." for f, d in FAULTS]
    n, failed = accept
    lines += ["", "Exact acceptance limit, staged with a scripted port for every waiting operation "
              "(reply first seen at the last accepted poll: accepted; one poll later: time-out; never: given up at the poll limit): "
              + ("**failed**" if failed else f"{n} test groups pass") + ".", "", END]
    return "\n".join(lines)


def cli_families(build):
    """vorna-cli's misbehaving peers and round-trip images, one row per case, from the
    properties each parameterised test records."""
    import tempfile
    import xml.etree.ElementTree as ET
    exe = os.path.join(build, "tests", "cli_tests")
    with tempfile.TemporaryDirectory() as tmp:
        xml_path = os.path.join(tmp, "cli.xml")
        out = run([exe, "--gtest_filter=Peers/*:Images/*", "--gtest_output=xml:" + xml_path]).stdout
        if not os.path.exists(xml_path):
            sys.exit("no results from " + exe + "\n" + out[-2000:])
        root = ET.parse(xml_path).getroot()
    rows = {}
    for case in root.iter("testcase"):
        family, name = case.get("classname").split("/")[0], case.get("name").split("/")[-1]
        ok = case.find("failure") is None and case.get("result", "completed") == "completed"
        props = {p.get("name"): p.get("value") for p in case.iter("property")}
        props.update({k: v for k, v in case.attrib.items() if k not in props})
        rows.setdefault(family, []).append((name, props, ok))
    if not rows.get("Peers") or not rows.get("Images"):
        sys.exit("cli_tests ran no Peers/ or Images/ cases\n" + out[-2000:])
    return rows


def cli_block(rows, asan_rows):
    def passed(family, name, ok):
        if asan_rows is None:
            return ok
        return ok and any(n == name and o for n, _, o in asan_rows.get(family, []))
    lines = [CLI_BEGIN, "", "Misbehaving peers: `vorna-cli read` of a sample site, or `write --verify` onto a "
             "factory-erased controller, over a simulated line (`tests/cli/peers_test.cpp`).", "",
             "| peer | what it does | required outcome | result |", "|---|---|---|---|"]
    for name, a, ok in rows["Peers"]:
        lines.append(f"| {name} | {a.get('what', '')} | {a.get('expect', '')} | "
                     + ("pass" if passed("Peers", name, ok) else "**FAIL**") + " |")
    lines += ["", "Round trips: read F, verify F, write F, read G over one controller memory per row "
              "(`tests/cli/round_trip_test.cpp`). \"exact\": verify exits 0, G equals F byte for byte, and the "
              "memory is as it was but for what no project file has text for (LED bytes above 9 read as 0, mask "
              "bits 20-23, the window's empty-card record going back erased).", "",
              "| memory image | card type | required outcome | result |", "|---|---|---|---|"]
    for name, a, ok in rows["Images"]:
        lines.append(f"| {name} | {a.get('card_type', '')} | {a.get('expect', '')} | "
                     + ("pass" if passed("Images", name, ok) else "**FAIL**") + " |")
    lines += ["", CLI_END]
    return "\n".join(lines)


def splice(doc, begin, end, block):
    if begin in doc and end in doc:
        return doc[:doc.index(begin)] + block + doc[doc.index(end) + len(end):]
    return doc.rstrip("\n") + "\n\n" + block + "\n"


def fuzz_block(logdir):
    # One time-boxed campaign per target (scripts/fuzz.sh), with libFuzzer's final stats.
    rows = []
    for name in sorted(os.listdir(logdir)):
        target = name.split(".")[0]
        if not target.endswith("_fuzz") or not name.endswith(".log"):
            continue
        text = open(os.path.join(logdir, name), errors="replace").read()
        stat = lambda key: (re.search(r"stat::" + key + r":\s*(\d+)", text) or [None, "?"])[1]
        done = re.findall(r"^#\d+\s+DONE\s+cov: (\d+) ft: (\d+)", text, re.M)
        bad = re.search(r"ERROR: (AddressSanitizer|libFuzzer|UndefinedBehaviorSanitizer)|runtime error", text)
        execs = int(stat("number_of_executed_units")) if stat("number_of_executed_units") != "?" else 0
        ran = re.search(r"Done \d+ runs in (\d+) second", text)
        seconds = int(ran.group(1)) if ran else None
        cov = f"{done[-1][0]} edges, {done[-1][1]} features" if done else "?"
        rows.append(f"| {target} | {seconds or '?'} s | {execs:,} | {cov} | {stat('peak_rss_mb')} MB | "
                    f"{bad.group(0) if bad else 'none'} |")
    return "\n".join([FUZZ_BEGIN, "", "| target | time | executions | coverage at the end | peak RSS | "
                       "crashes, hangs, sanitizer reports |", "|---|---|---|---|---|---|"] + rows + ["", FUZZ_END])


# Bad project files and failing disks (tests/gui/tst_bad_files.cpp): each row is run
# through the window and through vorna-cli.
FILES_BEGIN, FILES_END = "<!-- files:begin -->", "<!-- files:end -->"
REFUSED = ("refused: the window shows \"Nie udało się odczytać danych z pliku ...\" and changes no field; "
           "`vorna-cli write` exits 5 naming the file and sends no frame")
WHOLE = "loads whole: every field and tick as saved; `vorna-cli write` sends them"
BAD_FILES = [
    ("empty file", REFUSED),
    ("4 KiB of random bytes", REFUSED),
    ("lines ending in CR alone", WHOLE),
    ("UTF-8 with BOM", WHOLE),
    ("UTF-16 LE with BOM", WHOLE),
    ("UTF-16 BE with BOM", WHOLE),
    ("40 GB sparse file", REFUSED + ", \"too large\", without reading it"),
    ("one section, other keys missing", "the window loads it, defaults for the rest; `vorna-cli write` exits 5 "
     "naming the missing keys (unless --allow-defaults)"),
]
DISKS = [
    ("16 KiB tmpfs, full", "ENOSPC at the first write"),
    ("16 KiB tmpfs, one page free", "ENOSPC after 4,096 bytes"),
    ("file size limit 2 KiB (EFBIG)", "EFBIG after 2,048 bytes"),
]
MARKED = [(f"{enc} with BOM, {comment}", outcome)
          for enc in ("UTF-8", "UTF-16 LE", "UTF-16 BE")
          for comment, outcome in (
              ("Polish comment", "saved in Windows-1250 without the mark, every other line kept"),
              ("comment outside Windows-1250", f"saved in {enc} with its mark, every other line kept"))]
FRONTS = ["window", "vorna-cli"]


def bad_files(build):
    exe = os.path.join(build, "tests", "tst_bad_files")
    out = run([exe]).stdout
    results = {}
    for m in re.finditer(r"^(PASS|FAIL!|SKIP)\s*: BadFilesTest::\w+\((.*) \| (.*)\)", out, re.M):
        key = (m.group(2), m.group(3))
        verdict = {"PASS": "pass", "FAIL!": "**FAIL**", "SKIP": "skipped"}[m.group(1)]
        results[key] = verdict if results.get(key, "pass") == "pass" else results[key]
    if not results:
        sys.exit("no results from " + exe + "\n" + out[-2000:])
    return results


def render_files(results, asan_results):
    def table(title, rows):
        lines = [f"| {title} | " + " | ".join(FRONTS) + " | outcome |", "|---|" + "---|" * (len(FRONTS) + 1)]
        for name, outcome in rows:
            cells = []
            for front in FRONTS:
                cell = results.get((name, front), "**missing**")
                if asan_results is not None and cell == "pass":
                    cell = asan_results.get((name, front), "**missing**")
                cells.append(cell)
            lines.append(f"| {name} | " + " | ".join(cells) + f" | {outcome} |")
        return lines
    lines = [FILES_BEGIN, ""] + table("file", BAD_FILES) + [""] + table("disk", DISKS) + [""] + table(
        "saved into (window: \"Zapis do Pliku\", `vorna-cli read`)", MARKED) + [
        "", "Every failed save: the window shows \"Nie udało się zapisać danych do pliku ...\" with the file and the reason in the status line's tooltip, `vorna-cli read` "
        "exits 5 with the system's reason, the old file stays byte for byte and nothing is left beside it."
        + (" Run in the normal build and under AddressSanitizer + UndefinedBehaviorSanitizer." if asan_results else ""),
        "", FILES_END]
    return "\n".join(lines)


# The fault matrix under Wine (scripts/windows.sh faults): its Qt Test report, the
# same cases as on Linux. A case skipped there shows as "not stageable", with why.
WINE_BEGIN, WINE_END = "<!-- wine:begin -->", "<!-- wine:end -->"


def wine_results(report):
    text = open(report, encoding="utf-8", errors="replace").read().replace("\r", "")
    results, reasons = {}, {}
    for m in re.finditer(r"^(PASS|FAIL!|SKIP)\s*: FaultMatrix::operation\((.+?) \| (.+?)\)(?: (.*))?$", text, re.M):
        key = (m.group(2), m.group(3))
        verdict = {"PASS": "pass", "FAIL!": "**FAIL**", "SKIP": "not stageable"}[m.group(1)]
        if m.group(1) == "SKIP":
            reasons[m.group(3)] = (m.group(4) or "").strip()
        results[key] = verdict if results.get(key, "pass") == "pass" else results[key]
    if not results:
        sys.exit("no fault-matrix results in " + report)
    return results, reasons


def render_wine(results, reasons):
    ops, lines = matrix_head(results, WINE_BEGIN)
    for op in ops:
        lines.append("| " + op + " | " + " | ".join(results.get((op, f), "n/a") for f, _ in FAULTS) + " |")
    cells = list(results.values())
    skipped = cells.count("not stageable")
    lines += ["", f"{len(cells)} cases under Wine, {cells.count('pass')} passed"
              + (f", {skipped} not stageable" if skipped else "")
              + ". \"n/a\" as on Linux: the address write awaits no reply.", ""]
    if reasons:
        lines += [f"- **{fault}**, not stageable: {why}." for fault, why in sorted(reasons.items())] + [""]
    lines += [WINE_END]
    return "\n".join(lines)


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--build")
    p.add_argument("--wine-report")
    p.add_argument("--asan")
    p.add_argument("--fuzz-logs")
    g = p.add_mutually_exclusive_group(required=True)
    g.add_argument("--write", action="store_true")
    g.add_argument("--check", action="store_true")
    a = p.parse_args()
    if a.build is None and not a.wine_report:
        a.build = "build-test"
    doc = open(DOC, encoding="utf-8").read() if os.path.exists(DOC) else "# Reliability\n"
    rows = lambda s: [l for l in s.splitlines() if l.startswith("|")]

    if a.wine_report:
        wine = render_wine(*wine_results(a.wine_report))
        if a.check:
            current = doc[doc.index(WINE_BEGIN):doc.index(WINE_END)] if WINE_BEGIN in doc else ""
            if rows(current) != rows(wine):
                print(wine)
                sys.exit("docs/RELIABILITY.md does not match the fault matrix under Wine: run "
                         "scripts/reliability.py --wine-report " + a.wine_report + " --write")
            print("docs/RELIABILITY.md matches the fault matrix under Wine.")
        else:
            doc = splice(doc, WINE_BEGIN, WINE_END, wine)
            open(DOC, "w", encoding="utf-8").write(doc)
            print("wrote", DOC)
        if not a.build:
            return

    results = matrix(a.build)
    asan = matrix(a.asan) if a.asan else None
    block = render(results, asan, acceptance(a.build))
    files = render_files(bad_files(a.build), bad_files(a.asan) if a.asan else None)

    # vorna-cli's families, in a block of their own.
    cli = cli_block(cli_families(a.build), cli_families(a.asan) if a.asan else None)
    if a.check:
        current = doc[doc.index(CLI_BEGIN):doc.index(CLI_END) + len(CLI_END)] if CLI_BEGIN in doc else ""
        if [l for l in current.splitlines() if l.startswith("|")] != [l for l in cli.splitlines() if l.startswith("|")]:
            print(cli)
            sys.exit("docs/RELIABILITY.md does not match the vorna-cli tests: run scripts/reliability.py --write")
    else:
        doc = splice(doc, CLI_BEGIN, CLI_END, cli)

    if a.check:
        # The sanitizer sentence depends on the builds given; compare the table rows only.
        strip = lambda s: [l for l in s.splitlines() if l.startswith("|")]
        for begin, end, want, what in ((BEGIN, END, block, "the fault matrix"),
                                       (FILES_BEGIN, FILES_END, files, "the bad files and failing disks")):
            current = doc[doc.index(begin):doc.index(end) + len(end)] if begin in doc else ""
            if strip(current) != strip(want):
                print(want)
                sys.exit(f"docs/RELIABILITY.md does not match {what}: run scripts/reliability.py --write")
        print("docs/RELIABILITY.md matches the fault matrix and the bad files and failing disks.")
        return
    doc = splice(doc, BEGIN, END, block)
    doc = splice(doc, FILES_BEGIN, FILES_END, files)
    if a.fuzz_logs:
        doc = splice(doc, FUZZ_BEGIN, FUZZ_END, fuzz_block(a.fuzz_logs))
    open(DOC, "w", encoding="utf-8").write(doc)
    print("wrote", DOC)


if __name__ == "__main__":
    main()
