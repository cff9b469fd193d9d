-- Drives Ardour 7 headless (ardour7-lua, the dummy audio back end) for scripts/host-check.sh.
--   HC_MODE=create: a new session with one MIDI track carrying Pelmora; each checked parameter
--                   is set through Ardour's own automation control, at the host value that
--                   Ardour's generic slider gives for the slider position; then the session is
--                   saved.
--   HC_MODE=reopen: the saved session is loaded again and saved as the snapshot "reopened".
-- Either way each checked parameter's row is printed as
--   HC <index> <slider> <value sent> <Ardour's lower> <Ardour's upper> <plug-in's value 0..1>
-- (the value sent is "-" on reopening; the plug-in's value is what Ardour reads back from it).
-- HC_DIR is the session folder, HC_ID the plug-in's unique id, HC_PARAMS "index:slider ...".

local mode = os.getenv("HC_MODE")
local dir = os.getenv("HC_DIR")
local id = os.getenv("HC_ID")
local params = {}
for index, slider in string.gmatch(os.getenv("HC_PARAMS"), "(%d+):([%d.]+)") do
  params[#params + 1] = {index = tonumber(index), slider = tonumber(slider)}
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

local insert
if mode == "create" then
  local midi = ARDOUR.ChanCount(ARDOUR.DataType("midi"), 1)
  local stereo = ARDOUR.ChanCount(ARDOUR.DataType("audio"), 2)
  local tracks = session:new_midi_track(midi, stereo, true, ARDOUR.PluginInfo(), nil, nil, 1,
                                        "Synth", ARDOUR.PresentationInfo.max_order,
                                        ARDOUR.TrackMode.Normal, true)
  local proc = ARDOUR.LuaAPI.new_plugin(session, id, ARDOUR.PluginType.LXVST, "")
  assert(not proc:isnil(), "Ardour did not find the plug-in " .. id)
  assert(tracks:front():add_processor_by_index(proc, 0, nil, true) == 0, "plug-in not added")
  insert = proc:to_insert()
else
  local track = session:route_by_name("Synth")
  assert(not track:isnil(), "no track Synth in the reopened session")
  insert = track:nth_plugin(0):to_insert()
end
local plugin = insert:plugin(0)

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

for _, p in ipairs(params) do
  local control = insert:to_automatable():automation_control(
    Evoral.Parameter(ARDOUR.AutomationType.PluginAutomation, 0, p.index), false)
  assert(not control:isnil(), "no automation control for parameter " .. p.index)
  local desc = control:desc()
  local sent = "-"
  if mode == "create" then
    local value = HostValueAt(desc, p.slider)
    control:set_value(value, PBD.GroupControlDisposition.NoGroup)
    sent = string.format("%.6g", value)
  end
  local held = ARDOUR.LuaAPI.get_plugin_insert_param(insert, p.index, false)
  print(string.format("HC %d %.6f %s %.6g %.6g %.6f", p.index, p.slider, sent, desc.lower,
                      desc.upper, held))
end

if mode == "create" then
  session:save_state("", false, false, false, false, false)
else
  session:save_state("reopened", false, false, false, false, false)
end
close_session()
