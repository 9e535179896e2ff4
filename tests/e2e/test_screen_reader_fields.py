"""Entry fields read by Orca: a filled field's line comes whole, and moving
by word in a field with Orca running leaves the program answering keys."""

import harness
import screen_reader as sr

KODO_TITLE = "高度な設定"
COMMAND2_HINT = "Enterは高度な設定 Tabは次へ"


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
        # The line, whole or cut short.
        sr.utterance(self.proxy, sr.ORCA, "Tar", since=mark, contains=True, timeout=15)
        said = [text for _, text in sr.utterances(self.proxy, since=mark, who=sr.ORCA)]
        self.assertIn("Taro.", said)

    def by_word(self, key, says):
        """Ctrl with an arrow, Ctrl held until Orca has said the word: Orca
        tells a move by word from one by character by the keys it last saw,
        and it may see Ctrl's release before the move when both come in one
        go (Qt hands keys to it and goes on when it answers late)."""
        mark = self.proxy.mark()
        harness.xdotool(self.app.display, "keydown", "ctrl")
        try:
            self.app.key(key)
            self.orca_says(says, since=mark)
        finally:
            harness.xdotool(self.app.display, "keyup", "ctrl")
        self.wait_for_orca()

    def test_moving_by_word_leaves_the_program_answering(self):
        self.start_app()
        self.app.type("Taro Hanako")
        self.wait_for_orca()
        # Orca asks for the word at the caret's old place, the end of the text.
        self.by_word("Left", "Hanako")
        self.by_word("Left", "Taro")
        self.by_word("Right", "Taro")
        self.by_word("Right", "Hanako")
        mark = self.proxy.mark()
        self.app.key("Tab")
        sr.utterance(self.proxy, sr.ORCA, sr.field_name("メールアドレスは"), since=mark)

    def test_the_advanced_dialogs_number_box_by_word(self):
        self.start_app()
        self.orca_press(*["Tab"] * 8, says=sr.said(COMMAND2_HINT))
        mark = self.proxy.mark()
        wid = self.open_window(["Return"], KODO_TITLE)
        # Orca has read the dialog and its first control, a check box.
        sr.utterance(self.proxy, sr.ORCA, "check box", since=mark, contains=True, timeout=15)
        self.orca_press("Tab", says=sr.field_name("受信サーバのポート番号は"))
        self.wait_for_orca()
        # The caret is at the start; the word after it is the whole number.
        self.by_word("Right", "110")
        mark = self.close_window(wid, ["Escape"])
        sr.utterance(self.proxy, sr.ORCA, sr.said(COMMAND2_HINT), since=mark)


if __name__ == "__main__":
    sr.main()
