"""The Open JTalk speech module beside the program under test.

The module (sd_vornix-jtalk, built beside the program) is named in the
private daemon's configuration with AddModule, the way the tests' daemons
load modules; it writes every line it says to a trace file, which tells the
tests that it, and not espeak-ng, spoke. A private PulseAudio server with a
null sink lets a test record what the daemon played and measure it with sox.

Every process is started in its own session and stopped by its PID; nothing
is looked up or killed by name. Standard library only.
"""

import os
import shutil
import signal
import subprocess
import sys
import time

import harness

MODULE = "vornix-jtalk"
VOICE = "/usr/share/hts-voice/nitech-jp-atr503-m001/nitech_jp_atr503_m001.htsvoice"
REQUIRED_TOOLS = ("open_jtalk", "pulseaudio", "parec", "sox", "soxi")


def missing():
    """What this machine lacks for the module's tests, as words."""
    lacks = [t for t in REQUIRED_TOOLS if shutil.which(t) is None]
    if not os.path.exists(VOICE):
        lacks.append(VOICE)
    if not os.access(module_binary(), os.X_OK):
        lacks.append(module_binary())
    return lacks


def main():
    """harness.main, skipped when the module, Open JTalk, its voice or the
    sound tools are missing (make test installs them all)."""
    lacks = missing()
    if lacks:
        print("e2e: missing for the Open JTalk module: " + ", ".join(lacks), file=sys.stderr)
        sys.exit(harness.SKIP_EXIT_CODE)
    harness.main()


def module_binary():
    return os.path.join(os.path.dirname(os.path.abspath(harness.default_binary())), "sd_vornix-jtalk")


def daemon_settings(audio, ja_default=False):
    """speechd.conf lines: espeak-ng (from the harness) and the module, with
    the module as the daemon's choice for Japanese when asked."""
    lines = ['AddModule "%s" "%s" "%s.conf"' % (MODULE, module_binary(), MODULE)] + list(audio)
    if ja_default:
        lines.append('LanguageDefaultModule "ja" "%s"' % MODULE)
    return lines


class Trace:
    """The module's trace: "text" lines (what it said), "words" (Open JTalk's
    reading), "stop", "error"."""

    def __init__(self, path):
        self.path = path

    def entries(self):
        try:
            with open(self.path, encoding="utf-8") as f:
                return [tuple(l.rstrip("\n").split("\t", 1)) for l in f if "\t" in l]
        except OSError:
            return []

    def mark(self):
        return len(self.entries())

    def said(self, since=0):
        return [text for kind, text in self.entries()[since:] if kind == "text"]

    def errors(self, since=0):
        return [text for kind, text in self.entries()[since:] if kind == "error"]

    def wait_said(self, lines, since=0, timeout=20.0):
        """Waits until the module has said these lines, in this order, after
        the mark; returns all it said since."""
        deadline = time.monotonic() + timeout
        while True:
            said = self.said(since)
            if said[:len(lines)] == list(lines) or time.monotonic() > deadline:
                return said
            time.sleep(0.05)


class PulseNullSink:
    """A private PulseAudio server whose only sink plays into nothing; its
    monitor source hears what the sink was given."""

    SINK = "vx_null"

    def __init__(self, workdir):
        self.dir = os.path.join(workdir, "pulse")
        self.socket = os.path.join(self.dir, "native")
        self.proc = None

    @property
    def server(self):
        return "unix:" + self.socket

    def start(self, timeout=15.0):
        for sub in ("", "home", "runtime"):
            os.makedirs(os.path.join(self.dir, sub), mode=0o700, exist_ok=True)
        script = os.path.join(self.dir, "default.pa")
        with open(script, "w") as f:
            f.write("load-module module-null-sink sink_name=%s rate=48000 channels=1\n" % self.SINK)
            f.write("load-module module-native-protocol-unix socket=%s auth-anonymous=1\n" % self.socket)
            f.write("set-default-sink %s\n" % self.SINK)
        env = dict(os.environ, HOME=os.path.join(self.dir, "home"), XDG_RUNTIME_DIR=os.path.join(self.dir, "runtime"))
        env.pop("PULSE_SERVER", None)
        log = open(os.path.join(self.dir, "pulseaudio.log"), "wb")
        try:
            self.proc = subprocess.Popen(
                ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
                 "--disable-shm=yes", "--system=false", "-F", script],
                env=env, stdin=subprocess.DEVNULL, stdout=log, stderr=log, start_new_session=True)
        finally:
            log.close()
        deadline = time.monotonic() + timeout
        while subprocess.run(["pactl", "--server", self.server, "info"], stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL).returncode != 0:
            if self.proc.poll() is not None or time.monotonic() > deadline:
                raise RuntimeError("PulseAudio did not start; see %s/pulseaudio.log" % self.dir)
            time.sleep(0.1)
        return self

    def record(self, path):
        """Starts recording the sink to a 48 kHz mono WAV file; stop() the
        returned process to finish the file."""
        return subprocess.Popen(
            ["parec", "--server", self.server, "-d", self.SINK + ".monitor", "--file-format=wav",
             "--rate=48000", "--channels=1", "--format=s16le", path],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            start_new_session=True)

    def stop(self):
        harness._stop_process(self.proc)
        self.proc = None


def stop_recording(recorder):
    """parec writes the WAV header's sizes when it is interrupted."""
    if recorder.poll() is None:
        recorder.send_signal(signal.SIGINT)
        try:
            recorder.wait(timeout=5)
        except subprocess.TimeoutExpired:
            harness._stop_process(recorder, group=False)


def seconds(wav):
    return float(subprocess.run(["soxi", "-D", wav], stdout=subprocess.PIPE, check=True).stdout)


def voiced_seconds(wav):
    """The length of the recording from its first to its last sound above
    -50 dBFS, as sox's silence effect finds them."""
    voiced = wav[:-4] + "-voiced.wav"
    subprocess.run(["sox", wav, voiced, "silence", "1", "0.01", "-50d", "reverse", "silence", "1", "0.01", "-50d",
                    "reverse"], check=True)
    return seconds(voiced)
