#pragma once
/*
 * The binary interface between a VST2 host and a plug-in, as Pelmora sees it on Linux x86-64
 * (LP64): the effect record the plug-in hands out, the callback signatures, the opcodes of both
 * directions and the records passed through pointers. Plain C declarations, no logic; every
 * record's size and the offsets the plug-in and the host tool rely on are checked at compile time.
 *
 * Pointers and pointer-sized integers are 8 bytes; `intptr_t` stands for the pointer-sized
 * "value" argument and the 64-bit answers. Callbacks use the default calling convention.
 */

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C"
{
#endif

  typedef struct AEffect AEffect;

  /* Host -> plug-in and plug-in -> host callbacks. */
  typedef intptr_t (*Vst2HostCallback)(AEffect* effect, int32_t opcode, int32_t index,
                                       intptr_t value, void* ptr, float opt);
  typedef intptr_t (*Vst2DispatcherProc)(AEffect* effect, int32_t opcode, int32_t index,
                                         intptr_t value, void* ptr, float opt);
  typedef void (*Vst2ProcessProc)(AEffect* effect, float** inputs, float** outputs, int32_t frames);
  typedef void (*Vst2ProcessDoubleProc)(AEffect* effect, double** inputs, double** outputs,
                                        int32_t frames);
  typedef void (*Vst2SetParameterProc)(AEffect* effect, int32_t index, float value);
  typedef float (*Vst2GetParameterProc)(AEffect* effect, int32_t index);

  /* The entry function a plug-in exports as "VSTPluginMain" (and, pointer-wide, as "main"). */
  typedef AEffect* (*Vst2EntryProc)(Vst2HostCallback host);

  /* The effect record: 192 bytes. */
  struct AEffect
  {
    int32_t magic; /* kVst2Magic */
    int32_t padding0;
    Vst2DispatcherProc dispatcher;
    Vst2ProcessProc process; /* accumulating, single precision */
    Vst2SetParameterProc setParameter;
    Vst2GetParameterProc getParameter;
    int32_t numPrograms;
    int32_t numParams;
    int32_t numInputs;
    int32_t numOutputs;
    int32_t flags; /* EVst2EffectFlags */
    int32_t padding1;
    intptr_t reserved1;
    intptr_t reserved2;
    int32_t initialDelay; /* latency in samples */
    int32_t unusedQuality1;
    int32_t unusedQuality2;
    float ioRatio;
    void* object; /* the plug-in instance */
    void* user;   /* free for the host */
    int32_t uniqueID;
    int32_t version; /* decimal: major * 10000 + minor * 100 + patch */
    Vst2ProcessProc processReplacing;
    Vst2ProcessDoubleProc processDoubleReplacing;
    char future[56];
  };

  enum
  {
    kVst2Magic = 0x56737450,          /* 'VstP' */
    kVst2IdentifyAnswer = 0x4E764566, /* 'NvEf' */
    kVst2InterfaceVersion = 2400
  };

  /* AEffect::flags */
  enum EVst2EffectFlags
  {
    kVst2FlagHasEditor = 1,
    kVst2FlagCanMono = 8,
    kVst2FlagCanReplacing = 16,
    kVst2FlagProgramChunks = 32,
    kVst2FlagIsSynth = 256,
    kVst2FlagCanDoubleReplacing = 4096
  };

  /* Opcodes the host sends through the dispatcher. */
  enum EVst2DispatcherOpcode
  {
    kVst2EffOpen = 0,
    kVst2EffClose = 1,
    kVst2EffSetProgram = 2,
    kVst2EffGetProgram = 3,
    kVst2EffSetProgramName = 4,
    kVst2EffGetProgramName = 5,
    kVst2EffGetParamLabel = 6,
    kVst2EffGetParamDisplay = 7,
    kVst2EffGetParamName = 8,
    kVst2EffSetSampleRate = 10,
    kVst2EffSetBlockSize = 11,
    kVst2EffMainsChanged = 12,
    kVst2EffEditGetRect = 13,
    kVst2EffEditOpen = 14,
    kVst2EffEditClose = 15,
    kVst2EffEditIdle = 19,
    kVst2EffIdentify = 22,
    kVst2EffGetChunk = 23,
    kVst2EffSetChunk = 24,
    kVst2EffProcessEvents = 25,
    kVst2EffCanBeAutomated = 26,
    kVst2EffString2Parameter = 27,
    kVst2EffGetProgramNameIndexed = 29,
    kVst2EffGetInputProperties = 33,
    kVst2EffGetOutputProperties = 34,
    kVst2EffGetPlugCategory = 35,
    kVst2EffSetSpeakerArrangement = 42,
    kVst2EffGetEffectName = 45,
    kVst2EffGetVendorString = 47,
    kVst2EffGetProductString = 48,
    kVst2EffGetVendorVersion = 49,
    kVst2EffVendorSpecific = 50,
    kVst2EffCanDo = 51,
    kVst2EffGetTailSize = 52,
    kVst2EffIdle = 53,
    kVst2EffGetParameterProperties = 56,
    kVst2EffGetVstVersion = 58,
    kVst2EffEditKeyDown = 59,
    kVst2EffEditKeyUp = 60,
    kVst2EffGetMidiKeyName = 66,
    kVst2EffGetSpeakerArrangement = 69,
    kVst2EffLastKnownOpcode = 69 /* everything above (start/stop process...) is answered 0 */
  };

  /* Opcodes the plug-in sends through the host callback. */
  enum EVst2HostOpcode
  {
    kVst2HostAutomate = 0,
    kVst2HostVersion = 1,
    kVst2HostWantMidi = 6,
    kVst2HostGetTime = 7,
    kVst2HostProcessEvents = 8,
    kVst2HostIOChanged = 13,
    kVst2HostSizeWindow = 15,
    kVst2HostGetSampleRate = 16,
    kVst2HostGetBlockSize = 17,
    kVst2HostGetCurrentProcessLevel = 23,
    kVst2HostGetVendorString = 32,
    kVst2HostGetProductString = 33,
    kVst2HostGetVendorVersion = 34,
    kVst2HostCanDo = 37,
    kVst2HostUpdateDisplay = 42,
    kVst2HostBeginEdit = 43,
    kVst2HostEndEdit = 44
  };

  enum
  {
    kVst2ProcessLevelOffline = 4,
    kVst2CategoryEffect = 1,
    kVst2CategorySynth = 2,
    kVst2VendorAnswer = 0xBEEF,
    kVst2VendorCanDoAnswer = 0xBEEF0000
  };

  /* Host string buffer sizes the plug-in writes into (including the terminator). */
  enum
  {
    kVst2MaxParamStrLen = 32,
    kVst2MaxProgNameLen = 24,
    kVst2MaxNameLen = 64,
    kVst2ProductStringLen = 256
  };

  /* Transport record answered to kVst2HostGetTime: 88 bytes. */
  typedef struct Vst2TimeInfo
  {
    double samplePos;
    double sampleRate;
    double nanoSeconds;
    double ppqPos;        /* quarter notes */
    double tempo;         /* beats per minute */
    double barStartPos;   /* quarter notes */
    double cycleStartPos; /* quarter notes */
    double cycleEndPos;   /* quarter notes */
    int32_t timeSigNumerator;
    int32_t timeSigDenominator;
    int32_t smpteOffset;
    int32_t smpteFrameRate;
    int32_t samplesToNextClock;
    int32_t flags; /* EVst2TimeInfoFlags */
  } Vst2TimeInfo;

  enum EVst2TimeInfoFlags
  {
    kVst2TimeTransportPlaying = 2,
    kVst2TimeCycleActive = 4,
    kVst2TimePpqPosValid = 512,
    kVst2TimeTempoValid = 1024,
    kVst2TimeBarsValid = 2048,
    kVst2TimeCyclePosValid = 4096,
    kVst2TimeTimeSigValid = 8192,
    kVst2TimeRequestMask = 0x3E00 /* what the plug-in asks for */
  };

  /* Events: every event starts with type, byte size, sample offset and flags. */
  enum EVst2EventType
  {
    kVst2EventMidi = 1,
    kVst2EventSysEx = 6
  };

  typedef struct Vst2Event
  {
    int32_t type;
    int32_t byteSize;
    int32_t deltaFrames; /* sample offset in the block */
    int32_t flags;
    char data[16];
  } Vst2Event;

  typedef struct Vst2MidiEvent /* 32 bytes */
  {
    int32_t type; /* kVst2EventMidi */
    int32_t byteSize;
    int32_t deltaFrames;
    int32_t flags;
    int32_t noteLength;
    int32_t noteOffset;
    unsigned char midiData[4];
    signed char detune;
    unsigned char noteOffVelocity;
    unsigned char reserved1;
    unsigned char reserved2;
  } Vst2MidiEvent;

  typedef struct Vst2SysExEvent /* 48 bytes */
  {
    int32_t type; /* kVst2EventSysEx */
    int32_t byteSize;
    int32_t deltaFrames;
    int32_t flags;
    int32_t dumpBytes;
    int32_t padding;
    intptr_t reserved1;
    unsigned char* sysexDump;
    intptr_t reserved2;
  } Vst2SysExEvent;

  /* An event list: count, then (from byte 16) that many event pointers. The array is declared
     with two entries; a longer list is a larger allocation of the same layout. */
  typedef struct Vst2Events
  {
    int32_t numEvents;
    int32_t padding;
    intptr_t reserved;
    Vst2Event* events[2];
  } Vst2Events;

  /* Pin properties (kVst2EffGetInputProperties / kVst2EffGetOutputProperties): 128 bytes. */
  enum EVst2PinFlags
  {
    kVst2PinIsActive = 1,
    kVst2PinIsStereo = 2
  };

  typedef struct Vst2PinProperties
  {
    char label[64];
    int32_t flags;
    int32_t arrangementType;
    char shortLabel[8];
    char future[48];
  } Vst2PinProperties;

  /* Parameter properties (kVst2EffGetParameterProperties): 152 bytes. The flags say which
     fields hosts may read. */
  enum EVst2ParamPropertyFlags
  {
    kVst2ParamIsSwitch = 1,         /* two states, off and on */
    kVst2ParamUsesIntegerRange = 2, /* minInteger..maxInteger is the parameter's range */
    kVst2ParamUsesFloatStep = 4,    /* stepFloat, smallStepFloat, largeStepFloat hold steps */
    kVst2ParamUsesIntegerStep = 8   /* stepInteger, largeStepInteger hold steps in that range */
  };

  typedef struct Vst2ParameterProperties
  {
    float stepFloat;
    float smallStepFloat;
    float largeStepFloat;
    char label[64];
    int32_t flags;
    int32_t minInteger;
    int32_t maxInteger;
    int32_t stepInteger;
    int32_t largeStepInteger;
    char shortLabel[8];
    int16_t displayIndex;
    int16_t category;
    int16_t numParametersInCategory;
    int16_t reserved;
    char categoryLabel[24];
    char future[16];
  } Vst2ParameterProperties;

  /* Speaker arrangement (kVst2EffSetSpeakerArrangement / kVst2EffGetSpeakerArrangement). */
  enum EVst2SpeakerArrangementType
  {
    kVst2SpeakerArrUserDefined = -2,
    kVst2SpeakerArrEmpty = -1,
    kVst2SpeakerArrMono = 0,
    kVst2SpeakerArrStereo = 1
  };

  typedef struct Vst2SpeakerProperties /* 112 bytes */
  {
    float azimuth;
    float elevation;
    float radius;
    float reserved;
    char name[64];
    int32_t type;
    char future[28];
  } Vst2SpeakerProperties;

  typedef struct Vst2SpeakerArrangement
  {
    int32_t type; /* EVst2SpeakerArrangementType */
    int32_t numChannels;
    Vst2SpeakerProperties speakers[8];
  } Vst2SpeakerArrangement;

  /* MIDI key name (kVst2EffGetMidiKeyName): 80 bytes. */
  typedef struct Vst2MidiKeyName
  {
    int32_t thisProgramIndex;
    int32_t thisKeyNumber;
    char keyName[64];
    int32_t reserved;
    int32_t flags;
  } Vst2MidiKeyName;

  /* Editor rectangle (kVst2EffEditGetRect). */
  typedef struct Vst2Rect
  {
    int16_t top;
    int16_t left;
    int16_t bottom;
    int16_t right;
  } Vst2Rect;

#ifdef __cplusplus
} /* extern "C" */
#define VST2_ABI_ASSERT(cond, msg) static_assert(cond, msg)
#else
#define VST2_ABI_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif

VST2_ABI_ASSERT(sizeof(void*) == 8, "the layouts below are those of LP64");
VST2_ABI_ASSERT(sizeof(AEffect) == 192, "effect record size");
VST2_ABI_ASSERT(offsetof(AEffect, dispatcher) == 8, "dispatcher offset");
VST2_ABI_ASSERT(offsetof(AEffect, numPrograms) == 40, "numPrograms offset");
VST2_ABI_ASSERT(offsetof(AEffect, flags) == 56, "flags offset");
VST2_ABI_ASSERT(offsetof(AEffect, initialDelay) == 80, "initialDelay offset");
VST2_ABI_ASSERT(offsetof(AEffect, ioRatio) == 92, "ioRatio offset");
VST2_ABI_ASSERT(offsetof(AEffect, object) == 96, "object offset");
VST2_ABI_ASSERT(offsetof(AEffect, uniqueID) == 112, "uniqueID offset");
VST2_ABI_ASSERT(offsetof(AEffect, processReplacing) == 120, "processReplacing offset");
VST2_ABI_ASSERT(offsetof(AEffect, future) == 136, "future offset");
VST2_ABI_ASSERT(sizeof(Vst2TimeInfo) == 88, "time-info record size");
VST2_ABI_ASSERT(offsetof(Vst2TimeInfo, flags) == 84, "time-info flags offset");
VST2_ABI_ASSERT(sizeof(Vst2MidiEvent) == 32, "MIDI event size");
VST2_ABI_ASSERT(offsetof(Vst2MidiEvent, midiData) == 24, "MIDI bytes offset");
VST2_ABI_ASSERT(sizeof(Vst2SysExEvent) == 48, "system-exclusive event size");
VST2_ABI_ASSERT(offsetof(Vst2SysExEvent, dumpBytes) == 16, "sysex byte count offset");
VST2_ABI_ASSERT(offsetof(Vst2SysExEvent, sysexDump) == 32, "sysex data offset");
VST2_ABI_ASSERT(sizeof(Vst2Event) == 32, "generic event size");
VST2_ABI_ASSERT(offsetof(Vst2Events, events) == 16, "event pointers offset");
VST2_ABI_ASSERT(offsetof(Vst2PinProperties, flags) == 64, "pin flags offset");
VST2_ABI_ASSERT(offsetof(Vst2ParameterProperties, label) == 12, "parameter label offset");
VST2_ABI_ASSERT(offsetof(Vst2ParameterProperties, flags) == 76, "parameter flags offset");
VST2_ABI_ASSERT(offsetof(Vst2ParameterProperties, minInteger) == 80, "parameter min offset");
VST2_ABI_ASSERT(offsetof(Vst2ParameterProperties, largeStepInteger) == 92, "large step offset");
VST2_ABI_ASSERT(sizeof(Vst2SpeakerProperties) == 112, "speaker properties size");
VST2_ABI_ASSERT(offsetof(Vst2SpeakerArrangement, numChannels) == 4, "channel count offset");
VST2_ABI_ASSERT(offsetof(Vst2MidiKeyName, keyName) == 8, "key name offset");

#undef VST2_ABI_ASSERT
