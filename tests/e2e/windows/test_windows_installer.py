"""The installer, run silently under Wine in a prefix of its own, as a user
without administrator rights runs it: what it puts where, the program it
installs starting from the Start menu entry, and an uninstaller that takes
away exactly that and leaves what the user put beside the program.

    python3 test_windows_installer.py --installer SETUP.EXE --stage DIR --version 1.0.0
DIR of --stage holds the files the installer was packed from.
"""

import filecmp
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import harness  # noqa: E402
from harness import APP_TITLE, Xvfb, xdotool  # noqa: E402
from test_windows_program import wine_loader  # noqa: E402

OPTIONS = {"--installer": None, "--stage": None, "--version": None}
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\vornix-support"
# Where the installer keeps its folder for a later installation over it.
OWN_KEY = r"HKCU\Software\vornix-support"
UNINSTALLER = "uninstall.exe"
# What a user keeps beside the program: an account file saved there, and the
# screen reader's file-dialog library, placed there as the README suggests.
USER_FILES = {"taro.acd": "[AccountSection]\r\nTitle=山田\r\n".encode("cp932"),
              "QRCOMFD.DLL": b"MZ the screen reader's library"}

WIN10_AND_11 = "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"
NS = {"v1": "urn:schemas-microsoft-com:asm.v1", "v3": "urn:schemas-microsoft-com:asm.v3",
      "compat": "urn:schemas-microsoft-com:compatibility.v1",
      "ws2016": "http://schemas.microsoft.com/SMI/2016/WindowsSettings"}


def tree(folder):
    """Every file and folder below `folder`, by its path relative to it."""
    found = set()
    for root, dirs, files in os.walk(folder):
        for name in dirs + files:
            found.add(os.path.relpath(os.path.join(root, name), folder))
    return found


class InstallerTest(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="vx-e2e-setup-")
        # A Japanese Windows: the Start menu entry's name and the registry's
        # answers come in its code page, 932.
        cls.env = dict(os.environ, WINEPREFIX=os.path.join(cls.work, "prefix"), WINEDEBUG="-all",
                       WINEDLLOVERRIDES="mscoree,mshtml=", LANG="ja_JP.UTF-8", LC_ALL="ja_JP.UTF-8")
        cls.xvfb = Xvfb(cls.work).start()
        cls.env["DISPLAY"] = cls.xvfb.display
        cls.wine("wineboot", "-i", timeout=300)

    @classmethod
    def tearDownClass(cls):
        wineserver = os.path.join(os.path.dirname(os.path.realpath(wine_loader())), "wineserver")
        subprocess.run([wineserver, "-k"], env=cls.env, timeout=30)
        cls.xvfb.stop()
        shutil.rmtree(cls.work, ignore_errors=True)

    @classmethod
    def wine(cls, *args, timeout=120, check=True):
        """Runs a Windows program to its end; its output, in the ANSI code
        page of the prefix's Japanese locale, as text."""
        done = subprocess.run([wine_loader()] + list(args), env=cls.env, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, timeout=timeout)
        if check and done.returncode != 0:
            raise AssertionError("%s ended with %d" % (" ".join(args), done.returncode))
        return done.returncode, done.stdout.decode("cp932", "replace")

    def unix_path(self, windows_path):
        return self.wine("winepath", "-u", windows_path)[1].strip()

    def folder_of(self, variable):
        return self.wine("cmd", "/c", "echo", "%" + variable + "%")[1].strip()

    def registry_values(self, key, view):
        """The values of `key` as the registry's 32-bit or 64-bit view shows
        them; None without the key."""
        status, out = self.wine("reg", "query", key, view, check=False)
        if status != 0:
            return None
        values = {}
        for line in out.splitlines():
            parts = line.strip().split("    ")
            if len(parts) == 3:
                values[parts[0]] = parts[2]
        return values

    def test_installs_starts_and_uninstalls_leaving_the_users_files(self):
        status, _ = self.wine(OPTIONS["--installer"], "/S", timeout=300, check=False)
        self.assertEqual(status, 0)
        win_folder = self.folder_of("LOCALAPPDATA") + r"\Programs\vornix-support"
        folder = self.unix_path(win_folder)
        self.check_installed_files(folder)
        self.check_program_resources(os.path.join(folder, "vornix-support.exe"))
        entry = os.path.join(self.unix_path(self.folder_of("APPDATA")),
                             "Microsoft", "Windows", "Start Menu", "Programs", APP_TITLE + ".lnk")
        self.assertTrue(os.path.isfile(entry), "no Start menu entry")
        self.check_installed_programs_entry(win_folder)
        self.start_and_close(entry, win_folder + r"\vornix-support.exe")

        for name, data in USER_FILES.items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)
        # The uninstaller runs in place and is waited for; so it cannot
        # delete itself, as on Windows.
        status, _ = self.wine(os.path.join(folder, UNINSTALLER), "/S", "_?=" + win_folder, timeout=300,
                              check=False)
        self.assertEqual(status, 0)
        self.assertEqual(tree(folder), set(USER_FILES) | {UNINSTALLER})
        for name, data in USER_FILES.items():
            with open(os.path.join(folder, name), "rb") as f:
                self.assertEqual(f.read(), data, name)
        self.assertFalse(os.path.exists(entry), "the Start menu entry is left")
        for key in (UNINSTALL_KEY, OWN_KEY):
            for view in ("/reg:32", "/reg:64"):
                self.assertIsNone(self.registry_values(key, view), key + " " + view)

    def check_installed_files(self, folder):
        """The staged files, each as it was packed, and the uninstaller."""
        stage = OPTIONS["--stage"]
        staged = tree(stage)
        self.assertEqual(tree(folder), staged | {UNINSTALLER})
        files = [p for p in staged if os.path.isfile(os.path.join(stage, p))]
        _, mismatch, errors = filecmp.cmpfiles(stage, folder, files, shallow=False)
        self.assertEqual(mismatch + errors, [])

    def check_program_resources(self, exe):
        """The icon Explorer and the Start menu show, and the manifest Windows
        reads before the program starts."""
        listing = subprocess.run(["wrestool", "-l", exe], stdout=subprocess.PIPE, text=True,
                                 check=True).stdout
        self.assertEqual(listing.count("--type=24 "), 1, listing)
        manifest = ET.fromstring(subprocess.run(["wrestool", "-x", "--raw", "--type=24", exe], stdout=subprocess.PIPE,
                                                check=True).stdout)
        self.assertEqual([e.get("Id") for e in manifest.iterfind(".//compat:supportedOS", NS)], [WIN10_AND_11])
        self.assertEqual([e.get("level") for e in manifest.iterfind(".//v3:requestedExecutionLevel", NS)],
                         ["asInvoker"])
        self.assertEqual([e.text for e in manifest.iterfind(".//ws2016:dpiAwareness", NS)], ["PerMonitorV2"])
        controls = [(e.get("name"), e.get("version")) for e in
                    manifest.iterfind("v1:dependency/v1:dependentAssembly/v1:assemblyIdentity", NS)]
        self.assertEqual(controls, [("Microsoft.Windows.Common-Controls", "6.0.0.0")])

        icon = os.path.join(self.work, "program.ico")
        with open(icon, "wb") as f:
            f.write(subprocess.run(["wrestool", "-x", "--type=14", exe], stdout=subprocess.PIPE, check=True).stdout)
        listed = subprocess.run(["icotool", "-l", icon], stdout=subprocess.PIPE, text=True).stdout
        sizes = {int(w.split("=")[1]) for w in listed.split() if w.startswith("--width=")}
        self.assertEqual((min(sizes, default=0), max(sizes, default=0)), (16, 256))

    def check_installed_programs_entry(self, win_folder):
        """The same entry in both views: 32-bit and 64-bit programs (Windows'
        own list among them) share the user's Uninstall key."""
        for view in ("/reg:32", "/reg:64"):
            values = self.registry_values(UNINSTALL_KEY, view)
            self.assertIsNotNone(values, view)
            self.assertEqual(values.get("DisplayName"), APP_TITLE, view)
            self.assertEqual(values.get("DisplayVersion"), OPTIONS["--version"], view)
            self.assertEqual(values.get("InstallLocation"), win_folder, view)
            self.assertEqual(values.get("DisplayIcon"), win_folder + r"\vornix-support.exe", view)
            self.assertEqual(values.get("UninstallString"), '"%s\\%s"' % (win_folder, UNINSTALLER), view)
            self.assertEqual((self.registry_values(OWN_KEY, view) or {}).get("InstallDir"), win_folder, view)

    def program_processes(self, exe):
        """The processes of this prefix that run `exe` (a Windows path)."""
        prefix = ("WINEPREFIX=" + self.env["WINEPREFIX"]).encode()
        found = []
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                with open("/proc/%s/environ" % pid, "rb") as f:
                    environ = f.read().split(b"\0")
                with open("/proc/%s/cmdline" % pid, "rb") as f:
                    command = f.read().split(b"\0")[0].strip()
            except OSError:
                continue
            if prefix in environ and command.decode(errors="replace").lower() == exe.lower():
                found.append(int(pid))
        return found

    def start_and_close(self, entry, exe):
        """Through the Start menu entry, as a user starts it; ended from its
        File menu, and waited for, so that the uninstaller finds no file in
        use. Start's /wait does not wait for it under Wine."""
        self.wine("start", "/unix", entry)
        deadline = time.monotonic() + 90
        window = None
        while window is None and time.monotonic() < deadline:
            found = xdotool(self.xvfb.display, "search", "--onlyvisible", "--name", "^%s$" % APP_TITLE,
                            check=False).split()
            window = found[0] if found else None
            time.sleep(0.2)
        self.assertIsNotNone(window, "no window %r" % APP_TITLE)
        self.assertEqual(len(self.program_processes(exe)), 1)
        xdotool(self.xvfb.display, "windowfocus", window)
        xdotool(self.xvfb.display, "key", "--delay", 100, "alt+f", "x")
        deadline = time.monotonic() + 60
        while self.program_processes(exe) and time.monotonic() < deadline:
            time.sleep(0.2)
        self.assertEqual(self.program_processes(exe), [], "the program did not end")

def main():
    argv = list(sys.argv)
    for option in OPTIONS:
        if option in argv:
            i = argv.index(option)
            OPTIONS[option] = argv[i + 1] if option == "--version" else os.path.abspath(argv[i + 1])
            del argv[i:i + 2]
    tools = [t for t in ("Xvfb", "xdotool", "wrestool", "icotool") if shutil.which(t) is None]
    if tools or not os.path.exists(wine_loader()) or not all(OPTIONS.values()) or not os.path.isfile(
            OPTIONS["--installer"]):
        print("e2e: needs Xvfb, xdotool, icoutils, Wine and the installer in --installer", file=sys.stderr)
        sys.exit(harness.SKIP_EXIT_CODE)
    unittest.main(argv=argv, verbosity=2)


if __name__ == "__main__":
    main()
