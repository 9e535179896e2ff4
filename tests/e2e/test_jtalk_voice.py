"""The program's first announcement is heard through the Open JTalk module.

The private daemon has espeak-ng as its voice, as a stock Debian, and the
module beside it: the program switches its connection to the module and sends
its words as written, not as kana. The daemon plays the module's speech into a
PulseAudio null sink, which is recorded; sox measures the recording's voiced
length. The recording is kept as <build>/e2e-jtalk-first-announcement.wav."""

import os
import shutil
import sys
import tempfile
import time

import harness
import jtalk
from harness import NAME, field

FIRST_LINES = ["差出人の名前は、", "未登録"]


class FirstAnnouncement(harness.AppTestCase):

    @classmethod
    def setUpClass(cls):
        cls.workdir = tempfile.mkdtemp(prefix="vx-e2e-jtalk-")
        cls.sink = None
        try:
            cls.sink = jtalk.PulseNullSink(cls.workdir).start()
            cls.trace = jtalk.Trace(os.path.join(cls.workdir, "trace"))
            cls.session = harness.Session(
                daemon_settings=jtalk.daemon_settings(['AudioOutputMethod "pulse"']),
                daemon_env={"PULSE_SERVER": cls.sink.server, "VORNIX_JTALK_TRACE": cls.trace.path}).start()
        except BaseException:
            cls.tearDownClass()
            raise

    @classmethod
    def tearDownClass(cls):
        super().tearDownClass()
        if cls.sink:
            cls.sink.stop()
        shutil.rmtree(cls.workdir, ignore_errors=True)

    def test_the_first_announcement_is_heard_through_open_jtalk(self):
        wav = os.path.join(self.workdir, "first-announcement.wav")
        recorder = self.sink.record(wav)
        try:
            mark = self.proxy.mark()
            app = self.session.new_app()
            app.speech_reading = None  # the program's own choice
            self.app = app.start()
            after = self.proxy.wait_speak(field(NAME), since=mark, timeout=20)
            asked = [e.text for e in self.proxy.events_since(mark, "SET")]
            self.assertIn("SET SELF OUTPUT_MODULE " + jtalk.MODULE, asked)
            deadline = time.monotonic() + 20
            while self.proxy.outcome(after - 1)[0] is None and time.monotonic() < deadline:
                time.sleep(0.05)
            self.assertEqual(self.proxy.outcome(after - 1)[0], "END")
            self.assertEqual(self.trace.wait_said(FIRST_LINES)[:2], FIRST_LINES)
            self.assertEqual(self.trace.errors(), [])
            # What the sink was given last reaches its monitor a little later.
            time.sleep(0.5)
        finally:
            jtalk.stop_recording(recorder)
        total = jtalk.seconds(wav)
        voiced = jtalk.voiced_seconds(wav)
        kept = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(self.app.binary))),
                            "e2e-jtalk-first-announcement.wav")
        shutil.copyfile(wav, kept)
        sys.stderr.write("e2e: %s: %.2f s recorded, %.2f s voiced\n" % (kept, total, voiced))
        # 差出人の名前は、未登録 takes Open JTalk a little over two seconds; an
        # empty or cut recording, or one of several announcements, would not.
        self.assertGreater(voiced, 1.5)
        self.assertLess(voiced, 3.5)


if __name__ == "__main__":
    jtalk.main()
