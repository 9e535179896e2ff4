"""Start-up, Enter-only form filling, derivation from the address and the
help pane, driven by real key events and heard through the speech daemon."""

import harness
from harness import (ADDRESS, COMBO1, COMBO2, COMMAND1, COMMAND2, COMMAND4, COMMAND5, GUIDE_PANE,
                     HELP_PANE, ID, NAME, POP, PW, SMTP, field)


class NavigationTest(harness.AppTestCase):

    def test_first_announcement_is_the_empty_sender_name(self):
        mark = self.proxy.mark()
        self.start_app()
        # Nothing else may be said before the sender-name field: it is the
        # first thing the user hears.
        self.assertEqual(self.proxy.spoken(mark)[0], field(NAME))
        self.assertEqual(len(self.app.visible_windows()), 1)

    def test_first_announcement_reaches_espeak_as_kana(self):
        # The private daemon speaks Japanese with espeak-ng, as a stock Debian
        # does: left to itself, the program hands it kana it can pronounce.
        mark = self.proxy.mark()
        self.app = self.session.new_app()
        self.app.speech_reading = None
        self.app.start()
        self.proxy.wait_speak("サシダシニンノナマエワ、ミトーロク", since=mark, timeout=20)
        self.assertEqual(self.proxy.spoken(mark)[0], "サシダシニンノナマエワ、ミトーロク")

    def test_exit_ends_at_once_without_a_question(self):
        self.start_app()
        self.app.type("未保存")
        mark = self.proxy.mark()
        self.assertEqual(self.exit_by_menu(), 0, self.app.stderr_tail())
        # With no screen reader the menu is read as it opens; the exit itself
        # says nothing.
        self.assertEqual(self.proxy.spoken(mark), ["ファイルのメニュー", "アカウントデータを読み込む"])

    def test_whole_account_typed_with_enter_only(self):
        self.start_app()
        self.type_then("山田太郎", ["Return"], field(ADDRESS))
        # No provider domain: the address is typed as it is, Enter goes to the
        # derivation button, Enter there writes the servers and moves on.
        self.type_then("taro@example.com", ["Return"], COMMAND4)
        self.press("Return", expect=field(POP, "example.com"))
        self.press("Return", expect=field(SMTP, "example.com"))
        self.press("Return", expect=field(ID, "taro"))
        self.press("Return", expect=field(PW))
        self.type_then("himitsu 123", ["Return"], COMMAND5)
        # Going round again proves the texts stayed in the fields and Enter
        # was never typed into them.
        self.press("shift+Tab", expect=field(PW, "himitsu 123"))
        self.press("shift+Tab", expect=field(ID, "taro"))
        self.press("shift+Tab", expect=field(SMTP, "example.com"))
        self.press("shift+Tab", expect=field(POP, "example.com"))
        self.press("shift+Tab", expect=COMMAND4)
        self.press("shift+Tab", expect=field(ADDRESS, "taro@example.com"))
        self.press("shift+Tab", expect=field(NAME, "山田太郎"))

    def test_provider_address_is_completed_and_derived(self):
        self.start_app()
        self.press("Return", expect=field(ADDRESS))
        # "." after the provider's label completes its domain with the rest
        # selected; the first Enter accepts it, the second goes to the button.
        mark = self.proxy.mark()
        self.app.type("abc12345@nifty.")
        self.app.key("Return")
        self.assertEqual(self.proxy.spoken(mark), [], "the first Enter only accepts the completion")
        self.press("Return", expect=COMMAND4)
        self.press("Return", expect=field(POP, "pop.nifty.com"))
        self.press("Tab", expect=field(SMTP, "smtp.nifty.com"))
        self.press("Tab", expect=field(ID, "ABC12345"))
        self.press("shift+Tab", "shift+Tab", "shift+Tab", "shift+Tab",
                   expect=field(ADDRESS, "abc12345@nifty.com"))

    def test_derivation_selects_the_provider_in_both_lists(self):
        self.start_app()
        # Before any derivation the lists have no selection: only the title.
        end = self.press(*["Tab"] * 9, expect=COMBO1)
        self.assertTrue(self.proxy.quiet_for(0.7, since=end), self.proxy.spoken(end))
        self.press(*["shift+Tab"] * 9, expect=field(NAME))
        self.press("Return", expect=field(ADDRESS))
        self.type_then("hanako@abc.so-net.ne.jp", ["Return"], COMMAND4)
        self.press("Return", expect=field(POP, "pop.abc.so-net.ne.jp"))
        self.press("Return", expect=field(SMTP, "mail.abc.so-net.ne.jp"))
        self.press("Return", expect=field(ID, "hanako"))
        mark = self.proxy.mark()
        self.app.key("Tab", "Tab", "Tab", "Tab")
        self.proxy.wait_speak("So-net(SONY)", since=mark)
        self.assertEqual(self.proxy.spoken(mark)[-2:], [COMBO1, "So-net(SONY)"])
        # Enter in a list moves on like Tab.
        self.press("Return", expect=COMMAND1)
        mark = self.proxy.mark()
        self.app.key("Tab")
        self.proxy.wait_speak("So-net(SONY)", since=mark)
        self.assertEqual(self.proxy.spoken(mark), [COMBO2, "So-net(SONY)"])

    def test_down_arrow_leaves_the_derivation_button_forward(self):
        self.start_app()
        self.press("Tab", "Tab", expect=COMMAND4)
        # An empty address derives nothing; the arrow still moves on.
        self.press("Down", expect=field(POP))

    def test_help_pane_opens_with_f1_and_esc_returns_to_the_field(self):
        self.start_app()
        self.press("Return", expect=field(ADDRESS))
        self.app.type("taro@example.com")
        mark = self.proxy.mark()
        self.app.key("F1")
        self.proxy.wait_speak(HELP_PANE, since=mark)
        mark = self.proxy.mark()
        self.app.key("Escape")
        end = self.proxy.wait_speak(field(ADDRESS, "taro@example.com"), since=mark)
        said = self.proxy.spoken(mark)
        self.assertEqual(said, ["パス", field(ADDRESS, "taro@example.com")])
        # "パス" is heard to its end: the field's announcement, which starts
        # by cutting speech off, waits for it.
        pass_at, _ = self.proxy.wait_for(lambda e: e.kind == "SPEAK" and e.text == "パス", since=mark)
        ended, end_at = self.proxy.outcome(pass_at)
        self.assertEqual(ended, "END")
        cancel_at, _ = self.proxy.wait_for(lambda e: e.kind == "CANCEL", since=pass_at)
        self.assertLess(end_at, cancel_at)
        # The pane and its button are hidden again: going backwards from the
        # sender name reaches the guide pane, not the help pane.
        mark = self.proxy.mark()
        self.app.key("shift+Tab", "shift+Tab")
        self.proxy.wait_speak_containing(GUIDE_PANE, since=mark)
        self.assertNotIn(HELP_PANE, self.proxy.spoken(end))

    def test_help_pane_follows_the_focus_and_covers_the_provider_area(self):
        self.start_app()
        self.press("F1", expect=HELP_PANE)
        # From the pane, Tab reaches the close button (silent), then wraps to
        # the sender name, which keeps the pane on its own help.
        self.press("Tab", "Tab", expect=field(NAME))
        # With the pane showing, the provider list hands the focus back to
        # the sender name and the guide pane hands it to Command2.
        self.press(*["Tab"] * 8, expect=COMMAND2)
        mark = self.proxy.mark()
        self.app.key("Tab")
        self.proxy.wait_speak(field(NAME), since=mark)
        self.assertNotIn(COMBO1, self.proxy.spoken(mark))
        # Backwards: the close button is silent, the pane says its title
        # again, and the covered guide pane hands the focus to Command2.
        self.press("shift+Tab", "shift+Tab", expect=HELP_PANE)
        self.press("shift+Tab", expect=COMMAND2)

    def test_close_key_returns_to_the_field_the_user_was_in(self):
        self.start_app()
        self.press("F1", expect=HELP_PANE)
        # The frame's access key puts the focus into the POP field; the help
        # follows it there.
        self.press("alt+s", expect=field(POP))
        # Alt+C goes through the close button: the POP field is left, so it is
        # the field the closing returns to, and it says itself again.
        mark = self.proxy.mark()
        self.app.key("alt+c")
        self.proxy.wait_speak(field(POP), since=mark)
        self.assertEqual(self.proxy.spoken(mark), ["パス", field(POP)])
        self.press("Tab", expect=field(SMTP))

if __name__ == "__main__":
    harness.main()
