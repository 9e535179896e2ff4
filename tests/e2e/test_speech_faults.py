"""A speech daemon that dies, hangs or is missing: the tool goes on working in
silence and never freezes.

Without speech there is nothing to wait for after a key, so these tests pace
their keys and then prove that every key arrived where it should: the saved
file holds exactly what was typed into each field."""

import os
import time

import harness
from harness import DEFAULT_TAIL, NAME, acd_bytes, field

PAUSE = 0.4


class SilentWorkMixin:

    menus_are_heard = False

    def silent(self, *keys, text=None):
        if text is not None:
            self.app.type(text)
        if keys:
            self.app.key(*keys, delay_ms=120)
        time.sleep(PAUSE)

    def fill_account_silently(self):
        """Name, address, derivation, password: all by Enter."""
        self.silent("Return", text="山田太郎")            # -> address
        self.silent("Return", text="taro@example.com")    # -> derivation button
        self.silent("Return")                             # derive -> POP
        self.silent("Return", "Return", "Return")         # -> SMTP, ID, password
        self.silent(text="himitsu123")

    def assert_account_saved(self):
        data = self.save_as(os.path.join(self.files_dir(), "silent.acd"))
        self.assertEqual(data, acd_bytes(
            "[AccountSection]\r\nTitle=山田太郎\r\nSmtp=example.com\r\nPop=example.com\r\n"
            "PopUser=taro\r\nPoppass=himitsu123\r\nFromName=山田太郎\r\nFromMail=taro@example.com\r\n"
            + DEFAULT_TAIL))

    def start_silent_app(self, speech_socket=None):
        self.app = self.session.new_app()
        if speech_socket is not None:
            self.app.speech_socket = speech_socket
        started = time.monotonic()
        self.app.start(timeout=30)
        return time.monotonic() - started


class DaemonKilledTest(SilentWorkMixin, harness.AppTestCase):

    def test_daemon_killed_mid_run(self):
        self.start_app()
        self.press("Tab", expect=field(harness.ADDRESS))
        self.press("shift+Tab", expect=field(NAME))
        self.session.daemon.kill()
        killed = self.proxy.mark()
        self.fill_account_silently()
        self.assertTrue(self.app.alive(), self.app.stderr_tail())
        self.assert_account_saved()
        # A dialog still opens and closes: the event loop never blocked.
        wid = self.open_window(["alt+h", "a"], "バージョン情報")
        self.close_window(wid, ["Escape"])
        self.assertTrue(self.app.alive(), self.app.stderr_tail())
        # Speech is off for the rest of the run: no attempt to reconnect.
        self.assertEqual(self.proxy.events_since(killed, "CONNECT"), [])


class ControlCharactersTest(harness.AppTestCase):
    """Texts from a file may hold any control character; none of them may
    cut a message short or put the conversation with the daemon out of step."""

    def test_control_characters_in_a_read_file_keep_speech_in_step(self):
        self.start_app()
        source = os.path.join(self.files_dir(), "ctrl.acd")
        name = "".join(chr(c) for c in range(1, 32) if c not in (10, 13)) + "\x7f名前"
        with open(source, "wb") as f:
            f.write(b"[AccountSection]\r\nFromName=" + name.encode("cp932") + b"\r\n"
                    b"FromMail=a@b.c\r\nPoppass=.\r\n")
        said_name = field(NAME, " " * 30 + "名前")
        self.file_dialog(["alt+f", "o"], harness.OPEN_TITLE, source, expect=said_name)
        # Every later message still arrives whole and in order.
        self.press("Tab", expect=field(harness.ADDRESS, "a@b.c"))
        # A message that is a lone "." must not end the message early.
        self.press("Tab", "Tab", "Tab", "Tab", "Tab", expect=field(harness.PW, "."))
        self.press("Return", expect=harness.COMMAND5)


class DaemonHangsTest(SilentWorkMixin, harness.AppTestCase):
    """The speech socket accepts connections but never answers."""

    with_daemon = False
    proxy_mode = "mute"

    def test_hanging_daemon_neither_blocks_start_nor_keys(self):
        took = self.start_silent_app()
        # A time-out only to stop a hang: the window must come at all.
        self.assertLess(took, 30)
        self.assertTrue(self.proxy.events_since(0, "CONNECT"), "the program never tried to speak")
        self.fill_account_silently()
        self.assert_account_saved()
        # Ending is not held up by the speech that never answered.
        self.assertEqual(self.exit_by_menu(), 0, self.app.stderr_tail())


class NoDaemonTest(SilentWorkMixin, harness.AppTestCase):
    """Nothing listens where the speech socket should be."""

    with_daemon = False
    proxy_mode = "mute"

    def test_missing_daemon_gives_a_silent_working_tool(self):
        self.start_silent_app(speech_socket=os.path.join(self.session.workdir, "absent.sock"))
        self.fill_account_silently()
        self.assert_account_saved()


if __name__ == "__main__":
    harness.main()
