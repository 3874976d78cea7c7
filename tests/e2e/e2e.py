#!/usr/bin/env python3
"""End-to-end tests: the real trelvin2-rs232 under Xvfb with openbox, driven with xdotool and
wmctrl, against trelvin2-sim linked as /dev/comN.

    e2e.py BUILD_DIR SCENARIO

Exit status 0 passed, 1 failed, 77 skipped (not root, or no X server tools). Screenshots go to
BUILD_DIR/e2e/.
"""
import fcntl
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIP = 77

# Inner-area positions of the controls the operator uses, from the windows' layout.
PORT_OK = (170 + 37, 30 + 13)
RATE_LIST = (20 + 60, 30 + 12)
FRAMING_LIST = (160 + 45, 30 + 12)
SAVE_BUTTON = (270 + 55, 30 + 15)
START_BUTTON = (10 + 100, 100 + 15)
STATUS_LINE = (70, 155, 410, 20)          # x, y, width, height in the main window
PORT_MESSAGE = (20, 62, 225, 20)          # in the port window
PROGRESS_BAR = (10, 60, 470, 20)

MAIN_TITLE = "RS232-Einstellung für das Trelvin 2"
PORT_TITLE = "RS232 Port zum Modem"
SETTINGS_TITLE = "RS232 Konfigurationdaten"


class Failure(Exception):
    pass


def check(condition, what):
    if not condition:
        raise Failure(what)
    print(f"  ok: {what}")


class Session:
    """One X display with a window manager, the simulators and the tool, cleaned up at exit."""

    def __init__(self, build_dir, name):
        self.build = build_dir
        self.name = name
        self.shots = os.path.join(build_dir, "e2e")
        os.makedirs(self.shots, exist_ok=True)
        self.procs = []
        self.links = []
        self.held = []
        self.planted = []  # files to remove at the end (lock files of a pretended holder)
        self.tmp = tempfile.mkdtemp(prefix="trelvin2-e2e-")
        self.display = None
        self.tool = None

    # --- set-up ---------------------------------------------------------------------------
    def start_display(self):
        # TRELVIN2_E2E_DISPLAY: the first of ten display numbers this run may use, where the
        # machine's displays are shared out.
        first = int(os.environ.get("TRELVIN2_E2E_DISPLAY", "90"))
        for number in range(first, first + 50 if "TRELVIN2_E2E_DISPLAY" not in os.environ else first + 10):
            if not os.path.exists(f"/tmp/.X11-unix/X{number}") and not os.path.exists(f"/tmp/.X{number}-lock"):
                break
        self.display = f":{number}"
        self.env = dict(os.environ, DISPLAY=self.display)
        self.env.pop("QT_QPA_PLATFORM", None)
        self.env.pop("WAYLAND_DISPLAY", None)
        self.spawn(["Xvfb", self.display, "-screen", "0", "1024x768x24", "-nolisten", "tcp"], "xvfb")
        # The socket file appears when Xvfb binds it, a moment before it accepts connections:
        # wait until the server answers, or the window manager may find no display.
        deadline = time.time() + 10
        while self.run(["xdpyinfo"], check_ok=False).returncode != 0:
            if time.time() > deadline:
                raise Failure("Xvfb did not start")
            time.sleep(0.05)
        deadline = time.time() + 10
        openbox = self.spawn(["openbox", "--sm-disable"], "openbox")
        while self.run(["wmctrl", "-m"], check_ok=False).returncode != 0:
            if time.time() > deadline:
                raise Failure("openbox did not start")
            if openbox.poll() is not None:  # gave up on the display: once more
                openbox = self.spawn(["openbox", "--sm-disable"], "openbox")
            time.sleep(0.1)

    def spawn(self, argv, label, **kwargs):
        log = open(os.path.join(self.tmp, f"{label}.log"), "w")
        proc = subprocess.Popen(argv, stdout=log, stderr=subprocess.STDOUT, env=getattr(self, "env", None),
                                start_new_session=True, **kwargs)
        proc.log_path = log.name
        self.procs.append(proc)
        return proc

    def start_sim(self, link, *options):
        """trelvin2-sim linked as LINK; returns the process, whose output is in proc.log_path."""
        if os.path.lexists(link):
            raise Failure(f"{link} exists already; refusing to replace it")
        proc = self.spawn([os.path.join(self.build, "trelvin2-sim"), "--link", link, "--transcript", *options],
                          "sim-" + os.path.basename(link))
        self.links.append(link)
        deadline = time.time() + 10
        while not os.path.islink(link):
            if time.time() > deadline or proc.poll() is not None:
                raise Failure(f"trelvin2-sim did not link {link}: {self.read(proc)}")
            time.sleep(0.05)
        return proc

    def hold(self, path):
        """Opens PATH the way another serial program would, exclusively, and keeps it."""
        fd = os.open(path, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
        fcntl.flock(fd, fcntl.LOCK_EX | fcntl.LOCK_NB)
        self.held.append(fd)

    def start_tool(self):
        self.tool = self.spawn([os.path.join(self.build, "trelvin2-rs232")], "tool")
        self.tool_started = time.time()
        return self.tool

    # --- driving --------------------------------------------------------------------------
    def run(self, argv, check_ok=True):
        result = subprocess.run(argv, env=self.env, capture_output=True, text=True, timeout=30)
        if check_ok and result.returncode != 0:
            raise Failure(f"{' '.join(argv)} failed: {result.stderr.strip()}")
        return result

    def window(self, title, timeout=10):
        deadline = time.time() + timeout
        while time.time() < deadline:
            found = self.run(["xdotool", "search", "--onlyvisible", "--name", f"^{re.escape(title)}$"],
                             check_ok=False)
            ids = found.stdout.split()
            if ids:
                return ids[-1]
            if self.tool is not None and self.tool.poll() is not None:
                raise Failure(f"the tool ended (status {self.tool.returncode}) before '{title}' showed")
            time.sleep(0.05)
        raise Failure(f"window '{title}' did not appear")

    def gone(self, title, timeout=10):
        deadline = time.time() + timeout
        while time.time() < deadline:
            found = self.run(["xdotool", "search", "--onlyvisible", "--name", f"^{re.escape(title)}$"],
                             check_ok=False)
            if not found.stdout.split():
                return True
            time.sleep(0.05)
        return False

    def geometry(self, wid):
        out = self.run(["xdotool", "getwindowgeometry", "--shell", wid]).stdout
        values = dict(line.split("=", 1) for line in out.split())
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    def click(self, wid, position):
        self.run(["xdotool", "windowactivate", "--sync", wid], check_ok=False)
        self.run(["xdotool", "mousemove", "--window", wid, str(position[0]), str(position[1]),
                  "click", "1"])
        time.sleep(0.3)

    def keys(self, *names):
        for name in names:
            self.run(["xdotool", "key", name])
            time.sleep(0.15)

    def choose(self, wid, list_position, steps_down):
        """Opens a drop-down list and picks the item steps_down below the first."""
        self.click(wid, list_position)
        self.keys("Home", *(["Down"] * steps_down), "Return")

    def close(self, title):
        self.run(["wmctrl", "-c", title])

    def screenshot(self, label, wid=None):
        path = os.path.join(self.shots, f"{self.name}-{label}.png")
        argv = ["import", "-display", self.display, "-window", wid or "root", path]
        self.run(argv)
        return path

    def dark_pixels(self, wid, area):
        """How many pixels in AREA of the window are dark (text), and how many are red."""
        path = os.path.join(self.tmp, "area.txt")
        x, y, w, h = area
        shot = os.path.join(self.tmp, "window.png")
        self.run(["import", "-display", self.display, "-window", wid, shot])
        self.run(["convert", shot, "-crop", f"{w}x{h}+{x}+{y}", "+repage", "txt:" + path])
        dark = red = 0
        for line in open(path):
            m = re.search(r"\((\d+),(\d+),(\d+)", line.replace(" ", ""))
            if not m or line.startswith("#"):
                continue
            r, g, b = (int(v) for v in m.groups())
            if r + g + b < 200:
                dark += 1
            if r > 150 and g < 90 and b < 90:
                red += 1
        return dark, red

    def wait_tool_exit(self, timeout):
        try:
            return self.tool.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure(f"the tool did not end within {timeout} s")

    def wait_for_output(self, proc, pattern, timeout):
        deadline = time.time() + timeout
        while time.time() < deadline:
            match = re.search(pattern, self.read(proc), re.M)
            if match:
                return match
            time.sleep(0.05)
        raise Failure(f"no '{pattern}' from {os.path.basename(proc.args[0])} within {timeout} s:\n{self.read(proc)}")

    @staticmethod
    def read(proc):
        with open(proc.log_path, errors="replace") as f:
            return f.read()

    # --- tear-down ------------------------------------------------------------------------
    def cleanup(self):
        for fd in self.held:
            os.close(fd)
        for proc in reversed(self.procs):
            if proc.poll() is None:
                try:
                    os.killpg(proc.pid, signal.SIGTERM)
                except ProcessLookupError:
                    pass
        for proc in self.procs:
            try:
                proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                os.killpg(proc.pid, signal.SIGKILL)
        for link in self.links:
            if os.path.islink(link):
                os.unlink(link)
        for path in self.planted:
            if os.path.lexists(path):
                os.unlink(path)
        shutil.rmtree(self.tmp, ignore_errors=True)


def hold_machine_ports(session):
    """Real ports of the test machine (a VM's ttyS0, say) must not take part: hold them."""
    for node in sorted(os.listdir("/dev")):
        if re.fullmatch(r"tty(USB|ACM)\d|ttyS\d+", node):
            try:
                session.hold("/dev/" + node)
            except OSError:
                pass


def through_settings(s, rate_steps, framing_steps):
    """Port window "OK", then the settings window's choices and "Speichern"."""
    port = s.window(PORT_TITLE)
    s.click(port, PORT_OK)
    check(s.gone(PORT_TITLE), "the port window closes after OK")
    settings = s.window(SETTINGS_TITLE)
    if rate_steps is not None:
        s.choose(settings, RATE_LIST, rate_steps)
    if framing_steps is not None:
        s.choose(settings, FRAMING_LIST, framing_steps)
    s.click(settings, SAVE_BUTTON)
    check(s.gone(SETTINGS_TITLE), "the settings window closes after Speichern")
    return s.window(MAIN_TITLE)


def transcript_bytes(output):
    """trelvin2-sim's transcript as (microseconds, "tool" or "device", byte) in wire order."""
    entries = []
    for line in output.splitlines():
        m = re.match(r"\s*(\d+) us\s+(tool|device) -> (?:tool|device)\s+([0-9A-F]{2})\b", line)
        if m:
            entries.append((int(m.group(1)), m.group(2), int(m.group(3), 16)))
    return entries


def tool_bytes_after(output, reply):
    """Bytes the tool sent after the device's REPLY (e.g. b"W?"), from trelvin2-sim's transcript."""
    entries = transcript_bytes(output)
    device = [(i, b) for i, (_, who, b) in enumerate(entries) if who == "device"]
    for k in range(len(device) - len(reply) + 1):
        if bytes(b for _, b in device[k:k + len(reply)]) == reply:
            end = device[k + len(reply) - 1][0]
            return [b for _, who, b in entries[end + 1:] if who == "tool"]
    raise Failure(f"{reply!r} is not in the transcript")


def wait_for_reply(s, sim, reply, timeout):
    deadline = time.time() + timeout
    while time.time() < deadline:
        try:
            tool_bytes_after(s.read(sim), reply)
            return
        except Failure:
            time.sleep(0.1)
    raise Failure(f"the device never sent {reply!r}:\n{s.read(sim)[-2000:]}")


def scenario_update(s):
    """A whole update with "300" and "8O1", ending by itself about 3 s after success."""
    hold_machine_ports(s)
    sim = s.start_sim("/dev/com1", "--reset-after", "2000", "--once")
    s.start_tool()
    main = s.window(MAIN_TITLE)
    x, y, w, h = s.geometry(main)
    check((w, h) == (492, 183), f"main window inner area 492 x 183 (got {w} x {h})")
    port = s.window(PORT_TITLE)
    px, py, pw, ph = s.geometry(port)
    check(abs((px + pw / 2) - (x + w / 2)) <= 3 and abs((py + ph / 2) - (y + h / 2)) <= 25,
          "the port window stands centred over the main window")
    s.screenshot("port-window")
    main = through_settings(s, 0, 1)
    s.screenshot("settings-chosen", main)
    s.click(main, START_BUTTON)
    line = s.wait_for_output(sim, r"^firmware: .*$", 40).group(0)
    success_at = time.time()
    check("300 baud 8O1" in line and "BaudCode 0, ProtocolCode 3" in line,
          f"the device starts its firmware at 300 baud 8O1 ({line})")
    time.sleep(0.8)
    shot = s.screenshot("success", main)
    dark, red = s.dark_pixels(main, STATUS_LINE)
    check(dark > 40 and red == 0, "the success text stands in the status line, not in red")
    status = s.wait_tool_exit(10)
    took = time.time() - success_at
    check(status == 0, "the tool ends with status 0")
    check(2.5 <= took <= 5.0, f"the tool ends by itself about 3 s after success ({took:.1f} s)")
    shutil.copy(shot, os.path.join(s.shots, "main-window-success.png"))


def scenario_refused_write(s):
    """The W of the second block refused: the tool stays open, nothing more goes out."""
    hold_machine_ports(s)
    sim = s.start_sim("/dev/com1", "--reset-after", "2000", "--fault", "reply:W#2=W?")
    s.start_tool()
    main = through_settings(s, None, None)
    s.click(main, START_BUTTON)
    wait_for_reply(s, sim, b"W?", 40)
    time.sleep(1.5)
    s.screenshot("refused", main)
    dark, red = s.dark_pixels(main, STATUS_LINE)
    check(red > 20, "the failure stands in red in the status line")
    check(s.tool.poll() is None, "the tool stays open after the failure")
    s.click(main, START_BUTTON)  # disabled: nothing happens
    time.sleep(1.5)
    transcript = s.read(sim)
    after = tool_bytes_after(transcript, b"W?")
    check(after == [], "nothing goes to the device after the refusal, not even on a second press")
    s.close(MAIN_TITLE)
    check(s.wait_tool_exit(5) == 0, "closing the main window ends the tool with status 0")


def scenario_no_port(s):
    """No free port: the message, OK's failure message, and the close box ends the tool."""
    hold_machine_ports(s)
    s.start_tool()
    port = s.window(PORT_TITLE)
    time.sleep(0.5)
    s.screenshot("no-port", port)
    dark, _ = s.dark_pixels(port, PORT_MESSAGE)
    check(dark > 40, '"Kein COM-PORT installiert!!" stands in the port window')
    s.click(port, PORT_OK)
    time.sleep(0.5)
    s.screenshot("open-failed", port)
    check(s.tool.poll() is None, "OK without a port keeps the tool open")
    time.sleep(2.0)  # the 2000 ms pause after a failed open
    s.close(PORT_TITLE)
    started = time.time()
    check(s.wait_tool_exit(5) == 0, "closing the port window ends the tool with status 0")
    check(time.time() - started < 1.5, "within about a second")


def update_on_com2_while_com1_held(s, hold_com1, how):
    """com1 and com2 with a device each, com1 held by HOLD_COM1(): OK opens com2, the update runs
    there, and com1 gets no byte."""
    hold_machine_ports(s)
    held_sim = s.start_sim("/dev/com1", "--reset-now")
    hold_com1()
    free_sim = s.start_sim("/dev/com2", "--reset-now", "--once")
    s.start_tool()
    main = through_settings(s, None, None)
    s.click(main, START_BUTTON)
    s.wait_for_output(free_sim, r"^firmware: 115200 baud 8N1", 20)
    check(s.wait_tool_exit(10) == 0, "the update on com2 ends the tool with status 0")
    check(transcript_bytes(s.read(held_sim)) == [], f"com1, {how}, got no byte from the tool")


def scenario_held_port(s):
    """A port another program holds is not offered: com1 is held, so OK opens com2."""
    update_on_com2_while_com1_held(s, lambda: s.hold("/dev/com1"), "held by another program")


def scenario_second_copy(s):
    """A second copy of the tool does not offer the port that the first one holds."""
    hold_machine_ports(s)
    s.start_sim("/dev/com1", "--reset-now")
    first = s.start_tool()
    port = s.window(PORT_TITLE)
    s.click(port, PORT_OK)
    s.window(SETTINGS_TITLE)  # the first copy now holds com1
    second = s.start_tool()
    port = s.window(PORT_TITLE)
    time.sleep(0.5)
    s.screenshot("second-copy", port)
    dark, _ = s.dark_pixels(port, PORT_MESSAGE)
    check(dark > 40, '"Kein COM-PORT installiert!!" in the second copy: com1 is not offered')
    s.close(PORT_TITLE)
    check(second.wait(timeout=5) == 0, "the second copy ends with status 0")
    s.close(SETTINGS_TITLE)
    check(first.wait(timeout=5) == 0, "the first copy ends with status 0")


def scenario_close_main(s):
    """Closing the main window while the port window waits ends the tool within a second."""
    hold_machine_ports(s)
    s.start_tool()
    s.window(PORT_TITLE)
    s.close(MAIN_TITLE)
    started = time.time()
    check(s.wait_tool_exit(5) == 0, "the tool ends with status 0")
    check(time.time() - started < 1.5, "within about a second")


LOCK_DIR = "/var/lock"


def lock_files_of(link):
    """The UUCP lock files of the line LINK leads to, under its own name and its node's."""
    return [os.path.join(LOCK_DIR, "LCK.." + os.path.basename(path))
            for path in (link, os.path.realpath(link))]


def stacking_order(s):
    """Client windows from bottom to top, as the window manager stacks them."""
    out = s.run(["xprop", "-root", "_NET_CLIENT_LIST_STACKING"]).stdout
    return [int(w, 16) for w in re.findall(r"0x[0-9a-fA-F]+", out)]


def check_port_window_in_front(s, main, port, after):
    time.sleep(1.0)
    active = int(s.run(["xdotool", "getactivewindow"]).stdout.strip())
    check(active == int(port), f"after {after}, the port window is the active window again")
    order = stacking_order(s)
    check(int(port) in order and int(main) in order and order.index(int(port)) > order.index(int(main)),
          f"after {after}, the port window stands above the main window")


def scenario_port_window_in_front(s):
    """A click into the main window while the port window waits: the port window stays on top and
    becomes the active window again; so after the window manager activates the main window."""
    hold_machine_ports(s)
    s.start_sim("/dev/com1", "--reset-now")
    s.start_tool()
    main = s.window(MAIN_TITLE)
    port = s.window(PORT_TITLE)
    time.sleep(0.5)
    # A plain click into the main window, left of the port window (no explicit activation).
    s.run(["xdotool", "mousemove", "--window", main, "20", "170", "click", "1"])
    check_port_window_in_front(s, main, port, "a click into the main window")
    s.screenshot("port-window-in-front")
    s.run(["xdotool", "windowactivate", main], check_ok=False)
    check_port_window_in_front(s, main, port, "the main window's activation")
    s.click(port, PORT_OK)
    check(s.gone(PORT_TITLE), "OK still works: the port window closes")
    s.close(SETTINGS_TITLE)
    check(s.wait_tool_exit(5) == 0, "closing the settings window ends the tool with status 0")


def scenario_signal_connect_wait(s):
    """SIGTERM while the tool waits for the loader: it ends with status 143, releases the port and
    its lock files, and a second run can use the port at once."""
    hold_machine_ports(s)
    sim = s.start_sim("/dev/com1", "--reset-after", "600000")  # the loader never answers
    tool = s.start_tool()
    main = through_settings(s, None, None)
    locks = lock_files_of("/dev/com1")
    for lock in locks:
        check(os.path.isfile(lock) and open(lock).read() == "%10d\n" % tool.pid,
              f"while the tool holds com1, {lock} names it")
    s.click(main, START_BUTTON)
    deadline = time.time() + 10
    while not [b for _, who, b in transcript_bytes(s.read(sim)) if who == "tool"]:
        if time.time() > deadline:
            raise Failure("the tool sent no connect command")
        time.sleep(0.05)
    os.kill(tool.pid, signal.SIGTERM)
    check(s.wait_tool_exit(5) == 143, "SIGTERM ends the tool with status 143 (128 + 15), not by the signal")
    for lock in locks:
        check(not os.path.lexists(lock), f"{lock} is gone")
    sent = [b for _, who, b in transcript_bytes(s.read(sim)) if who == "tool"]
    check(set(sent) == {ord("D")}, "nothing but connect commands went out")

    second = s.start_tool()
    port = s.window(PORT_TITLE)
    time.sleep(0.5)
    dark, _ = s.dark_pixels(port, PORT_MESSAGE)
    check(dark < 10, "the second run offers com1: no message in the port window")
    s.click(port, PORT_OK)
    check(s.gone(PORT_TITLE), "the second run opens com1 at once")
    s.window(SETTINGS_TITLE)
    s.close(SETTINGS_TITLE)
    check(second.wait(timeout=5) == 0, "the second run ends with status 0")


def scenario_signal_during_update(s):
    """SIGTERM once the erase has begun: the tool finishes the update (the device starts its
    firmware, no half-written record), then ends at once with status 143, without the 3 s."""
    hold_machine_ports(s)
    sim = s.start_sim("/dev/com1", "--reset-now", "--once")
    tool = s.start_tool()
    main = through_settings(s, None, None)
    s.click(main, START_BUTTON)
    deadline = time.time() + 20
    while ord("C") not in [b for _, who, b in transcript_bytes(s.read(sim)) if who == "tool"]:
        if time.time() > deadline:
            raise Failure(f"the tool never sent the erase command:\n{s.read(sim)[-2000:]}")
        time.sleep(0.01)
    os.kill(tool.pid, signal.SIGTERM)
    signalled = time.time()
    line = s.wait_for_output(sim, r"^firmware: .*$", 10).group(0)
    check("115200 baud 8N1" in line, f"the update ran to its end: the device starts its firmware ({line})")
    check("violation" not in s.read(sim), "the device saw no protocol violation")
    check(s.wait_tool_exit(5) == 143, "then the tool ends with status 143")
    took = time.time() - signalled
    check(took < 2.5, f"at once after the update, not 3 s after its success message ({took:.1f} s)")
    for lock in lock_files_of("/dev/com1"):
        check(not os.path.lexists(lock), f"{lock} is gone")


def scenario_lock_file_holder(s):
    """A line that another program announces with a UUCP lock file, as minicom -D /dev/com1 does, is
    not offered; OK opens com2, and com1 gets no byte."""
    holder = s.spawn(["sleep", "120"], "holder")
    lock = os.path.join(LOCK_DIR, "LCK..com1")

    def plant_lock():
        if os.path.lexists(lock):
            raise Failure(f"{lock} exists already; refusing to replace it")
        with open(lock, "w") as f:
            f.write("%10d\n" % holder.pid)
        s.planted.append(lock)

    update_on_com2_while_com1_held(s, plant_lock, "locked by another program")
    check(open(lock).read() == "%10d\n" % holder.pid, "the other program's lock file is left as it was")


SCENARIOS = {
    "update": scenario_update,
    "refused_write": scenario_refused_write,
    "no_port": scenario_no_port,
    "held_port": scenario_held_port,
    "second_copy": scenario_second_copy,
    "close_main": scenario_close_main,
    "port_window_in_front": scenario_port_window_in_front,
    "signal_connect_wait": scenario_signal_connect_wait,
    "signal_during_update": scenario_signal_during_update,
    "lock_file_holder": scenario_lock_file_holder,
}


def run_scenario(session, scenarios, name):
    """Runs one scenario in session; on failure a screenshot and the programs' output tell why."""
    try:
        session.start_display()
        print(f"scenario {name}: {scenarios[name].__doc__}")
        scenarios[name](session)
        print("PASSED")
        return 0
    except Failure as failure:
        print(f"FAILED: {failure}")
        try:
            session.screenshot("failure")
        except Exception:
            pass
        for proc in session.procs:
            print(f"--- {' '.join(proc.args)}\n{session.read(proc)[-3000:]}")
        return 1
    finally:
        session.cleanup()


def main():
    build_dir, name = os.path.abspath(sys.argv[1]), sys.argv[2]
    if os.geteuid() != 0:
        print("SKIPPED: the end-to-end tests link trelvin2-sim as /dev/comN, which needs root")
        return SKIP
    missing = [t for t in ("Xvfb", "xdpyinfo", "xprop", "openbox", "xdotool", "wmctrl", "import", "convert")
               if not shutil.which(t)]
    if missing:
        print(f"SKIPPED: missing {', '.join(missing)} (scripts/setup installs them)")
        return SKIP
    return run_scenario(Session(build_dir, name), SCENARIOS, name)


if __name__ == "__main__":
    sys.exit(main())
