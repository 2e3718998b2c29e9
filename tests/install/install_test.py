#!/usr/bin/python3
"""The installed program, as a user or a packager meets it.

  install_test.py layout  --build DIR --source DIR --find-help TOOL
      cmake --install into a temporary DESTDIR (prefix /usr): exactly the expected files, the icon
      sizes, the desktop entry (desktop-file-validate), the manual pages (man -l, no warnings,
      every option of --help, the examples run), the help text found from the installed program,
      and the installed zarvo started from its desktop entry's Exec line under Xvfb from a
      read-only prefix, closed as a window manager closes it: its files end up in the per-user
      data directory and the installed tree is left as it was.
  install_test.py package --build DIR
      cpack -G DEB: the Debian file name, the control fields and the same files as the layout.

Read-only prefix: chmod -R a-w stops every user but root, and these tests often run as root. Then
the prefix is also bind-mounted read-only in a mount namespace of the test's own (unshare -m), so
that the kernel refuses every write whoever asks. Without that namespace (a container that forbids
it) the test still checks, byte for byte, that nothing in the tree changed: the program keeps out
of an installed prefix by its layout alone, root included.
"""
import argparse
import json
import os
import re
import shlex
import shutil
import stat
import struct
import subprocess
import sys
import tempfile
import time
import unittest

ICON_SIZES = (16, 32, 48, 64, 128, 256)
LIST_FILES = ("Zarvo.dat", "ZarvoUp.txt", "ZarvoDn.txt")
EXPECTED_FILES = {
    "usr/bin/zarvo",
    "usr/bin/zarvo-encode",
    "usr/share/zarvo/Readme.txt",
    "usr/share/applications/zarvo.desktop",
    "usr/share/icons/hicolor/scalable/apps/zarvo.svg",
    "usr/share/man/man1/zarvo.1.gz",
    "usr/share/man/man1/zarvo-encode.1.gz",
} | {f"usr/share/icons/hicolor/{n}x{n}/apps/zarvo.png" for n in ICON_SIZES}
EXECUTABLES = {"usr/bin/zarvo", "usr/bin/zarvo-encode"}

ARGS = None


def run(cmd, **kw):
    kw.setdefault("stdout", subprocess.PIPE)
    kw.setdefault("stderr", subprocess.PIPE)
    kw.setdefault("text", True)
    kw.setdefault("timeout", 120)
    return subprocess.run(cmd, **kw)


def files_under(root):
    """Relative paths of the files (and links) under root."""
    found = set()
    for dirpath, _, names in os.walk(root):
        for name in names:
            found.add(os.path.relpath(os.path.join(dirpath, name), root))
    return found


def snapshot(root):
    """Every entry under root with what a write would change."""
    state = {}
    for dirpath, dirs, names in os.walk(root):
        for name in dirs + names:
            path = os.path.join(dirpath, name)
            st = os.lstat(path)
            state[os.path.relpath(path, root)] = (st.st_mode, st.st_size, st.st_mtime_ns)
    return state


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", head[16:24])


def desktop_entry(path):
    keys = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if "=" in line and not line.startswith(("#", "[")):
                key, value = line.split("=", 1)
                keys[key] = value
    return keys


def exec_command(entry, bindir):
    """The desktop entry's Exec line as an argument list, its program found in bindir as the
    menu's PATH lookup would find the installed one; field codes are dropped (no files given)."""
    words = [w for w in shlex.split(entry["Exec"]) if not re.fullmatch(r"%[fFuUdDnNickvm]", w)]
    program = words[0] if os.path.isabs(words[0]) else os.path.join(bindir, words[0])
    return [program] + words[1:]


def help_options(text):
    return sorted(set(re.findall(r"--[a-z][a-z-]+", text)))


class Layout(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="zarvo-install-")
        cls.dest = os.path.join(cls.tmp, "dest")
        env = dict(os.environ, DESTDIR=cls.dest)
        result = run(["cmake", "--install", ARGS.build, "--prefix", "/usr"], env=env)
        if result.returncode != 0:
            raise AssertionError("cmake --install failed:\n" + result.stdout + result.stderr)
        cls.prefix = os.path.join(cls.dest, "usr")
        cls.bindir = os.path.join(cls.prefix, "bin")
        # The installed tree as a package leaves it: nobody's to write
        run(["chmod", "-R", "a-w", cls.prefix], check=True)

    @classmethod
    def tearDownClass(cls):
        run(["chmod", "-R", "u+w", cls.tmp])
        shutil.rmtree(cls.tmp, ignore_errors=True)

    def test_exactly_the_programs_and_their_data(self):
        # test programs, benchmarks, build tools and static libraries stay in the build tree
        self.assertEqual(files_under(self.dest), EXPECTED_FILES)
        for rel in EXPECTED_FILES:
            mode = os.stat(os.path.join(self.dest, rel)).st_mode
            self.assertEqual(bool(mode & stat.S_IXOTH), rel in EXECUTABLES, rel)
            self.assertTrue(mode & stat.S_IROTH, rel)

    def test_icons_at_their_theme_sizes(self):
        icons = os.path.join(self.prefix, "share/icons/hicolor")
        for n in ICON_SIZES:
            self.assertEqual(png_size(os.path.join(icons, f"{n}x{n}/apps/zarvo.png")), (n, n), n)
        with open(os.path.join(icons, "scalable/apps/zarvo.svg"), encoding="utf-8") as f:
            svg = f.read()
        # scalable only with a viewBox; the symbol is square
        self.assertRegex(svg, r'<svg [^>]*viewBox="0 0 (\d+) \1"')

    def test_desktop_entry(self):
        path = os.path.join(self.prefix, "share/applications/zarvo.desktop")
        result = run(["desktop-file-validate", path])
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        # hints (two main categories, as asked for) are advice; errors and warnings are not
        self.assertNotRegex(result.stdout + result.stderr, r"(error|warning):")
        entry = desktop_entry(path)
        for key in ("Name", "Name[ja]", "Comment", "Comment[ja]", "GenericName", "GenericName[ja]"):
            self.assertTrue(entry.get(key), key)
        self.assertRegex(entry["Name[ja]"] + entry["Comment[ja]"], r"[\u3040-\u30ff\u4e00-\u9fff]")
        self.assertEqual(entry["Categories"], "Graphics;Office;")
        self.assertEqual(entry["Type"], "Application")
        self.assertEqual(entry.get("Terminal"), "false")
        self.assertEqual(entry["Icon"], "zarvo")
        self.assertEqual(exec_command(entry, self.bindir), [os.path.join(self.bindir, "zarvo")])

    def render_manual(self, page):
        path = os.path.join(self.prefix, "share/man/man1", page)
        env = {k: v for k, v in os.environ.items() if k != "MAN_KEEP_FORMATTING"}
        env.update(LC_ALL="C.UTF-8", MANWIDTH="80")
        result = run(["man", "--warnings", "-l", path], env=env)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stderr, "", page)
        return result.stdout

    def test_manual_page_of_zarvo(self):
        text = self.render_manual("zarvo.1.gz")
        for word in ("FILES", "zarvo.ini", "Zarvo.dat", "Readme.txt", "XDG_DATA_HOME", "zarvo-encode(1)"):
            self.assertIn(word, text)

    def test_manual_page_of_zarvo_encode_matches_the_tool_and_the_readme(self):
        encode = os.path.join(self.bindir, "zarvo-encode")
        usage = run([encode, "--help"]).stdout
        version = run([encode, "--version"]).stdout.split()[-1]
        text = self.render_manual("zarvo-encode.1.gz")
        with open(os.path.join(ARGS.source, "README.md"), encoding="utf-8") as f:
            readme = f.read()
        options = help_options(usage)
        self.assertGreaterEqual(len(options), 20)
        for option in options:
            self.assertRegex(text, re.escape(option) + r"\b", "manual page lacks " + option)
            in_table = r"(?m)^\| `.*" + re.escape(option) + r"\b"
            self.assertRegex(readme, in_table, "README's tables lack " + option)
        # and nothing that the tool does not know
        self.assertEqual(set(help_options(text)) - set(options), set())
        exits = text.split("EXIT STATUS", 1)[1].split("ENVIRONMENT", 1)[0]
        self.assertEqual(re.findall(r"^ {7}(\d)\s", exits, re.M), ["0", "1", "2"])
        self.assertIn("Zarvo " + version, text.strip().splitlines()[-1])

    def test_manual_examples_run(self):
        text = self.render_manual("zarvo-encode.1.gz")
        examples = text.split("EXAMPLES", 1)[1].split("SEE ALSO", 1)[0]
        commands = re.findall(r"^ {14}(\S.*)$", re.sub(r"\\\n\s+", "", examples), re.M)
        self.assertGreaterEqual(len(commands), 5)
        work = tempfile.mkdtemp(dir=self.tmp)
        with open(os.path.join(work, "notes.txt"), "w") as f:
            f.write("Zarvo notes, long enough for three symbols.\n")
        env = dict(os.environ, PATH=self.bindir + ":" + os.environ["PATH"], QT_QPA_PLATFORM="offscreen")
        for command in commands:
            self.assertIn("zarvo-encode", command)
            result = run(["bash", "-c", command], cwd=work, env=env)
            self.assertEqual(result.returncode, 0, command + "\n" + result.stderr)
        self.assertEqual(png_size(os.path.join(work, "grid.png")), (156, 156))

    def test_help_text_found_from_the_installed_program(self):
        installed = os.path.join(self.prefix, "share/zarvo/Readme.txt")
        with open(installed, "rb") as a, open(os.path.join(ARGS.source, "app/Readme.txt"), "rb") as b:
            self.assertEqual(a.read(), b.read())
        result = run([ARGS.find_help, os.path.join(self.bindir, "zarvo")])
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stdout.strip(), os.path.realpath(installed))

    def test_zarvo_from_a_read_only_prefix_keeps_its_files_per_user(self):
        before = snapshot(self.dest)
        entry = desktop_entry(os.path.join(self.prefix, "share/applications/zarvo.desktop"))
        homes = os.path.join(self.tmp, "homes")
        os.mkdir(homes)
        plan = {"prefix": self.prefix, "command": exec_command(entry, self.bindir), "homes": homes}
        inner = [sys.executable, os.path.abspath(__file__), "readonly", json.dumps(plan)]
        if os.geteuid() == 0:
            if run(["unshare", "-m", "true"]).returncode == 0:
                inner = ["unshare", "-m", "--propagation", "private"] + inner + ["--mount"]
            else:
                print("note: no mount namespace here; relying on the program's layout rule as root")
        result = run(inner, timeout=240)
        sys.stdout.write(result.stdout)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)

        # XDG_DATA_HOME when set, else ~/.local/share, as the README says
        for data in (os.path.join(homes, "xdg/data/zarvo"), os.path.join(homes, "plain/.local/share/zarvo")):
            self.assertEqual(sorted(os.listdir(data)), sorted(("zarvo.ini",) + LIST_FILES), data)
            with open(os.path.join(data, "zarvo.ini"), "rb") as f:
                self.assertIn(b"WindowState=", f.read())
        self.assertEqual(snapshot(self.dest), before)


class Package(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="zarvo-package-")
        config = os.path.join(ARGS.build, "CPackConfig.cmake")
        result = run(["cpack", "-G", "DEB", "--config", config, "-B", cls.tmp], timeout=600)
        if result.returncode != 0:
            raise AssertionError("cpack failed:\n" + result.stdout + result.stderr)
        cls.debs = [n for n in os.listdir(cls.tmp) if n.endswith(".deb")]

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp, ignore_errors=True)

    def field(self, name):
        return run(["dpkg-deb", "-f", os.path.join(self.tmp, self.debs[0]), name]).stdout.strip()

    def test_named_the_debian_way(self):
        arch = run(["dpkg", "--print-architecture"]).stdout.strip()
        version = self.field("Version")
        self.assertEqual(self.debs, [f"zarvo_{version}_{arch}.deb"])
        self.assertEqual(self.field("Package"), "zarvo")
        self.assertEqual(self.field("Architecture"), arch)
        self.assertRegex(version, r"^\d+\.\d+\.\d+$")

    def test_depends_on_the_libraries_and_the_fonts(self):
        depends = {d.strip().split(" ")[0] for d in self.field("Depends").split(",")}
        # found by dpkg-shlibdeps from the programs, and the fonts that no library names
        needed = ("libc6", "libstdc++6", "libqt6core6", "libqt6gui6", "libqt6widgets6", "libjpeg62-turbo")
        for package in needed + ("fonts-ipafont-gothic", "qt6-translations-l10n"):
            self.assertIn(package, depends)
        self.assertTrue(self.field("Description"))

    def test_holds_the_installed_layout_owned_by_root(self):
        listing = run(["dpkg-deb", "-c", os.path.join(self.tmp, self.debs[0])]).stdout.splitlines()
        files = set()
        for line in listing:
            mode, owner, _, _, _, path = line.split(None, 5)
            self.assertEqual(owner, "root/root", line)
            if not mode.startswith("d"):
                files.add(path[2:] if path.startswith("./") else path)
        self.assertEqual(files, EXPECTED_FILES)


# --- run inside the test's own mount namespace, then inside Xvfb ---


def readonly(plan, mount):
    if mount:
        prefix = plan["prefix"]
        subprocess.run(["mount", "--bind", prefix, prefix], check=True)
        subprocess.run(["mount", "-o", "remount,bind,ro", prefix], check=True)
    probe = os.path.join(plan["prefix"], "bin", "probe")
    try:
        open(probe, "w").close()
        os.unlink(probe)
        if mount or os.geteuid() != 0:
            print("the prefix can still be written")
            return 1
    except OSError:
        pass
    how = "read-only bind mount" if mount else "chmod a-w" if os.geteuid() != 0 else "writable for root"
    print(f"prefix: {how}", flush=True)
    return subprocess.run(
        ["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24"]
        + [sys.executable, os.path.abspath(__file__), "session", json.dumps(plan)]
    ).returncode


def find_window(display, pid):
    from Xlib import X

    pid_atom = display.intern_atom("_NET_WM_PID")
    for window in display.screen().root.query_tree().children:
        try:
            prop = window.get_full_property(pid_atom, X.AnyPropertyType)
            if prop and prop.value[0] == pid and window.get_attributes().map_state == X.IsViewable:
                return window
        except Exception:  # a window that went away meanwhile
            continue
    return None


def has_icon(display, window):
    from Xlib import X

    icon = window.get_full_property(display.intern_atom("_NET_WM_ICON"), X.AnyPropertyType)
    return icon is not None and len(icon.value) > 2


def close_like_a_window_manager(display, window):
    from Xlib import X, protocol

    protocols = display.intern_atom("WM_PROTOCOLS")
    delete = display.intern_atom("WM_DELETE_WINDOW")
    data = (32, [delete, X.CurrentTime, 0, 0, 0])
    event = protocol.event.ClientMessage(window=window, client_type=protocols, data=data)
    window.send_event(event, event_mask=X.NoEventMask)
    display.flush()


def session(plan):
    from Xlib import display as xdisplay

    display = xdisplay.Display()
    for name, extra in (("xdg", {"XDG_DATA_HOME": "data"}), ("plain", {})):
        home = os.path.join(plan["homes"], name)
        runtime = os.path.join(home, "runtime")
        os.makedirs(runtime, mode=0o700)
        env = {k: v for k, v in os.environ.items() if not k.startswith("XDG_") and k != "QT_QPA_PLATFORM"}
        # the installed share/ first, as /usr/share is for a package, so that the icon theme finds
        # the installed icon
        data_dirs = os.path.join(plan["prefix"], "share") + ":/usr/local/share:/usr/share"
        env.update(HOME=home, XDG_RUNTIME_DIR=runtime, XDG_DATA_DIRS=data_dirs, LANG="C.UTF-8")
        suppressions = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "lsan.supp")
        lsan = filter(None, (env.get("LSAN_OPTIONS"), "suppressions=" + suppressions))
        env["LSAN_OPTIONS"] = ":".join(lsan)
        env.update({k: os.path.join(home, v) for k, v in extra.items()})
        program = subprocess.Popen(plan["command"], env=env, cwd=home)
        window = None
        deadline = time.monotonic() + 60
        while window is None and time.monotonic() < deadline and program.poll() is None:
            time.sleep(0.2)
            window = find_window(display, program.pid)
        if window is None:
            program.kill()
            print(f"{name}: no window of zarvo appeared (exit {program.wait()})")
            return 1
        time.sleep(1.0)  # the start-up reads the settings on the first show
        if not has_icon(display, window):
            program.kill()
            print(f"{name}: the window has no icon: the theme did not find the installed one")
            return 1
        close_like_a_window_manager(display, window)
        try:
            status = program.wait(timeout=30)
        except subprocess.TimeoutExpired:
            program.kill()
            print(f"{name}: zarvo did not close")
            return 1
        if status != 0:
            print(f"{name}: zarvo exited with {status}")
            return 1
        print(f"{name}: started from the desktop entry and closed")
    return 0


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("what", choices=("layout", "package", "readonly", "session"))
    parser.add_argument("plan", nargs="?")
    parser.add_argument("--mount", action="store_true")
    parser.add_argument("--build")
    parser.add_argument("--source")
    parser.add_argument("--find-help")
    ARGS, rest = parser.parse_known_args()
    if ARGS.what == "readonly":
        return readonly(json.loads(ARGS.plan), ARGS.mount)
    if ARGS.what == "session":
        return session(json.loads(ARGS.plan))
    suite = unittest.defaultTestLoader.loadTestsFromTestCase(Layout if ARGS.what == "layout" else Package)
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
