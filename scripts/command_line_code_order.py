#!/usr/bin/env python3
"""Writes the order in which the linker lays out the code of the quaylight executable.

Every function the command-line modes run is listed, the hook relay's first (with the C
library's start-up, which every run shares), then the scan's, then what `scan --json`
adds. Laid out together they fill a few neighbouring pages instead of touching one page in
each stretch of a 2 MB executable, and each page touched is a page fault.

    ./scripts/build.sh && scripts/command_line_code_order.py [--build DIR]

Needs valgrind (callgrind names every function a run enters) and a built tree with the
benchmarks (the listener farm gives the scan rows to build). Run it again after large
changes to the command-line modes; a function missing from the list still works, it only
lies elsewhere.
"""

import argparse
import bisect
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time
from pathlib import Path

TOP = Path(__file__).resolve().parent.parent
OUTPUT = TOP / "Quaylight" / "main" / "command-line-code-order.txt"

HEADER = """\
# The functions the command-line modes run, in the order the linker lays them out:
# the hook relay with the C library's start-up, then the scan, then the JSON report.
# Written by scripts/command_line_code_order.py; a name no longer in the executable is
# ignored.
"""

# Valgrind's virtual processor has no AVX-512, so the C library picks other variants of its
# string functions there than on a processor that has it: the list takes each family's
# AVX-512 and EVEX variants too.
VARIANT = re.compile(r"^(__[a-z0-9_]+?)_(sse2|sse42|ssse3|avx|avx2|evex|avx512)(_.*)?$")


def callgrind_functions(command, env=None, stdin=None):
    """The functions one run of `command` enters, mangled, in the order callgrind lists them."""
    with tempfile.TemporaryDirectory() as folder:
        out = Path(folder) / "callgrind.out"
        subprocess.run(["valgrind", "--tool=callgrind", "--demangle=no", f"--callgrind-out-file={out}"] + command,
                       env=env, stdin=stdin, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        names = []
        for line in out.read_text(errors="replace").splitlines():
            if match := re.match(r"^c?fn=\(\d+\) (.+)$", line):
                names.append(re.sub(r"'\d+$", "", match.group(1)))  # without the recursion depth
        return names


def faulting_functions(command, env=None, stdin=None):
    """The functions whose code page faulted in one run of `command` (perf), on this processor."""
    with tempfile.TemporaryDirectory() as folder:
        data = Path(folder) / "perf.data"
        subprocess.run(["perf", "record", "-q", "-e", "minor-faults", "-c", "1", "-d", "-o", str(data), "--"] + command,
                       env=env, stdin=stdin, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        script = subprocess.run(["perf", "script", "-i", str(data), "-F", "ip,addr"], capture_output=True, text=True,
                                check=True).stdout
        # A fault at the address being run is the fetch of its code.
        return ["0x" + parts[0] for parts in (line.split() for line in script.splitlines())
                if len(parts) == 2 and int(parts[0], 16) == int(parts[1], 16)]


class Executable:
    def __init__(self, path):
        output = subprocess.run(["nm", "-n", "--defined-only", str(path)], capture_output=True, text=True,
                                check=True).stdout
        self.names, self.starts, self.code_names = set(), [], []
        for parts in (line.split() for line in output.splitlines()):
            if len(parts) != 3:
                continue
            self.names.add(parts[2])
            if parts[1] in "tTwWiI":
                self.starts.append(int(parts[0], 16))
                self.code_names.append(parts[2])

    def name(self, entry):
        """A function's name as listed, with an address read as the function that holds it."""
        if not entry.startswith("0x"):
            return entry
        index = bisect.bisect_right(self.starts, int(entry, 16)) - 1
        return self.code_names[index] if index >= 0 else None


def widened(names, executable):
    """Each name, with what the linker needs beside it: an indirect function's resolver, and
    the AVX-512 and EVEX variants of the C library's string functions."""
    variants = {}
    for symbol in sorted(executable.names):
        match = VARIANT.match(symbol)
        if match and match.group(2) in ("evex", "avx512") and not symbol.endswith("_rtm"):
            variants.setdefault(match.group(1), []).append(symbol)
    result = []
    for name in names:
        result += [name, name + "_ifunc"]
        if match := VARIANT.match(name):
            result += variants.get(match.group(1), [])
    return result


class RelayRun:
    """The relay's run with a listening socket and a Claude hook on its standard input."""

    def __enter__(self):
        self.home = Path(tempfile.mkdtemp(prefix="quaylight-order-"))
        folder = self.home / ".local" / "share" / "Quaylight" / "Runtime"
        folder.mkdir(parents=True)
        for path in (folder, folder.parent):
            path.chmod(0o700)
        # The hook comes from a folder inside a project, as an agent's would.
        (self.home / "code" / "site" / "server").mkdir(parents=True)
        (self.home / "code" / "site" / "package.json").write_text("{}")
        self.server = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.server.bind(str(folder / "agent-events.sock"))
        self.server.listen(8)
        self.received = 0
        threading.Thread(target=self._accept, daemon=True).start()
        return self

    def _accept(self):
        while True:
            try:
                connection, _ = self.server.accept()
            except OSError:
                return
            with connection:
                if connection.recv(65536):
                    self.received += 1

    def __exit__(self, *_):
        self.server.close()
        shutil.rmtree(self.home, ignore_errors=True)

    def trace(self, tracer, quaylight):
        hook = (b'{"session_id":"4f1c2d3e-5a6b","transcript_path":"/x.jsonl","cwd":"' + str(self.home).encode() +
                b'/code/site/server","permission_mode":"default","hook_event_name":"UserPromptSubmit","prompt":"hello"}')
        env = {"HOME": str(self.home), "XDG_RUNTIME_DIR": str(self.home), "PATH": os.environ.get("PATH", "/bin")}
        before = self.received
        with tempfile.TemporaryFile() as stdin:
            stdin.write(hook)
            stdin.seek(0)
            names = tracer([str(quaylight), "agent-event", "--provider", "claude", "--protocol", "1"], env, stdin)
        for _ in range(100):
            if self.received > before:
                return names
            time.sleep(0.05)
        sys.exit("command_line_code_order: the relay sent nothing; its list would miss the sending.")


def runs_in_order(tracer, quaylight, relay):
    """The functions of the relay, the scan and the JSON report, each run's in one list, with
    addresses read against the executable that ran."""
    executable = Executable(quaylight)
    runs = [relay.trace(tracer, quaylight),
            tracer([str(quaylight), "scan"], None, None),
            tracer([str(quaylight), "scan", "--json"], None, None)]
    return [[executable.name(entry) for entry in run] for run in runs]


def write_order(groups, executable):
    seen, lines = set(), []
    for group in groups:
        for entry in widened(group, executable):
            if entry and entry in executable.names and entry not in seen:
                seen.add(entry)
                lines.append(entry)
    OUTPUT.write_text(HEADER + "\n".join(lines) + "\n")
    return len(lines)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.environ.get("QUAYLIGHT_BUILD_DIR", TOP / "build"), type=Path)
    build = parser.parse_args().build
    quaylight, farm = build / "quaylight", build / "bench" / "bench-listener-farm"
    for tool in ("valgrind", "perf", "nm", "cmake"):
        if not shutil.which(tool):
            sys.exit(f"command_line_code_order: {tool} is missing.")
    for program in (quaylight, farm):
        if not os.access(program, os.X_OK):
            sys.exit(f"command_line_code_order: {program} is missing (run scripts/build.sh).")

    farm_process = subprocess.Popen([str(farm), "--processes", "20", "--listeners", "200"], stdin=subprocess.PIPE,
                                    stdout=subprocess.PIPE, text=True)
    try:
        if farm_process.stdout.readline().strip() != "ready":
            sys.exit("command_line_code_order: the listener farm did not start.")
        with RelayRun() as relay:
            # Callgrind names nearly everything; a run on the processor itself then adds what
            # differs there (valgrind's own environment, its processor's features), read from
            # the code pages that still fault once the first order is in the executable.
            groups = runs_in_order(callgrind_functions, quaylight, relay)
            for _ in range(2):
                write_order(groups, Executable(quaylight))
                subprocess.run(["cmake", "--build", str(build), "--target", "quaylight"], check=True,
                               stdout=subprocess.DEVNULL)
                more = runs_in_order(faulting_functions, quaylight, relay)
                groups = [g + m for g, m in zip(groups, more)]
            count = write_order(groups, Executable(quaylight))
    finally:
        farm_process.stdin.close()
        farm_process.wait()
    subprocess.run(["cmake", "--build", str(build), "--target", "quaylight"], check=True, stdout=subprocess.DEVNULL)
    print(f"{OUTPUT.relative_to(TOP)}: {count} functions")


if __name__ == "__main__":
    main()
