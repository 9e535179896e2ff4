"""Entry fields read by Orca: a filled field's line comes whole, and moving
by word in a field with Orca running leaves the program answering keys."""

import harness
import screen_reader as sr
from harness import COMMAND2

KODO_TITLE = "高度な設定"


class ScreenReaderFieldsTest(sr.ScreenReaderTestCase):

    def orca_says(self, text, since, timeout=10):
        return sr.utterance(self.proxy, sr.ORCA, text, since=since, timeout=timeout)

    def test_a_filled_field_is_read_to_its_last_character(self):
        self.start_app()
        self.wait_for_orca()
        self.app.type("Taro")
        self.wait_for_orca()
        mark = self.proxy.mark()
        wid = self.open_by_menu("alt+e", "すべてクリア(C)", "c", "すべてクリア")
        sr.utterance(self.proxy, sr.ORCA, "はい(Y)", since=mark, contains=True, timeout=15)
        # Back in the window, Orca reads the field that has the focus, its
        # line cut into the text's attribute runs.
        mark = self.close_window(wid, ["Escape"])
        self.proxy.wait_speak(harness.field(harness.NAME, "Taro"), since=mark)
        # The line, whole or cut short.
        sr.utterance(self.proxy, sr.ORCA, "Tar", since=mark, contains=True, timeout=15)
        said = [text for _, text in sr.utterances(self.proxy, since=mark, who=sr.ORCA)]
        self.assertIn("Taro.", said)

    def test_moving_by_word_leaves_the_program_answering(self):
        self.start_app()
        self.wait_for_orca()
        self.app.type("Taro Hanako")
        self.wait_for_orca()
        # Orca asks for the word at the caret's old place, the end of the text.
        mark = self.proxy.mark()
        self.app.key("ctrl+Left")
        self.orca_says("Hanako", since=mark)
        self.wait_for_orca()
        mark = self.proxy.mark()
        self.app.key("ctrl+Left")
        self.orca_says("Taro", since=mark)
        self.wait_for_orca()
        mark = self.proxy.mark()
        self.app.key("ctrl+Right")
        self.orca_says("Taro", since=mark)
        self.wait_for_orca()
        mark = self.proxy.mark()
        self.app.key("ctrl+Right")
        self.orca_says("Hanako", since=mark)
        mark = self.proxy.mark()
        self.app.key("Tab")
        sr.utterance(self.proxy, sr.ORCA, "メールアドレス", since=mark, contains=True)

    def test_the_advanced_dialogs_number_box_by_word(self):
        self.start_app()
        self.press(*["Tab"] * 8, expect=COMMAND2)
        mark = self.proxy.mark()
        wid = self.open_window(["Return"], KODO_TITLE)
        # Orca has read the dialog and its first control, a check box.
        sr.utterance(self.proxy, sr.ORCA, "check box", since=mark, contains=True, timeout=15)
        self.press("Tab", expect=harness.field("受信サーバのポート番号は", "110"))
        self.wait_for_orca()
        # Tab leaves the caret at the end; the word there is the whole number.
        mark = self.proxy.mark()
        self.app.key("ctrl+Left")
        self.wait_for_orca()
        self.app.key("ctrl+Right")
        self.orca_says("110", since=mark)
        self.close_window(wid, ["Escape"], expect=COMMAND2)


if __name__ == "__main__":
    sr.main()
