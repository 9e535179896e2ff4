"""The program speaks for itself when nobody else will speak its words, on a
desktop with an accessibility bus: beside a magnifier that follows the focus,
and when the accessibility bus hangs."""

import os
import subprocess
import sys
import time

import harness
import screen_reader as sr
from harness import NAME, field

FOCUS_LISTENER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "focus_listener.py")
# The interpreter Orca runs on: it has libatspi's bindings.
SYSTEM_PYTHON = "/usr/bin/python3"


class WithoutScreenReaderTestCase(sr.ScreenReaderTestCase):
    """The session bus and the accessibility bus, and no Orca."""

    @classmethod
    def setUpClass(cls):
        cls.session = sr.ScreenReaderSession(with_orca=False).start()

    def start_app_until_first_words(self, accessibility=True):
        """Starts the program and waits for its own first words; returns
        the seconds from the start to them."""
        mark = self.proxy.mark()
        self.app = self.session.new_app()
        self.app.accessibility = accessibility
        started = time.monotonic()
        self.app.start()
        self.proxy.wait_speak(field(NAME), since=mark, timeout=20)
        return time.monotonic() - started


class BesideAMagnifier(WithoutScreenReaderTestCase):

    def setUp(self):
        super().setUp()
        self.listener = subprocess.Popen([SYSTEM_PYTHON, FOCUS_LISTENER], env=self.session.desktop_env,
                                         stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                         stderr=subprocess.PIPE, start_new_session=True)
        self.addCleanup(self.listener.stderr.close)
        self.addCleanup(self.listener.stdout.close)
        self.addCleanup(harness._stop_process, self.listener)
        line = self.listener.stdout.readline().decode().strip()
        if line != "listening":
            self.fail("the focus listener did not start: %r %s" % (line, self.listener.stderr.read(2000)))

    def test_a_focus_listener_that_is_no_screen_reader_leaves_the_words_to_the_program(self):
        self.assertIn("Object:StateChanged:Focused", [e for _, e in self.session.a11y.registered_events()])
        self.start_app_until_first_words()


class OnAHungAccessibilityBus(WithoutScreenReaderTestCase):
    """Qt's own accessibility bridge joins the accessibility bus by itself,
    without a bound, when the desktop switches accessibility on or the bus's
    address is on the X display: both are left out here, so that the
    program's own question is what meets the hung bus."""

    @classmethod
    def setUpClass(cls):
        cls.session = sr.ScreenReaderSession(with_orca=False, bus_on_display=False).start()

    def test_the_program_starts_and_speaks_for_itself(self):
        # The bus's daemon takes connections and never answers; its launcher
        # still hands out its address.
        self.session.a11y.hang()
        seconds = self.start_app_until_first_words(accessibility=False)
        sys.stderr.write("e2e: first words %.2f s after the start\n" % seconds)


if __name__ == "__main__":
    sr.main()
