"""One window per user session: a later start hands over to the running one,
and many starts at once still end with exactly one window."""

import os
import subprocess
import time

import harness
from harness import APP_TITLE, NAME, field

STORM_SIZE = int(os.environ.get("VX_E2E_STORM", "50"))


class InstancesTest(harness.AppTestCase):

    def titled_windows(self):
        out = harness.xdotool(self.session.xvfb.display, "search", "--onlyvisible", "--name",
                              "^" + APP_TITLE + "$", check=False)
        return [w for w in out.split() if w]

    def stacking(self):
        """Top-level windows, bottom to top (there is no window manager, so
        they are the root's own children)."""
        out = subprocess.run(["xwininfo", "-root", "-children"],
                             env=dict(os.environ, DISPLAY=self.session.xvfb.display),
                             stdout=subprocess.PIPE, timeout=10, check=True).stdout.decode("utf-8", "replace")
        top_first = [str(int(line.split()[0], 16)) for line in out.splitlines()
                     if line.strip().startswith("0x")]
        return top_first[::-1]

    def cover_screen(self):
        """Another program's window over the whole screen, with the focus."""
        proc = subprocess.Popen(["xmessage", "-geometry", "1280x1024+0+0", "another program"],
                                env=dict(os.environ, DISPLAY=self.session.xvfb.display),
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
        self.addCleanup(harness._stop_process, proc)
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            # xmessage names no process id on its window: found by its class.
            out = harness.xdotool(self.session.xvfb.display, "search", "--onlyvisible", "--class",
                                  "Xmessage", check=False).split()
            tops = [w for w in out if w in self.stacking()]
            if tops:
                harness.xdotool(self.session.xvfb.display, "windowfocus", tops[0])
                # Qt takes a lost focus for real only after a short delay (a
                # focus coming back sooner is no change); wait that out so the
                # program knows it is in the background.
                time.sleep(0.8)
                return tops[0]
            time.sleep(0.1)
        raise AssertionError("the covering window did not show")

    def wait_raised(self, window, over):
        deadline = time.monotonic() + 5
        while True:
            order = self.stacking()
            if order.index(window) > order.index(over):
                return
            self.assertLess(time.monotonic(), deadline, "the running window was not brought to the front")
            time.sleep(0.1)

    def test_second_start_brings_the_first_to_the_front_and_ends(self):
        first = self.start_app()
        cover = self.cover_screen()
        order = self.stacking()
        self.assertLess(order.index(first.window), order.index(cover))
        self.assertNotEqual(first.focused_window(), first.window)

        mark = self.proxy.mark()
        second = self.session.new_app(name="second")
        proc = second.launch()
        self.assertEqual(proc.wait(timeout=20), 0, second.stderr_tail())
        # The running window is raised over the other program. (Taking the
        # input focus as well is the window manager's part; there is none here.)
        self.wait_raised(first.window, cover)
        self.assertEqual(self.titled_windows(), [first.window])
        self.assertTrue(first.alive())
        # The later start created no speech connection of its own.
        self.assertEqual(self.proxy.events_since(mark, "CONNECT"), [])
        # The running one still works when the user gets to it.
        mark = self.proxy.mark()
        first.focus(first.window)
        self.proxy.wait_speak(field(NAME), since=mark)
        self.press("Tab", expect=field(harness.ADDRESS))

    def test_runtime_folder_too_deep_for_a_socket(self):
        """Both starts meet in a short private folder instead; the second
        still reaches the first."""
        mark = self.proxy.mark()
        first = self.session.new_app()
        deep = os.path.join(os.path.dirname(first.runtime), "r" * 120)
        os.makedirs(deep, mode=0o700)
        first.runtime = deep
        self.app = first.start()
        self.proxy.wait_speak(field(NAME), since=mark, timeout=20)
        cover = self.cover_screen()

        second = self.session.new_app(name="second")
        second.runtime = deep
        self.assertEqual(second.launch().wait(timeout=30), 0, second.stderr_tail())
        self.wait_raised(first.window, cover)
        self.assertEqual(self.titled_windows(), [first.window])

    def test_start_storm_leaves_one_window_and_no_stray_process(self):
        apps = [self.session.new_app(name="storm%d" % i) for i in range(STORM_SIZE)]
        storm = self.proxy.mark()
        for app in apps:
            app.launch()
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline:
            running = [a for a in apps if a.alive()]
            if len(running) <= 1 and len(self.titled_windows()) >= 1:
                break
            time.sleep(0.2)
        running = [a for a in apps if a.alive()]
        self.assertEqual(len(running), 1, "%d of %d starts still run" % (len(running), STORM_SIZE))
        # A few seconds later it is still one window, one process: no late
        # second window from a start that lost a race.
        time.sleep(2)
        self.assertEqual(len([a for a in apps if a.alive()]), 1)
        windows = self.titled_windows()
        self.assertEqual(len(windows), 1, windows)
        survivor = running[0]
        self.assertEqual(survivor.visible_windows(), windows)
        failed = [a.proc.returncode for a in apps if a is not survivor and a.proc.returncode != 0]
        self.assertEqual(failed, [], "later starts must end normally")

        # The survivor is a working program: it talks and takes keys.
        survivor.window = windows[0]
        self.app = survivor
        survivor.focus(survivor.window)
        # Only the survivor may speak at all: later starts create no speech
        # connection.
        self.proxy.wait_speak(field(NAME), since=storm, timeout=20)
        self.assertEqual({e.text for e in self.proxy.events_since(storm, "CONNECT")},
                         {str(survivor.proc.pid)})
        self.press("Tab", expect=field(harness.ADDRESS))


if __name__ == "__main__":
    harness.main()
