#!/usr/bin/env python3
"""Measures how fast the tool is and writes <build>/bench/results.json.

Side by side under one private X server (Xvfb), alternating run by run so that
both see the same machine:
  startup_ms          process start -> first speech request reaching a fake
                      speech daemon (a Unix socket speaking enough SSIP, which
                      says it speaks through espeak-ng, as a stock Debian
                      does: the first text goes out as kana)
  startup_no_reading_ms  the same with the kana reading switched off
                      (VORNIX_SPEECH_READING=off), started right after it
  startup_reading_cost_ms  median of the run-by-run differences of the two
  bare_qt_startup_ms  process start -> keyboard focus in the line edit of a
                      bare Qt window holding one line edit and one label of
                      Japanese, built with the same flags: the floor for a Qt
                      program that shows Japanese and takes typing
  static_window_startup_ms  process start -> keyboard focus in txtName of a
                      static copy of the tool's window (bench/static_window.cpp):
                      the same set-up, controls, texts, fonts, menus and
                      layout, without speech, reading or single instance
  startup_vs_static_ratio, rss_vs_static_ratio  the tool against that copy
  rss_no_reading_vs_static_ratio  the same without the reading's dictionary
  startup_ratio, rss_ratio  the tool against the bare window
  rss_kb, static_window_rss_kb, bare_qt_rss_kb  VmRSS once start-up has settled
  rss_reading_cost_kb  median of the run-by-run differences of rss_kb and
                      rss_no_reading_kb: the reading's dictionary pages
  bare_qt_empty_*     the same for one empty main window to its first expose
                      (not judged: the floor of any Qt window, drawing no text)
  *_without_session_bus  the tool and the bare window once more with no D-Bus
                      session bus at all (not judged; fewer runs)

Both run inside a D-Bus session bus of their own, as on any desktop: Qt asks
it whether a global menu bar is wanted. Without one, libdbus starts a bus
through dbus-launch on every start, a cost no desktop user pays; the second,
shorter series shows that case.
and, inside one process each, the key-to-speech latency over 10,000 focus
moves and the account-file reader at 1 MiB and 10 MiB.

The tool, the static copy and the bare window start one after another in an
order that rotates run by run. Medians over repeated runs. Every process is
started in its own session and stopped by its own PID. Standard library only.

With --instructions, each of the three also runs once under valgrind's
callgrind and the instructions its main thread ran up to the same moments
are reported (instructions_*; counts, unlike times, do not depend on load).

Usage: run_bench.py [--build DIR] [--runs N] [--settle SECONDS] [--instructions]
"""

import argparse
import json
import os
import shutil
import signal
import socket
import statistics
import subprocess
import sys
import tempfile
import threading
import time

TARGETS = (
    # figure, how it is judged, the limit as text
    ("startup_ratio", lambda r: r["startup_ratio"] <= 1.15, "<= 1.15"),
    ("startup_reading_cost_ms", lambda r: abs(r["startup_reading_cost_ms"]) <= 5, "|x| <= 5"),
    ("key_to_speech_p99_us", lambda r: r["key_to_speech_p99_us"] <= 1000, "<= 1000"),
    ("key_to_speech_kana_p99_us", lambda r: r["key_to_speech_kana_p99_us"] <= 1000, "<= 1000"),
    ("acd_load_10mb_ms", lambda r: r["acd_load_10mb_ms"] <= 11 * r["acd_load_1mb_ms"],
     "<= 11 x acd_load_1mb_ms"),
    ("rss_ratio", lambda r: r["rss_ratio"] <= 1.1, "<= 1.1"),
    ("startup_vs_static_ratio", lambda r: r["startup_vs_static_ratio"] <= 1.05, "<= 1.05"),
    # The reading's dictionary is file pages the window does not need; judged
    # without them, shown with them and on their own.
    ("rss_no_reading_vs_static_ratio", lambda r: r["rss_no_reading_vs_static_ratio"] <= 1.05, "<= 1.05"),
)

ORDER = ("startup_ms", "static_window_startup_ms", "bare_qt_startup_ms", "startup_vs_static_ratio",
         "startup_ratio", "rss_kb", "static_window_rss_kb", "bare_qt_rss_kb", "rss_vs_static_ratio", "rss_ratio",
         "startup_no_reading_ms", "startup_reading_cost_ms", "rss_no_reading_kb",
         "rss_no_reading_vs_static_ratio", "rss_reading_cost_kb",
         "key_to_speech_p50_us", "key_to_speech_p99_us", "key_to_speech_kana_p50_us",
         "key_to_speech_kana_p99_us", "acd_load_1mb_ms", "acd_load_10mb_ms",
         # Not judged: the floor of a window that draws no text at all, and
         # both start-ups with no session bus to talk to.
         "bare_qt_empty_startup_ms", "bare_qt_empty_rss_kb",
         "startup_ms_without_session_bus", "bare_qt_startup_ms_without_session_bus",
         "startup_ratio_without_session_bus")


# Only with --instructions: main-thread instructions to the same moments.
INSTRUCTIONS = ("instructions_tool", "instructions_static_window", "instructions_bare_qt")


class BenchError(Exception):
    pass


class FakeSpeechDaemon:
    """Accepts libspeechd connections on a Unix socket and answers every
    command with success, as far as libspeechd needs: a client id, a message
    id for each SPEAK, and END for every message so nothing waits. Notes the
    monotonic time at which each SPEAK command arrives."""

    def __init__(self, path):
        self.path = path
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.bind(path)
        self.sock.listen(16)
        self.lock = threading.Lock()
        self.spoke = threading.Condition(self.lock)
        self.speaks = []  # (monotonic_ns, text)
        self.next_client = 1
        self.next_message = 1
        self.closing = False
        threading.Thread(target=self._accept, daemon=True).start()

    def close(self):
        self.closing = True
        try:
            self.sock.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        self.sock.close()

    def speak_count(self):
        with self.lock:
            return len(self.speaks)

    def speak_after(self, index, timeout=0.0):
        """The SPEAK numbered index, waiting up to timeout seconds for it."""
        with self.spoke:
            self.spoke.wait_for(lambda: len(self.speaks) > index, timeout)
            return self.speaks[index] if len(self.speaks) > index else None

    def _accept(self):
        while not self.closing:
            try:
                conn, _ = self.sock.accept()
            except OSError:
                return
            with self.lock:
                client = self.next_client
                self.next_client += 1
            threading.Thread(target=self._serve, args=(conn, client), daemon=True).start()

    def _serve(self, conn, client):
        buf = b""
        speaking = None  # the lines of a message being received
        try:
            while True:
                data = conn.recv(65536)
                if not data:
                    return
                buf += data
                while b"\r\n" in buf:
                    line, buf = buf.split(b"\r\n", 1)
                    if speaking is not None:
                        if line == b".":
                            conn.sendall(self._queued(client, b"\r\n".join(speaking)))
                            speaking = None
                        else:
                            speaking.append(line[1:] if line.startswith(b"..") else line)
                        continue
                    command = line.decode("utf-8", "replace").strip().upper()
                    if command == "SPEAK":
                        now = time.monotonic_ns()
                        speaking = []
                        with self.spoke:
                            self.speaks.append((now, None))
                            self.spoke.notify_all()
                        conn.sendall(b"230 OK RECEIVING DATA\r\n")
                    elif command == "GET OUTPUT_MODULE":
                        conn.sendall(b"251-espeak-ng\r\n251 OK GET RETURNED\r\n")
                    elif command.startswith("HISTORY GET CLIENT_ID"):
                        conn.sendall(b"249-%d\r\n249 OK CLIENT ID SENT\r\n" % client)
                    elif command == "QUIT":
                        conn.sendall(b"231 HAPPY HACKING\r\n")
                        return
                    else:
                        conn.sendall(b"200 OK\r\n")
        except OSError:
            return
        finally:
            conn.close()

    def _queued(self, client, text):
        with self.lock:
            message = self.next_message
            self.next_message += 1
            # Fill in the text of the last SPEAK without one.
            for i in range(len(self.speaks) - 1, -1, -1):
                if self.speaks[i][1] is None:
                    self.speaks[i] = (self.speaks[i][0], text.decode("utf-8", "replace"))
                    break
        reply = b"225-%d\r\n225 OK MESSAGE QUEUED\r\n" % message
        for code, name in ((701, b"BEGIN"), (702, b"END")):
            reply += b"%d-%d\r\n%d-%d\r\n%d %s\r\n" % (code, message, code, client, code, name)
        return reply


def stop(proc, grace=2.0):
    """SIGTERM to the process group the process leads, SIGKILL after grace."""
    if proc is None or proc.poll() is not None:
        return
    for sig, wait in ((signal.SIGTERM, grace), (signal.SIGKILL, 5.0)):
        try:
            os.killpg(proc.pid, sig)
        except ProcessLookupError:
            return
        try:
            proc.wait(timeout=wait)
            return
        except subprocess.TimeoutExpired:
            continue


MEMORY_DETAIL = {}  # program -> [(RssAnon, RssFile, RssShmem), ...]; only for the notes


def vm_rss_kb(pid, program):
    """VmRSS of pid; notes RssAnon, RssFile (file pages: libraries, fonts,
    shared with other processes and reclaimable) and RssShmem (the window's
    image shared with the X server) on the side."""
    fields = {}
    with open("/proc/%d/status" % pid, encoding="ascii", errors="replace") as f:
        for line in f:
            name, _, value = line.partition(":")
            if name in ("VmRSS", "RssAnon", "RssFile", "RssShmem"):
                fields[name] = int(value.split()[0])
    if "VmRSS" not in fields:
        raise BenchError("no VmRSS for pid %d" % pid)
    MEMORY_DETAIL.setdefault(program, []).append(
        (fields.get("RssAnon", 0), fields.get("RssFile", 0), fields.get("RssShmem", 0)))
    return fields["VmRSS"]


def start_xvfb(workdir):
    """A private X server on a free display; answers (process, DISPLAY)."""
    read_fd, write_fd = os.pipe()
    log = open(os.path.join(workdir, "xvfb.log"), "wb")
    proc = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
        pass_fds=(write_fd,), stdout=log, stderr=log, start_new_session=True)
    os.close(write_fd)
    number = b""
    deadline = time.monotonic() + 15
    while time.monotonic() < deadline and not number.endswith(b"\n"):
        chunk = os.read(read_fd, 16)
        if not chunk:
            break
        number += chunk
    os.close(read_fd)
    if not number.strip().isdigit():
        stop(proc)
        raise BenchError("Xvfb did not start (see %s/xvfb.log)" % workdir)
    return proc, ":" + number.strip().decode()


def start_session_bus():
    """A private D-Bus session bus; answers (pid, address)."""
    out = subprocess.run(["dbus-daemon", "--session", "--fork", "--nopidfile", "--print-address=1",
                          "--print-pid=1"], stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                         stderr=subprocess.DEVNULL, timeout=15)
    lines = out.stdout.decode(errors="replace").split()
    if out.returncode != 0 or len(lines) < 2 or not lines[1].isdigit():
        raise BenchError("dbus-daemon did not start a session bus")
    return int(lines[1]), lines[0]


def stop_pid(pid):
    """SIGTERM to a daemon that forked away from us; it is no child to wait for."""
    try:
        os.kill(pid, signal.SIGTERM)
    except ProcessLookupError:
        pass


def start_focus_helper(display, workdir):
    """The window manager's part in start-up: focus on map (focus_on_map.py)."""
    here = os.path.dirname(os.path.abspath(__file__))
    log = open(os.path.join(workdir, "focus.log"), "wb")
    proc = subprocess.Popen([sys.executable, os.path.join(here, "focus_on_map.py")],
                            env=dict(os.environ, DISPLAY=display), stdin=subprocess.DEVNULL,
                            stdout=subprocess.PIPE, stderr=log, start_new_session=True)
    log.close()
    result = {}
    reader = threading.Thread(target=lambda: result.update(line=proc.stdout.readline()), daemon=True)
    reader.start()
    reader.join(10)
    if result.get("line", b"").strip() != b"ready":
        stop(proc)
        raise BenchError("the focus helper did not start (see %s/focus.log)" % workdir)
    return proc


class Runner:
    def __init__(self, build, workdir, display, daemon, settle, session_bus):
        self.build = build
        self.workdir = workdir
        self.display = display
        self.daemon = daemon
        self.settle = settle
        self.base_env = dict(os.environ)
        for name in ("QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "VX_BENCH_EXIT_AFTER_SHOWN", "VX_BENCH_BARE_EMPTY"):
            self.base_env.pop(name, None)
        self.base_env["DISPLAY"] = display
        self.use_session_bus(session_bus)
        self.run_number = 0
        self.first_text = {}  # reading -> what the tool said first

    def use_session_bus(self, address):
        """Later starts talk to the bus at address; None: no bus at all."""
        if address:
            self.base_env["DBUS_SESSION_BUS_ADDRESS"] = address
        else:
            self.base_env.pop("DBUS_SESSION_BUS_ADDRESS", None)

    def _env(self):
        env = dict(self.base_env)
        # A runtime folder of its own per run: the single-instance lock of a
        # stopped run, or of a tool the user has open, must not hand over.
        self.run_number += 1
        runtime = tempfile.mkdtemp(prefix="run%d-" % self.run_number, dir=self.workdir)
        env["XDG_RUNTIME_DIR"] = runtime
        env["SPEECHD_ADDRESS"] = "unix_socket:" + self.daemon.path
        return env

    def _log(self, name):
        return open(os.path.join(self.workdir, "%s-%d.log" % (name, self.run_number)), "wb")

    def tool(self, reading=None):
        """(startup ms, rss kb) of one start of the tool; reading sets
        VORNIX_SPEECH_READING (None: the tool decides, here kana)."""
        env = self._env()
        env.pop("VORNIX_SPEECH_READING", None)
        if reading is not None:
            env["VORNIX_SPEECH_READING"] = reading
        seen = self.daemon.speak_count()
        binary = os.path.join(self.build, "bin", "vornix-support")
        log = self._log("tool")
        started = time.monotonic_ns()
        proc = subprocess.Popen([binary], env=env, stdin=subprocess.DEVNULL, stdout=log,
                                stderr=subprocess.STDOUT, start_new_session=True)
        try:
            deadline = time.monotonic() + 30
            first = None
            while first is None:
                # Woken by the daemon, so the wait takes no processor time
                # from the start it is timing.
                first = self.daemon.speak_after(seen, timeout=0.05)
                if first is not None:
                    break
                if proc.poll() is not None:
                    raise BenchError("the tool ended (code %s) before speaking; see %s"
                                     % (proc.returncode, log.name))
                if time.monotonic() > deadline:
                    raise BenchError("the tool said nothing within 30 s; see %s" % log.name)
            time.sleep(self.settle)
            # Every run must time the same thing: the first field's announcement.
            text = self.daemon.speak_after(seen)[1]
            if reading not in self.first_text:
                self.first_text[reading] = text
            elif text != self.first_text[reading]:
                raise BenchError("run %d began with %r, an earlier one with %r"
                                 % (self.run_number, text, self.first_text[reading]))
            return (first[0] - started) / 1e6, vm_rss_kb(proc.pid, "tool" if reading is None else "tool, off")
        finally:
            stop(proc)
            log.close()

    def stages(self):
        """Stage -> ms since process start, of one start of startup_stages."""
        env = self._env()
        binary = os.path.join(self.build, "bench", "startup_stages")
        started = time.monotonic_ns()
        env["VX_BENCH_SPAWN_NS"] = str(started)
        out = subprocess.run([binary], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL, timeout=60, start_new_session=True)
        if out.returncode != 0:
            raise BenchError("startup_stages failed (%d)" % out.returncode)
        return json.loads(out.stdout.decode().strip().splitlines()[-1])

    def bare(self, empty=False):
        """(startup ms, rss kb) of one start of the bare Qt window: to the
        focus in its line edit, or to the first expose of an empty window
        when empty is true."""
        env = self._env()
        if empty:
            env["VX_BENCH_BARE_EMPTY"] = "1"
        return self._window("bare_qt_window", env, "shown" if empty else "focus", "empty" if empty else "bare")

    def static_copy(self):
        """(startup ms, rss kb) of one start of the static copy of the tool's
        window, to the focus in its txtName."""
        return self._window("static_window", self._env(), "focus", "static")

    def _window(self, name, env, expected, label):
        """Starts bench/name, which prints "<expected> <monotonic ns>" once
        ready; answers (ms from start to then, rss kb once settled)."""
        binary = os.path.join(self.build, "bench", name)
        started = time.monotonic_ns()
        proc = subprocess.Popen([binary], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                stderr=subprocess.DEVNULL, start_new_session=True)
        try:
            result = {}

            def read():
                result["line"] = proc.stdout.readline()

            reader = threading.Thread(target=read, daemon=True)
            reader.start()
            reader.join(30)
            line = result.get("line", b"").decode("ascii", "replace").split()
            if len(line) != 2 or line[0] != expected:
                raise BenchError("%s reported no %s (got %r)" % (name, expected, result.get("line")))
            ready = int(line[1])
            time.sleep(self.settle)
            return (ready - started) / 1e6, vm_rss_kb(proc.pid, label)
        finally:
            stop(proc)
            proc.stdout.close()

    def instructions(self, program):
        """Instructions the main thread of one start ran, under callgrind, up
        to the moment the timed runs stop the clock: the tool's first speech
        request, the windows' focus line. The process is stopped as soon as
        that moment is seen, so the count also holds what the main thread did
        in the few milliseconds the stop signal took to arrive; at callgrind's
        pace that is little next to the whole."""
        env = self._env()
        out = os.path.join(env["XDG_RUNTIME_DIR"], "callgrind.out")
        if program == "tool":
            binary = os.path.join(self.build, "bin", "vornix-support")
        else:
            binary = os.path.join(self.build, "bench", program)
        seen = self.daemon.speak_count()
        log = self._log("callgrind-" + program)
        proc = subprocess.Popen(["valgrind", "--tool=callgrind", "--separate-threads=yes",
                                 "--callgrind-out-file=" + out, binary],
                                env=env, stdin=subprocess.DEVNULL,
                                stdout=log if program == "tool" else subprocess.PIPE, stderr=log,
                                start_new_session=True)
        try:
            deadline = time.monotonic() + 600
            if program == "tool":
                while self.daemon.speak_after(seen, timeout=0.05) is None:
                    if proc.poll() is not None or time.monotonic() > deadline:
                        raise BenchError("the tool said nothing under callgrind; see %s" % log.name)
            else:
                result = {}
                reader = threading.Thread(target=lambda: result.update(line=proc.stdout.readline()),
                                          daemon=True)
                reader.start()
                reader.join(600)
                if not result.get("line", b"").startswith(b"focus "):
                    raise BenchError("%s reported no focus under callgrind; see %s" % (program, log.name))
            # callgrind writes its counts when the process ends, also on SIGTERM.
            stop(proc, grace=120)
        finally:
            stop(proc)
            if proc.stdout:
                proc.stdout.close()
            log.close()
        main_thread = out + "-01"
        try:
            with open(main_thread, encoding="ascii", errors="replace") as f:
                for line in f:
                    if line.startswith(("summary:", "totals:")):
                        return int(line.split()[1])
        except OSError as e:
            raise BenchError("no callgrind counts for %s: %s" % (program, e)) from e
        raise BenchError("no totals in %s" % main_thread)


def measure_pair(runner, i):
    """One start of the tool and one of the bare window; which goes first
    alternates, so that neither always follows the other's exit."""
    if i % 2 == 0:
        tool = runner.tool()
        return tool, runner.bare()
    bare = runner.bare()
    return runner.tool(), bare


def measure_three(runner, i):
    """One start each of the tool, the static copy and the bare window, in an
    order that rotates, so that none always follows the same one's exit."""
    starts = (("tool", runner.tool), ("static", runner.static_copy), ("bare", runner.bare))
    shift = i % 3
    return dict((name, start()) for name, start in starts[shift:] + starts[:shift])


def run_json(cmd, timeout, workdir):
    runtime = tempfile.mkdtemp(prefix="offscreen-", dir=workdir)
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=runtime,
               QT_LOGGING_RULES="qt.qpa.*=false")
    out = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=timeout, env=env)
    if out.returncode != 0:
        raise BenchError("%s failed (%d): %s" % (os.path.basename(cmd[0]), out.returncode,
                                                 out.stderr.decode(errors="replace").strip()))
    # The offscreen platform warns on every show; that says nothing here.
    for line in out.stderr.decode(errors="replace").splitlines(keepends=True):
        if "propagateSizeHints" not in line:
            sys.stderr.write(line)
    return json.loads(out.stdout.decode().strip().splitlines()[-1])


def table(results):
    lines = ["", "%-40s %10s   %-26s %s" % ("figure", "value", "target", "where we stand")]
    verdicts = {name: (judge(results), limit) for name, judge, limit in TARGETS}
    for name in ORDER:
        value = results[name]
        text = "%.0f" % value if name.endswith("_kb") else "%.3f" % value if "ratio" in name else "%.2f" % value
        if name in verdicts:
            ok, limit = verdicts[name]
            lines.append("%-40s %10s   %-26s %s" % (name, text, limit, "met" if ok else "MISSED"))
        else:
            lines.append("%-40s %10s" % (name, text))
    return "\n".join(lines)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=os.path.join(here, "..", "build"))
    # Single starts scatter widely on a shared machine; 30 is the fewest
    # whose medians have been worth comparing.
    parser.add_argument("--runs", type=int, default=30)
    parser.add_argument("--settle", type=float, default=1.0,
                        help="seconds after start-up before the resident memory is read")
    parser.add_argument("--instructions", action="store_true",
                        help="also count each start-up's main-thread instructions once under callgrind")
    args = parser.parse_args()
    build = os.path.abspath(args.build)

    for tool in ("Xvfb", "dbus-daemon") + (("valgrind",) if args.instructions else ()):
        if shutil.which(tool) is None:
            print("bench: %s is not installed" % tool, file=sys.stderr)
            return 2
    for rel in ("bin/vornix-support", "bench/bare_qt_window", "bench/static_window", "bench/acd_load_bench",
                "bench/key_to_speech_bench", "bench/startup_stages"):
        if not os.access(os.path.join(build, rel), os.X_OK):
            print("bench: %s/%s is missing: build first" % (build, rel), file=sys.stderr)
            return 2

    workdir = tempfile.mkdtemp(prefix="vx-bench-")
    xvfb = daemon = focus = None
    bus_pid = None
    results = {}
    try:
        xvfb, display = start_xvfb(workdir)
        # A desktop's window manager gives a new window the focus; a bare
        # X server does not, and without it the tool has nothing to announce.
        focus = start_focus_helper(display, workdir)
        daemon = FakeSpeechDaemon(os.path.join(workdir, "speechd.sock"))
        bus_pid, bus_address = start_session_bus()
        runner = Runner(build, workdir, display, daemon, args.settle, bus_address)

        # One start of each first, not counted: it fills the font and disk caches.
        runner.tool()
        runner.tool("off")
        runner.static_copy()
        runner.bare()
        runner.bare(empty=True)
        MEMORY_DETAIL.clear()
        tool_runs, plain_runs, static_runs, bare_runs, empty_runs = [], [], [], [], []
        for i in range(args.runs):
            # The kana reading's cost: the same start with the reading off,
            # before or after the others in turns (a start right after another
            # finds warmer caches).
            if i % 2 == 0:
                plain_runs.append(runner.tool("off"))
            three = measure_three(runner, i)
            tool, static, bare = three["tool"], three["static"], three["bare"]
            tool_runs.append(tool)
            static_runs.append(static)
            bare_runs.append(bare)
            if i % 2 == 1:
                plain_runs.append(runner.tool("off"))
            empty_runs.append(runner.bare(empty=True))
            print("run %2d/%d: tool %6.1f ms %6d kB   static %6.1f ms %6d kB   bare %6.1f ms %6d kB   "
                  "vs static %.2f   vs bare %.2f   empty %6.1f ms"
                  % ((i + 1, args.runs) + tool + static + bare + (tool[0] / static[0], tool[0] / bare[0])
                     + empty_runs[-1][:1]), flush=True)
        stage_runs = [runner.stages() for _ in range(max(3, args.runs // 3))]
        print("first thing the tool said, every run: %r; without the reading: %r"
              % (runner.first_text.get(None), runner.first_text.get("off")))

        results["startup_ms"] = statistics.median(t for t, _ in tool_runs)
        results["startup_no_reading_ms"] = statistics.median(t for t, _ in plain_runs)
        # The median of the run-by-run differences, not the difference of the
        # medians, so that the machine's load in one run cancels out.
        results["startup_reading_cost_ms"] = statistics.median(
            t - p for (t, _), (p, _) in zip(tool_runs, plain_runs))
        results["rss_no_reading_kb"] = statistics.median(r for _, r in plain_runs)
        results["rss_reading_cost_kb"] = statistics.median(r - p for (_, r), (_, p) in zip(tool_runs, plain_runs))
        results["static_window_startup_ms"] = statistics.median(t for t, _ in static_runs)
        results["static_window_rss_kb"] = statistics.median(r for _, r in static_runs)
        results["startup_vs_static_ratio"] = results["startup_ms"] / results["static_window_startup_ms"]
        results["rss_vs_static_ratio"] = statistics.median(r for _, r in tool_runs) / results["static_window_rss_kb"]
        results["rss_no_reading_vs_static_ratio"] = results["rss_no_reading_kb"] / results["static_window_rss_kb"]
        results["bare_qt_startup_ms"] = statistics.median(t for t, _ in bare_runs)
        results["startup_ratio"] = results["startup_ms"] / results["bare_qt_startup_ms"]
        results["rss_kb"] = statistics.median(r for _, r in tool_runs)
        results["bare_qt_rss_kb"] = statistics.median(r for _, r in bare_runs)
        results["rss_ratio"] = results["rss_kb"] / results["bare_qt_rss_kb"]
        results["bare_qt_empty_startup_ms"] = statistics.median(t for t, _ in empty_runs)
        results["bare_qt_empty_rss_kb"] = statistics.median(r for _, r in empty_runs)
        for floor, runs in (("static copy", static_runs), ("bare window", bare_runs)):
            pair_ratios = sorted(t / f for (t, _), (f, _) in zip(tool_runs, runs))
            if len(pair_ratios) >= 2:
                print("startup against the %s, pair by pair: min %.2f, quartiles %.2f / %.2f / %.2f, max %.2f"
                      % (floor, pair_ratios[0], *statistics.quantiles(pair_ratios, n=4, method="inclusive"),
                         pair_ratios[-1]))

        # The same pairing on a machine with no session bus: libdbus then
        # starts one through dbus-launch for each program that asks.
        judged_memory = {name: list(rows) for name, rows in MEMORY_DETAIL.items()}
        runner.use_session_bus(None)
        runner.tool()
        runner.bare()
        lone = [measure_pair(runner, i) for i in range(max(4, args.runs // 3))]
        results["startup_ms_without_session_bus"] = statistics.median(t[0] for t, _ in lone)
        results["bare_qt_startup_ms_without_session_bus"] = statistics.median(b[0] for _, b in lone)
        results["startup_ratio_without_session_bus"] = (results["startup_ms_without_session_bus"]
                                                        / results["bare_qt_startup_ms_without_session_bus"])
        # The memory notes stay those of the judged series.
        MEMORY_DETAIL.clear()
        MEMORY_DETAIL.update(judged_memory)

        if args.instructions:
            # Counted with the session bus back, as the timed series ran.
            runner.use_session_bus(bus_address)
            for program, name in (("tool", "instructions_tool"), ("static_window", "instructions_static_window"),
                                  ("bare_qt_window", "instructions_bare_qt")):
                results[name] = runner.instructions(program)
                print("%s: %.1f M instructions on the main thread" % (program, results[name] / 1e6), flush=True)
    except BenchError as e:
        print("bench: %s (logs kept in %s)" % (e, workdir), file=sys.stderr)
        return 1
    finally:
        if daemon:
            daemon.close()
        stop(focus)
        if focus:
            focus.stdout.close()
        stop(xvfb)
        if bus_pid:
            stop_pid(bus_pid)

    try:
        key = run_json([os.path.join(build, "bench", "key_to_speech_bench"), "10000"], 300, workdir)
        kana = run_json([os.path.join(build, "bench", "key_to_speech_bench"), "10000", "kana"], 300, workdir)
        acd = run_json([os.path.join(build, "bench", "acd_load_bench"), workdir, "15"], 300, workdir)
    except (BenchError, subprocess.TimeoutExpired, ValueError) as e:
        print("bench: %s" % e, file=sys.stderr)
        return 1
    results["key_to_speech_p50_us"] = key["key_to_speech_p50_us"]
    results["key_to_speech_p99_us"] = key["key_to_speech_p99_us"]
    results["key_to_speech_kana_p50_us"] = kana["key_to_speech_p50_us"]
    results["key_to_speech_kana_p99_us"] = kana["key_to_speech_p99_us"]
    results["acd_load_1mb_ms"] = acd["acd_load_1mb_ms"]
    results["acd_load_10mb_ms"] = acd["acd_load_10mb_ms"]

    out_dir = os.path.join(build, "bench")
    os.makedirs(out_dir, exist_ok=True)
    out_path = os.path.join(out_dir, "results.json")
    written = ORDER + tuple(name for name in INSTRUCTIONS if name in results)
    with open(out_path, "w", encoding="utf-8") as f:
        json.dump({name: round(results[name], 3) for name in written}, f, indent=2)
        f.write("\n")
    print(table(results))
    for name in INSTRUCTIONS:
        if name in results:
            print("%-40s %9.1fM" % (name, results[name] / 1e6))
    print("\nwhere the tool's start-up goes (ms since process start, median of %d):" % len(stage_runs))
    previous = 0.0
    for stage in stage_runs[0]:
        at = statistics.median(run[stage] for run in stage_runs)
        print("  %-22s %8.2f  (+%.2f)" % (stage, at, at - previous))
        previous = at
    print("\nresident memory, median kB: anonymous + file-backed (libraries, fonts)"
          " + shared with the X server (the window's image)")
    for program in ("tool", "tool, off", "static", "bare", "empty"):
        rows = MEMORY_DETAIL.get(program, [])
        if rows:
            print("  %-10s %7d + %7d + %5d" % ((program,) + tuple(statistics.median(r[i] for r in rows)
                                                                 for i in range(3))))
    print("\nmedians of %d runs each; written to %s" % (args.runs, out_path))
    shutil.rmtree(workdir, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
