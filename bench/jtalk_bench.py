#!/usr/bin/env python3
"""Measures the Open JTalk speech module and writes <build>/bench/jtalk.json.

The module (sd_vornix-jtalk) and speech-dispatcher's own espeak-ng module are
driven the way the daemon drives them: INIT, AUDIO (the daemon plays the
speech), SET, then SPEAK and STOP. Each is timed from the moment a request is
complete to the module's answer:

- request -> first audio: SPEAK's text sent -> 701 BEGIN, which both modules
  send with their first samples; a short announcement and a 140-character
  help text, as the tool sends them (kana for espeak-ng);
- STOP -> silence: STOP sent -> 703 STOP, by which time the stopped text's
  synthesiser must have been reaped (checked: the module then has no child but
  the one waiting for the next text);
- real-time factor: SPEAK -> 702 END (all speech written) over the length of
  the speech.

Runs alternate between the two modules, a pause apart, as announcements come
while a user moves through a form. Goals are reported, never failed.

    python3 bench/jtalk_bench.py --build build [--runs 30]
"""

import argparse
import json
import os
import queue
import statistics
import subprocess
import sys
import threading
import time

SHORT = "差出人の名前は、未登録"
# The first 140 characters of the sender-name field's help, as the tool says it.
HELP = ("【差出人の名前】には、ヴォルニクスを使う使用者の名前を設定します。\r\n"
        "ここに登録した名前は、メールを送信の際に、メールアドレスといっしょに相手に通知されます。\r\n"
        "メールを受け取った人は、この名前で誰からメールが来たのか判断できるようになります。")[:140]
# Enough sentences that a STOP lands while speech is still being made, even by
# espeak-ng, which makes a sentence in about a millisecond.
LONG = "メールの設定を確認してください。" * 80
GOALS = {"first_audio_short_ms": 150, "first_audio_140_ms": 400, "stop_to_silence_ms": 20}
ESPEAK_MODULE = "/usr/lib/speech-dispatcher-modules/sd_espeak-ng"
ESPEAK_CONF = "/etc/speech-dispatcher/modules/espeak-ng.conf"


class Module:
    """One output module behind a pipe, read on a thread so that every wait
    has a bound."""

    def __init__(self, name, argv, env=None):
        self.name = name
        self.proc = subprocess.Popen(argv, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL, env=env)
        self.lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in iter(self.proc.stdout.readline, b""):
            self.lines.put((time.monotonic(), line))
        self.lines.put((time.monotonic(), None))

    def send(self, text):
        self.proc.stdin.write(text.encode())
        self.proc.stdin.flush()

    def message(self, timeout=60.0):
        """The next reply or event, all its lines, and when its last line came."""
        lines = []
        while True:
            at, line = self.lines.get(timeout=timeout)
            if line is None:
                raise RuntimeError("%s ended" % self.name)
            lines.append(line)
            if len(line) >= 4 and line[3:4] == b" ":
                return at, lines

    def request(self, text):
        self.send(text)
        return self.message()[1]

    def start(self):
        reply = self.request("INIT\n")
        if not reply[-1].startswith(b"299"):
            raise RuntimeError("%s does not start: %r" % (self.name, reply))
        self.request("AUDIO\n")
        self.request("audio_output_method=server\n.\n")
        self.request("SET\n")
        self.request("rate=0\npitch=0\nvolume=100\nlanguage=ja\n.\n")
        return self

    def speak(self, text):
        """Sends the text; returns (sent, first audio, end, seconds of speech)."""
        self.request("SPEAK\n")
        body = "<speak>%s</speak>" % text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
        body = "\n".join("." + l if l.startswith(".") else l for l in body.split("\n"))
        sent = time.monotonic()
        reply = self.request(body + "\n.\n")
        if not reply[-1].startswith(b"200"):
            raise RuntimeError("%s refused the text: %r" % (self.name, reply))
        begin = end = None
        samples = 0
        rate = 48000
        while end is None:
            at, lines = self.message()
            code = lines[-1][:3]
            if code == b"701":
                begin = at
            elif code == b"705":
                for l in lines:
                    if l.startswith(b"705-num_samples="):
                        samples += int(l[16:])
                    elif l.startswith(b"705-sample_rate="):
                        rate = int(l[16:])
            elif code in (b"702", b"703"):
                end = at
        return sent, begin, end, samples / rate

    def stop_midway(self, text):
        """Speaks the text, stops it after its first speech; returns the
        milliseconds from STOP to the stop event (None when the text ended
        first), whether it was a stop event, and whether the module had no
        more than the one process waiting ahead by then."""
        self.request("SPEAK\n")
        self.send("<speak>%s</speak>\n.\n" % text)
        self.message()
        while self.message()[1][-1][:3] != b"705":
            pass
        time.sleep(0.05)
        sent = time.monotonic()
        self.send("STOP\n")
        while True:
            at, lines = self.message()
            if lines[-1][:3] in (b"702", b"703"):
                children = children_of(self.proc.pid)
                if at < sent:
                    return None, True, True
                return (at - sent) * 1000, lines[-1][:3] == b"703", len(children) <= 1

    def quit(self):
        try:
            self.request("QUIT\n")
            self.proc.wait(timeout=10)
        except Exception:
            self.proc.kill()
            self.proc.wait()


def children_of(pid):
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % entry) as f:
                stat = f.read()
        except OSError:
            continue
        fields = stat[stat.rfind(")") + 2:].split()
        if len(fields) > 1 and int(fields[1]) == pid:
            found.append(int(entry))
    return found


def median(values):
    return statistics.median(values) if values else None


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=os.path.join(here, "..", "build"))
    parser.add_argument("--runs", type=int, default=30)
    parser.add_argument("--pause", type=float, default=0.5, help="seconds between announcements")
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    module = os.path.join(build, "bin", "sd_vornix-jtalk")
    kana_text = os.path.join(build, "bench", "kana_text")
    for path in (module, kana_text, ESPEAK_MODULE):
        if not os.access(path, os.X_OK):
            sys.exit("jtalk bench: %s is missing (make build; speech-dispatcher-espeak-ng)" % path)

    kana = {t: subprocess.run([kana_text, t], stdout=subprocess.PIPE, check=True).stdout.decode()
            for t in (SHORT, HELP, LONG)}
    load_before = os.getloadavg()[0]
    jtalk = Module("vornix-jtalk", [module, "/nonexistent/vornix-jtalk.conf"]).start()
    espeak = Module("espeak-ng", [ESPEAK_MODULE, ESPEAK_CONF]).start()
    time.sleep(1.0)  # the first open_jtalk loads
    figures = {m.name: {"short": [], "help": [], "rtf": [], "stop": [], "stop_reaped": True}
               for m in (jtalk, espeak)}
    try:
        for run in range(args.runs):
            for m in (jtalk, espeak) if run % 2 == 0 else (espeak, jtalk):
                said = {SHORT: SHORT, HELP: HELP} if m is jtalk else {SHORT: kana[SHORT], HELP: kana[HELP]}
                for key, text in (("short", SHORT), ("help", HELP)):
                    sent, begin, end, seconds = m.speak(said[text])
                    figures[m.name][key].append((begin - sent) * 1000)
                    if key == "help" and seconds > 0:
                        figures[m.name]["rtf"].append((end - sent) / seconds)
                    time.sleep(args.pause)
                ms, stopped, reaped = m.stop_midway(LONG if m is jtalk else kana[LONG])
                if ms is not None:
                    figures[m.name]["stop"].append(ms)
                figures[m.name]["stop_reaped"] = figures[m.name]["stop_reaped"] and reaped and stopped
                time.sleep(args.pause)
    finally:
        jtalk.quit()
        espeak.quit()

    results = {"runs": args.runs, "load_average": [round(load_before, 2), round(os.getloadavg()[0], 2)]}
    for name, f in figures.items():
        results[name] = {
            "first_audio_short_ms": round(median(f["short"]), 1),
            "first_audio_140_ms": round(median(f["help"]), 1),
            "first_audio_short_p90_ms": round(sorted(f["short"])[int(len(f["short"]) * 0.9)], 1),
            "stop_to_silence_ms": round(median(f["stop"]), 2),
            "stop_to_silence_max_ms": round(max(f["stop"]), 2),
            "stops_measured": len(f["stop"]),
            "stopped_and_reaped_every_time": f["stop_reaped"],
            "real_time_factor": round(median(f["rtf"]), 3),
        }
    out_dir = os.path.join(build, "bench")
    os.makedirs(out_dir, exist_ok=True)
    with open(os.path.join(out_dir, "jtalk.json"), "w") as f:
        json.dump(results, f, indent=2)

    j, e = results["vornix-jtalk"], results["espeak-ng"]
    print("\nOpen JTalk module, medians of %d runs (load average %.2f -> %.2f)" % (
        args.runs, *results["load_average"]))
    print("%-42s %-8s %-20s %s" % ("figure", "goal", "vornix-jtalk", "espeak-ng"))
    for key, label in (("first_audio_short_ms", "request -> first audio, %s" % SHORT),
                       ("first_audio_140_ms", "request -> first audio, 140 characters"),
                       ("stop_to_silence_ms", "STOP -> silence")):
        goal = GOALS[key]
        verdict = "met" if j[key] <= goal else "missed"
        print("%-42s <= %-5d %-20s %.1f ms" % (label[:42], goal, "%.1f ms (%s)" % (j[key], verdict), e[key]))
    print("%-42s %-8s %-20s %.3f" % ("real-time factor (synthesis / speech)", "shown", "%.3f" % j["real_time_factor"],
                                     e["real_time_factor"]))
    print("stopped and reaped every time: %s" % j["stopped_and_reaped_every_time"])
    print("written to %s" % os.path.join(out_dir, "jtalk.json"))


if __name__ == "__main__":
    main()
