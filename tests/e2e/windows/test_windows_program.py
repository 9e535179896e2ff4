"""The packed Windows program under Wine on a private X server, with the
project's own stand-ins of the screen reader's components, of the program's
own bitness and placed as the reader places them: the speech object
(vxspeech.dll, an in-process COM server registered under the screen reader's
class in that bitness's view of the registry), the accessible file-dialog
library (QRCOMFD.DLL, beside the program) and the reader's core module
(vxbcore.dll), brought into the running program from outside. The speech
object and the library write down every call they get; the tests read those
records.

    python3 test_windows_program.py --program DIR --doubles DIR --bits 32|64
DIR of --program holds vornix-support.exe and what it needs beside it; DIR of
--doubles holds speech/vxspeech.dll, filedialog/QRCOMFD.DLL and
module/vxbcore.dll with module/vx-inject.exe. For the 64-bit program,
VX_WINDOWS32_DOUBLES may name the 32-bit build's doubles: registered for
32-bit programs only, the 64-bit program cannot load them.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import harness  # noqa: E402
from harness import APP_TITLE, DEFAULT_TAIL, NOT_REGISTERED, SAVE_TITLE, Xvfb, _stop_process, xdotool  # noqa: E402

SEPARATOR = "\uf8f2"  # what the speech object is given between the parts
CLASS_KEY = r"HKLM\Software\Classes\CLSID\{8BF3B6E3-6515-11D3-8515-004005372344}\InprocServer32"
FILTER = "VORNIXアカウントデータ (*.acd)|*.acd||"

OPTIONS = {"--program": None, "--doubles": None, "--bits": "64"}
MENU_READ = ["Interrupt", "Speak(ファイルのメニュー,0)", "Speak(アカウントデータを読み込む,0)"]


def wine_loader():
    return shutil.which("wine64") or "/usr/lib/wine/wine64"


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


# What the registry may gain while the program runs: Wine's own keys, and
# what Windows' own file dialog keeps under the user's Explorer key (its
# history, and the settings its folder view opens). The program itself
# writes nothing.
REGISTRY_IGNORED = ("\\Software\\Wine", "\\Explorer\\ComDlg32", "\\Explorer\\Advanced")


def registry_entries(text):
    """The keys and values of a `reg export`, as a set of (key, value line)."""
    entries, key, pending = set(), None, ""
    for line in text.splitlines():
        line = pending + line.strip()
        pending = ""
        if line.endswith("\\"):
            pending = line[:-1]
            continue
        if line.startswith("[") and line.endswith("]"):
            key = line[1:-1]
            entries.add((key, None))
        elif key and line:
            entries.add((key, line))
    return {e for e in entries if not any(part in e[0] for part in REGISTRY_IGNORED)}


def speak(label, value=""):
    return "Speak(%s%s%s,0)" % (label, SEPARATOR, value or NOT_REGISTERED)


class WindowsProgramTest(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="vx-e2e-win-")
        cls.locale = "ja_JP.UTF-8" if "ja_JP.utf8" in subprocess.run(
            ["locale", "-a"], stdout=subprocess.PIPE, text=True).stdout else "C.UTF-8"
        cls.env = dict(os.environ, WINEPREFIX=os.path.join(cls.work, "prefix"), WINEDEBUG="-all",
                       WINEDLLOVERRIDES="mscoree,mshtml=", LANG=cls.locale, LC_ALL=cls.locale)
        cls.xvfb = Xvfb(cls.work).start()
        cls.env["DISPLAY"] = cls.xvfb.display
        subprocess.run([wine_loader(), "wineboot", "-i"], env=cls.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=180, check=True)

    @classmethod
    def tearDownClass(cls):
        wineserver = os.path.join(os.path.dirname(os.path.realpath(wine_loader())), "wineserver")
        subprocess.run([wineserver, "-k"], env=cls.env, timeout=30)
        cls.xvfb.stop()
        shutil.rmtree(cls.work, ignore_errors=True)

    def setUp(self):
        self.proc = None
        self.dir = tempfile.mkdtemp(dir=self.work)
        self.speech_log = os.path.join(self.dir, "speech-calls.txt")
        self.dialog_log = os.path.join(self.dir, "dialog-calls.txt")
        self.saved = os.path.join(self.dir, "taro.acd")

    def tearDown(self):
        _stop_process(self.proc, grace=2.0)
        for view in ("/reg:32", "/reg:64"):
            self.reg("delete", CLASS_KEY, "/f", view, check=False)

    def reg(self, *args, check=True):
        subprocess.run([wine_loader(), "reg"] + list(args), env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60, check=check)

    def place_doubles(self, program, doubles, bits):
        """As the screen reader installs its components for programs of that
        bitness: the library beside the program, the class in that view."""
        os.symlink(os.path.join(doubles, "filedialog", "QRCOMFD.DLL"), os.path.join(program, "QRCOMFD.DLL"))
        double = windows_path(os.path.join(doubles, "speech", "vxspeech.dll"))
        view = "/reg:%s" % bits
        self.reg("add", CLASS_KEY, "/ve", "/d", double, "/f", view)
        self.reg("add", CLASS_KEY, "/v", "ThreadingModel", "/d", "Apartment", "/f", view)

    def start(self, doubles=None, doubles_bits=None, **variables):
        """The program from a folder of its own (links to the packed files), with
        the stand-ins of `doubles` placed for programs of `doubles_bits`, or with
        none."""
        program = os.path.join(self.dir, "program")
        os.mkdir(program)
        for name in os.listdir(OPTIONS["--program"]):
            os.symlink(os.path.join(OPTIONS["--program"], name), os.path.join(program, name))
        if doubles:
            self.place_doubles(program, doubles, doubles_bits)
        self.proc = self.launch(program, **variables)
        self.program_dir = program
        self.window = self.wait_window(APP_TITLE, timeout=60)
        xdotool(self.xvfb.display, "windowfocus", self.window)

    def launch(self, program, **variables):
        env = dict(self.env, VX_SPEECH_CALLS=windows_path(self.speech_log),
                   VX_FILEDIALOG_CALLS=windows_path(self.dialog_log),
                   VX_FILEDIALOG_CHOOSE=windows_path(self.saved), **variables)
        return subprocess.Popen([wine_loader(), os.path.join(program, "vornix-support.exe")], env=env,
                                cwd=self.dir, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                start_new_session=True)

    def foreground(self):
        """The title of the window Windows gives the keyboard to."""
        done = subprocess.run([wine_loader(), os.path.join(OPTIONS["--doubles"], "module", "vx-foreground.exe")],
                              env=self.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=60)
        return done.stdout.decode("utf-8", errors="replace").strip()

    def windows_named(self, title):
        return xdotool(self.xvfb.display, "search", "--onlyvisible", "--name", "^%s$" % title, check=False).split()

    def wait_window(self, title, timeout=20.0):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            self.assertIsNone(self.proc.poll(), "the program ended")
            found = xdotool(self.xvfb.display, "search", "--onlyvisible", "--name", "^%s$" % title,
                            check=False).split()
            if found:
                return found[0]
            time.sleep(0.2)
        self.fail("no window %r" % title)

    def wait_gone(self, window, timeout=20.0):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if window not in xdotool(self.xvfb.display, "search", "--onlyvisible", "--name", "^%s$" % SAVE_TITLE,
                                     check=False).split():
                return
            time.sleep(0.1)
        self.fail("the dialog stayed open")

    def key(self, *keys):
        xdotool(self.xvfb.display, "key", "--delay", 60, *keys)

    def calls(self):
        try:
            with open(self.speech_log, encoding="utf-8") as f:
                return f.read().splitlines()
        except FileNotFoundError:
            return []

    def wait_calls(self, expected_tail, timeout=20.0):
        """Waits until the speech record ends with `expected_tail`."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.calls()[-len(expected_tail):] == expected_tail:
                return
            time.sleep(0.1)
        self.assertEqual(self.calls()[-len(expected_tail):], expected_tail)

    def wait_file(self, path, timeout=20.0):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if os.path.exists(path):
                time.sleep(0.5)
                with open(path, "rb") as f:
                    return f.read()
            time.sleep(0.1)
        self.fail("%s was not written" % path)

    def user_registry(self):
        out = os.path.join(self.dir, "user-software.reg")
        self.reg("export", "HKCU\\Software", windows_path(out), "/y", "/reg:64")
        with open(out, "rb") as f:
            return registry_entries(f.read().decode("utf-16"))

    def bring_in_screen_reader_module(self):
        """The reader's core module arrives in the running program from
        outside, through a thread of the program's own calling LoadLibraryA."""
        module = os.path.join(OPTIONS["--doubles"], "module")
        done = subprocess.run([wine_loader(), os.path.join(module, "vx-inject.exe"), APP_TITLE,
                               windows_path(os.path.join(module, "vxbcore.dll"))],
                              env=self.env, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
        self.assertEqual(done.returncode, 0, done.stderr.decode(errors="replace"))

    def save_through_menu(self):
        """Alt+F, S: saves through the library. Returns the speech calls made
        from the key press until the library's last call: the menu's reading,
        when there is one, comes before it."""
        before_calls = len(self.calls())
        before_dialog = len(self.dialog_calls())
        self.key("alt+f", "s")
        deadline = time.monotonic() + 20
        while len(self.dialog_calls()) < before_dialog + 5 and time.monotonic() < deadline:
            time.sleep(0.1)
        self.assertEqual(self.dialog_calls()[-1:], ["Delete|7"])
        return self.calls()[before_calls:]

    def dialog_calls(self):
        try:
            with open(self.dialog_log, "rb") as f:
                return f.read().decode("cp932").splitlines()
        except FileNotFoundError:
            return []

    def test_speaks_through_the_screen_readers_object_and_saves_through_its_dialog(self):
        self.start(OPTIONS["--doubles"], OPTIONS["--bits"])
        name_said = ["Interrupt", speak("差出人の名前は")]
        self.wait_calls(name_said)
        # Set up once, before anything else.
        self.assertEqual(self.calls()[:3], ["Configure(33)"] + name_said)
        self.assertEqual(self.calls().count("Configure(33)"), 1)

        harness.Keymap(self.xvfb.display).ensure("山田")
        xdotool(self.xvfb.display, "type", "--delay", 60, "山田taro")
        self.key("Return")
        self.wait_calls(["Interrupt", speak("メールアドレスは")])

        said = self.save_through_menu()
        data = self.wait_file(self.saved)
        self.assertEqual(data, ("[AccountSection]\r\nTitle=山田taro\r\nFromName=山田taro\r\n" + DEFAULT_TAIL)
                         .encode("cp932"))
        dialog = self.dialog_calls()
        self.assertEqual(len(dialog), 5, dialog)
        create = dialog[0].split("|")
        # Save mode, the default extension, no file name (a null pointer), the
        # program's folder as Windows writes it, the filter, an owner window.
        self.assertEqual(create[:4], ["Create", "0", ".acd", "(null)"])
        self.assertEqual(create[4], windows_path(self.program_dir))
        self.assertEqual("|".join(create[5:-1]), FILTER)
        self.assertNotEqual(create[-1], "0")
        self.assertEqual(dialog[1:], ["SetWindowText|7|%s|-1" % SAVE_TITLE, "DoModal|7", "GetPathName|7|100|0",
                                      "Delete|7"])
        # No screen reader has set the system's flag nor brought its module
        # in, so the program reads the menu itself, through the speech object
        # it has; saving itself announces nothing. The calls never left the
        # window's thread.
        self.assertEqual(said, MENU_READ)
        self.assertFalse([c for c in self.calls() if c.startswith("OtherThread")])

    def test_beside_the_running_screen_reader_the_program_leaves_menus_to_it(self):
        if OPTIONS["--bits"] != "32":
            self.skipTest("the screen reader brings its module only into 32-bit programs")
        self.start(OPTIONS["--doubles"], "32")
        self.wait_calls(["Interrupt", speak("差出人の名前は")])
        self.bring_in_screen_reader_module()
        # Coming back to the window asks again whether a screen reader runs:
        # the version dialog opens and closes, and the name field announces
        # itself through the reader's object all the same.
        self.key("alt+h", "a")
        self.wait_calls(["Interrupt", "Speak(VORNIXサポートソフト%sバージョン1.0.0,0)" % SEPARATOR])
        self.key("Escape")
        self.wait_calls(["Interrupt", speak("差出人の名前は")])
        # The answer arrives on its own thread and nothing the program says
        # marks it, so each save is a round: once the answer is in, the
        # program reads no menu, and it keeps to that.
        rounds = []
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline:
            rounds.append(self.save_through_menu())
            if rounds[-1] == []:
                break
        self.assertEqual(rounds[-1], [], rounds)
        self.assertEqual(self.save_through_menu(), [])
        self.assertEqual(self.calls().count("Configure(33)"), 1)

    def test_a_second_start_brings_back_the_dialog_that_has_the_input(self):
        # The library's dialog is modal and disables the window it belongs
        # to, as the screen reader's does.
        self.start(OPTIONS["--doubles"], OPTIONS["--bits"], VX_FILEDIALOG_MODAL="1")
        self.wait_calls(["Interrupt", speak("差出人の名前は")])
        self.key("alt+f", "s")
        dialog = self.wait_window("QRCOMFD stand-in")
        # The user went back to the disabled main window (a click on its
        # task bar button), where keys do nothing, then started the tool again.
        xdotool(self.xvfb.display, "windowfocus", self.window)
        second = self.launch(os.path.join(self.dir, "program"))
        self.assertEqual(second.wait(timeout=60), 0)
        self.assertEqual(len(self.windows_named(APP_TITLE)), 1)
        # The keyboard comes to the dialog, and Enter closes it: the save
        # goes on.
        deadline = time.monotonic() + 20
        while self.foreground() != "QRCOMFD stand-in":
            self.assertLess(time.monotonic(), deadline, "the keyboard stayed with %r" % self.foreground())
            time.sleep(0.2)
        self.key("Return")
        data = self.wait_file(self.saved)
        self.assertTrue(data.startswith(b"[AccountSection]\r\n"), data)
        self.assertNotIn(dialog, self.windows_named("QRCOMFD stand-in"))

    def test_without_the_screen_reader_the_program_starts_and_saves_silently(self):
        # The 64-bit program with the 32-bit components installed, as on a
        # user's 64-bit Windows: it can load none of them, and neither
        # crashes nor hangs: the system's voice (silent under Wine) and the
        # standard dialog stand in.
        doubles32 = os.environ.get("VX_WINDOWS32_DOUBLES")
        registry_before = self.user_registry()
        # A library of the file dialog's name in the working folder (one the
        # user may have browsed), of the program's own bitness, is not
        # loaded: only the program's folder, the system's and PATH count.
        os.symlink(os.path.join(OPTIONS["--doubles"], "filedialog", "QRCOMFD.DLL"),
                   os.path.join(self.dir, "QRCOMFD.DLL"))
        if OPTIONS["--bits"] == "64" and doubles32:
            self.start(doubles32, "32")
        else:
            self.start()
        # Windows' own dialog, driven by keys: a name typed without its
        # extension gets the default one, and an existing file is replaced
        # without a question.
        silent = os.path.join(self.dir, "silent.acd")
        with open(silent, "wb") as f:
            f.write(b"old")
        for _ in range(2):
            self.key("alt+f", "s")
            dialog = self.wait_window(SAVE_TITLE)
            xdotool(self.xvfb.display, "windowfocus", dialog)
            xdotool(self.xvfb.display, "type", "--delay", 40, windows_path(silent[:-len(".acd")]))
            self.key("Return")
            self.wait_gone(dialog)
        self.assertEqual(self.wait_file(silent), ("[AccountSection]\r\n" + DEFAULT_TAIL).encode("cp932"))
        self.assertEqual(self.calls(), [])
        self.assertEqual(self.dialog_calls(), [])
        # A session with the file dialog, ended by the user, leaves the
        # user's registry as it found it.
        self.key("alt+f", "x")
        self.proc.wait(timeout=30)
        changed = registry_before ^ self.user_registry()
        self.assertEqual(sorted(changed, key=str), [])


def main():
    argv = list(sys.argv)
    for option in OPTIONS:
        if option in argv:
            i = argv.index(option)
            OPTIONS[option] = argv[i + 1] if option == "--bits" else os.path.abspath(argv[i + 1])
            del argv[i:i + 2]
    tools = [t for t in ("Xvfb", "xdotool", "xmodmap") if shutil.which(t) is None]
    program = OPTIONS["--program"]
    if tools or not os.path.exists(wine_loader()) or not program or not os.path.isfile(
            os.path.join(program, "vornix-support.exe")) or not OPTIONS["--doubles"]:
        print("e2e: needs Xvfb, xdotool, xmodmap, Wine, --doubles and the packed program in --program",
              file=sys.stderr)
        sys.exit(harness.SKIP_EXIT_CODE)
    unittest.main(argv=argv, verbosity=2)


if __name__ == "__main__":
    main()
