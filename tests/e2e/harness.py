"""Drives the real vornix-support binary the way a blind user meets it.

A private X server (Xvfb), a private speech daemon and a recording proxy in
front of the daemon's socket: the program talks SSIP to the proxy, the proxy
forwards everything to the daemon and keeps what the program asked to be
spoken. Tests read that record instead of the daemon's log, because the log
would also hold the spoken password.

Every process is started in its own session and stopped by its own PID (or
the process group it leads); nothing is looked up or killed by name.

Standard library only. One file runs on its own:
    python3 tests/e2e/test_files.py --binary build/bin/vornix-support
VX_BINARY names the binary instead of --binary, VX_E2E_SCREENSHOTS=DIR keeps
a screenshot of the screen at each failure, VX_E2E_STORM sets how many starts
the start storm makes (50).
"""

import os
import select
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time
import unittest

SEPARATOR = "、"  # the announcement separator as our back end hands it to the daemon
NOT_REGISTERED = "未登録"
APP_TITLE = "VORNIXサポートソフト"
# What Qt appends to a window title when the application display name is set
# and the title does not already name it: a dialog title must not have it.
QT_TITLE_SUFFIX = " \u2014 " + APP_TITLE

REQUIRED_TOOLS = ("Xvfb", "xdotool", "xmodmap", "speech-dispatcher")
SKIP_EXIT_CODE = 77

_binary_from_argv = None


def default_binary():
    """The binary under test: --binary on the command line, then VX_BINARY,
    then the coordinator's build directory."""
    if _binary_from_argv:
        return _binary_from_argv
    env = os.environ.get("VX_BINARY")
    if env:
        return env
    here = os.path.dirname(os.path.abspath(__file__))
    return os.path.normpath(os.path.join(here, "..", "..", "build", "bin", "vornix-support"))


def main():
    """unittest.main with our own --binary option taken off the command line.

    Exits with SKIP_EXIT_CODE when the tools the harness needs are missing, so
    CTest shows the tests as skipped instead of passed."""
    global _binary_from_argv
    argv = list(sys.argv)
    if "--binary" in argv:
        i = argv.index("--binary")
        _binary_from_argv = argv[i + 1]
        del argv[i:i + 2]
    missing = [t for t in REQUIRED_TOOLS if shutil.which(t) is None]
    if missing:
        print("e2e: missing tools: " + ", ".join(missing), file=sys.stderr)
        sys.exit(SKIP_EXIT_CODE)
    unittest.main(argv=argv, verbosity=2)


def _stop_process(proc, grace=3.0, group=True):
    """SIGTERM, then SIGKILL after `grace` seconds, by PID (or by the process
    group the process leads, which we created with start_new_session)."""
    if proc is None:
        return
    if proc.poll() is None:
        try:
            if group:
                os.killpg(proc.pid, signal.SIGTERM)
            else:
                proc.terminate()
        except ProcessLookupError:
            pass
        try:
            proc.wait(timeout=grace)
        except subprocess.TimeoutExpired:
            pass
    # The group may still hold children (a speech module, say) after the
    # leader went; they belong to us, so they go too.
    if group:
        try:
            os.killpg(proc.pid, signal.SIGKILL)
        except (ProcessLookupError, PermissionError):
            pass
    if proc.poll() is None:
        try:
            proc.kill()
        except ProcessLookupError:
            pass
        try:
            proc.wait(timeout=5)
        except subprocess.TimeoutExpired:
            pass


class Xvfb:
    """A private X server on a display number the server picks itself."""

    def __init__(self, workdir):
        self.workdir = workdir
        self.proc = None
        self.display = None

    def start(self, timeout=15.0):
        rfd, wfd = os.pipe()
        log = open(os.path.join(self.workdir, "xvfb.log"), "wb")
        try:
            # -r: no key repeats itself. xdotool releases a key only halfway
            # through its --delay, and on a loaded machine xdotool can be held
            # up between press and release past the server's repeat delay
            # (660 ms): the key then came twice or more.
            self.proc = subprocess.Popen(
                ["Xvfb", "-displayfd", str(wfd), "-nolisten", "tcp", "-screen", "0", "1280x1024x24",
                 "-noreset", "-r"],
                pass_fds=(wfd,), stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                start_new_session=True)
        finally:
            os.close(wfd)
            log.close()
        data = b""
        deadline = time.monotonic() + timeout
        try:
            while not data.endswith(b"\n"):
                left = deadline - time.monotonic()
                if left <= 0 or self.proc.poll() is not None:
                    raise RuntimeError("Xvfb did not report its display")
                ready, _, _ = select.select([rfd], [], [], left)
                if ready:
                    chunk = os.read(rfd, 64)
                    if not chunk:
                        raise RuntimeError("Xvfb closed its display pipe")
                    data += chunk
        finally:
            os.close(rfd)
        self.display = ":" + data.decode().strip()
        return self

    def stop(self):
        _stop_process(self.proc)
        self.proc = None


class Keymap:
    """Binds the non-ASCII characters that tests type to keys of their own
    before typing them.

    Left alone, `xdotool type` binds each such character to one spare key,
    presses it and unbinds it again; a client that reads the keymap after
    the unbinding sees the wrong character or none, and characters go missing.
    Bound once here, and given the program time to reread the keymap, they are
    typed like any letter. Keys of multimedia functions that no test uses are
    taken; keys without any binding stay free for xdotool's own use."""

    def __init__(self, display):
        self.display = display
        self.mapped = {}
        self.free = None

    def _load_slots(self):
        out = subprocess.run(["xmodmap", "-pke"], env=dict(os.environ, DISPLAY=self.display),
                             stdout=subprocess.PIPE, timeout=10, check=True).stdout.decode()
        slots = []
        for line in out.splitlines():
            parts = line.split()
            if len(parts) >= 4 and parts[0] == "keycode" and parts[3].startswith("XF86"):
                slots.append(int(parts[1]))
        self.free = slots

    def ensure(self, text):
        new = sorted({c for c in text if ord(c) > 0x7E and c not in self.mapped})
        if not new:
            return
        if self.free is None:
            self._load_slots()
        exprs = []
        for c in new:
            if not self.free:
                # Reuse the key of a character bound longest ago.
                old = next(iter(self.mapped))
                self.free.append(self.mapped.pop(old))
            code = self.free.pop(0)
            self.mapped[c] = code
            exprs += ["-e", "keycode %d = U%04X" % (code, ord(c))]
        subprocess.run(["xmodmap"] + exprs, env=dict(os.environ, DISPLAY=self.display),
                       timeout=10, check=True)
        # Clients reread the keymap when told it changed; give them the time.
        time.sleep(0.5)


class SpeechDaemon:
    """A private speech-dispatcher with espeak-ng, Japanese, and audio that
    ends every message without a sound card (ALSA's null device).

    `settings` replaces the audio lines or adds modules (lines of
    speechd.conf); `env` is added to the daemon's environment, which its
    modules inherit."""

    AUDIO_NULL = ['AudioOutputMethod "alsa"', 'AudioALSADevice "null"']

    def __init__(self, workdir, settings=None, env=None):
        self.workdir = workdir
        self.settings = settings if settings is not None else self.AUDIO_NULL
        self.env = env or {}
        self.confdir = os.path.join(workdir, "speechd-conf")
        self.logdir = os.path.join(workdir, "speechd-log")
        self.home = os.path.join(workdir, "speechd-home")
        self.socket_path = os.path.join(workdir, "speechd.sock")
        self.pidfile = os.path.join(workdir, "speechd.pid")
        self.proc = None

    def _write_config(self):
        shutil.copytree("/etc/speech-dispatcher", self.confdir)
        conf = os.path.join(self.confdir, "speechd.conf")
        with open(conf, encoding="utf-8") as f:
            lines = [l for l in f.read().splitlines()
                     if not l.strip().startswith(("LogLevel", "AudioOutputMethod", "DefaultModule",
                                                  "DefaultLanguage", "AddModule", "LanguageDefaultModule"))]
        lines += [
            # Level 1 keeps message texts (the password among them) out of the log.
            "LogLevel 1",
            'AddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"',
            "DefaultModule espeak-ng",
            'DefaultLanguage "ja"',
        ] + list(self.settings)
        with open(conf, "w", encoding="utf-8") as f:
            f.write("\n".join(lines) + "\n")

    def start(self, timeout=15.0):
        self._write_config()
        os.makedirs(self.logdir, exist_ok=True)
        os.makedirs(self.home, exist_ok=True)
        env = dict(os.environ, HOME=self.home, **self.env)
        env.pop("SPEECHD_ADDRESS", None)
        self.proc = subprocess.Popen(
            ["speech-dispatcher", "-s", "-t", "0", "-c", "unix_socket", "-S", self.socket_path,
             "-C", self.confdir, "-L", self.logdir, "-P", self.pidfile],
            env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            start_new_session=True)
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.proc.poll() is not None:
                raise RuntimeError("speech-dispatcher ended at start (exit %s)" % self.proc.returncode)
            if os.path.exists(self.socket_path):
                try:
                    s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
                    s.settimeout(2)
                    s.connect(self.socket_path)
                    s.close()
                    return self
                except OSError:
                    pass
            time.sleep(0.1)
        raise RuntimeError("speech-dispatcher socket did not come up")

    def kill(self):
        """Dies at once, as a crashed daemon would."""
        if self.proc and self.proc.poll() is None:
            try:
                os.killpg(self.proc.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            self.proc.wait(timeout=5)

    def alive(self):
        return self.proc is not None and self.proc.poll() is None

    def stop(self):
        # The daemon can hang on SIGTERM while closing its module: the grace
        # period is short and SIGKILL follows.
        _stop_process(self.proc, grace=2.0)
        self.proc = None
        shutil.rmtree(self.logdir, ignore_errors=True)


class SpeechEvent:
    __slots__ = ("kind", "text", "conn", "time")

    def __init__(self, kind, text, conn):
        self.kind = kind
        self.text = text
        self.conn = conn
        self.time = time.monotonic()

    def __repr__(self):
        return "%s#%d:%r" % (self.kind, self.conn, self.text)


class _SsipClientParser:
    """Splits the client's half of an SSIP conversation into commands and
    message texts. A message starts after a SPEAK command and ends with a
    line holding a single "."; a line that starts with "." is sent with one
    more "." in front."""

    def __init__(self, record, conn):
        self.record = record
        self.conn = conn
        self.buf = b""
        self.in_data = False

    def feed(self, data):
        self.buf += data
        while True:
            if self.in_data:
                if self.buf.startswith(b".\r\n"):
                    end, body = 0, b""
                    rest = 3
                else:
                    end = self.buf.find(b"\r\n.\r\n")
                    if end < 0:
                        return
                    body = self.buf[:end]
                    rest = end + 5
                self.buf = self.buf[rest:]
                self.in_data = False
                if body.startswith(b".."):
                    body = body[1:]
                text = body.replace(b"\r\n..", b"\r\n.").decode("utf-8", "replace")
                self.record(SpeechEvent("SPEAK", text, self.conn))
            else:
                end = self.buf.find(b"\r\n")
                if end < 0:
                    return
                line = self.buf[:end].decode("utf-8", "replace")
                self.buf = self.buf[end + 2:]
                word = line.split(" ", 1)[0].upper()
                if word == "SPEAK":
                    self.in_data = True
                    continue
                if word in ("CANCEL", "STOP", "SET", "QUIT", "BYE"):
                    self.record(SpeechEvent(word, line, self.conn))
                else:
                    self.record(SpeechEvent("CMD", line, self.conn))


class _SsipServerParser:
    """The daemon's half: records which message id a SPEAK got ("QUEUED")
    and how each message ended ("END" when spoken to its end, "CANCELED")."""

    def __init__(self, record, conn):
        self.record = record
        self.conn = conn
        self.buf = b""
        self.params = []

    def feed(self, data):
        self.buf += data
        while True:
            end = self.buf.find(b"\r\n")
            if end < 0:
                return
            line = self.buf[:end].decode("utf-8", "replace")
            self.buf = self.buf[end + 2:]
            if len(line) >= 4 and line[3] == "-":
                self.params.append(line[4:])
                continue
            code, params, self.params = line[:3], self.params, []
            if code == "225" and params:
                self.record(SpeechEvent("QUEUED", params[0], self.conn))
            elif code == "702" and params:
                self.record(SpeechEvent("END", params[0], self.conn))
            elif code == "703" and params:
                self.record(SpeechEvent("CANCELED", params[0], self.conn))


class RecordingProxy:
    """A Unix socket in front of the daemon's: forwards both directions and
    records what clients send. In mode "mute" it accepts connections and
    reads from them but never answers, like a daemon that hangs."""

    def __init__(self, workdir, target_path, mode="forward"):
        self.path = os.path.join(workdir, "proxy.sock")
        self.target_path = target_path
        self.mode = mode
        self.events = []
        self.cond = threading.Condition()
        self._server = None
        self._thread = None
        self._stopping = False
        self._conns = []
        self._next_conn = 0

    def start(self):
        self._server = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self._server.bind(self.path)
        self._server.listen(64)
        self._thread = threading.Thread(target=self._accept_loop, daemon=True)
        self._thread.start()
        return self

    def _record(self, event):
        with self.cond:
            self.events.append(event)
            self.cond.notify_all()

    def _accept_loop(self):
        while not self._stopping:
            try:
                client, _ = self._server.accept()
            except OSError:
                return
            with self.cond:
                conn_id = self._next_conn
                self._next_conn += 1
            # The peer's process id tells which of several starts connected.
            try:
                pid, _, _ = struct.unpack("3i", client.getsockopt(socket.SOL_SOCKET, socket.SO_PEERCRED,
                                                                  struct.calcsize("3i")))
            except OSError:
                pid = 0
            self._record(SpeechEvent("CONNECT", str(pid), conn_id))
            upstream = None
            if self.mode == "forward":
                upstream = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
                try:
                    upstream.connect(self.target_path)
                except OSError:
                    upstream.close()
                    client.close()
                    self._record(SpeechEvent("REFUSED", "", conn_id))
                    continue
            self._conns.append((client, upstream))
            parser = _SsipClientParser(self._record, conn_id)
            threading.Thread(target=self._pump, args=(client, upstream, parser, conn_id),
                             daemon=True).start()
            if upstream is not None:
                threading.Thread(target=self._pump,
                                 args=(upstream, client, _SsipServerParser(self._record, conn_id), conn_id),
                                 daemon=True).start()

    def _pump(self, src, dst, parser, conn_id):
        try:
            while True:
                data = src.recv(65536)
                if not data:
                    break
                if parser is not None:
                    parser.feed(data)
                if dst is not None:
                    dst.sendall(data)
        except OSError:
            pass
        # One side ended: the other must learn it, as it would without us.
        for s in (src, dst):
            if s is not None:
                try:
                    s.shutdown(socket.SHUT_RDWR)
                except OSError:
                    pass
        if isinstance(parser, _SsipClientParser):
            self._record(SpeechEvent("CLOSE", "", conn_id))

    def stop(self):
        self._stopping = True
        if self._server:
            try:
                self._server.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
            self._server.close()
        for client, upstream in self._conns:
            for s in (client, upstream):
                if s is not None:
                    try:
                        s.close()
                    except OSError:
                        pass
        if os.path.exists(self.path):
            os.unlink(self.path)

    # --- reading the record -------------------------------------------------

    def mark(self):
        """Index to pass as `since` so that only later events count."""
        with self.cond:
            return len(self.events)

    def spoken(self, since=0):
        with self.cond:
            return [e.text for e in self.events[since:] if e.kind == "SPEAK"]

    def events_since(self, since=0, kind=None):
        with self.cond:
            return [e for e in self.events[since:] if kind is None or e.kind == kind]

    def wait_for(self, predicate, since=0, timeout=10.0):
        """First event at or after `since` that satisfies the predicate;
        returns (index, event) or raises AssertionError with what was said."""
        deadline = time.monotonic() + timeout
        with self.cond:
            i = since
            while True:
                while i < len(self.events):
                    if predicate(self.events[i]):
                        return i, self.events[i]
                    i += 1
                left = deadline - time.monotonic()
                if left <= 0:
                    said = [e for e in self.events[since:] if e.kind in ("SPEAK", "CONNECT", "CLOSE")]
                    raise AssertionError("timed out; since %d the program sent %r" % (since, said))
                self.cond.wait(left)

    def wait_speak(self, text, since=0, timeout=10.0):
        """Waits until exactly `text` was spoken; returns the index after it."""
        i, _ = self.wait_for(lambda e: e.kind == "SPEAK" and e.text == text, since, timeout)
        return i + 1

    def wait_speak_containing(self, fragment, since=0, timeout=10.0):
        i, e = self.wait_for(lambda e: e.kind == "SPEAK" and fragment in e.text, since, timeout)
        return i + 1, e.text

    def outcome(self, speak_index):
        """How the message recorded at `speak_index` ended, and the index of
        that event: ("END", i), ("CANCELED", i), or (None, None) so far."""
        with self.cond:
            conn = self.events[speak_index].conn
            msg_id = None
            for i in range(speak_index + 1, len(self.events)):
                e = self.events[i]
                if e.conn != conn:
                    continue
                if msg_id is None and e.kind == "QUEUED":
                    msg_id = e.text
                elif msg_id is not None and e.kind in ("END", "CANCELED") and e.text == msg_id:
                    return e.kind, i
            return None, None

    def quiet_for(self, seconds, since):
        """True when nothing was spoken after `since` for `seconds`."""
        time.sleep(seconds)
        return not self.spoken(since)


def xdotool(display, *args, timeout=10.0, check=True):
    env = dict(os.environ, DISPLAY=display)
    res = subprocess.run(["xdotool"] + [str(a) for a in args], env=env, stdout=subprocess.PIPE,
                         stderr=subprocess.PIPE, timeout=timeout)
    if check and res.returncode != 0:
        raise RuntimeError("xdotool %s failed: %s" % (" ".join(map(str, args)),
                                                     res.stderr.decode(errors="replace")))
    return res.stdout.decode("utf-8", "replace")


class App:
    """One run of the program under test."""

    def __init__(self, binary, display, speech_socket, userdir, workdir, name="app", keymap=None):
        self.binary = binary
        self.display = display
        self.keymap = keymap or Keymap(display)
        self.workdir = workdir
        # One private "user" per session: later starts must find the first
        # one through the same runtime folder, as in one login session.
        self.home = os.path.join(userdir, "home")
        self.runtime = os.path.join(userdir, "runtime")
        self.tmp = os.path.join(userdir, "tmp")
        for d in (self.home, self.runtime, self.tmp):
            os.makedirs(d, mode=0o700, exist_ok=True)
        self.speech_socket = speech_socket
        # The tests follow the texts as the program writes them; None leaves
        # the choice of the kana reading to the program (espeak-ng: kana).
        self.speech_reading = "off"
        # No screen reader, whatever the machine's desktop says: the program
        # reads its message boxes, file dialog and menus itself.
        self.screen_reader = "off"
        self.stderr_path = os.path.join(workdir, name + ".stderr")
        self.proc = None
        self.window = None
        self.title_faults = []

    def env(self):
        env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "DISPLAY": self.display,
            "HOME": self.home,
            "XDG_RUNTIME_DIR": self.runtime,
            "TMPDIR": self.tmp,
            "QT_QPA_PLATFORM": "xcb",
            "LANG": "C.UTF-8",
            "LC_ALL": "C.UTF-8",
            # No session bus here: keep Qt from looking for one of the machine's.
            "DBUS_SESSION_BUS_ADDRESS": "unix:path=" + os.path.join(self.runtime, "no-bus"),
            "QT_LOGGING_RULES": "qt.qpa.*=false",
        }
        if self.screen_reader is not None:
            env["VORNIX_SCREEN_READER"] = self.screen_reader
        if self.speech_socket:
            env["SPEECHD_ADDRESS"] = "unix_socket:" + self.speech_socket
        if self.speech_reading is not None:
            env["VORNIX_SPEECH_READING"] = self.speech_reading
        for key in ("ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"):
            if key in os.environ:
                env[key] = os.environ[key]
        return env

    def launch(self):
        err = open(self.stderr_path, "ab")
        try:
            self.proc = subprocess.Popen([self.binary], env=self.env(), cwd=self.home,
                                         stdin=subprocess.DEVNULL, stdout=err, stderr=err,
                                         start_new_session=True)
        finally:
            err.close()
        return self.proc

    def start(self, timeout=20.0):
        """Launches the program, waits for its main window and gives it the
        input focus (there is no window manager to do that)."""
        self.launch()
        self.window = self.wait_window(title=APP_TITLE, timeout=timeout)
        self.focus(self.window)
        return self

    def visible_windows(self, pid=None):
        out = xdotool(self.display, "search", "--onlyvisible", "--pid", pid or self.proc.pid, check=False)
        return [w for w in out.split() if w]

    def window_name(self, wid):
        return xdotool(self.display, "getwindowname", wid, check=False).rstrip("\n")

    def wait_window(self, title=None, exclude=(), timeout=15.0):
        """A visible window of the process, not in `exclude`, whose title is
        `title` (any title when None)."""
        deadline = time.monotonic() + timeout
        seen = []
        while time.monotonic() < deadline:
            if self.proc.poll() is not None:
                raise AssertionError("program ended (exit %s) before its window showed; stderr:\n%s"
                                     % (self.proc.returncode, self.stderr_tail()))
            for wid in self.visible_windows():
                if wid in exclude:
                    continue
                name = self.window_name(wid)
                seen.append(name)
                if title is None or name == title:
                    return wid
                if name == title + QT_TITLE_SUFFIX:
                    # Found, so the scenario can go on; the wrong title itself
                    # fails the test at its end.
                    self.title_faults.append(name)
                    return wid
            time.sleep(0.1)
        raise AssertionError("no window %r appeared; saw %r" % (title, sorted(set(seen))))

    def wait_window_gone(self, wid, timeout=10.0):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if wid not in self.visible_windows():
                return
            time.sleep(0.1)
        raise AssertionError("window %s did not close" % wid)

    def focus(self, wid):
        xdotool(self.display, "windowfocus", wid)
        deadline = time.monotonic() + 5
        while time.monotonic() < deadline:
            if self.focused_window() == wid:
                return
            time.sleep(0.05)
        raise AssertionError("window %s did not take the input focus" % wid)

    def focused_window(self):
        return xdotool(self.display, "getwindowfocus", check=False).strip()

    def key(self, *keys, delay_ms=40):
        xdotool(self.display, "key", "--delay", delay_ms, *keys)

    def type(self, text, delay_ms=30):
        self.keymap.ensure(text)
        xdotool(self.display, "type", "--delay", delay_ms, "--", text, timeout=30 + len(text))

    def alive(self):
        return self.proc is not None and self.proc.poll() is None

    def stderr_tail(self, n=4000):
        try:
            with open(self.stderr_path, "rb") as f:
                return f.read()[-n:].decode("utf-8", "replace")
        except OSError:
            return ""

    def stop(self):
        _stop_process(self.proc, grace=2.0)


class Session:
    """X server + speech daemon + recording proxy for one test class, in one
    private temporary folder that is removed at the end."""

    def __init__(self, with_daemon=True, proxy_mode="forward", daemon_settings=None, daemon_env=None):
        self.workdir = tempfile.mkdtemp(prefix="vx-e2e-")
        self.daemon_settings = daemon_settings
        self.daemon_env = daemon_env
        self.xvfb = None
        self.daemon = None
        self.proxy = None
        self.with_daemon = with_daemon
        self.proxy_mode = proxy_mode
        self.apps = []

    def start(self):
        try:
            self.xvfb = Xvfb(self.workdir).start()
            self.keymap = Keymap(self.xvfb.display)
            target = None
            if self.with_daemon:
                self.daemon = SpeechDaemon(self.workdir, self.daemon_settings, self.daemon_env).start()
                target = self.daemon.socket_path
            self.proxy = RecordingProxy(self.workdir, target, mode=self.proxy_mode).start()
        except BaseException:
            self.stop()
            raise
        return self

    def new_app(self, binary=None, name=None):
        name = name or "app%d" % len(self.apps)
        appdir = os.path.join(self.workdir, name)
        os.makedirs(appdir, exist_ok=True)
        app = App(binary or default_binary(), self.xvfb.display,
                  self.proxy.path if self.proxy else None, os.path.join(self.workdir, "user"), appdir, name,
                  self.keymap)
        self.apps.append(app)
        return app

    def stop_apps(self):
        for app in self.apps:
            app.stop()
        self.apps = []

    def screenshot(self, path):
        if shutil.which("import") and self.xvfb and self.xvfb.display:
            subprocess.run(["import", "-display", self.xvfb.display, "-window", "root", path],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=20)

    def stop(self):
        self.stop_apps()
        if self.proxy:
            self.proxy.stop()
        if self.daemon:
            self.daemon.stop()
        if self.xvfb:
            self.xvfb.stop()
        shutil.rmtree(self.workdir, ignore_errors=True)


def button(label, hint):
    return label + SEPARATOR + hint


# What the main window's controls say when they gain the focus.
NAME = "差出人の名前は"
ADDRESS = "メールアドレスは"
POP = "ポップ受信サーバーは"
SMTP = "SMTP送信サーバーは"
ID = "メールIDまたは、ポップアカウントは"
PW = "メールパスワードは"
COMMAND1 = button("参考に読み込むのプッシュボタン", "Enterは参照 Tabは次へ")
COMMAND2 = button("高度な設定のプッシュボタン", "Enterは高度な設定 Tabは次へ")
COMMAND4 = button("アドレスから自動的にサーバー情報を取り込む", "Enterは取り込み Tabは次へ")
COMMAND5 = button("すべてクリアのプッシュボタン", "Enterはクリア Tabは次へ")
COMBO1 = "参照用プロバイダの選択"
COMBO2 = "閲覧用プロバイダの選択"
HELP_PANE = "詳細ヘルプウインド"
GUIDE_PANE = "説明ウインド、このサポートソフトで作成した"

SAVE_TITLE = "ヴォルニクス用にアカウントデータを作成・保存"
OPEN_TITLE = "ヴォルニクス用のアカウントデータを読み込む"


DEFAULT_TAIL = ("ReplyUser=0\r\nSmtpPort=25\r\nPopPort=110\r\nPopStock=0\r\nPopStockDays=3\r\n"
                "PopWarning=0\r\nPopWarningSize=300\r\nLineLength=76\r\nSmtpAttestationPop=0\r\n"
                "PopAttestation=0\r\n")


def acd_bytes(text):
    # Only characters on which the Windows and the JIS tables agree are used,
    # so Python's codec is a fair reference here.
    return text.encode("cp932")


def field(label, value=""):
    """What a field announcement sends to the daemon."""
    return label + SEPARATOR + (value if value != "" else NOT_REGISTERED)


class AppTestCase(unittest.TestCase):
    """One Session per test class; one fresh program per test, stopped even
    when the test fails. On failure, the speech record and the program's
    stderr are printed, and with VX_E2E_SCREENSHOTS=dir a screenshot is kept."""

    with_daemon = True
    proxy_mode = "forward"
    session = None
    # Whether the program says a menu's name and entry as it opens (it does
    # when it speaks and no screen reader runs).
    menus_are_heard = True

    @classmethod
    def setUpClass(cls):
        cls.session = Session(with_daemon=cls.with_daemon, proxy_mode=cls.proxy_mode).start()

    @classmethod
    def tearDownClass(cls):
        if cls.session:
            cls.session.stop()
            cls.session = None

    def setUp(self):
        self.proxy = self.session.proxy
        self.addCleanup(self.session.stop_apps)
        self.addCleanup(self._report_on_failure)
        self.addCleanup(self._check_titles)

    def _check_titles(self):
        faults = [t for app in self.session.apps for t in app.title_faults]
        self.assertEqual(faults, [], "window titles carry the program name appended by Qt")

    def _report_on_failure(self):
        outcome = getattr(self, "_outcome", None)
        failed = False
        if outcome is not None:
            result = getattr(outcome, "result", None)
            if result is not None:
                failed = any(t is self for t, _ in result.failures + result.errors)
            errors = getattr(outcome, "errors", None)
            if errors:
                failed = failed or any(exc for _, exc in errors)
        if not failed:
            return
        sys.stderr.write("\n--- speech record (%s) ---\n" % self.id())
        for e in self.proxy.events_since(0):
            if e.kind in ("SPEAK", "CANCEL", "CONNECT", "CLOSE", "REFUSED"):
                sys.stderr.write("  %r\n" % (e,))
        for app in self.session.apps:
            tail = app.stderr_tail()
            if tail:
                sys.stderr.write("--- %s stderr ---\n%s\n" % (app.binary, tail))
        shots = os.environ.get("VX_E2E_SCREENSHOTS")
        if shots:
            os.makedirs(shots, exist_ok=True)
            self.session.screenshot(os.path.join(shots, self.id() + ".png"))

    def press(self, *keys, expect, timeout=10.0):
        """Presses keys and waits until `expect` was spoken; returns the
        record index after it."""
        mark = self.proxy.mark()
        self.app.key(*keys)
        return self.proxy.wait_speak(expect, since=mark, timeout=timeout)

    def type_then(self, text, keys, expect, timeout=10.0):
        mark = self.proxy.mark()
        self.app.type(text)
        if keys:
            self.app.key(*keys)
        return self.proxy.wait_speak(expect, since=mark, timeout=timeout)

    def open_window(self, keys, title, timeout=15.0):
        """Presses keys that open a dialog or message box, waits for its
        window and gives it the input focus, as a window manager would."""
        known = set(self.app.visible_windows())
        if len(keys) > 1 and keys[0].startswith("alt+"):
            # A menu: its entry's letter only once the menu holds the
            # keyboard, as a user would; sent sooner it can reach the window.
            known.add(self.open_menu(keys[0], timeout))
            self.app.key(*keys[1:])
        else:
            self.app.key(*keys)
        wid = self.app.wait_window(title=title, exclude=known, timeout=timeout)
        self.app.focus(wid)
        return wid

    def open_menu(self, key, timeout=15.0):
        """Presses a menu's key and returns its window once the menu holds
        the keyboard: shown is not yet holding it, but the program reads a
        menu as it opens and then the entry the keyboard lands on."""
        known = set(self.app.visible_windows())
        mark = self.proxy.mark()
        self.app.key(key)
        popup = self.app.wait_window(exclude=known, timeout=timeout)
        if self.menus_are_heard:
            named, _ = self.proxy.wait_for(lambda e: e.kind == "SPEAK", since=mark, timeout=timeout)
            self.proxy.wait_for(lambda e: e.kind == "SPEAK", since=named + 1, timeout=timeout)
        else:
            # A program without speech gives no sign; a moment has been enough.
            time.sleep(0.3)
        return popup

    def exit_by_menu(self, timeout=15.0):
        """File > exit; returns the program's exit status."""
        self.open_menu("alt+f")
        self.app.key("x")
        return self.app.proc.wait(timeout=timeout)

    def close_window(self, wid, keys, expect=None):
        """Presses keys that close a dialog; then the main window gets the
        input focus back (no window manager does it here) and its focused
        control announces itself again: `expect`, unless None."""
        mark = self.proxy.mark()
        self.app.key(*keys)
        self.app.wait_window_gone(wid)
        self.app.focus(self.app.window)
        if expect is not None:
            return self.proxy.wait_speak(expect, since=mark)
        return mark

    def file_dialog(self, keys, title, path, expect=None):
        """Opens a file dialog by the menu keys, types the path into its
        file-name field (Qt's own dialog puts the focus there) and accepts it
        with Enter."""
        wid = self.open_window(keys, title)
        self.app.key("ctrl+a")
        self.app.type(path)
        return self.close_window(wid, ["Return"], expect)

    def save_as(self, path, expect=None):
        """File > save through the standard dialog. Saving itself says
        nothing; `expect` is what the focused control says when the main
        window is back (None when the program is silent). Returns the bytes."""
        self.file_dialog(["alt+f", "s"], SAVE_TITLE, path, expect)
        deadline = time.monotonic() + 10
        while not os.path.exists(path) and time.monotonic() < deadline:
            time.sleep(0.1)
        self.assertTrue(os.path.exists(path), "no file was saved at " + path)
        if expect is None:
            # No announcement marks the end of the command: give the write
            # that follows the dialog a moment to finish.
            time.sleep(0.5)
        with open(path, "rb") as f:
            return f.read()

    def files_dir(self):
        """An empty folder of this test for the files it saves and reads."""
        d = os.path.join(self.session.workdir, "files-" + self.id().rsplit(".", 1)[-1])
        os.makedirs(d, exist_ok=True)
        return d

    def start_app(self, app=None):
        """Starts the program (a new one, or `app`) and waits for its first
        announcement, that of the empty sender-name field."""
        mark = self.proxy.mark()
        self.app = (app or self.session.new_app()).start()
        self.after_start = self.proxy.wait_speak(field(NAME), since=mark, timeout=20)
        return self.app
