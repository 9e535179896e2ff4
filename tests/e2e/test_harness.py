"""The harness itself: the proxy must record exactly what a client said, and
forward it so that the daemon answers and ends messages without a sound card.
Everything else in e2e rests on this."""

import os
import socket
import subprocess
import time

import harness


def ssip(sock, line):
    sock.sendall(line.encode("utf-8") + b"\r\n")
    return _read_reply(sock)


def _read_reply(sock):
    """The next reply. With notifications on, the daemon's speaking thread
    may write an event (7xx) for a message before the thread that queued it
    writes the reply: events are passed over."""
    data = b""
    while True:
        chunk = sock.recv(4096)
        if not chunk:
            return data.decode("utf-8", "replace")
        data += chunk
        while (reply := _first_reply(data)) is not None:
            if not reply.startswith(b"7"):
                return reply.decode("utf-8", "replace")
            data = data[len(reply):]


def _first_reply(data):
    """The first whole reply in data: its last line has a space after its
    three digits."""
    end = 0
    while (line_end := data.find(b"\r\n", end)) >= 0:
        line = data[end:line_end]
        end = line_end + 2
        if len(line) >= 4 and line[3:4] == b" ":
            return data[:end]
    return None


class HarnessTest(harness.AppTestCase):

    def connect(self):
        s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        s.settimeout(10)
        s.connect(self.proxy.path)
        self.addCleanup(s.close)
        return s

    def test_message_texts_are_recorded_as_sent(self):
        s = self.connect()
        self.assertTrue(ssip(s, "SET self CLIENT_NAME user:e2e:main").startswith("208"))
        mark = self.proxy.mark()
        cases = [
            "差出人の名前は、未登録",
            # CR LF breaks survive, and a line starting with "." is escaped by
            # the client and must come back unescaped.
            "一行目\r\n.二行目\r\n..三行目",
            "メールパスワードは、 pass word ",
        ]
        for text in cases:
            reply = ssip(s, "SPEAK")
            self.assertTrue(reply.startswith("230"), reply)
            body = text.replace("\r\n.", "\r\n..")
            if body.startswith("."):
                body = "." + body
            s.sendall(body.encode("utf-8") + b"\r\n.\r\n")
            reply = _read_reply(s)
            self.assertTrue(reply.startswith("225"), reply)
        self.assertTrue(ssip(s, "CANCEL self").startswith("2"))
        self.assertEqual(self.proxy.spoken(mark), cases)
        self.assertEqual(len(self.proxy.events_since(mark, "CANCEL")), 1)

    def test_how_each_message_ended_is_recorded(self):
        s = self.connect()
        self.assertTrue(ssip(s, "SET self CLIENT_NAME user:e2e:main").startswith("208"))
        self.assertTrue(ssip(s, "SET self NOTIFICATION all on").startswith("2"))
        mark = self.proxy.mark()
        self.assertTrue(ssip(s, "SPEAK").startswith("230"))
        s.sendall("短い文".encode("utf-8") + b"\r\n.\r\n")
        reply = _read_reply(s)
        self.assertTrue(reply.startswith("225"), reply)
        speak_at, _ = self.proxy.wait_for(lambda e: e.kind == "SPEAK", since=mark)
        deadline = time.monotonic() + 10
        while self.proxy.outcome(speak_at)[0] is None:
            self.assertLess(time.monotonic(), deadline, self.proxy.events_since(mark))
            time.sleep(0.05)
        # Spoken to its end by the null audio device, not cut off.
        self.assertEqual(self.proxy.outcome(speak_at)[0], "END")

    def test_daemon_ends_messages_without_a_sound_card(self):
        env = dict(os.environ, SPEECHD_ADDRESS="unix_socket:" + self.proxy.path)
        mark = self.proxy.mark()
        start = time.monotonic()
        # -w waits for the end of the message: it returns only if the null
        # audio device really lets messages end.
        res = subprocess.run(["spd-say", "-w", "-l", "ja", "秘密のテスト文"], env=env, timeout=30,
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.assertEqual(res.returncode, 0, res.stderr)
        self.assertLess(time.monotonic() - start, 20)
        self.assertEqual(self.proxy.spoken(mark), ["秘密のテスト文"])

    def test_daemon_log_holds_no_message_text(self):
        env = dict(os.environ, SPEECHD_ADDRESS="unix_socket:" + self.proxy.path)
        subprocess.run(["spd-say", "-w", "パスワード秘密"], env=env, timeout=30,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        logdir = self.session.daemon.logdir
        self.assertTrue(os.path.isdir(logdir))
        for name in os.listdir(logdir):
            with open(os.path.join(logdir, name), "rb") as f:
                self.assertNotIn("パスワード秘密".encode("utf-8"), f.read(), name)

    def test_daemon_death_reaches_the_client(self):
        # A separate daemon, so that killing it leaves the class's daemon alone.
        daemon = harness.SpeechDaemon(os.path.join(self.session.workdir, "second"))
        os.makedirs(daemon.workdir)
        daemon.start()
        self.addCleanup(daemon.stop)
        proxy = harness.RecordingProxy(daemon.workdir, daemon.socket_path).start()
        self.addCleanup(proxy.stop)
        s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        s.settimeout(10)
        s.connect(proxy.path)
        self.addCleanup(s.close)
        self.assertTrue(ssip(s, "SET self CLIENT_NAME user:e2e:main").startswith("208"))
        daemon.kill()
        self.assertFalse(daemon.alive())
        # The client sees the end of the stream instead of waiting forever.
        self.assertEqual(s.recv(10), b"")


if __name__ == "__main__":
    harness.main()
