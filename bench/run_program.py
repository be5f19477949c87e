#!/usr/bin/env python3
"""Whole-program figures: the real program as a process on data folders of
10,000 / 50,000 / 200,000 records, each figure beside a baseline process
(cat, cp + sync) timed in the same repeat.  Run through bench/run_program.sh,
which builds the Release programs first.

Environment: BUILD (the Release build folder), WORK (generated folders, kept
between runs), SIZES, REPEATS, SEED (resources/seed), YEAR (list query year),
IMPORT (records imported into each folder, 0 for none).
"""
import os
import shutil
import statistics
import subprocess
import sys
import time

BUILD = os.environ["BUILD"]
WORK = os.environ["WORK"]
SEED = os.environ["SEED"]
SIZES = [int(s) for s in os.environ.get("SIZES", "10000 50000 200000").split()]
REPEATS = int(os.environ.get("REPEATS", "3"))
YEAR = os.environ.get("YEAR", "2009")
IMPORT = int(os.environ.get("IMPORT", "5000"))
TIMEOUT = int(os.environ.get("TIMEOUT", "900"))

env = dict(os.environ)
env["QT_QPA_PLATFORM"] = "offscreen"
# The program lets one copy run per user; its lock goes into a folder of the
# benchmark's own, so a copy run elsewhere on the machine does not end it.
env["XDG_RUNTIME_DIR"] = os.path.join(WORK, "runtime")
os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700, exist_ok=True)
os.chmod(env["XDG_RUNTIME_DIR"], 0o700)


def shell(cmd):
    """Times a shell command as a process, in milliseconds."""
    t0 = time.monotonic_ns()
    subprocess.run(["sh", "-c", cmd], check=True, env=env)
    return (time.monotonic_ns() - t0) / 1e6


def run_rss(args, extra_env=None, capture=False):
    """Like run, with the peak resident size of the process (wait4)."""
    e = dict(env)
    if extra_env:
        e.update(extra_env)
    t0 = time.monotonic_ns()
    p = subprocess.Popen(args, stdout=subprocess.PIPE if capture else subprocess.DEVNULL,
                         stderr=subprocess.PIPE, env=e)
    # wait4 on the child itself, so its rusage is its own.
    out = p.stdout.read() if capture else b""
    err = p.stderr.read()
    _, status, ru = os.wait4(p.pid, 0)
    p.returncode = os.waitstatus_to_exitcode(status)
    t1 = time.monotonic_ns()
    if p.returncode != 0:
        sys.exit(f"{args[0]} failed ({p.returncode}): {err.decode(errors='replace')}")
    return (t1 - t0) / 1e6, ru.ru_maxrss / 1024, out.decode(errors="replace"), err.decode(errors="replace"), t0


def fresh_copy(src, dst):
    shutil.rmtree(dst, ignore_errors=True)
    subprocess.run(["cp", "-r", src, dst], check=True)
    subprocess.run(["sh", "-c", f"sync '{dst}'/*"], check=True)


def find(folder, name):
    """The file of `folder` named `name` in any letter case."""
    return next(os.path.join(folder, f) for f in os.listdir(folder) if f.lower() == name.lower())


def folder_size(path):
    return sum(os.path.getsize(os.path.join(path, f)) for f in os.listdir(path))


def start_program(folder):
    """One start of the real program (its copy in `folder`, data in folder/data):
    times from launch to the splash's and to the record list's first paint."""
    ms, rss, _, err, t0 = run_rss([os.path.join(folder, "sorvel")], {"SORVEL_PAINT_TIMES": "1"})
    marks = {}
    for line in err.splitlines():
        parts = line.split()
        if len(parts) == 3 and parts[1] == "painted":
            marks[parts[0]] = (int(parts[2]) - t0) / 1e6
    if "splash" not in marks or "grid" not in marks:
        sys.exit(f"the program ended without painting its windows: {err}")
    return marks["splash"], marks["grid"], ms, rss


class Row:
    def __init__(self, name, baseline):
        self.name, self.baseline = name, baseline
        self.values, self.bases, self.rss, self.notes = [], [], [], set()


def fmt(values):
    m = statistics.median(values)
    return f"{m:,.1f} ({min(values):,.1f}-{max(values):,.1f})"


def print_rows(n, rows, load):
    print(f"\n### {n:,} records (load average before / after: {load[0]} / {load[1]})\n")
    print("| measurement | median (min-max) ms | baseline | median (min-max) ms | ratio of medians | peak RSS MB |")
    print("|---|---:|---|---:|---:|---:|")
    for r in rows:
        if not r.values:
            continue
        base = fmt(r.bases) if r.bases else "-"
        ratio = f"{statistics.median(r.values) / statistics.median(r.bases):.2f}x" if r.bases else "-"
        rss = f"{statistics.median(r.rss):,.1f}" if r.rss else "-"
        name = r.name + (f" ({'; '.join(sorted(r.notes))})" if r.notes else "")
        print(f"| {name} | {fmt(r.values)} | {r.baseline} | {base} | {ratio} | {rss} |")
    sys.stdout.flush()


def generate(n):
    gen = os.path.join(WORK, f"gen{n}")
    data = os.path.join(gen, "data")
    if not os.path.exists(os.path.join(gen, "complete")):
        shutil.rmtree(gen, ignore_errors=True)
        os.makedirs(gen)
        t = time.monotonic()
        subprocess.run([os.path.join(BUILD, "bench", "gen_folder"), SEED, data, str(n)], check=True, env=env,
                       stdout=subprocess.DEVNULL)
        open(os.path.join(gen, "complete"), "w").close()
        print(f"(generated {n:,} records in {time.monotonic() - t:.1f} s)", file=sys.stderr)
    return data


def measure(n):
    data = generate(n)
    run_dir = os.path.join(WORK, f"run{n}")
    os.makedirs(run_dir, exist_ok=True)
    shutil.copy2(os.path.join(BUILD, "sorvel"), os.path.join(run_dir, "sorvel"))
    live = os.path.join(run_dir, "data")
    cp_dir = os.path.join(WORK, f"cp{n}")
    pack_dir = os.path.join(WORK, f"pack{n}")
    bench_pack = os.path.join(BUILD, "bench", "bench_pack")
    bench_actions = os.path.join(BUILD, "bench", "bench_actions")

    splash_first = Row("splash painted after launch, first start (packs)", "cat of the data folder")
    splash_next = Row("splash painted after launch, next start", "cat of the data folder")
    first = Row("record list painted, first start after deletions (packs)", "cp + sync of the data folder")
    nxt = Row("record list painted, next start (no pack)", "cat of the data folder")
    pack = Row("pack of kjcg alone (process)", "cp + sync of kjcg.dbf/.dbt")
    query = Row(f"open + list query (applied technology {YEAR}, process)", "cat kjcg.dbf")
    actions = {k: Row(v, "-") for k, v in [
        ("year", "year changed, list repainted"), ("category", "category changed, list repainted"),
        ("page8", "page 8 opened, painted"), ("print", "print dialog painted"),
        ("export", "export window (导出) painted")]}
    imp = Row(f"import of {IMPORT:,} records (process)", "-")
    rows = [splash_first, splash_next, first, nxt, pack, query] + list(actions.values()) + [imp]
    bench_exchange = os.path.join(BUILD, "bench", "exchange", "bench_exchange")
    package = os.path.join(WORK, f"package{n}", "cgsbqy.arj")
    if IMPORT and not os.path.exists(package):
        subprocess.run([bench_exchange, "--export-from", data, str(IMPORT), os.path.dirname(package)], check=True,
                       env=env, stdout=subprocess.DEVNULL)
    load = [open("/proc/loadavg").read().split()[0]]

    for _ in range(REPEATS):
        fresh_copy(data, live)
        cat = shell(f"cat '{live}'/* > /dev/null")
        cpsync = shell(f"rm -rf '{cp_dir}' && cp -r '{data}' '{cp_dir}' && sync '{cp_dir}'/*")
        s, g, _, rss = start_program(run_dir)
        splash_first.values.append(s); splash_first.bases.append(cat)
        first.values.append(g); first.bases.append(cpsync); first.rss.append(rss)
        s, g, _, rss = start_program(run_dir)
        cat = shell(f"cat '{live}'/* > /dev/null")
        splash_next.values.append(s); splash_next.bases.append(cat)
        nxt.values.append(g); nxt.bases.append(cat); nxt.rss.append(rss)

        # The pack alone, on a fresh synced copy of the unpacked record table.
        os.makedirs(pack_dir, exist_ok=True)
        for ext in ("dbf", "dbt"):
            shutil.copyfile(find(data, f"kjcg.{ext}"), os.path.join(pack_dir, f"kjcg.{ext}"))
        subprocess.run(["sh", "-c", f"sync '{pack_dir}'/*"], check=True)
        ms, rss, _, _, _ = run_rss([bench_pack, "--pack", pack_dir])
        cpsync = shell(f"rm -rf '{cp_dir}' && mkdir '{cp_dir}' && cp '{find(data, 'kjcg.dbf')}' '{find(data, 'kjcg.dbt')}' '{cp_dir}/'"
                       f" && sync '{cp_dir}'/*")
        pack.values.append(ms); pack.bases.append(cpsync); pack.rss.append(rss)

        ms, rss, out, _, _ = run_rss([bench_pack, "--list", live, YEAR], capture=True)
        query.values.append(ms); query.bases.append(shell(f"cat '{find(live, 'kjcg.dbf')}' > /dev/null")); query.rss.append(rss)
        query.name = f"open + list query ({out.strip()}, process)"

        _, rss, out, err, _ = run_rss([bench_actions, live], capture=True)
        for line in out.splitlines():
            parts = line.split(maxsplit=3)
            if parts and parts[0] == "action" and parts[1] in actions:
                actions[parts[1]].values.append(float(parts[2]))
                if len(parts) > 3:
                    actions[parts[1]].notes.add(parts[3][:80])
            elif parts and parts[0] == "locked:":
                print(f"(main window locked: {line})", file=sys.stderr)

        # The import into the packed folder (a copy of it, so the next
        # repeat starts from the same folder).
        if IMPORT:
            fresh_copy(live, cp_dir)
            ms, rss, _, _, _ = run_rss([bench_exchange, "--import-into", cp_dir, package])
            imp.values.append(ms); imp.rss.append(rss)

    shutil.rmtree(cp_dir, ignore_errors=True)
    shutil.rmtree(pack_dir, ignore_errors=True)
    load.append(open("/proc/loadavg").read().split()[0])
    print(f"\nfolder: {folder_size(data) / 1e6:,.1f} MB before the pack, {folder_size(live) / 1e6:,.1f} MB after;"
          f" kjcg.dbf {os.path.getsize(find(live, 'kjcg.dbf')) / 1e6:,.1f} MB packed")
    print_rows(n, rows, load)


def main():
    cpu = next((l.split(":", 1)[1].strip() for l in open("/proc/cpuinfo") if l.startswith("model name")), "?")
    print(f"machine: {os.cpu_count()} cores, {cpu}; {time.strftime('%Y-%m-%d %H:%M UTC', time.gmtime())};"
          f" {REPEATS} repeats, median (min-max)")
    for n in SIZES:
        measure(n)


if __name__ == "__main__":
    main()
