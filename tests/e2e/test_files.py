"""Saving and reading account files through the File menu and the standard
file dialog, and clearing the account with its question."""

import os
import stat

import harness
from harness import (ADDRESS, COMMAND4, COMMAND5, DEFAULT_TAIL, ID, NAME, OPEN_TITLE, POP, PW, SMTP,
                     acd_bytes, field)

CLEAR_TITLE = "すべてクリア"


class FileCommandsTest(harness.AppTestCase):

    def path(self, name):
        return os.path.join(self.files_dir(), name)

    def fill_account(self):
        self.type_then("山田太郎", ["Return"], field(ADDRESS))
        self.type_then("taro@example.com", ["Return"], COMMAND4)
        self.press("Return", expect=field(POP, "example.com"))
        self.press("Return", expect=field(SMTP, "example.com"))
        self.press("Return", expect=field(ID, "taro"))
        self.press("Return", expect=field(PW))
        self.app.type(" himitsu123 ")

    def test_save_writes_the_account_file(self):
        self.start_app()
        self.fill_account()
        pw_said = field(PW, " himitsu123 ")
        data = self.save_as(self.path("taro.acd"), expect=pw_said)
        # Trimmed values, the title taken from the sender name, every line
        # ending in CR LF, Shift-JIS.
        self.assertEqual(data, acd_bytes(
            "[AccountSection]\r\nTitle=山田太郎\r\nSmtp=example.com\r\nPop=example.com\r\n"
            "PopUser=taro\r\nPoppass=himitsu123\r\nFromName=山田太郎\r\nFromMail=taro@example.com\r\n"
            + DEFAULT_TAIL))
        # The file holds a password: nobody else may read it.
        mode = stat.S_IMODE(os.stat(self.path("taro.acd")).st_mode)
        self.assertEqual(mode & 0o077, 0, oct(mode))
        # Nothing else was left in the folder (no temporary file).
        self.assertEqual(os.listdir(self.files_dir()), ["taro.acd"])

    def test_empty_account_saves_the_eleven_default_lines(self):
        self.start_app()
        data = self.save_as(self.path("empty.acd"), expect=field(NAME))
        self.assertEqual(data, acd_bytes("[AccountSection]\r\n" + DEFAULT_TAIL))

    def test_file_is_read_back_into_the_window(self):
        self.start_app()
        source = self.path("in.acd")
        with open(source, "wb") as f:
            f.write(acd_bytes(
                "[AccountSection]\r\nTitle=ビッグローブ\r\nSmtp=mail.biglobe.ne.jp\r\n"
                "Pop=mail.biglobe.ne.jp\r\nPopUser=hanako\r\nPoppass=pw=1\r\nFromName=鈴木花子\r\n"
                "FromMail=hanako@biglobe.ne.jp\r\nSmtpPort=587\r\nLineLength=80.5\r\n"))
        # Move away from the sender name first: reading puts the focus back.
        self.press("Tab", expect=field(ADDRESS))
        # Reading moves the focus to the sender name, which says what was read.
        self.file_dialog(["alt+f", "o"], OPEN_TITLE, source, expect=field(NAME, "鈴木花子"))
        self.press("Tab", expect=field(ADDRESS, "hanako@biglobe.ne.jp"))
        self.press("Tab", "Tab", expect=field(POP, "mail.biglobe.ne.jp"))
        self.press("Tab", expect=field(SMTP, "mail.biglobe.ne.jp"))
        self.press("Tab", expect=field(ID, "hanako"))
        self.press("Tab", expect=field(PW, "pw=1"))
        # Saving again writes what was read, the fields the file did not name
        # at their defaults and the half rounded to even.
        data = self.save_as(self.path("out.acd"), expect=field(PW, "pw=1"))
        self.assertEqual(data, acd_bytes(
            "[AccountSection]\r\nTitle=ビッグローブ\r\nSmtp=mail.biglobe.ne.jp\r\n"
            "Pop=mail.biglobe.ne.jp\r\nPopUser=hanako\r\nPoppass=pw=1\r\nFromName=鈴木花子\r\n"
            "FromMail=hanako@biglobe.ne.jp\r\n"
            + DEFAULT_TAIL.replace("SmtpPort=25", "SmtpPort=587").replace("LineLength=76", "LineLength=80")))

    def test_clear_all_asks_and_only_yes_clears(self):
        self.start_app()
        self.type_then("山田太郎", ["Return"], field(ADDRESS))
        # No (Esc) through the Edit menu: nothing changes.
        box = self.open_window(["alt+e", "c"], CLEAR_TITLE)
        self.close_window(box, ["Escape"], expect=field(ADDRESS))
        self.press("shift+Tab", expect=field(NAME, "山田太郎"))
        # Yes (Enter) through the button, reached by Tab as the user would.
        self.press(*["Tab"] * 7, expect=COMMAND5)
        box = self.open_window(["Return"], CLEAR_TITLE)
        self.close_window(box, ["Return"], expect=COMMAND5)
        self.press(*["shift+Tab"] * 7, expect=field(NAME))
        data = self.save_as(self.path("cleared.acd"), expect=field(NAME))
        self.assertEqual(data, acd_bytes("[AccountSection]\r\n" + DEFAULT_TAIL))

    def test_read_failure_shows_the_error_box_and_keeps_the_account(self):
        self.start_app()
        bad = self.path("bad.acd")
        with open(bad, "wb") as f:
            f.write(b"[AccountSection]\r\nFromName=x\r\nSmtpPort=99999999999\r\n")
        self.app.type("山田太郎")
        dialog = self.open_window(["alt+f", "o"], OPEN_TITLE)
        self.app.key("ctrl+a")
        self.app.type(bad)
        self.app.key("Return")
        self.app.wait_window_gone(dialog)
        box = self.app.wait_window(title="読み込みエラー", exclude={self.app.window})
        self.app.focus(box)
        # The window keeps the account it showed before the failed read.
        self.close_window(box, ["Return"], expect=field(NAME, "山田太郎"))


if __name__ == "__main__":
    harness.main()
