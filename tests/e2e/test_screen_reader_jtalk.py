"""Orca reads the program's main window with the Open JTalk module.

The module is the daemon's choice for Japanese (LanguageDefaultModule "ja")
and Orca runs in a Japanese locale, as a Japanese desktop would have it. Each
word of what the program gives Orca for a control is said once by Orca, and
said once by the module: its trace holds what it spoke."""

import os
import re
import shutil
import tempfile
import time

import harness
import jtalk
import screen_reader as sr
from harness import ADDRESS, COMMAND4, NAME, NOT_REGISTERED, POP, SEPARATOR

# Keys, and the words Orca must say for the control that gets the focus.
STEPS = [
    (["Tab"], (ADDRESS, NOT_REGISTERED)),
    (["Tab"], tuple(COMMAND4.split(SEPARATOR))),
    (["Tab"], (POP, NOT_REGISTERED)),
]


def bare(text):
    return re.sub(r"[\s\u3000]+", "", text)


class OrcaWithOpenJTalk(sr.ScreenReaderTestCase):

    @classmethod
    def setUpClass(cls):
        cls.workdir = tempfile.mkdtemp(prefix="vx-e2e-jtalk-orca-")
        cls.trace = jtalk.Trace(os.path.join(cls.workdir, "trace"))
        try:
            cls.session = sr.ScreenReaderSession(
                locale="ja_JP.UTF-8",
                daemon_settings=jtalk.daemon_settings(harness.SpeechDaemon.AUDIO_NULL, ja_default=True),
                daemon_env={"VORNIX_JTALK_TRACE": cls.trace.path}).start()
        except BaseException:
            shutil.rmtree(cls.workdir, ignore_errors=True)
            raise

    @classmethod
    def tearDownClass(cls):
        super().tearDownClass()
        shutil.rmtree(cls.workdir, ignore_errors=True)

    def heard_once(self, words, since, trace_since):
        """Each word in exactly one of Orca's utterances since the mark, in
        none of the program's, and once in what the module said."""
        sr.utterance(self.proxy, sr.ORCA, words[-1], since=since, contains=True, timeout=15)
        # The module takes longer than espeak-ng: Orca's echo of the key
        # that shows it has caught up would cut short what it has not said.
        deadline = time.monotonic() + 20
        while bare(words[-1]) not in bare("".join(self.trace.said(trace_since))) and time.monotonic() < deadline:
            time.sleep(0.05)
        self.wait_for_orca()
        heard = sr.utterances(self.proxy, since=since)
        spoken = ""
        for word in words:
            by_orca = [text for who, text in heard if who == sr.ORCA and word in text]
            self.assertEqual(len(by_orca), 1, (word, heard))
            self.assertEqual([text for who, text in heard if who == sr.PROGRAM and word in text], [], (word, heard))
            spoken = bare("".join(self.trace.said(trace_since)))
            self.assertEqual(spoken.count(bare(word)), 1, (word, self.trace.said(trace_since)))
        self.assertEqual(self.trace.errors(trace_since), [])

    def test_orca_reads_the_main_window_with_open_jtalk(self):
        trace_mark = self.trace.mark()
        mark = self.proxy.mark()
        self.session.a11y.wait_until_answering("orca")
        self.app = self.session.new_app().start()
        # Orca reads the window and then its first field.
        sr.utterance(self.proxy, sr.ORCA, NAME, since=mark, contains=True, timeout=30)
        self.heard_once((NAME, NOT_REGISTERED), mark, trace_mark)
        for keys, words in STEPS:
            trace_mark = self.trace.mark()
            mark = self.proxy.mark()
            self.app.key(*keys)
            self.heard_once(words, mark, trace_mark)


if __name__ == "__main__":
    if jtalk.missing() or sr.missing_tools():
        jtalk.main()
    sr.main()
