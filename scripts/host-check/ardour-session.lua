-- Drives Ardour 7 headless (ardour7-lua, the dummy audio back end) for scripts/host-check.sh.
--   HC_MODE=create: a new session with one MIDI track carrying Pelmora; each parameter of
--                   HC_PARAMS is set through Ardour's own automation control, at the value that
--                   Ardour's generic slider gives for the slider position; each of HC_AUTOMATE
--                   gets an automation lane in "Play" holding that value, and the transport
--                   rolls for a moment; then the session is saved.
--   HC_MODE=reopen: the saved session is loaded again, the transport rolls for a moment and
--                   the session is saved as the snapshot "reopened".
-- Either way each checked parameter's row is printed as
--   HC <index> <slider> <value sent> <Ardour's lower> <Ardour's upper> <plug-in's value 0..1>
-- (the value sent is "-" on reopening; the plug-in's value is what Ardour reads back from it).
-- HC_DIR is the session folder, HC_ID the plug-in's unique id, HC_PARAMS and HC_AUTOMATE
-- "index:slider ...".

local mode = os.getenv("HC_MODE")
local dir = os.getenv("HC_DIR")
local id = os.getenv("HC_ID")
local params = {}
for _, var in ipairs({"HC_PARAMS", "HC_AUTOMATE"}) do
  for index, slider in string.gmatch(os.getenv(var) or "", "(%d+):([%d.]+)") do
    params[#params + 1] = {index = tonumber(index), slider = tonumber(slider),
                           automate = var == "HC_AUTOMATE"}
  end
end

AudioEngine:set_backend("None (Dummy)", "", "")
assert(AudioEngine:start(false) == 0, "the dummy audio back end did not start")

local session
if mode == "create" then
  session = create_session(dir, "host-check", 48000)
else
  session = load_session(dir, "host-check")
end
assert(session, "no session")

local proc
if mode == "create" then
  local midi = ARDOUR.ChanCount(ARDOUR.DataType("midi"), 1)
  local stereo = ARDOUR.ChanCount(ARDOUR.DataType("audio"), 2)
  local tracks = session:new_midi_track(midi, stereo, true, ARDOUR.PluginInfo(), nil, nil, 1,
                                        "Synth", ARDOUR.PresentationInfo.max_order,
                                        ARDOUR.TrackMode.Normal, true)
  proc = ARDOUR.LuaAPI.new_plugin(session, id, ARDOUR.PluginType.LXVST, "")
  assert(not proc:isnil(), "Ardour did not find the plug-in " .. id)
  assert(tracks:front():add_processor_by_index(proc, 0, nil, true) == 0, "plug-in not added")
else
  local track = session:route_by_name("Synth")
  assert(not track:isnil(), "no track Synth in the reopened session")
  proc = track:nth_plugin(0)
end
local insert = proc:to_insert()

-- Ardour's generic slider: a position 0..1 across the control's range, snapped to whole
-- numbers for an integer control, the upper value from the middle on for a switch.
local function HostValueAt(desc, slider)
  if desc.toggled then
    return slider >= 0.5 and desc.upper or desc.lower
  end
  local v = desc.lower + slider * (desc.upper - desc.lower)
  if desc.integer_step then
    v = math.floor(v + 0.5)
  end
  return v
end

local function Control(index)
  local control = insert:to_automatable():automation_control(
    Evoral.Parameter(ARDOUR.AutomationType.PluginAutomation, 0, index), false)
  assert(not control:isnil(), "no automation control for parameter " .. index)
  return control
end

local sent = {}
if mode == "create" then
  for _, p in ipairs(params) do
    local control = Control(p.index)
    local value = HostValueAt(control:desc(), p.slider)
    sent[p.index] = string.format("%.6g", value)
    if p.automate then
      -- One point at the start: the lane holds the value wherever the playhead is.
      local _, list = ARDOUR.LuaAPI.plugin_automation(proc, p.index)
      list:add(Temporal.timepos_t(0), value, false, true)
      control:set_automation_state(ARDOUR.AutoState.Play)
    else
      control:set_value(value, PBD.GroupControlDisposition.NoGroup)
    end
  end
end

-- Automation reaches the plug-in while the transport rolls.
session:request_roll(ARDOUR.TransportRequestSource.TRS_UI)
ARDOUR.LuaAPI.usleep(500000)
session:request_stop(false, false, ARDOUR.TransportRequestSource.TRS_UI)
ARDOUR.LuaAPI.usleep(200000)

for _, p in ipairs(params) do
  local desc = Control(p.index):desc()
  local held = ARDOUR.LuaAPI.get_plugin_insert_param(insert, p.index, false)
  print(string.format("HC %d %.6f %s %.6g %.6g %.6f", p.index, p.slider, sent[p.index] or "-",
                      desc.lower, desc.upper, held))
end

if mode == "create" then
  session:save_state("", false, false, false, false, false)
else
  session:save_state("reopened", false, false, false, false, false)
end
close_session()
