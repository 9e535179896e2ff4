"""With no screen reader running, the program reads Qt's message boxes, its
file dialog, the menus and a list's newly chosen entry itself, and its own
controls still say exactly what they always said."""

import os

import harness
from harness import (ADDRESS, COMBO1, COMBO2, COMMAND1, COMMAND2, COMMAND4, COMMAND5, DEFAULT_TAIL, ID,
                     NAME, OPEN_TITLE, POP, PW, SAVE_TITLE, SEPARATOR, SMTP, acd_bytes, field)

CLEAR_TITLE = "すべてクリア"
CLEAR_QUESTION = "現在の設定をクリアします。よろしいですか?"
YES = "はいのボタン"
NO = "いいえのボタン"
FILE_NAME = "ファイル名"
FOLDER = "フォルダ"


def menu(name):
    return name + "のメニュー"


class ReaderTest(harness.AppTestCase):

    def path(self, name):
        return os.path.join(self.files_dir(), name)

    def said_after(self, mark, keys, last):
        """Presses keys, waits for `last` and returns everything spoken."""
        self.app.key(*keys)
        self.proxy.wait_speak(last, since=mark)
        return self.proxy.spoken(mark)

    def open_heard(self, keys, title, last):
        """Opens a window by keys (a menu's letter once its menu is read) and
        returns it with everything spoken until `last`."""
        mark = self.proxy.mark()
        wid = self.open_window(keys, title)
        self.proxy.wait_speak(last, since=mark)
        return wid, self.proxy.spoken(mark)

    def test_clear_all_box_is_heard_and_only_yes_clears(self):
        self.start_app()
        self.type_then("山田太郎", ["Return"], field(ADDRESS))
        box, said = self.open_heard(["alt+e", "c"], CLEAR_TITLE, YES)
        self.assertEqual(said, [menu("編集"), "すべてクリア", CLEAR_TITLE, CLEAR_QUESTION, YES])
        self.press("Tab", expect=NO)
        self.press("shift+Tab", expect=YES)
        self.press("Tab", expect=NO)
        # No: back in the window, the field says itself once and kept its text.
        mark = self.proxy.mark()
        self.close_window(box, ["Return"], expect=field(ADDRESS))
        self.press("shift+Tab", expect=field(NAME, "山田太郎"))
        self.assertEqual(self.proxy.spoken(mark), [field(ADDRESS), field(NAME, "山田太郎")])

        box, said = self.open_heard(["alt+e", "c"], CLEAR_TITLE, YES)
        self.assertEqual(said, [menu("編集"), "すべてクリア", CLEAR_TITLE, CLEAR_QUESTION, YES])
        # Yes: the sender name is empty again.
        self.close_window(box, ["Return"], expect=field(NAME))

    def fill_account(self):
        self.type_then("山田太郎", ["Return"], field(ADDRESS))
        self.type_then("taro@example.com", ["Return"], COMMAND4)
        self.press("Return", expect=field(POP, "example.com"))
        self.press("Return", "Return", "Return", expect=field(PW))
        self.app.type("himitsu")

    def test_saving_through_the_dialog_is_heard_and_overwrites_without_a_question(self):
        self.start_app()
        self.fill_account()
        target = self.path("taro.acd")
        dialog, said = self.open_heard(["alt+f", "s"], SAVE_TITLE, field(FILE_NAME))
        self.assertEqual(said, [menu("ファイル"), "アカウントデータを読み込む", SAVE_TITLE, field(FILE_NAME)])
        self.press("Tab", expect="ファイルの種類" + SEPARATOR + "VORNIXアカウントデータ (*.acd)")
        self.press("shift+Tab", expect=field(FILE_NAME))
        self.app.type(target)
        # The window's field is heard once when the window is back, and the
        # next key is the next thing heard.
        mark = self.proxy.mark()
        self.close_window(dialog, ["Return"], expect=field(PW, "himitsu"))
        self.press("Tab", expect=COMMAND5)
        self.assertEqual(self.proxy.spoken(mark), [field(PW, "himitsu"), COMMAND5])
        tail = ("Smtp=example.com\r\nPop=example.com\r\nPopUser=taro\r\nPoppass=%s\r\nFromName=山田太郎\r\n"
                "FromMail=taro@example.com\r\n" + DEFAULT_TAIL)
        with open(target, "rb") as f:
            self.assertEqual(f.read(), acd_bytes("[AccountSection]\r\nTitle=山田太郎\r\n" + tail % "himitsu"))

        # Again, with another password: the dialog proposes the same name and
        # Enter replaces the file without any question.
        self.press("shift+Tab", expect=field(PW, "himitsu"))
        self.app.key("End")
        self.app.type("2")
        windows = set(self.app.visible_windows())
        mark = self.proxy.mark()
        dialog = self.open_window(["alt+f", "s"], SAVE_TITLE)
        self.proxy.wait_speak(field(FILE_NAME, "taro.acd"), since=mark)
        self.close_window(dialog, ["Return"], expect=field(PW, "himitsu2"))
        self.assertEqual(set(self.app.visible_windows()), windows)
        self.assertNotIn(YES, self.proxy.spoken(mark))
        with open(target, "rb") as f:
            self.assertEqual(f.read(), acd_bytes("[AccountSection]\r\nTitle=山田太郎\r\n" + tail % "himitsu2"))
        self.assertEqual(sorted(os.listdir(self.files_dir())), ["taro.acd"])

    def test_loading_moves_onto_the_file_in_the_list_by_arrows(self):
        folder = self.files_dir()
        os.mkdir(os.path.join(folder, "sub"))
        with open(os.path.join(folder, "a.acd"), "wb") as f:
            f.write(acd_bytes("[AccountSection]\r\nFromName=鈴木花子\r\n"))
        with open(os.path.join(folder, "b.acd"), "wb") as f:
            f.write(acd_bytes("[AccountSection]\r\nFromName=別人\r\n"))
        self.start_app()
        dialog, said = self.open_heard(["alt+f", "o"], OPEN_TITLE, field(FILE_NAME))
        self.assertEqual(said, [menu("ファイル"), "アカウントデータを読み込む", OPEN_TITLE, field(FILE_NAME)])
        # A folder's name and Enter go into that folder; the name field is
        # empty again.
        mark = self.proxy.mark()
        self.app.type(folder)
        self.app.key("Return")
        # Backwards from the name field is the list of the folder.
        self.press("shift+Tab", expect="ファイル" + SEPARATOR + "sub" + SEPARATOR + FOLDER)
        self.press("Down", expect="a.acd")
        self.press("Down", expect="b.acd")
        self.press("Up", expect="a.acd")
        self.assertEqual(self.proxy.spoken(mark), ["ファイル" + SEPARATOR + "sub" + SEPARATOR + FOLDER,
                                                   "a.acd", "b.acd", "a.acd"])
        # Enter on the file reads it; the window says what was read.
        self.close_window(dialog, ["Return"], expect=field(NAME, "鈴木花子"))

    def test_menu_bar_and_every_entry_are_heard(self):
        self.start_app()
        mark = self.proxy.mark()
        self.app.key("alt+f")
        self.proxy.wait_speak("アカウントデータを読み込む", since=mark)
        self.assertEqual(self.proxy.spoken(mark), [menu("ファイル"), "アカウントデータを読み込む"])
        for entry in ("アカウントデータを保存", "フロッピーディスクから読み込む", "フロッピーディスクに書き込む", "終了"):
            self.press("Down", expect=entry)
        mark = self.proxy.mark()
        self.assertEqual(self.said_after(mark, ["Right"], "すべてクリア"), [menu("編集"), "すべてクリア"])
        mark = self.proxy.mark()
        self.assertEqual(self.said_after(mark, ["Right"], "VORNIX商品情報のWebページ"),
                         [menu("ヘルプ"), "VORNIX商品情報のWebページ"])
        self.press("Down", expect="最新サポート情報のWebページ")
        self.press("Down", expect="バージョン情報")
        # Closed, the menu leaves the user on its name in the menu bar.
        self.press("Escape", expect=menu("ヘルプ"))
        self.press("Left", expect=menu("編集"))
        # Leaving the bar is no move of the user's in the window: the field
        # says nothing, and the next key is the next thing heard.
        mark = self.proxy.mark()
        self.app.key("Escape")
        self.press("Tab", expect=field(ADDRESS))
        self.assertEqual(self.proxy.spoken(mark), [field(ADDRESS)])

    def test_a_provider_chosen_in_either_list_is_heard(self):
        self.start_app()
        self.press(*["Tab"] * 9, expect=COMBO1)
        mark = self.proxy.mark()
        self.press("Down", expect="@nifty(富士通)")
        self.press("Down", expect="biglobe(NEC)")
        self.press("Up", expect="@nifty(富士通)")
        self.press("Tab", expect=COMMAND1)
        # Back on the list, its own announcement says the entry; the reader
        # adds nothing, and the next change is the next thing heard.
        self.press("shift+Tab", expect="@nifty(富士通)")
        self.press("Down", expect="biglobe(NEC)")
        self.assertEqual(self.proxy.spoken(mark), ["@nifty(富士通)", "biglobe(NEC)", "@nifty(富士通)", COMMAND1,
                                                   COMBO1, "@nifty(富士通)", "biglobe(NEC)"])
        self.press("Tab", "Tab", expect=COMBO2)
        self.press("Down", expect="@nifty(富士通)")

    def test_the_road_of_one_account_hears_only_its_own_words(self):
        start = self.proxy.mark()
        self.start_app()
        self.type_then("花子", ["Return"], field(ADDRESS))
        self.type_then("hanako@abc.so-net.ne.jp", ["Return"], COMMAND4)
        # Deriving the servers also chooses the provider in both lists: the
        # program's choice, not the user's, so nothing is read for it.
        self.press("Return", expect=field(POP, "pop.abc.so-net.ne.jp"))
        self.press("Return", expect=field(SMTP, "mail.abc.so-net.ne.jp"))
        self.press("Return", expect=field(ID, "hanako"))
        self.press("Return", expect=field(PW))
        self.type_then("pw", ["Return"], COMMAND5)
        self.press("Tab", expect=COMMAND2)
        self.press("Tab", expect="So-net(SONY)")
        self.press("Tab", expect=COMMAND1)
        self.press("Tab", expect="So-net(SONY)")
        own = [field(NAME), field(ADDRESS), COMMAND4, field(POP, "pop.abc.so-net.ne.jp"),
               field(SMTP, "mail.abc.so-net.ne.jp"), field(ID, "hanako"), field(PW), COMMAND5, COMMAND2,
               COMBO1, "So-net(SONY)", COMMAND1, COMBO2, "So-net(SONY)"]
        self.assertEqual(self.proxy.spoken(start), own)
        # One cut-off per announcement, the lists' two texts counting as one.
        self.assertEqual(len(self.proxy.events_since(start, "CANCEL")), len(own) - 2)

        target = self.path("hanako.acd")
        mark = self.proxy.mark()
        dialog = self.open_window(["alt+f", "s"], SAVE_TITLE)
        self.proxy.wait_speak(field(FILE_NAME), since=mark)
        self.app.type(target)
        back = self.proxy.mark()
        self.close_window(dialog, ["Return"], expect="So-net(SONY)")
        self.assertEqual(self.proxy.spoken(back), [COMBO2, "So-net(SONY)"])
        with open(target, "rb") as f:
            self.assertEqual(f.read(), acd_bytes(
                "[AccountSection]\r\nTitle=花子\r\nSmtp=mail.abc.so-net.ne.jp\r\nPop=pop.abc.so-net.ne.jp\r\n"
                "PopUser=hanako\r\nPoppass=pw\r\nFromName=花子\r\nFromMail=hanako@abc.so-net.ne.jp\r\n"
                + DEFAULT_TAIL))


if __name__ == "__main__":
    harness.main()
