#!/usr/bin/env python3
"""Checks Pelmora's parameters in two real hosts, headless: Ardour 7 and qtractor.

Run through scripts/host-check.sh, which installs the hosts and builds the two small C helpers
first; see there for how to run it. Arguments: PLUGIN.so PELMORA-HOST HELPER-DIR.

Ardour 7 (ardour7-lua, dummy audio back end): a session gets a MIDI track with the plug-in;
each checked parameter is set through Ardour's own automation control at the value Ardour's
generic slider gives for a slider position; the session is saved, reopened and saved again.

qtractor (under Xvfb, on a JACK server with the dummy driver, with an ALSA sequencer stand-in
preloaded): a session file with a MIDI track carrying the plug-in and parameter values is
opened, saved through JACK's session protocol, reopened from what qtractor saved, and saved
again.

What the plug-in holds is read from the state chunk each host saved, decoded by
`pelmora-host load-chunk`. A row passes when the plug-in holds the expected value both after
the setting and after the reopen. Exit status 1 when a row fails, 2 when a host cannot be
driven.
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
# Ardour 7


def ArdourChunk(session_file):
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
    rows = {}
    with open(log_path, errors="replace") as f:
        for line in f:
            parts = line.split()
            if len(parts) == 7 and parts[0] == "HC":
                rows[int(parts[1])] = {"sent": parts[3], "lower": parts[4], "upper": parts[5],
                                       "held": float(parts[6])}
    return rows


def CheckArdour(plugin, chunks, work, env):
    Log("\n== Ardour 7 (ardour7-lua, dummy audio back end) ==")
    vst_dir = os.path.join(work, "ardour-vst")
    os.makedirs(vst_dir)
    copy = os.path.join(vst_dir, "Pelmora.so")
    shutil.copy(plugin, copy)
    # Ardour takes a cache older than the plug-in file for stale; its times have whole seconds.
    past = time.time() - 60
    os.utime(copy, (past, past))
    ardour_env = dict(env, LXVST_PATH=vst_dir, VST_PATH=vst_dir)
    scanner_env = dict(ardour_env, LD_LIBRARY_PATH="/usr/lib/ardour7")
    # Ardour lists a VST only once its scanner has cached it.
    if RunLogged(["/usr/lib/ardour7/ardour-vst-scanner", "-f", copy],
                 os.path.join(work, "ardour-scan.log"), scanner_env, 60) != 0:
        raise HostError("Ardour's VST scanner failed:\n" + Tail(os.path.join(work, "ardour-scan.log")))

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
    re_chunk, re_stored = ArdourChunk(os.path.join(session_dir, "reopened.ardour"))
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
        rows.append([name, kind, how, "%.3f" % slider, "%s..%s" % (r["lower"], r["upper"]), r["sent"],
                     set_stored.get(index, "?"), now, after, expected, "PASS" if ok else "FAIL"])
    Log(FormatTable(header, rows))
    Log("set by: Ardour's control (as its generic slider does) or an automation lane in Play, "
        "the transport rolling;\nslider: the position on Ardour's generic slider; Ardour sends: "
        "the value Ardour gives the plug-in for it;\nsession stores: the control's value in the "
        "saved session; plug-in holds / after reopen: decoded from the chunk Ardour saved.")
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


def WaitFor(what, test, timeout, proc=None, log=None):
    end = time.time() + timeout
    while time.time() < end:
        if test():
            return
        if proc is not None and proc.poll() is not None:
            raise HostError("%s: the process ended (rc %s):\n%s" % (what, proc.returncode,
                                                                   Tail(log) if log else ""))
        time.sleep(0.2)
    raise HostError("%s: gave up after %d s\n%s" % (what, timeout, Tail(log) if log else ""))


def StartXvfb(procs, work, env):
    read_fd, write_fd = os.pipe()
    # -noreset: the server would write its number again when its last client leaves.
    procs.Start(["Xvfb", "-displayfd", str(write_fd), "-noreset", "-screen", "0", "1280x1024x24",
                 "-nolisten", "tcp"], os.path.join(work, "xvfb.log"), env, pass_fds=(write_fd,))
    os.close(write_fd)
    ready, _, _ = select.select([read_fd], [], [], 20)
    number = os.read(read_fd, 32).decode().strip() if ready else ""
    procs.fds.append(read_fd)
    if not number:
        raise HostError("Xvfb did not start:\n" + Tail(os.path.join(work, "xvfb.log")))
    return ":" + number


def JackPorts(env):
    r = subprocess.run(["jack_lsp"], capture_output=True, text=True, env=env, timeout=10)
    return r.stdout if r.returncode == 0 else ""


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


def CheckQtractor(plugin, chunks, work, env, helpers):
    Log("\n== qtractor (Xvfb, JACK dummy driver, ALSA sequencer stand-in) ==")
    procs = Processes()
    try:
        server = "pelmora-host-check-%d" % os.getpid()
        jack_env = dict(env, JACK_DEFAULT_SERVER=server, JACK_NO_START_SERVER="1")
        procs.Start(["jackd", "-n", server, "-r", "-d", "dummy", "-r", "48000", "-p", "1024"],
                    os.path.join(work, "jackd.log"), jack_env)
        WaitFor("the JACK server", lambda: "system:playback_1" in JackPorts(jack_env), 20,
                log=os.path.join(work, "jackd.log"))
        q_env = dict(jack_env, DISPLAY=StartXvfb(procs, work, env))

        session_dir = os.path.join(work, "qtractor-session")
        os.makedirs(session_dir)
        first = os.path.join(session_dir, "host-check.qtr")
        params = "\n".join('      <param index="%d" name="%s">%.9g</param>'
                           % (index, escape(name), value)
                           for index, name, value, _, _ in QTRACTOR_CHECKS if value is not None)
        with open(first, "w") as f:
            f.write(QTRACTOR_SESSION.format(directory=escape(session_dir),
                                            plugin=escape(plugin), params=params))

        saved = RunQtractor(procs, first, os.path.join(work, "qtractor-saved"), work, q_env,
                            helpers, "open")
        again = RunQtractor(procs, saved, os.path.join(work, "qtractor-reopened"), work, q_env,
                            helpers, "reopen")
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

    failures = 0
    broken = []
    for name, check in (("Ardour", lambda: CheckArdour(plugin, chunks, work, env)),
                        ("qtractor", lambda: CheckQtractor(plugin, chunks, work, env, helpers))):
        try:
            failures += check()
        except HostError as e:
            broken.append(name)
            Log("%s: could not be checked: %s" % (name, e))

    Log("")
    if broken:
        Log("host-check: %s could not be driven; %d row(s) failed" % (", ".join(broken), failures))
        return 2
    Log("host-check: %s" % ("all rows pass" if failures == 0 else "%d row(s) FAIL" % failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
