"""Orca running beside the program, both speaking through the recording
proxy: each one's words are told apart by the connection they came on."""

import harness
import screen_reader as sr

CLEAR_TITLE = "すべてクリア"
CLEAR_QUESTION = "現在の設定をクリアします。よろしいですか?"


class ScreenReaderProbeTest(sr.ScreenReaderTestCase):

    def connection_pid(self, who):
        names = sr.speakers(self.proxy)
        pids = {e.conn: int(e.text) for e in self.proxy.events_since(0, "CONNECT")}
        return {pids[conn] for conn, name in names.items() if name == who}

    def test_orca_reads_the_clear_all_box_on_its_own_connection(self):
        mark = self.proxy.mark()
        self.start_app()
        # Orca reads the first field with the program's words; the program
        # says none of them itself.
        sr.utterance(self.proxy, sr.ORCA, sr.said(harness.NOT_REGISTERED), since=mark)
        self.assertNotIn(sr.PROGRAM, [who for who, _ in sr.utterances(self.proxy, since=mark)])
        # Names are only what each client calls itself; the peer's process
        # says who really spoke.
        self.assertEqual(self.connection_pid(sr.PROGRAM), {self.app.proc.pid})
        self.assertEqual(self.connection_pid(sr.ORCA), {self.session.orca.proc.pid})
        # What tells the program a screen reader runs when the desktop's flag
        # does not: Orca is on the accessibility bus under its name. That it
        # listens for focus changes is no sign, magnifiers do too.
        self.assertFalse(self.session.a11y.status()["ScreenReaderEnabled"])
        self.assertIn("Object:StateChanged:Focused", [e for _, e in self.session.a11y.registered_events()])
        self.assertIn("orca", self.session.a11y.application_names())

        mark = self.proxy.mark()
        wid = self.open_by_menu("alt+e", "すべてクリア(C)", "c", CLEAR_TITLE)
        # Qt's box comes in Japanese; the focused button is read last.
        sr.utterance(self.proxy, sr.ORCA, "はい(Y)", since=mark, contains=True, timeout=15)
        said = [text for _, text in sr.utterances(self.proxy, since=mark, who=sr.ORCA)]
        title = next(i for i, text in enumerate(said) if CLEAR_TITLE in text and "(C)" not in text)
        question = next(i for i, text in enumerate(said) if CLEAR_QUESTION in text)
        button = next(i for i, text in enumerate(said) if "はい(Y)" in text)
        self.assertLess(title, question, said)
        self.assertLess(question, button, said)

        # No leaves everything as it was; Orca goes back to the field.
        mark = self.close_window(wid, ["Escape"])
        sr.utterance(self.proxy, sr.ORCA, harness.APP_TITLE, since=mark, contains=True)


if __name__ == "__main__":
    sr.main()
