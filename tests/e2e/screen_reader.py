"""The Linux screen reader beside the program under test.

A private session bus, the accessibility bus on it and Orca, started for one
test class on the harness's X server. Orca speaks through the same recording
proxy as the program, on a connection of its own that names itself
"...:Orca:..." (SSIP CLIENT_NAME), so a test can tell Orca's words from the
program's. Orca wraps its texts in SSML; `utterances` hands them back as
plain text.

Every process is started in its own session and stopped by its PID or the
process group it leads; nothing is looked up or killed by name. That is also
why Orca is started without --replace: that option kills every other Orca of
the same user, found by name. Orca refuses to start while another one of the
user runs; the start then fails with Orca's own message.

Standard library only; the bus is driven with dbus-send. VX_E2E_ORCA_DEBUG=FILE
keeps Orca's own debug log of the run.
"""

import html
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import time

import harness
from harness import App, AppTestCase, Session, _stop_process

BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
REQUIRED_TOOLS = ("orca", "dbus-daemon", "dbus-send")

A11Y_BUS = "org.a11y.Bus"
ORCA = "orca"
PROGRAM = "program"


def missing_tools():
    missing = [t for t in REQUIRED_TOOLS if shutil.which(t) is None]
    if not os.access(BUS_LAUNCHER, os.X_OK):
        missing.append(BUS_LAUNCHER)
    return missing


def main():
    """harness.main, reporting the tests as skipped when the screen reader or
    the buses cannot be started on this machine."""
    missing = missing_tools()
    if missing:
        print("e2e: missing tools for the screen reader: " + ", ".join(missing), file=sys.stderr)
        sys.exit(harness.SKIP_EXIT_CODE)
    harness.main()


def _ahead_of_the_load(argv):
    """argv run at a raised priority where the tests may raise it (root, or
    CAP_SYS_NICE), else as it is ("nice" says so in the log and runs it).

    Qt's bridge hands every key to the screen reader and waits 100 ms for its
    answer, then passes the key on without it ("keyEventError NoReply" on the
    program's stderr), and keys go astray: on a machine busy on both cores
    a menu key then opened no menu, three tries in a row. Orca and the
    accessibility bus that carries the question (the launcher, its bus and
    the registry, which inherit the priority) get the processor first, as a
    screen reader's answer within that time is what Qt counts on."""
    return ["nice", "-n", "-10"] + argv


def _popen(argv, env, workdir, name, pass_fds=()):
    log = open(os.path.join(workdir, name + ".log"), "ab")
    try:
        return subprocess.Popen(argv, env=env, cwd=env.get("HOME", "/"), stdin=subprocess.DEVNULL,
                                stdout=log, stderr=log, pass_fds=pass_fds, start_new_session=True)
    finally:
        log.close()


def _log_tail(workdir, name, n=2000):
    try:
        with open(os.path.join(workdir, name + ".log"), "rb") as f:
            return f.read()[-n:].decode("utf-8", "replace")
    except OSError:
        return ""


class SessionBus:
    """A private D-Bus session bus. Its address is read from the pipe the
    daemon prints it to once it accepts connections."""

    def __init__(self, workdir):
        self.workdir = workdir
        self.proc = None
        self.address = None

    def start(self, env, timeout=10.0):
        rfd, wfd = os.pipe()
        try:
            self.proc = _popen(["dbus-daemon", "--session", "--nofork", "--nopidfile",
                                "--address=unix:path=" + os.path.join(self.workdir, "session-bus"),
                                "--print-address=%d" % wfd], env, self.workdir, "session-bus", pass_fds=(wfd,))
        finally:
            os.close(wfd)
        data = b""
        deadline = time.monotonic() + timeout
        try:
            while not data.endswith(b"\n"):
                left = deadline - time.monotonic()
                if left <= 0 or self.proc.poll() is not None:
                    raise RuntimeError("the session bus did not report its address: "
                                       + _log_tail(self.workdir, "session-bus"))
                if select.select([rfd], [], [], left)[0]:
                    chunk = os.read(rfd, 256)
                    if not chunk:
                        raise RuntimeError("the session bus closed its address pipe")
                    data += chunk
        finally:
            os.close(rfd)
        self.address = data.decode().strip()
        return self

    def send(self, dest, path, method, *args, address=None, timeout=5.0):
        """dbus-send with a reply, on this bus or on the bus at `address`;
        returns its output, or None when the call failed (no such name, no
        such method, time-out)."""
        res = subprocess.run(["dbus-send", "--bus=" + (address or self.address), "--print-reply", "--reply-timeout=%d" % int(timeout * 1000),
                              "--dest=" + dest, path, method] + list(args),
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=timeout + 5)
        return res.stdout.decode("utf-8", "replace") if res.returncode == 0 else None

    def has_owner(self, name):
        out = self.send("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
                        "string:" + name)
        return out is not None and "boolean true" in out

    def stop(self):
        _stop_process(self.proc)
        self.proc = None


class AccessibilityBus:
    """at-spi-bus-launcher on the session bus: it owns org.a11y.Bus, runs the
    accessibility bus and, on it, the registry that screen readers register
    their event listeners with. The launcher's process group holds all three,
    so stopping the group stops them all."""

    def __init__(self, workdir, session_bus):
        self.workdir = workdir
        self.bus = session_bus
        self.proc = None
        self.stopped = []

    def start(self, env, timeout=10.0):
        self.proc = _popen(_ahead_of_the_load([BUS_LAUNCHER, "--launch-immediately"]), env, self.workdir,
                           "a11y-bus")
        # The launcher tells nobody when it owns its name; asking is cheap and
        # it takes well under a second.
        deadline = time.monotonic() + timeout
        while not self.bus.has_owner(A11Y_BUS):
            if self.proc.poll() is not None or time.monotonic() > deadline:
                raise RuntimeError("the accessibility bus did not come up: " + _log_tail(self.workdir, "a11y-bus"))
            time.sleep(0.05)
        return self

    def status(self):
        """org.a11y.Status as {"IsEnabled": bool, "ScreenReaderEnabled": bool}."""
        out = {}
        for prop in ("IsEnabled", "ScreenReaderEnabled"):
            reply = self.bus.send(A11Y_BUS, "/org/a11y/bus", "org.freedesktop.DBus.Properties.Get",
                                  "string:org.a11y.Status", "string:" + prop)
            out[prop] = reply is not None and "boolean true" in reply
        return out

    def set_screen_reader_enabled(self, enabled):
        """What the desktop's screen-reader switch does (Orca itself leaves
        the flag alone); turning it on turns IsEnabled on too."""
        reply = self.bus.send(A11Y_BUS, "/org/a11y/bus", "org.freedesktop.DBus.Properties.Set",
                              "string:org.a11y.Status", "string:ScreenReaderEnabled",
                              "variant:boolean:" + ("true" if enabled else "false"))
        if reply is None:
            raise RuntimeError("the accessibility bus refused ScreenReaderEnabled")

    def address(self):
        reply = self.bus.send(A11Y_BUS, "/org/a11y/bus", "org.a11y.Bus.GetAddress")
        found = re.search(r'string "([^"]*)"', reply or "")
        return found.group(1) if found else None

    def registered_events(self):
        """The event listeners registered with the registry, as (bus name,
        event) pairs: a screen reader registers its own when it starts."""
        address = self.address()
        if not address:
            return []
        reply = self.bus.send("org.a11y.atspi.Registry", "/org/a11y/atspi/registry",
                              "org.a11y.atspi.Registry.GetRegisteredEvents", address=address)
        return re.findall(r'string "([^"]*)"\s+string "([^"]*)"', reply or "")

    def application_names(self, timeout=5.0):
        """The names of the applications on the accessibility bus, as the
        registry's desktop root lists them; one that does not answer within
        `timeout` seconds is left out."""
        address = self.address()
        if not address:
            return []
        reply = self.bus.send("org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root",
                              "org.a11y.atspi.Accessible.GetChildren", address=address)
        names = []
        for app, path in re.findall(r'string "([^"]*)"\s+object path "([^"]*)"', reply or ""):
            name = self.bus.send(app, path, "org.freedesktop.DBus.Properties.Get", "string:org.a11y.atspi.Accessible",
                                 "string:Name", address=address, timeout=timeout)
            found = re.search(r'variant\s+string "([^"]*)"', name or "")
            if found:
                names.append(found.group(1))
        return names

    def wait_until_answering(self, name, timeout=60.0):
        """Returns once the application `name` answers the question the
        program asks at its start (its name, on this bus) within half a
        second. Orca still busy with what came before answers late; the
        program, started then, would find no screen reader in its time and
        speak for itself."""
        deadline = time.monotonic() + timeout
        while name not in self.application_names(timeout=0.5):
            if time.monotonic() > deadline:
                raise AssertionError("%s did not answer on the accessibility bus in %.0f s" % (name, timeout))
            time.sleep(0.1)

    def hang(self):
        """Stops the launcher's children, the accessibility bus's daemon
        among them (SIGSTOP): the bus's socket still takes connections but
        nobody answers, while the launcher still hands out its address."""
        # The launcher answers only once it has its bus running; stopped
        # before that, it would hang itself.
        address = self.address()
        if not address or self.bus.send("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                        "org.freedesktop.DBus.GetId", address=address) is None:
            raise RuntimeError("the accessibility bus does not answer before it is stopped")
        for task in os.listdir("/proc/%d/task" % self.proc.pid):
            with open("/proc/%d/task/%s/children" % (self.proc.pid, task)) as f:
                self.stopped += [int(pid) for pid in f.read().split()]
        if not self.stopped:
            raise RuntimeError("the accessibility bus launcher has no bus to stop")
        for pid in self.stopped:
            os.kill(pid, signal.SIGSTOP)
        if self.address() != address:
            raise RuntimeError("the accessibility bus launcher no longer answers")

    def stop(self):
        for pid in self.stopped:
            try:
                os.kill(pid, signal.SIGCONT)
            except ProcessLookupError:
                pass
        self.stopped = []
        _stop_process(self.proc)
        self.proc = None


# Another test run of the same user (on a shared machine) may have its Orca up
# for a while; Orca refuses to start beside it.
OTHER_ORCA_PATIENCE = 90.0


def wait_for_no_other_orca(deadline):
    """Returns once no Orca of this user runs, as Orca itself checks, or at the
    deadline; Orca's own message then says why it did not start."""
    while time.monotonic() < deadline:
        found = subprocess.run(["pgrep", "-u", str(os.getuid()), "-x", "orca"], stdout=subprocess.DEVNULL)
        if found.returncode != 0:
            return
        time.sleep(0.5)


class Orca:
    """Orca with a settings folder of its own, speaking through the proxy."""

    def __init__(self, workdir, proxy):
        self.workdir = workdir
        self.proxy = proxy
        self.proc = None
        # Where Orca keeps its settings when started without -u: a program
        # that looks for the user's Orca settings finds them there as well.
        self.data_home = os.path.join(workdir, "orca-data")
        self.prefs = os.path.join(self.data_home, "orca")

    def start(self, env, timeout=30.0):
        """Starts Orca and waits for its first words ("Screen reader on."):
        it says them once its listeners are registered."""
        os.makedirs(self.prefs, exist_ok=True)
        env = dict(env, XDG_DATA_HOME=self.data_home, SPEECHD_ADDRESS="unix_socket:" + self.proxy.path)
        argv = [ORCA, "-u", self.prefs]
        debug_file = os.environ.get("VX_E2E_ORCA_DEBUG")
        if debug_file:
            argv.append("--debug-file=" + os.path.abspath(debug_file))
        mark = self.proxy.mark()
        deadline = time.monotonic() + timeout
        wait_for_no_other_orca(deadline + OTHER_ORCA_PATIENCE)
        self.proc = _popen(_ahead_of_the_load(argv), env, self.workdir, "orca")
        while True:
            if self.proc.poll() is not None:
                raise RuntimeError("Orca ended at start (exit %s): %s"
                                   % (self.proc.returncode, _log_tail(self.workdir, "orca")))
            try:
                utterance(self.proxy, ORCA, since=mark, timeout=min(1.0, max(0.0, deadline - time.monotonic())))
                return self
            except AssertionError:
                if time.monotonic() > deadline:
                    raise RuntimeError("Orca said nothing within %.0f s: %s"
                                       % (timeout, _log_tail(self.workdir, "orca")))

    def stop(self):
        # SIGTERM: Orca says "Screen reader off." and ends.
        _stop_process(self.proc, grace=3.0)
        self.proc = None


# --- telling the speakers apart -------------------------------------------

_TAG = re.compile(r"<[^>]*>")


def plain(text):
    """An SSIP text without Orca's SSML markup."""
    return html.unescape(_TAG.sub("", text)).strip()


def speakers(proxy):
    """Which connection is whose: {connection id: ORCA or PROGRAM}, from the
    client name each one sets. Connections that never name themselves (the
    program's single-instance probe, say) are left out."""
    out = {}
    for e in proxy.events_since(0, "SET"):
        words = e.text.split()
        if len(words) >= 4 and words[1].upper() == "SELF" and words[2].upper() == "CLIENT_NAME":
            name = words[3].strip('"')
            out[e.conn] = ORCA if ":orca:" in (":" + name.lower() + ":") else PROGRAM
    return out


def utterances(proxy, since=0, who=None):
    """What was said since the mark, in order, as (speaker, plain text); only
    `who`'s words when given."""
    names = speakers(proxy)
    said = [(names.get(e.conn), plain(e.text)) for e in proxy.events_since(since, "SPEAK")]
    return [u for u in said if who is None or u[0] == who]


def utterance(proxy, who, text=None, since=0, timeout=10.0, contains=False):
    """Waits until `who` said `text` (exactly, or containing it); with no
    text, anything. Returns the record index after it."""
    def match(e):
        if e.kind != "SPEAK" or speakers(proxy).get(e.conn) != who:
            return False
        said = plain(e.text)
        return text is None or (text in said if contains else said == text)
    i, _ = proxy.wait_for(match, since=since, timeout=timeout)
    return i + 1


def field_name(label):
    """What Orca says first of a focused entry field that carries the
    program's words: its spoken label and the role."""
    return label + " text."


def said(text):
    """One of Orca's utterances of a text: Orca ends each with a full stop."""
    return text + "."


# --- one test class's world -----------------------------------------------

class ScreenReaderApp(App):
    """The program on the private session bus, joining the accessibility bus
    as it would when a screen reader runs."""

    def __init__(self, *args, bus_address, orca_data_home, **kwargs):
        super().__init__(*args, **kwargs)
        # The program finds the screen reader on the bus by itself.
        self.screen_reader = None
        # Whether Qt joins the accessibility bus, as it does when a screen
        # reader or the desktop asks for it.
        self.accessibility = True
        self.bus_address = bus_address
        self.orca_data_home = orca_data_home

    def env(self):
        env = super().env()
        env["DBUS_SESSION_BUS_ADDRESS"] = self.bus_address
        if self.accessibility:
            env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        # Where the user's Orca settings are, as on a desktop.
        env["XDG_DATA_HOME"] = self.orca_data_home
        return env


class ScreenReaderSession(Session):
    """The harness's session plus a session bus, the accessibility bus and
    Orca (unless left out), in this order; stopped in the reverse order.
    `desktop_env` is the environment the desktop's own programs run in.
    With `bus_on_display` the bus launcher also publishes the accessibility
    bus's address on the X display, as on an X11 desktop; Qt's own bridge
    then joins that bus whatever the desktop's switches say."""

    def __init__(self, with_orca=True, bus_on_display=True, locale="C.UTF-8", **daemon):
        super().__init__(with_daemon=True, **daemon)
        self.locale = locale
        self.with_orca = with_orca
        self.bus_on_display = bus_on_display
        self.bus = None
        self.a11y = None
        self.orca = None
        self.desktop_env = None

    def start(self):
        super().start()
        try:
            home = os.path.join(self.workdir, "desktop-home")
            runtime = os.path.join(self.workdir, "desktop-runtime")
            for d in (home, runtime):
                os.makedirs(d, mode=0o700, exist_ok=True)
            env = {
                "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
                "DISPLAY": self.xvfb.display,
                "HOME": home,
                "XDG_RUNTIME_DIR": runtime,
                "XDG_CONFIG_HOME": os.path.join(home, ".config"),
                # Orca's role words ("push button") come in English, unless
                # a test asks for another locale.
                "LANG": self.locale,
                "LC_ALL": self.locale,
                # Orca turns accessibility on in the desktop settings, which the
                # bus launcher keeps: in memory here, not in a settings store.
                "GSETTINGS_BACKEND": "memory",
            }
            self.bus = SessionBus(self.workdir).start(env)
            env["DBUS_SESSION_BUS_ADDRESS"] = self.bus.address
            launcher_env = dict(env)
            if not self.bus_on_display:
                del launcher_env["DISPLAY"]
            self.a11y = AccessibilityBus(self.workdir, self.bus).start(launcher_env)
            self.desktop_env = env
            self.orca = Orca(self.workdir, self.proxy)
            if self.with_orca:
                self.orca.start(env)
        except BaseException:
            self.stop()
            raise
        return self

    def new_app(self, binary=None, name=None):
        name = name or "app%d" % len(self.apps)
        appdir = os.path.join(self.workdir, name)
        os.makedirs(appdir, exist_ok=True)
        app = ScreenReaderApp(binary or harness.default_binary(), self.xvfb.display, self.proxy.path,
                              os.path.join(self.workdir, "user"), appdir, name, self.keymap,
                              bus_address=self.bus.address, orca_data_home=self.orca.data_home)
        self.apps.append(app)
        return app

    def stop(self):
        self.stop_apps()
        for part in (self.orca, self.a11y, self.bus):
            if part is not None:
                part.stop()
        self.orca = self.a11y = self.bus = None
        super().stop()


class ScreenReaderTestCase(AppTestCase):
    """AppTestCase with Orca running beside the program."""

    @classmethod
    def setUpClass(cls):
        cls.session = ScreenReaderSession().start()

    def _report_on_failure(self):
        # Who said what helps more here than the raw record.
        outcome = getattr(self, "_outcome", None)
        result = getattr(outcome, "result", None)
        if result is not None and any(t is self for t, _ in result.failures + result.errors):
            sys.stderr.write("\n--- who said what (%s) ---\n" % self.id())
            for who, text in utterances(self.proxy):
                sys.stderr.write("  %-7s %r\n" % (who, text))
        super()._report_on_failure()

    def open_by_menu(self, menu_key, first_entry, entry_key, title, timeout=15.0, patience=60.0):
        """Opens a dialog or message box through a menu. The entry's key goes
        only once Orca has read the menu's first entry, that is once the menu
        holds the keyboard; on a loaded machine Orca takes seconds for that.

        A menu shows within moments of its key, or never: while Orca sets
        itself up for the program (in the first seconds after the window
        shows, and again after a box closed; on a loaded machine for many
        seconds) a menu key was seen to open nothing, or the menu without the
        keyboard. Such a key is pressed again, for as long as `patience`."""
        known = set(self.app.visible_windows())
        deadline = time.monotonic() + patience
        attempt = 0
        while True:
            attempt += 1
            mark = self.proxy.mark()
            self.app.key(menu_key)
            try:
                self.app.wait_window(exclude=known, timeout=3.0)
                utterance(self.proxy, ORCA, first_entry, since=mark, contains=True, timeout=timeout)
                break
            except AssertionError:
                sys.stderr.write("e2e: menu %s not read by Orca (try %d)\n" % (menu_key, attempt))
                if time.monotonic() > deadline:
                    self.fail("the menu %s never took the keyboard" % menu_key)
                self.app.key("Escape")
                self.app.key("Escape")
                self.app.focus(self.app.window)
        known.update(self.app.visible_windows())
        self.app.key(entry_key)
        wid = self.app.wait_window(title=title, exclude=known, timeout=timeout)
        self.app.focus(wid)
        return wid

    def wait_for_orca(self, timeout=15.0):
        """Returns once Orca has echoed F12, a key the program leaves alone:
        Orca has then caught up with the keys pressed before it. A key
        pressed while Orca is still busy reaches the program without waiting
        for Orca (Qt waits 100 ms for its answer), so Orca may learn of the
        key only after its effect; and the program was seen to miss the last
        letters typed just before the next key."""
        mark = self.proxy.mark()
        self.app.key("F12")
        utterance(self.proxy, ORCA, "F12", since=mark, timeout=timeout)

    def start_app(self):
        """Starts the program; returns once Orca has presented its window
        and read the first field, so keys reach both. The program itself
        leaves the focus words to Orca."""
        mark = self.proxy.mark()
        self.session.a11y.wait_until_answering("orca")
        self.app = self.session.new_app().start()
        utterance(self.proxy, ORCA, harness.APP_TITLE, since=mark, contains=True, timeout=20)
        self.after_start = utterance(self.proxy, ORCA, field_name(harness.NAME), since=mark, timeout=20)
        return self.app

    def orca_press(self, *keys, says, timeout=10.0):
        """Presses keys and waits until Orca said `says` (exactly, as Orca
        ends it with a full stop). Returns the mark taken before the keys."""
        mark = self.proxy.mark()
        self.app.key(*keys)
        utterance(self.proxy, ORCA, says, since=mark, timeout=timeout)
        return mark
