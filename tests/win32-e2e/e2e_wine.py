#!/usr/bin/env python3
"""End to end on Windows: trelvin2-rs232.exe under Wine, against trelvin2-sim of the Linux build
linked at the path Wine's COM1 is mapped to, driven with xdotool and wmctrl on the X server in
DISPLAY (with a window manager; scripts/test-windows starts one).

    e2e_wine.py WINDOWS_BUILD TRELVIN2_SIM COM1_LINK SCENARIO

Exit status 0 passed, 1 failed, 77 skipped (no X server with a window manager, or tools
missing). Screenshots go to WINDOWS_BUILD/e2e/.
"""
import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import e2e  # noqa: E402  the Linux end-to-end session: display, windows, clicks, screenshots
from e2e import Failure, check  # noqa: E402

SKIP = 77


class WineSession(e2e.Session):
    """The Linux session's driving, with the .exe under Wine and the X server of the leg."""

    def __init__(self, build_dir, name, sim, com1):
        super().__init__(build_dir, name)
        self.sim_program = sim
        self.com1 = com1

    def start_display(self):
        # Wine's services were started on this display; a second one would split them.
        self.display = os.environ["DISPLAY"]
        self.env = dict(os.environ)

    def start_sim(self, link, *options):
        # The Linux scenarios link /dev/com1; here COM1 is the link Wine's COM1 is mapped to.
        if link == "/dev/com1":
            link = self.com1
        proc = self.spawn([self.sim_program, "--link", link, "--transcript", *options],
                          "sim-" + os.path.basename(link))
        self.links.append(link)
        deadline = time.time() + 10
        while not os.path.islink(link):
            if time.time() > deadline or proc.poll() is not None:
                raise Failure(f"trelvin2-sim did not link {link}: {self.read(proc)}")
            time.sleep(0.05)
        return proc

    def start_tool(self):
        self.tool = self.spawn(["wine", os.path.join(self.build, "trelvin2-rs232.exe")], "tool")
        self.tool_started = time.time()
        return self.tool


def inner_size(s, wid):
    """The window's inner area as the X server has it (Wine's X window is the client area)."""
    out = s.run(["xwininfo", "-id", wid]).stdout
    values = {}
    for line in out.splitlines():
        if ":" in line:
            key, _, value = line.strip().partition(":")
            values[key] = value.strip()
    return int(values["Width"]), int(values["Height"])


def scenario_update(s):
    """A whole update with "19200" and "8E1" over COM1, ending by itself about 3 s after success."""
    if os.path.lexists(s.com1):
        raise Failure(f"{s.com1} exists already: another test holds COM1")
    sim = s.start_sim(s.com1, "--reset-after", "2000", "--once")
    s.start_tool()
    port = s.window(e2e.PORT_TITLE, timeout=30)
    to_port_window = time.time() - s.tool_started
    print(f"  start to port window: {to_port_window * 1000:.0f} ms")
    main = s.window(e2e.MAIN_TITLE)
    check(inner_size(s, main) == (492, 183), f"main window inner area 492 x 183 ({inner_size(s, main)})")
    check(inner_size(s, port) == (258, 90), f"port window inner area 258 x 90 ({inner_size(s, port)})")
    x, y, w, h = s.geometry(main)
    px, py, pw, ph = s.geometry(port)
    check(abs((px + pw / 2) - (x + w / 2)) <= 3 and abs((py + ph / 2) - (y + h / 2)) <= 25,
          "the port window stands centred over the main window")
    time.sleep(0.3)
    s.screenshot("port-window")
    # "19200" is item 5 of the rate list, "8E1" the first of the framing list.
    main = e2e.through_settings(s, 5, 0)
    shot = s.screenshot("settings-chosen", main)
    s.click(main, e2e.START_BUTTON)
    line = s.wait_for_output(sim, r"^firmware: .*$", 40).group(0)
    success_at = time.time()
    check("19200 baud 8E1" in line and "BaudCode 5, ProtocolCode 1" in line,
          f"the device starts its firmware at 19200 baud 8E1 ({line})")
    time.sleep(0.8)
    shot = s.screenshot("success", main)
    dark, red = s.dark_pixels(main, e2e.STATUS_LINE)
    check(dark > 40 and red == 0, "the success text stands in the status line, not in red")
    status = s.wait_tool_exit(10)
    took = time.time() - success_at
    check(status == 0, f"the tool ends with status 0 ({status})")
    check(2.5 <= took <= 5.0, f"the tool ends by itself about 3 s after success ({took:.1f} s)")
    shutil.copy(shot, os.path.join(s.shots, "windows-main-window-success.png"))
    with open(os.path.join(s.shots, "windows-start-to-port-window.txt"), "w") as f:
        f.write(f"{to_port_window * 1000:.0f}\n")


def scenario_close_port_window(s):
    """The close box of the port window ends the tool at once, with status 0; nothing is sent."""
    if os.path.lexists(s.com1):
        raise Failure(f"{s.com1} exists already: another test holds COM1")
    sim = s.start_sim(s.com1, "--reset-now")
    s.start_tool()
    s.window(e2e.PORT_TITLE, timeout=30)
    s.close(e2e.PORT_TITLE)
    started = time.time()
    check(s.wait_tool_exit(5) == 0, "the tool ends with status 0")
    check(time.time() - started < 1.5, "within about a second")
    # Discovery opens and closes COM1; after the close box nothing more goes to the device.
    check(e2e.transcript_bytes(s.read(sim)) == [], "no byte reached the device")


SCENARIOS = {
    "update": scenario_update,
    "close_port_window": scenario_close_port_window,
    # The Linux scenarios that need no second port, as they are.
    "refused_write": e2e.scenario_refused_write,
    "close_main": e2e.scenario_close_main,
}


def main():
    build_dir, sim, com1, name = (os.path.abspath(sys.argv[1]), sys.argv[2], sys.argv[3],
                                  sys.argv[4])
    missing = [t for t in ("wine", "xdotool", "wmctrl", "xwininfo", "import", "convert")
               if not shutil.which(t)]
    if missing:
        print(f"SKIPPED: missing {', '.join(missing)} (scripts/setup installs them)")
        return SKIP
    display = os.environ.get("DISPLAY", "")
    if not display or subprocess.run(["wmctrl", "-m"], capture_output=True).returncode != 0:
        print("SKIPPED: no X server with a window manager in DISPLAY (scripts/test-windows starts one)")
        return SKIP
    session = WineSession(build_dir, "windows-" + name.replace("_", "-"), sim, com1)
    return e2e.run_scenario(session, SCENARIOS, name)


if __name__ == "__main__":
    sys.exit(main())
