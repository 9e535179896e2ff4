"""The program's words reach the user once: beside Orca, in Orca's reading of
the focused control and never also in the program's own voice; without a
screen reader, from the program. The same walk through the main window, the
help pane and the advanced dialog is taken both ways."""

import os

import harness
import screen_reader as sr
from harness import (ADDRESS, COMMAND1, COMMAND2, COMMAND4, COMMAND5, HELP_PANE, ID, NAME, NOT_REGISTERED, POP,
                     PW, SEPARATOR, SMTP, field)

KODO_TITLE = "高度な設定"
KODO_PORT = "受信サーバのポート番号は"
GUIDE = "説明ウインド"
COMBO1 = "参照用プロバイダの選択"
COMBO2 = "閲覧用プロバイダの選択"
COMMAND3 = harness.button("IEで閲覧するのプッシュボタン", "Enterは閲覧 Tabは次へ")
PASS = "パス"
CLEAR_TITLE = "すべてクリア"


def words_of(announcement):
    """The parts of an announcement a listener must hear: its label, then
    its value or key hint."""
    return announcement.split(SEPARATOR, 1) if SEPARATOR in announcement else [announcement]


# (text typed first, keys, what the program announces). The field labels hold
# a separator of their own in one case (ID), so the parts are given whole.
WALK = [
    ("山田太郎", ["Return"], (ADDRESS, NOT_REGISTERED)),
    ("taro@example.com", ["Return"], tuple(words_of(COMMAND4))),
    (None, ["Return"], (POP, "example.com")),
    (None, ["Tab"], (SMTP, "example.com")),
    (None, ["Tab"], (ID, "taro")),
    (None, ["Tab"], (PW, NOT_REGISTERED)),
    (None, ["Tab"], tuple(words_of(COMMAND5))),
    (None, ["Tab"], tuple(words_of(COMMAND2))),
    (None, ["Tab"], (COMBO1,)),
    (None, ["Tab"], tuple(words_of(COMMAND1))),
    (None, ["Tab"], (COMBO2,)),
    (None, ["Tab"], tuple(words_of(COMMAND3))),
    (None, ["Tab"], (GUIDE,)),
    (None, ["Tab"], (NAME, "山田太郎")),
    (None, ["F1"], (HELP_PANE,)),
]
BACK_FROM_HELP = (NAME, "山田太郎")
TO_COMMAND2 = tuple(words_of(COMMAND2))


def announcement_of(words):
    if words[0] in (GUIDE, HELP_PANE, COMBO1, COMBO2):
        return words[0]
    return SEPARATOR.join(words)


class WalkWithoutScreenReader(harness.AppTestCase):
    """The program speaks every step itself."""

    def test_the_walk_is_heard_from_the_program(self):
        self.start_app()
        for typed, keys, words in WALK:
            mark = self.proxy.mark()
            if typed:
                self.app.type(typed)
            self.app.key(*keys)
            if words[0] == GUIDE:
                self.proxy.wait_speak_containing(GUIDE + SEPARATOR, since=mark)
            else:
                self.proxy.wait_speak(announcement_of(words), since=mark)
        self.press("Escape", expect=field(*BACK_FROM_HELP))
        self.press(*["Tab"] * 8, expect=COMMAND2)
        wid = self.open_window(["Return"], KODO_TITLE)
        self.press("Tab", expect=field(KODO_PORT, "110"))
        self.close_window(wid, ["Escape"], expect=COMMAND2)


class WalkBesideOrca(sr.ScreenReaderTestCase):
    """Orca reads every step with the program's words; the program keeps
    only "パス", which no focus move carries."""

    def heard_once_from_orca(self, words, since):
        """Waits until Orca has caught up, then checks that each word was in
        exactly one of Orca's utterances since the mark and in none of the
        program's."""
        sr.utterance(self.proxy, sr.ORCA, words[-1], since=since, contains=True, timeout=15)
        self.wait_for_orca()
        heard = sr.utterances(self.proxy, since=since)
        for word in words:
            by_orca = [text for who, text in heard if who == sr.ORCA and word in text]
            by_program = [text for who, text in heard if who == sr.PROGRAM and word in text]
            self.assertEqual(len(by_orca), 1, (word, heard))
            self.assertEqual(by_program, [], (word, heard))
        return heard

    def test_the_walk_is_heard_once_from_orca(self):
        self.start_app()
        sr.utterance(self.proxy, sr.ORCA, sr.said(NOT_REGISTERED), since=0)
        for typed, keys, words in WALK:
            if typed:
                self.app.type(typed)
                self.wait_for_orca()
            mark = self.proxy.mark()
            self.app.key(*keys)
            self.heard_once_from_orca(words, mark)

        # Leaving the help pane: "パス" from the program, once, and only then
        # Orca's reading of the field the focus went back to.
        mark = self.proxy.mark()
        self.app.key("Escape")
        heard = self.heard_once_from_orca(BACK_FROM_HELP, mark)
        self.assertEqual([text for who, text in heard if who == sr.PROGRAM], [PASS])
        self.assertNotIn(PASS, " ".join(text for who, text in heard if who == sr.ORCA))
        program_at = next(i for i, (who, _) in enumerate(heard) if who == sr.PROGRAM)
        label_at = next(i for i, (who, text) in enumerate(heard) if who == sr.ORCA and NAME in text)
        self.assertLess(program_at, label_at, heard)

        mark = self.proxy.mark()
        self.app.key(*["Tab"] * 8)
        self.heard_once_from_orca(TO_COMMAND2, mark)
        mark = self.proxy.mark()
        wid = self.open_window(["Return"], KODO_TITLE)
        sr.utterance(self.proxy, sr.ORCA, "check box", since=mark, contains=True, timeout=15)
        mark = self.proxy.mark()
        self.app.key("Tab")
        self.heard_once_from_orca((KODO_PORT, "110"), mark)
        mark = self.close_window(wid, ["Escape"])
        self.heard_once_from_orca(TO_COMMAND2, mark)

    def test_the_clear_all_box_and_the_save_dialog_are_orcas_alone(self):
        self.start_app()
        self.app.type("Taro")
        self.wait_for_orca()
        mark = self.proxy.mark()
        wid = self.open_by_menu("alt+e", "すべてクリア(C)", "c", CLEAR_TITLE)
        sr.utterance(self.proxy, sr.ORCA, "はい(Y)", since=mark, contains=True, timeout=15)
        back = self.close_window(wid, ["Escape"])
        sr.utterance(self.proxy, sr.ORCA, sr.field_name(NAME), since=back, timeout=15)
        self.wait_for_orca()
        self.assertEqual(sr.utterances(self.proxy, since=mark, who=sr.PROGRAM), [])

        path = os.path.join(self.files_dir(), "taro.acd")
        mark = self.proxy.mark()
        wid = self.open_by_menu("alt+f", "アカウントデータを読み込む", "s", harness.SAVE_TITLE)
        # Orca reads Qt's dialog itself: its title and the file-name field.
        sr.utterance(self.proxy, sr.ORCA, harness.SAVE_TITLE, since=mark, contains=True, timeout=15)
        sr.utterance(self.proxy, sr.ORCA, "ファイル名", since=mark, contains=True, timeout=15)
        self.app.key("ctrl+a")
        self.app.type(path)
        back = self.close_window(wid, ["Return"])
        sr.utterance(self.proxy, sr.ORCA, sr.field_name(NAME), since=back, timeout=15)
        self.wait_for_orca()
        self.assertEqual(sr.utterances(self.proxy, since=mark, who=sr.PROGRAM), [])
        with open(path, "rb") as f:
            self.assertIn(harness.acd_bytes("FromName=Taro\r\n"), f.read())


if __name__ == "__main__":
    sr.main()
