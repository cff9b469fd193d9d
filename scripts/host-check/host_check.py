#!/usr/bin/env python3
"""Checks Pelmora's parameters in two real hosts, headless: Ardour 7 and qtractor.

Run through scripts/host-check.sh, which installs the hosts and builds the two small C helpers
first; see there for how to run it. Arguments: PLUGIN.so PELMORA-HOST HELPER-DIR.

1. Ardour 7 headless (ardour7-lua, dummy audio back end): a session gets a MIDI track with the
   plug-in; each checked parameter is set through Ardour's own automation control at the value
   Ardour's generic slider gives for a slider position, or by an automation lane; the session
   is saved, reopened and saved again.
2. Ardour 7's window (under Xvfb, on a JACK server with the dummy driver): that session is
   opened, the plug-in's editor is opened from the mixer strip, its own "Init Preset" is
   chosen, and the session is saved: the values Ardour saves beside the chunk must be those of
   the new sound.
3. qtractor (under Xvfb, on the same JACK server, with an ALSA sequencer stand-in preloaded): a
   session file with a MIDI track carrying the plug-in and parameter values is opened, saved
   through JACK's session protocol, reopened from what qtractor saved, and saved again.

What the plug-in holds is read from the state chunk each host saved, decoded by
`pelmora-host load-chunk`. Exit status 1 when a row fails, 2 when a host cannot be driven.
"""

import base64
import os
import re
import select
import shutil
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ET
import zlib
from xml.sax.saxutils import escape

HERE = os.path.dirname(os.path.abspath(__file__))
PLUGIN_ID = 1349283186  # 'Plmr'

# Ardour: (index, name, slider position 0..1, expected display, what the row tries, how it is
# set: through the control, as a user's generic slider does, or by an automation lane).
# The slider position is where the parameter's expected value sits in its range:
# (value - min) / (max - min), for Filter Cutoff through its cubic shape.
ARDOUR_CHECKS = [
    (15, "Operator B Level", 0.03, "3", "whole number, a small drag", "control"),
    (59, "Pitchbend Range", 7 / 12, "7", "whole number 0..12", "control"),
    (13, "Operator B Velocity > Frequency", 0.7, "40", "whole number -100..100", "control"),
    (35, "Filter Type", 0.8, "Highpass 12 db/Oct", "list of 6", "control"),
    (41, "LFO Rate", 12 / 15, "1/16", "synced rate, list of 16", "control"),
    (37, "Filter Resonance", 0.25, "25", "float", "control"),
    (36, "Filter Cutoff", 0.5, "2526", "float, cubic shape", "control"),
    (57, "Chorus Stage I", 1.0, "On", "switch", "control"),
    (23, "Operator C Level", 0.4, "40", "whole number", "automation"),
    (26, "Operator D Ratio", 2 / 32, "2.0000", "float", "automation"),
]

# The "Init" sound of the rows set through Ardour's control: (display, position 0..1).
INIT_SOUND = {
    15: ("0", 0.0),
    59: ("2", 2 / 12),
    13: ("0", 0.5),
    35: ("Lowpass 6 db/Oct", 0.0),
    41: ("1/8T", 10 / 15),
    37: ("0", 0.0),
    36: ("20000", 1.0),
    57: ("Off", 0.0),
}

# Pelmora's editor at 100 %, in points from its top left corner: the main menu's cog, and the
# menu's first item, "Init Preset".
EDITOR_COG = (988, 14)
EDITOR_INIT_PRESET = (880, 47)

# qtractor: (index, name, value in the session or None to keep the default, expected display,
# the plug-in's value 0..1 for it).
QTRACTOR_CHECKS = [
    (15, "Operator B Level", 0.4, "40", 0.4),
    (59, "Pitchbend Range", None, "2", 2 / 12),
    (5, "Operator A Velocity > Frequency", None, "0", 0.5),
    (13, "Operator B Velocity > Frequency", 0.7, "40", 0.7),
    (35, "Filter Type", 0.8, "Highpass 12 db/Oct", 0.8),
    (41, "LFO Rate", None, "1/8T", 10 / 15),
    (37, "Filter Resonance", 0.25, "25", 0.25),
    (36, "Filter Cutoff", 0.5, "2526", 0.5),
    (57, "Chorus Stage I", 1.0, "On", 1.0),
]


class HostError(Exception):
    """A host could not be driven far enough to check anything."""


def Log(text):
    print(text, flush=True)


def RunLogged(cmd, log_path, env, timeout):
    with open(log_path, "w") as log:
        try:
            return subprocess.run(cmd, stdout=log, stderr=subprocess.STDOUT, env=env,
                                  timeout=timeout).returncode
        except subprocess.TimeoutExpired:
            raise HostError("%s took more than %d s (log: %s)" % (cmd[0], timeout, log_path))


def Tail(path, lines=15):
    try:
        with open(path, errors="replace") as f:
            return "".join(f.readlines()[-lines:])
    except OSError:
        return ""


def WaitFor(what, test, timeout, proc=None, log=None):
    end = time.time() + timeout
    while time.time() < end:
        result = test()
        if result:
            return result
        if proc is not None and proc.poll() is not None:
            raise HostError("%s: the process ended (rc %s):\n%s" % (what, proc.returncode,
                                                                   Tail(log) if log else ""))
        time.sleep(0.2)
    raise HostError("%s: gave up after %d s\n%s" % (what, timeout, Tail(log) if log else ""))


class Chunks:
    """Decodes state chunks with `pelmora-host load-chunk` into display texts by index."""

    def __init__(self, plugin, host_tool, work, env):
        self.plugin = plugin
        self.host_tool = host_tool
        self.work = work
        self.env = env
        self.count = 0

    def Displays(self, data):
        self.count += 1
        path = os.path.join(self.work, "chunk-%d.bin" % self.count)
        with open(path, "wb") as f:
            f.write(data)
        # Hosts save the bank chunk (effGetChunk with index 0); try the program chunk second.
        for extra in (["--bank"], []):
            r = subprocess.run([self.host_tool, "load-chunk", self.plugin, path] + extra,
                               capture_output=True, text=True, env=self.env, timeout=60)
            if r.returncode == 0:
                return ParseLoadChunk(r.stdout)
        raise HostError("pelmora-host refused the chunk %s: %s" % (path, r.stderr.strip()))


def ParseLoadChunk(text):
    """'  %3d  %-24s %s' lines: index, name, display text."""
    displays = {}
    for line in text.splitlines():
        m = re.match(r"^\s*(\d+)  (.*)$", line)
        if m:
            displays[int(m.group(1))] = m.group(2)
    return displays


def DisplayOf(displays, index, name):
    line = displays.get(index)
    if line is None:
        return "?"
    rest = line[len(name):] if line.startswith(name) else line
    return rest.strip()


def FormatTable(header, rows):
    widths = [max(len(str(r[i])) for r in [header] + rows) for i in range(len(header))]
    out = []
    for n, r in enumerate([header] + rows):
        out.append("  ".join(str(c).ljust(w) for c, w in zip(r, widths)).rstrip())
        if n == 0:
            out.append("  ".join("-" * w for w in widths))
    return "\n".join(out)


# ---------------------------------------------------------------------------------------------
# The processes this check starts: a JACK server with the dummy driver and an X server.


class Processes:
    """The processes this check starts; each is ended by its own id."""

    def __init__(self):
        self.procs = []
        self.fds = []

    def Start(self, cmd, log_path, env, **kwargs):
        log = open(log_path, "w")
        p = subprocess.Popen(cmd, stdout=log, stderr=subprocess.STDOUT, env=env,
                             start_new_session=True, **kwargs)
        log.close()
        self.procs.append(p)
        return p

    def Stop(self, p, grace=5):
        if p.poll() is None:
            p.terminate()
            try:
                p.wait(grace)
            except subprocess.TimeoutExpired:
                p.kill()
                p.wait()

    def StopAll(self):
        for p in reversed(self.procs):
            self.Stop(p, 2)
        for fd in self.fds:
            os.close(fd)
        self.fds = []


def JackPorts(env):
    r = subprocess.run(["jack_lsp"], capture_output=True, text=True, env=env, timeout=10)
    return r.stdout if r.returncode == 0 else ""


class Desktop:
    """A JACK server (dummy driver) and an Xvfb server, started once for the windowed hosts."""

    def __init__(self, procs, work, env):
        self.procs = procs
        self.work = work
        self.env = env  # with JACK_DEFAULT_SERVER and DISPLAY once started
        self.error = None

    def Start(self):
        if self.error:
            raise HostError(self.error)
        if "DISPLAY" in self.env:
            return
        try:
            server = "pelmora-host-check-%d" % os.getpid()
            env = dict(self.env, JACK_DEFAULT_SERVER=server, JACK_NO_START_SERVER="1")
            jack_log = os.path.join(self.work, "jackd.log")
            self.procs.Start(["jackd", "-n", server, "-r", "-d", "dummy", "-r", "48000", "-p",
                              "1024"], jack_log, env)
            WaitFor("the JACK server", lambda: "system:playback_1" in JackPorts(env), 20,
                    log=jack_log)
            self.env = dict(env, DISPLAY=self.StartXvfb())
        except HostError as e:
            self.error = str(e)
            raise

    def StartXvfb(self):
        read_fd, write_fd = os.pipe()
        log = os.path.join(self.work, "xvfb.log")
        # -noreset: the server would write its number again when its last client leaves.
        self.procs.Start(["Xvfb", "-displayfd", str(write_fd), "-noreset", "-screen", "0",
                          "1600x1000x24", "-nolisten", "tcp"], log, self.env,
                         pass_fds=(write_fd,))
        os.close(write_fd)
        ready, _, _ = select.select([read_fd], [], [], 20)
        number = os.read(read_fd, 32).decode().strip() if ready else ""
        self.procs.fds.append(read_fd)
        if not number:
            raise HostError("Xvfb did not start:\n" + Tail(log))
        return ":" + number


def XdoTool(env, *args):
    r = subprocess.run(["xdotool"] + [str(a) for a in args], capture_output=True, text=True,
                       env=env, timeout=20)
    return r.stdout.strip() if r.returncode == 0 else ""


def Windows(env, name):
    return XdoTool(env, "search", "--name", name).split()


# ---------------------------------------------------------------------------------------------
# Ardour 7 headless


def ArdourChunk(session_file):
    """The plug-in's chunk and the control values Ardour saved beside it."""
    root = ET.parse(session_file).getroot()
    for proc in root.iter("Processor"):
        if proc.get("type") == "lxvst" and proc.get("unique-id") == str(PLUGIN_ID):
            chunk = proc.find(".//chunk")
            if chunk is None or not (chunk.text or "").strip():
                raise HostError("no chunk saved for the plug-in in %s" % session_file)
            stored = {}
            for c in proc.iter("Controllable"):
                if c.get("parameter") is not None:
                    stored[int(c.get("parameter"))] = c.get("value")
            return base64.b64decode(chunk.text.strip()), stored
    raise HostError("the plug-in is not in %s" % session_file)


def ParseArdourRows(log_path):
    """The script's "HC" rows by index: the value sent and Ardour's range (the plug-in's value
    read back, the row's last field, is for the log's reader)."""
    rows = {}
    with open(log_path, errors="replace") as f:
        for line in f:
            parts = line.split()
            if len(parts) == 7 and parts[0] == "HC":
                rows[int(parts[1])] = {"sent": parts[3], "lower": float(parts[4]),
                                       "upper": float(parts[5])}
    return rows


def ArdourEnv(plugin, work, env):
    """Ardour's environment, with the plug-in in a folder of its own, scanned."""
    vst_dir = os.path.join(work, "ardour-vst")
    copy = os.path.join(vst_dir, "Pelmora.so")
    ardour_env = dict(env, LXVST_PATH=vst_dir, VST_PATH=vst_dir)
    if os.path.exists(copy):
        return ardour_env
    os.makedirs(vst_dir)
    shutil.copy(plugin, copy)
    # Ardour takes a cache older than the plug-in file for stale; its times have whole seconds.
    past = time.time() - 60
    os.utime(copy, (past, past))
    scanner_env = dict(ardour_env, LD_LIBRARY_PATH="/usr/lib/ardour7")
    # Ardour lists a VST only once its scanner has cached it.
    log = os.path.join(work, "ardour-scan.log")
    if RunLogged(["/usr/lib/ardour7/ardour-vst-scanner", "-f", copy], log, scanner_env, 60):
        raise HostError("Ardour's VST scanner failed:\n" + Tail(log))
    return ardour_env


def CheckArdour(plugin, chunks, work, env):
    """Returns the failed rows and Ardour's range of each parameter."""
    Log("\n== Ardour 7 (ardour7-lua, dummy audio back end) ==")
    ardour_env = ArdourEnv(plugin, work, env)
    session_dir = os.path.join(work, "ardour-session")
    params = {how: " ".join("%d:%.9f" % (c[0], c[2]) for c in ARDOUR_CHECKS if c[5] == how)
              for how in ("control", "automation")}
    lua = os.path.join(HERE, "ardour-session.lua")
    results = {}
    for mode in ("create", "reopen"):
        log = os.path.join(work, "ardour-%s.log" % mode)
        lua_env = dict(ardour_env, HC_MODE=mode, HC_DIR=session_dir, HC_ID=str(PLUGIN_ID),
                       HC_PARAMS=params["control"], HC_AUTOMATE=params["automation"])
        rc = RunLogged(["ardour7-lua", lua], log, lua_env, 180)
        results[mode] = ParseArdourRows(log)
        if rc != 0 or len(results[mode]) != len(ARDOUR_CHECKS):
            raise HostError("ardour7-lua (%s) failed, rc %d:\n%s" % (mode, rc, Tail(log)))

    set_chunk, set_stored = ArdourChunk(os.path.join(session_dir, "host-check.ardour"))
    re_chunk, _ = ArdourChunk(os.path.join(session_dir, "reopened.ardour"))
    held = chunks.Displays(set_chunk)
    reopened = chunks.Displays(re_chunk)

    header = ["parameter", "kind", "set by", "slider", "Ardour's range", "Ardour sends",
              "session stores", "plug-in holds", "after reopen", "expected", "result"]
    rows = []
    failures = 0
    for index, name, slider, expected, kind, how in ARDOUR_CHECKS:
        r = results["create"][index]
        now = DisplayOf(held, index, name)
        after = DisplayOf(reopened, index, name)
        ok = now == expected and after == expected
        failures += 0 if ok else 1
        rows.append([name, kind, how, "%.3f" % slider, "%g..%g" % (r["lower"], r["upper"]),
                     r["sent"], set_stored.get(index, "?"), now, after, expected,
                     "PASS" if ok else "FAIL"])
    Log(FormatTable(header, rows))
    Log("set by: Ardour's control (as its generic slider does) or an automation lane in Play, "
        "the transport rolling;\nslider: the position on Ardour's generic slider; Ardour sends: "
        "the value Ardour gives the plug-in for it;\nsession stores: the control's value in the "
        "saved session; plug-in holds / after reopen: decoded from the chunk Ardour saved.")
    ranges = {i: (r["lower"], r["upper"]) for i, r in results["create"].items()}
    return failures, ranges


# ---------------------------------------------------------------------------------------------
# Ardour 7's window: the plug-in's own preset load

ARDOUR_CONFIG = """<?xml version="1.0" encoding="UTF-8"?>
<Ardour>
  <Config>
    <Option name="try-autostart-engine" value="1"/>
  </Config>
  <Extra>
    <AudioMIDISetup>
      <EngineStates>
        <State backend="JACK" driver="" device="" input-device="" output-device=""
               sample-rate="48000" buffer-size="1024" n-periods="0" input-latency="0"
               output-latency="0" lm-input="" lm-output="" active="1" use-buffered-io="0"
               midi-option="" lru="1">
          <MIDIDevices/>
        </State>
      </EngineStates>
    </AudioMIDISetup>
  </Extra>
</Ardour>
"""


def EditorWindow(env, window):
    """The innermost child of the plug-in's window (the plug-in's own editor): x, y, w, h."""
    r = subprocess.run(["xwininfo", "-tree", "-id", window], capture_output=True, text=True,
                       env=env, timeout=20)
    best = None
    for line in r.stdout.splitlines():
        m = re.match(r"^(\s+)0x[0-9a-f]+ .*\s(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+)$", line)
        if m and (best is None or len(m.group(1)) > best[0]):
            best = (len(m.group(1)), int(m.group(4)), int(m.group(5)), int(m.group(2)),
                    int(m.group(3)))
    return best[1:] if best else None


def Click(env, x, y, count=1):
    XdoTool(env, "mousemove", x, y)
    time.sleep(0.3)
    XdoTool(env, "click", "--repeat", count, "--delay", 80, 1)


def CheckArdourPresetLoad(plugin, chunks, work, desktop, ranges):
    Log("\n== Ardour 7's window (Xvfb, JACK dummy driver): the plug-in's own preset load ==")
    desktop.Start()
    env = ArdourEnv(plugin, work, desktop.env)
    session_dir = os.path.join(work, "ardour-window-session")
    shutil.copytree(os.path.join(work, "ardour-session"), session_dir)
    session = os.path.join(session_dir, "host-check.ardour")
    # The session was made on the dummy back end; this one runs on JACK.
    with open(session) as f:
        text = f.read()
    with open(session, "w") as f:
        f.write(re.sub(r"<EngineHints [^>]*/>",
                       '<EngineHints backend="JACK" input-device="" output-device=""/>', text))
    # No first-run wizard, and the engine starts on the JACK server found.
    config = os.path.join(env["XDG_CONFIG_HOME"], "ardour7")
    os.makedirs(config, exist_ok=True)
    open(os.path.join(config, ".a7"), "w").close()
    with open(os.path.join(config, "config"), "w") as f:
        f.write(ARDOUR_CONFIG)

    procs = Processes()
    log = os.path.join(work, "ardour-window.log")
    try:
        p = procs.Start(["ardour", "-n", "-a", session], log, env)

        def MainWindow():
            main = Windows(env, "^host-check - Ardour")
            if main:
                return main[0]
            # A notice on the way (the engine's device differs from the session's): OK it.
            for w in XdoTool(env, "search", "--onlyvisible", "--class", "ardour").split():
                if XdoTool(env, "getwindowname", w) in ("", "Ardour"):
                    XdoTool(env, "windowfocus", "--sync", w)
                    XdoTool(env, "key", "Return")
            return None

        main = WaitFor("Ardour opening the session", MainWindow, 90, p, log)
        time.sleep(3)
        window = None
        for attempt in range(6):
            if attempt in (0, 3):
                # Alt+M shows the mixer (or, when it is shown, the editor: hence once more).
                XdoTool(env, "windowfocus", "--sync", main)
                XdoTool(env, "key", "alt+m")
                time.sleep(2)
            # The first processor of the track's strip, the only strip, is the plug-in.
            Click(env, 330, 187, count=2)
            try:
                window = WaitFor("the plug-in's window",
                                 lambda: Windows(env, "^Synth: Pelmora"), 5, p, log)[0]
                break
            except HostError:
                if p.poll() is not None:
                    raise
        if window is None:
            raise HostError("the plug-in's window did not open from the mixer strip")
        time.sleep(1)
        editor = EditorWindow(env, window)
        if editor is None:
            raise HostError("the plug-in's editor is not inside its window")
        x, y, _, _ = editor
        Click(env, x + EDITOR_COG[0], y + EDITOR_COG[1])
        time.sleep(0.7)
        Click(env, x + EDITOR_INIT_PRESET[0], y + EDITOR_INIT_PRESET[1])
        time.sleep(1)
        before = os.stat(session).st_mtime
        XdoTool(env, "windowfocus", "--sync", main)
        XdoTool(env, "key", "ctrl+s")
        WaitFor("Ardour saving the session", lambda: os.stat(session).st_mtime != before, 20,
                p, log)
        time.sleep(1)
    finally:
        procs.StopAll()

    chunk, stored = ArdourChunk(session)
    held = chunks.Displays(chunk)
    rows = []
    failures = 0
    header = ["parameter", "set before", "plug-in holds", "Ardour stores", "expected", "result"]
    for index, name, _, before_text, _, how in ARDOUR_CHECKS:
        if how != "control":
            continue
        init_text, init_position = INIT_SOUND[index]
        now = DisplayOf(held, index, name)
        if now != init_text:
            raise HostError("the preset load did not reach the plug-in: %s holds %s, not %s"
                            % (name, now, init_text))
        lower, upper = ranges[index]
        expected = lower + init_position * (upper - lower)
        try:
            ok = abs(float(stored.get(index)) - expected) <= 1e-4 * (upper - lower)
        except (TypeError, ValueError):
            ok = False
        failures += 0 if ok else 1
        rows.append([name, before_text, now, stored.get(index, "?"), "%.6g" % expected,
                     "PASS" if ok else "FAIL"])
    Log(FormatTable(header, rows))
    Log("The session of the first check, opened in Ardour's window; the plug-in's editor "
        "chose \"Init Preset\", then Ardour saved.\nplug-in holds: decoded from the chunk; "
        "Ardour stores: the control's value saved beside it; expected: the Init sound's value "
        "on Ardour's range.")
    return failures


# ---------------------------------------------------------------------------------------------
# qtractor

QTRACTOR_CONF = """[AutoSave]
Enabled=false

[Options]
Display\\StdoutCapture=false
Logging\\MessagesLog=true
Logging\\MessagesLogPath={log}

[Plugins]
OpenEditor=false
"""

QTRACTOR_SESSION = """<!DOCTYPE qtractorSession>
<session version="Qtractor 0.9.31" name="host-check">
 <properties>
  <directory>{directory}</directory>
  <description></description>
  <sample-rate>48000</sample-rate>
  <tempo>120</tempo>
  <ticks-per-beat>960</ticks-per-beat>
  <beats-per-bar>4</beats-per-bar>
  <beat-divisor>2</beat-divisor>
 </properties>
 <devices>
  <audio-engine>
   <audio-bus name="Master" mode="duplex">
    <channels>2</channels>
    <auto-connect>1</auto-connect>
   </audio-bus>
  </audio-engine>
  <midi-engine>
   <midi-bus name="Master" mode="duplex"/>
  </midi-engine>
 </devices>
 <tracks>
  <track name="Synth" type="midi">
   <properties>
    <input-bus>Master</input-bus>
    <output-bus>Master</output-bus>
    <midi-omni>1</midi-omni>
    <midi-channel>0</midi-channel>
   </properties>
   <plugins>
    <plugin type="VST2">
     <filename>{plugin}</filename>
     <index>0</index>
     <label>Pelmora</label>
     <activated>1</activated>
     <params>
{params}
     </params>
    </plugin>
    <audio-output-bus>1</audio-output-bus>
   </plugins>
  </track>
 </tracks>
</session>
"""


def RunQtractor(procs, session_file, save_dir, work, env, helpers, name):
    """Opens session_file in qtractor, has it save into save_dir and quit; returns the file."""
    log = os.path.join(work, "qtractor-%s.log" % name)
    messages = os.path.join(work, "qtractor-%s-messages.log" % name)
    conf_dir = os.path.join(env["XDG_CONFIG_HOME"], "rncbc.org")
    os.makedirs(conf_dir, exist_ok=True)
    with open(os.path.join(conf_dir, "Qtractor.conf"), "w") as f:
        f.write(QTRACTOR_CONF.format(log=messages))
    q_env = dict(env, LD_PRELOAD=os.path.join(helpers, "fake-alsa-seq.so"),
                 QT_QPA_PLATFORM="xcb")
    p = procs.Start(["qtractor", session_file], log, q_env)

    def Opened():
        try:
            with open(messages, errors="replace") as f:
                text = f.read()
        except OSError:
            return False
        return "Open session:" in text and "Qtractor:" in JackPorts(env)

    WaitFor("qtractor opening %s" % session_file, Opened, 60, p, log)
    time.sleep(1)  # let the engine settle after the session's plug-ins are loaded
    os.makedirs(save_dir)
    r = subprocess.run([os.path.join(helpers, "jack-session-save"), "Qtractor", save_dir + "/",
                        "quit"], capture_output=True, text=True, env=env, timeout=30)
    if r.returncode != 0:
        raise HostError("qtractor did not save through JACK's session protocol: %s\n%s"
                        % (r.stderr.strip(), Tail(messages)))
    try:
        p.wait(30)
    except subprocess.TimeoutExpired:
        procs.Stop(p)
    saved = [os.path.join(d, f) for d, _, files in os.walk(save_dir) for f in files
             if f.endswith(".qtr")]
    if len(saved) != 1:
        raise HostError("qtractor saved no session in %s:\n%s" % (save_dir, Tail(messages)))
    return saved[0]


def QtractorState(session_file):
    """The plug-in's chunk and the parameter values qtractor stored beside it."""
    root = ET.parse(session_file).getroot()
    for plugin in root.iter("plugin"):
        if not (plugin.findtext("filename") or "").endswith("Pelmora.so"):
            continue
        stored = {int(p.get("index")): p.text for p in plugin.iter("param")}
        for config in plugin.iter("config"):
            if config.get("key") == "chunk":
                # qtractor keeps the chunk compressed: a 4-byte big-endian length, then zlib.
                packed = base64.b64decode("".join((config.text or "").split()))
                data = zlib.decompress(packed[4:])
                if len(data) != int.from_bytes(packed[:4], "big"):
                    raise HostError("a damaged chunk in %s" % session_file)
                return data, stored
        raise HostError("qtractor saved no chunk for the plug-in in %s" % session_file)
    raise HostError("the plug-in is not in %s" % session_file)


def CheckQtractor(plugin, chunks, work, desktop, helpers):
    Log("\n== qtractor (Xvfb, JACK dummy driver, ALSA sequencer stand-in) ==")
    desktop.Start()
    session_dir = os.path.join(work, "qtractor-session")
    os.makedirs(session_dir)
    first = os.path.join(session_dir, "host-check.qtr")
    params = "\n".join('      <param index="%d" name="%s">%.9g</param>'
                       % (index, escape(name), value)
                       for index, name, value, _, _ in QTRACTOR_CHECKS if value is not None)
    with open(first, "w") as f:
        f.write(QTRACTOR_SESSION.format(directory=escape(session_dir), plugin=escape(plugin),
                                        params=params))
    procs = Processes()
    try:
        saved = RunQtractor(procs, first, os.path.join(work, "qtractor-saved"), work,
                            desktop.env, helpers, "open")
        again = RunQtractor(procs, saved, os.path.join(work, "qtractor-reopened"), work,
                            desktop.env, helpers, "reopen")
    finally:
        procs.StopAll()

    set_chunk, stored = QtractorState(saved)
    re_chunk, re_stored = QtractorState(again)
    held = chunks.Displays(set_chunk)
    reopened = chunks.Displays(re_chunk)

    header = ["parameter", "session value", "plug-in holds", "qtractor stores", "after reopen",
              "stores then", "expected", "result"]
    rows = []
    failures = 0
    for index, name, value, expected, normal in QTRACTOR_CHECKS:
        now = DisplayOf(held, index, name)
        after = DisplayOf(reopened, index, name)
        ok = now == expected and after == expected
        failures += 0 if ok else 1
        shown = "%.6g" % value if value is not None else "(default %.6g)" % normal
        rows.append([name, shown, now, stored.get(index, "?"), after, re_stored.get(index, "?"),
                     expected, "PASS" if ok else "FAIL"])
    Log(FormatTable(header, rows))
    Log("session value: the value 0..1 in the session file opened first; plug-in holds: decoded "
        "from the chunk qtractor saved;\nqtractor stores: the value it saved beside the chunk "
        "(and writes back after the chunk on reopening); after reopen / stores then: the same "
        "after reopening that save.")
    return failures


def main():
    if len(sys.argv) != 4:
        print(__doc__)
        return 2
    plugin, host_tool, helpers = (os.path.abspath(a) for a in sys.argv[1:])
    work = tempfile.mkdtemp(prefix="pelmora-host-check.")
    home = os.path.join(work, "home")
    runtime = os.path.join(work, "run")
    os.makedirs(home)
    os.makedirs(runtime, mode=0o700)
    # A home of its own: no presets of the user's, no host settings or plug-in caches kept.
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
               XDG_DATA_HOME=os.path.join(home, ".local", "share"),
               XDG_CACHE_HOME=os.path.join(home, ".cache"), XDG_RUNTIME_DIR=runtime)
    env.pop("DISPLAY", None)
    Log("plug-in: %s\nwork folder (logs, sessions): %s" % (plugin, work))
    chunks = Chunks(plugin, host_tool, work, env)
    procs = Processes()
    desktop = Desktop(procs, work, env)

    failures = 0
    broken = []

    def Run(name, check):
        nonlocal failures
        try:
            result = check()
            failures += result[0] if isinstance(result, tuple) else result
            return result
        except HostError as e:
            broken.append(name)
            Log("%s: could not be checked: %s" % (name, e))
            return None

    try:
        headless = Run("Ardour", lambda: CheckArdour(plugin, chunks, work, env))
        if headless:
            Run("Ardour's window",
                lambda: CheckArdourPresetLoad(plugin, chunks, work, desktop, headless[1]))
        Run("qtractor", lambda: CheckQtractor(plugin, chunks, work, desktop, helpers))
    finally:
        procs.StopAll()

    Log("")
    if broken:
        Log("host-check: %s could not be driven; %d row(s) FAIL" % (", ".join(broken), failures))
        return 2
    Log("host-check: %s" % ("all rows pass" if failures == 0 else "%d row(s) FAIL" % failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
