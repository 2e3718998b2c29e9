#!/usr/bin/env python3
"""The main window in a user's hands: the real zarvo program under an X server, typed at with
real X key events (xdotool), closed as a window manager closes it (WM_DELETE_WINDOW).

Usage (under an X server, e.g. xvfb-run -a): main_window_e2e.py PATH/TO/zarvo PATH/TO/zarvo_read_symbol
"""
import os
import select
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

from Xlib import X, display, protocol

ZARVO = None  # the program under test, from the command line
READ_SYMBOL = None  # reads the symbol in a file or a window (zarvo_read_symbol)
TIMEOUT = 20  # seconds any single wait may take

# Where the main window's controls lie (its layout keeps the settings panel, 289 high, on the
# button bar, 40 high, and the editor pane at x = 365 to the right of the panel).
PANEL2_HEIGHT, PANEL3_HEIGHT, EDITOR_LEFT = 289, 40, 365


def xdotool(*args):
    return subprocess.run(("xdotool",) + args, check=True, capture_output=True, text=True,
                          timeout=TIMEOUT).stdout


class Run:
    """One run of the program, started from a copy in the program directory so that its settings
    and data list files are written there."""

    def __init__(self, directory):
        home = os.path.join(directory, "home")
        runtime = os.path.join(directory, "runtime")
        os.makedirs(home, exist_ok=True)
        os.makedirs(runtime, mode=0o700, exist_ok=True)
        env = dict(os.environ, HOME=home, XDG_RUNTIME_DIR=runtime, XDG_DATA_HOME=home,
                   XDG_CONFIG_HOME=home, QT_QPA_PLATFORM="xcb", LANG="C.UTF-8")
        self.process = subprocess.Popen([os.path.join(directory, "zarvo")], cwd=directory, env=env)
        # --onlyvisible: Qt's hidden selection owner window carries the program's name too
        self.window = xdotool("search", "--sync", "--onlyvisible", "--pid", str(self.process.pid),
                              "--name", "Zarvo").split()[0]
        xdotool("windowfocus", "--sync", self.window)
        self.x = display.Display()
        # the program's answers to pings come to the root window
        self.x.screen().root.change_attributes(event_mask=X.StructureNotifyMask)
        self.x_window = self.x.create_resource_object("window", int(self.window))
        self.pings = 0
        self.sync()

    def send(self, *data):
        message = protocol.event.ClientMessage(
            window=self.x_window, client_type=self.x.intern_atom("WM_PROTOCOLS"),
            data=(32, list(data) + [0] * (5 - len(data))))
        self.x_window.send_event(message, event_mask=X.NoEventMask)
        self.x.flush()

    def sync(self):
        """Waits until the program has handled everything sent to it so far: it answers a ping
        (_NET_WM_PING) from its event loop. xdotool types a character by changing the keymap for a
        moment, so a program still busy with earlier events would read a later keymap."""
        self.pings += 1
        ping = self.x.intern_atom("_NET_WM_PING")
        self.send(ping, self.pings, int(self.window))
        deadline = time.monotonic() + TIMEOUT
        while time.monotonic() < deadline:
            while self.x.pending_events():
                event = self.x.next_event()
                if (event.type == X.ClientMessage and event.data[1][0] == ping
                        and event.data[1][1] == self.pings):
                    return
            select.select([self.x.fileno()], [], [], 0.05)
        raise AssertionError("the program does not answer")

    def caption(self):
        return xdotool("getwindowname", self.window).strip()

    def resize(self, width, height):
        xdotool("windowsize", "--sync", self.window, str(width), str(height))
        self.size = (width, height)
        self.sync()

    def click(self, x, y, button=1):
        """A click at a point of the window (client coordinates)."""
        self.sync()
        xdotool("mousemove", "--window", self.window, str(x), str(y), "click", str(button))
        self.sync()

    def panel_top(self):
        """The top of the settings panel, and of the editor pane beside it."""
        return self.size[1] - PANEL3_HEIGHT - PANEL2_HEIGHT

    def read_symbol(self):
        """The orientation and the bytes of the symbol the window shows."""
        self.sync()
        return read_symbol("--window", self.window)

    def windows(self):
        return subprocess.run(("xdotool", "search", "--onlyvisible", "--pid", str(self.process.pid)),
                              capture_output=True, text=True, timeout=TIMEOUT).stdout.split()

    def other_window(self, *known):
        """A window of the program other than the main window and those known (a dialog),
        focused."""
        deadline = time.monotonic() + TIMEOUT
        while time.monotonic() < deadline:
            others = [w for w in self.windows() if w != self.window and w not in known]
            if others:
                xdotool("windowfocus", "--sync", others[0])
                self.sync()
                return others[0]
            time.sleep(0.05)
        raise AssertionError("no dialog appeared")

    def closed(self, window):
        """Waits until a dialog of the program is gone, then focuses the main window again (there
        is no window manager to do it)."""
        wait_for(lambda: window not in self.windows(), f"the close of window {window}")
        xdotool("windowfocus", "--sync", self.window)
        self.sync()

    def click_in(self, window, x, y):
        """A click at a point of one of the program's dialogs."""
        self.sync()
        xdotool("mousemove", "--window", window, str(x), str(y), "click", "1")
        self.sync()

    def wait_caption(self, part):
        deadline = time.monotonic() + TIMEOUT
        caption = self.caption()
        while part not in caption:
            if time.monotonic() > deadline:
                raise AssertionError(f"the caption {caption!r} never showed {part!r}")
            time.sleep(0.05)
            caption = self.caption()
        return caption

    def type(self, text):
        """Types text with xdotool. A character without a key of its own gets a spare key first,
        which the program learns before the typing starts: xdotool would bind it for the moment of
        its key press only, and a program that reads the keymap a little later gets nothing."""
        spare = self.spare_keys()
        bound = []
        for character in sorted(set(text)):
            if ord(character) >= 0x80:
                keycode = spare.pop(0)
                keysym = 0x01000000 + ord(character)
                self.x.change_keyboard_mapping(keycode, [(keysym, keysym)])
                bound.append(keycode)
        self.sync()
        xdotool("type", "--delay", "30", text)
        self.sync()
        for keycode in bound:
            self.x.change_keyboard_mapping(keycode, [(X.NoSymbol, X.NoSymbol)])
        self.x.flush()

    def spare_keys(self):
        first = self.x.display.info.min_keycode
        count = self.x.display.info.max_keycode - first + 1
        mapping = self.x.get_keyboard_mapping(first, count)
        return [first + i for i, keysyms in enumerate(mapping) if not any(keysyms)]

    def key(self, *keys):
        self.sync()
        xdotool("key", "--delay", "30", *keys)
        self.sync()

    def close(self):
        """Asks the window to close, as a window manager does, and waits for the program to end."""
        self.send(self.x.intern_atom("WM_DELETE_WINDOW"), X.CurrentTime)
        status = self.process.wait(timeout=TIMEOUT)
        self.x.close()
        return status

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


def read_symbol(*arguments):
    """(orientation in degrees, bytes) of the symbol zarvo_read_symbol finds; None when none."""
    result = subprocess.run((READ_SYMBOL,) + arguments, capture_output=True, text=True, timeout=TIMEOUT)
    if result.returncode != 0:
        return None
    orientation, data = result.stdout.split()
    return int(orientation), bytes.fromhex(data)


def wait_for(condition, what):
    deadline = time.monotonic() + TIMEOUT
    while not condition():
        if time.monotonic() > deadline:
            raise AssertionError(f"{what} never happened")
        time.sleep(0.05)


class MainWindow(unittest.TestCase):
    def setUp(self):
        self.directory = tempfile.mkdtemp(prefix="zarvo-e2e-")
        shutil.copy2(ZARVO, os.path.join(self.directory, "zarvo"))
        self.runs = []

    def tearDown(self):
        for run in self.runs:
            run.kill()
        shutil.rmtree(self.directory, ignore_errors=True)

    def start(self):
        run = Run(self.directory)
        run.size = (368, 441)  # the first run's client area
        self.runs.append(run)
        return run

    def read(self, name):
        with open(os.path.join(self.directory, name), "rb") as f:
            return f.read()

    def test_items_a_comment_and_the_version_survive_a_restart(self):
        zarvo = self.start()
        zarvo.wait_caption("Data size = 0,")
        # the symbol box has the focus at start
        zarvo.type("東京タワー")
        zarvo.key("Return")
        zarvo.wait_caption("Data size = 10,")
        zarvo.key("ctrl+a")
        zarvo.type("second")
        zarvo.key("KP_Enter")
        zarvo.wait_caption("Data size = 6,")
        # Tab: the binary-notation check box, ソート, 一覧, then the upper comment
        zarvo.key("Tab", "Tab", "Tab", "Tab")
        zarvo.type("上のコメント")
        zarvo.key("Return")
        # Tab: the lower comment, the encoding mode, the level, the mask, then the version
        zarvo.key("Tab", "Tab", "Tab", "Tab", "Tab", "ctrl+a")
        zarvo.type("3")
        zarvo.key("Return")
        zarvo.wait_caption("Data size = 6,  Capacity = 53")
        self.assertEqual(zarvo.close(), 0)

        dat = self.read("Zarvo.dat")
        self.assertTrue(dat.startswith(b"TPF0"))
        for item in ("東京タワー", "second"):
            self.assertIn(item.encode("cp932"), dat)
        self.assertEqual(self.read("ZarvoUp.txt").decode("cp932"), "\r\n上のコメント\r\n")
        self.assertEqual(self.read("ZarvoDn.txt"), b"\r\n\r\n")
        ini = self.read("zarvo.ini").decode("cp932")
        self.assertIn("\r\nバージョン=3\r\n", ini)
        self.assertIn("\r\nシンボル文字列=1\r\n", ini)

        # the next start shows the stored item at the stored version
        zarvo = self.start()
        zarvo.wait_caption("Data size = 6,  Capacity = 53")
        self.assertEqual(zarvo.close(), 0)


    def test_lines_typed_into_the_editor_become_an_item_turned_and_saved_as_an_image(self):
        zarvo = self.start()
        zarvo.wait_caption("Data size = 0,")
        zarvo.resize(1000, 700)  # the editor pane comes into sight
        top = zarvo.panel_top()
        zarvo.click(EDITOR_LEFT + 300, top + 150)
        zarvo.type("line one")
        zarvo.key("Return")
        zarvo.type("二行目")
        zarvo.click(EDITOR_LEFT + 24, top + 18)  # QR
        # the lines with CR LF between them: 8 + 2 + 6 bytes
        zarvo.wait_caption("Data size = 16,")
        lines = "line one\r\n二行目".encode("cp932")
        self.assertEqual(zarvo.read_symbol(), (0, lines))
        zarvo.click(EDITOR_LEFT + 66, top + 18)  # Add

        zarvo.key("ctrl+F2")
        turned = zarvo.read_symbol()
        self.assertIsNotNone(turned)
        self.assertIn(turned[0], (90, -90, 270))
        self.assertEqual(turned[1], lines)

        # the image is saved under the name typed into the file dialog
        saved = os.path.join(self.directory, "saved.png")
        zarvo.click(138, zarvo.size[1] - PANEL3_HEIGHT + 20)  # 保存
        zarvo.other_window()
        zarvo.key("ctrl+a")
        zarvo.type(saved)
        zarvo.key("Return")
        wait_for(lambda: os.path.exists(saved), "the saved image")
        self.assertEqual(read_symbol(saved), turned)
        self.assertEqual(zarvo.close(), 0)

        self.assertIn(lines, self.read("Zarvo.dat"))
        ini = self.read("zarvo.ini").decode("cp932")
        self.assertIn("\r\nSaveDir=" + self.directory + "\r\n", ini)

    def test_with_the_watch_on_a_text_copied_by_another_program_becomes_the_item(self):
        zarvo = self.start()
        zarvo.wait_caption("Data size = 0,")
        zarvo.type("first")
        zarvo.key("Return")
        zarvo.wait_caption("Data size = 5,")
        zarvo.click(290, zarvo.panel_top() + 2 + 22 * 12 + 10)  # クリップ監視
        for text, size in (("コピーした文字", 14), ("second copy", 11)):
            xclip = subprocess.Popen(("xclip", "-quiet", "-i", "-selection", "clipboard"),
                                     stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
            try:
                xclip.stdin.write(text.encode("utf-8"))
                xclip.stdin.close()
                zarvo.wait_caption(f"Data size = {size},")
                self.assertEqual(zarvo.read_symbol(), (0, text.encode("cp932")))
            finally:
                xclip.kill()
                xclip.wait()
        self.assertEqual(zarvo.close(), 0)

        dat = self.read("Zarvo.dat")
        for item in ("first", "コピーした文字", "second copy"):
            self.assertIn(item.encode("cp932"), dat)
        self.assertIn("\r\nクリップボード監視=True\r\n", self.read("zarvo.ini").decode("cp932"))

    def test_the_list_edited_in_its_window_sorted_and_printed_into_a_pdf_file(self):
        zarvo = self.start()
        zarvo.wait_caption("Data size = 0,")
        zarvo.type("東京タワー")
        zarvo.key("Return")
        zarvo.key("ctrl+a")
        zarvo.type("second")
        zarvo.key("Return")
        zarvo.wait_caption("Data size = 6,")
        top = zarvo.panel_top()

        # 一覧: the window opens on the item shown; typing replaces it, and a row typed into the
        # trailing row is a new item
        zarvo.click(342, top + 34)
        grid = zarvo.other_window()
        zarvo.type("変えた")
        zarvo.key("Return")
        zarvo.key("Down")
        zarvo.type("third")
        zarvo.key("Return")
        zarvo.click_in(grid, 34, 16)  # OK
        zarvo.closed(grid)
        # the row the window closed on is shown; the symbol box holds the changed item before it
        zarvo.wait_caption("Data size = 5,")
        self.assertEqual(zarvo.read_symbol(), (0, b"third"))
        zarvo.click(100, top + 34)
        zarvo.key("Up")
        zarvo.wait_caption("Data size = 6,")
        self.assertEqual(zarvo.read_symbol(), (0, "変えた".encode("cp932")))

        # ソート: by the symbol strings, ascending (the dialog's first choices), the first shown
        zarvo.click(300, top + 34)
        sort = zarvo.other_window()
        zarvo.key("Return")
        zarvo.closed(sort)
        zarvo.wait_caption("Data size = 5,")

        # リスト印刷: the preview, its 印刷, and the print dialog, which offers a PDF file without a
        # printer: the file's name typed into it
        zarvo.resize(1000, 700)
        pdf = os.path.join(self.directory, "list.pdf")
        zarvo.click(536, zarvo.size[1] - PANEL3_HEIGHT + 20)
        preview = zarvo.other_window()
        zarvo.click_in(preview, 40, 16)
        dialog = zarvo.other_window(preview)
        zarvo.key("alt+f", "ctrl+a")
        zarvo.type(pdf)
        zarvo.key("Return")
        zarvo.closed(dialog)
        wait_for(lambda: preview not in zarvo.windows(), "the end of the print")
        wait_for(lambda: os.path.exists(pdf) and os.path.getsize(pdf) > 0, "the PDF file")
        self.assertEqual(zarvo.close(), 0)

        # every item on the page, as a phone reads it
        subprocess.run(("pdftoppm", "-r", "300", "-png", pdf, os.path.join(self.directory, "page")),
                       check=True, timeout=TIMEOUT)
        pages = sorted(f for f in os.listdir(self.directory) if f.startswith("page"))
        self.assertEqual(len(pages), 1)
        read = subprocess.run((READ_SYMBOL, "--all", os.path.join(self.directory, pages[0])),
                              capture_output=True, text=True, timeout=TIMEOUT).stdout.split("\n")
        symbols = sorted(bytes.fromhex(line.split()[1]) for line in read if line)
        items = [b"third", "変えた".encode("cp932"), "東京タワー".encode("cp932")]
        self.assertEqual(symbols, sorted(items))
        # stored in the sorted order
        dat = self.read("Zarvo.dat")
        self.assertNotIn(b"second", dat)
        self.assertEqual([dat.index(item) for item in items], sorted(dat.index(item) for item in items))


if __name__ == "__main__":
    READ_SYMBOL = os.path.abspath(sys.argv.pop(2))
    ZARVO = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
