"""The advanced settings dialog, the version dialog and the Help menu's web
pages, opened and answered with the keyboard only."""

import os
import stat
import sys
import time

import harness
from harness import COMMAND2, DEFAULT_TAIL, NAME, acd_bytes, button, field

KODO_TITLE = "高度な設定"
ABOUT_TITLE = "バージョン情報"
POP_PORT = "受信サーバのポート番号は"
LINE_LENGTH = "１行の文字数は"
REPLY_MAIL = "返信先アドレスは"
SMTP_PORT = "送信サーバのポート番号は"
TITLE = "このアカウント設定につける名前は"
KODO_OK = button("OKのプッシュボタン", "Enterは設定して閉じる Tabは次へ")
ABOUT_OK = "VORNIXサポートソフト" + harness.SEPARATOR + "バージョン1.0.0"


class DialogsTest(harness.AppTestCase):

    def open_kodo(self):
        """Command2 reached by Tab and pressed with Enter, as its hint says."""
        self.press(*["Tab"] * 8, expect=COMMAND2)
        mark = self.proxy.mark()
        wid = self.open_window(["Return"], KODO_TITLE)
        return wid, mark

    def test_advanced_settings_are_edited_and_stored_on_ok(self):
        self.start_app()
        self.app.type("山田太郎")
        wid, mark = self.open_kodo()
        # The first control is a check box: the dialog opens in silence.
        self.assertTrue(self.proxy.quiet_for(0.5, since=mark), self.proxy.spoken(mark))
        # The days box is disabled while keeping mail is off: Tab skips it.
        self.press("Tab", expect=field(POP_PORT, "110"))
        self.app.key("ctrl+a")
        # Enter moves on like Tab; the three disabled controls are skipped.
        self.type_then("995", ["Return"], field(LINE_LENGTH, "76"))
        self.app.key("Return")  # to the reply check box, which says nothing
        mark = self.proxy.mark()
        self.app.key("space")   # switches the reply address box on
        self.app.key("Return")
        self.proxy.wait_speak(field(REPLY_MAIL), since=mark)
        self.type_then("reply@example.com", ["Return", "Return"], field(SMTP_PORT, "25"))
        # A blank title takes the sender name when the dialog opens.
        self.press("Return", expect=field(TITLE, "山田太郎"))
        self.press("Return", expect=KODO_OK)
        self.close_window(wid, ["Return"], expect=COMMAND2)

        # Opened again, the dialog shows what OK stored; Esc cancels.
        wid = self.open_window(["Return"], KODO_TITLE)
        self.press("Tab", expect=field(POP_PORT, "995"))
        self.app.key("ctrl+a")
        self.app.type("1")
        self.close_window(wid, ["Escape"], expect=COMMAND2)

        data = self.save_as(self.files_dir() + "/kodo.acd", expect=COMMAND2)
        self.assertEqual(data, acd_bytes(
            "[AccountSection]\r\nTitle=山田太郎\r\nFromName=山田太郎\r\n"
            + DEFAULT_TAIL.replace("ReplyUser=0", "ReplyUser=1").replace("PopPort=110", "PopPort=995")
            + "ReplyMail=reply@example.com\r\n"))

    def test_version_dialog_announces_the_version_and_closes(self):
        self.start_app()
        mark = self.proxy.mark()
        wid = self.open_window(["alt+h", "a"], ABOUT_TITLE)
        self.proxy.wait_speak(ABOUT_OK, since=mark)
        self.close_window(wid, ["Escape"], expect=field(NAME))
        # Enter closes it as well, and it is built afresh each time.
        mark = self.proxy.mark()
        wid = self.open_window(["alt+h", "a"], ABOUT_TITLE)
        self.proxy.wait_speak(ABOUT_OK, since=mark)
        self.close_window(wid, ["Return"], expect=field(NAME))

    def test_browser_opened_from_the_help_menu_inherits_nothing_of_the_program(self):
        # A browser outlives the program: a descriptor it inherited (the
        # speech connection, say) would stay open after the program ended.
        folder = self.files_dir()
        record = os.path.join(folder, "inherited")
        browser = os.path.join(folder, "xdg-open")
        with open(browser, "w") as f:
            f.write("#!%s\nimport os\nfds = ''\n"
                    "for fd in os.listdir('/proc/self/fd'):\n"
                    "    try:\n        target = os.readlink('/proc/self/fd/' + fd)\n"
                    "    except OSError:\n        continue  # the listing's own\n"
                    "    if int(fd) > 2 and target != %r:\n        fds += fd + ' -> ' + target + '\\n'\n"
                    "open(%r, 'w').write(fds)\nos.rename(%r, %r)\n"
                    % (sys.executable, browser, record + ".part", record + ".part", record))
        os.chmod(browser, stat.S_IRWXU)
        app = self.session.new_app()
        env = app.env()
        app.env = lambda: dict(env, PATH=folder + os.pathsep + env["PATH"])
        self.start_app(app)
        self.open_menu("alt+h")
        self.app.key("m")
        deadline = time.monotonic() + 20
        while not os.path.exists(record):
            self.assertLess(time.monotonic(), deadline, "the browser was not started")
            time.sleep(0.1)
        with open(record) as f:
            self.assertEqual(f.read(), "", "descriptors the browser inherited")


if __name__ == "__main__":
    harness.main()
