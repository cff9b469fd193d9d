#pragma once
// IParam: one automatable parameter (kind, range, step, default, current value, unit, names,
// display rules) and the shape that maps the host's normalized 0..1 value to the parameter's own
// value and back.
//
// Threads: the value is a double stored by atomic exchange and read by atomic loads, from any
// thread and without a lock (the host's audio and automation threads, the editor, the idle
// timer). Every other field is written only while the plug-in is constructed, before another
// thread can see the parameter, and is read-only afterwards. The value operations marked
// [any thread] allocate nothing and take no lock.
//
// Values are always finite: a NaN given to Set, Constrain or FromNormalized becomes the default,
// so a broken chunk or a host's odd call cannot poison the engine. Names, labels, groups and
// display texts live in 32-byte fields; longer texts are cut at 31 bytes, never inside a UTF-8
// character. Numbers are formatted and parsed in the "C" locale (a decimal point whatever the
// host's locale).

#include "framework/util/UtilBuffers.h"
#include "framework/util/UtilString.h"

#include <atomic>
#include <functional>
#include <initializer_list>
#include <memory>
#include <type_traits>

namespace plugin
{

// Where a parameter change or reset comes from.
enum EParamSource
{
  kReset = 0,
  kHost = 1,
  kPresetRecall = 2,
  kEditor = 3,
  kDelegate = 4, // a value the plug-in sends to its editor
};

class IParam
{
public:
  static constexpr int kTextLength = 32; // bytes of each text field, terminator included

  enum EParamType
  {
    kTypeNone = 0,
    kTypeBool = 1,
    kTypeInt = 2,
    kTypeEnum = 3,
    kTypeDouble = 4,
  };

  enum EParamUnit
  {
    kUnitPercentage = 0,
    kUnitSeconds = 1,
    kUnitMilliseconds = 2,
    kUnitDB = 4,
    kUnitDegrees = 8,
    kUnitFrequency = 12,
    kUnitCustom = 21,
  };

  enum EFlags
  {
    kFlagsNone = 0,
    kFlagCannotAutomate = 1,
    kFlagStepped = 2,
    kFlagNegateDisplay = 4,
    kFlagSignDisplay = 8,
  };

  // How a shape's curve looks, reported to JSON consumers; never used for formatting.
  enum EDisplayType
  {
    kDisplayLinear = 0,
    kDisplayLog = 1,
    kDisplayExp = 2,
    kDisplaySquared = 3,
    kDisplaySquareRoot = 4,
    kDisplayCubed = 5,
    kDisplayCubeRoot = 6,
  };

  using DisplayFunc = std::function<void(double value, Util_String& out)>;

  // The mapping between a normalized value (0..1) and the parameter's own value. Shapes read min
  // and max from the parameter at every call. [any thread] for the two conversions.
  class Shape
  {
  public:
    virtual ~Shape() = default;
    virtual std::unique_ptr<Shape> Clone() const = 0;
    // Called once the parameter's range is set.
    virtual void Init(const IParam& /*param*/) {}
    virtual EDisplayType GetDisplayType() const = 0;
    virtual double NormalizedToValue(double normalized, const IParam& param) const = 0;
    virtual double ValueToNormalized(double value, const IParam& param) const = 0;
  };

  // min + n (max - min).
  class ShapeLinear : public Shape
  {
  public:
    std::unique_ptr<Shape> Clone() const override { return std::make_unique<ShapeLinear>(*this); }
    EDisplayType GetDisplayType() const override { return kDisplayLinear; }
    double NormalizedToValue(double normalized, const IParam& param) const override;
    double ValueToNormalized(double value, const IParam& param) const override;
  };

  // min + (max - min) n^e: fine resolution at the low end for e > 1.
  class ShapePowCurve : public Shape
  {
  public:
    explicit ShapePowCurve(double shape) : mShape(shape) {}
    std::unique_ptr<Shape> Clone() const override { return std::make_unique<ShapePowCurve>(*this); }
    EDisplayType GetDisplayType() const override;
    double NormalizedToValue(double normalized, const IParam& param) const override;
    double ValueToNormalized(double value, const IParam& param) const override;

  private:
    double mShape;
  };

  // exp(add + n mul), spanning min..max logarithmically (a min of 0 or below starts at 1e-8).
  class ShapeExp : public Shape
  {
  public:
    std::unique_ptr<Shape> Clone() const override { return std::make_unique<ShapeExp>(*this); }
    void Init(const IParam& param) override;
    EDisplayType GetDisplayType() const override { return kDisplayLog; }
    double NormalizedToValue(double normalized, const IParam& param) const override;
    double ValueToNormalized(double value, const IParam& param) const override;

  private:
    double mMul = 1.0;
    double mAdd = 1.0;
  };

  IParam();
  ~IParam();
  IParam(const IParam&) = delete;
  IParam& operator=(const IParam&) = delete;

  // ---- Initialisation (construction time, main thread). Each ends in InitDouble; the first
  // variant called on a parameter fixes its type. Display texts accumulate.

  void InitDouble(const char* name, double defaultVal, double minVal, double maxVal, double step,
                  const char* label = "", int flags = 0, const char* group = "",
                  const Shape& shape = ShapeLinear(), EParamUnit unit = kUnitCustom,
                  DisplayFunc displayFunc = nullptr);
  void InitBool(const char* name, bool defaultVal, const char* label = "", int flags = 0,
                const char* group = "", const char* offText = "Off", const char* onText = "On");
  // Texts for 1..nEnums-1 follow firstText; extra texts are ignored.
  template <class... Texts>
  void InitEnum(const char* name, int defaultVal, int nEnums, const char* label = "", int flags = 0,
                const char* group = "", const char* firstText = nullptr, Texts... moreTexts)
  {
    static_assert((std::is_convertible_v<Texts, const char*> && ...), "texts are C strings");
    const char* texts[] = {firstText, static_cast<const char*>(moreTexts)...};
    InitEnumTexts(name, defaultVal, nEnums, label, flags, group, texts,
                  firstText ? static_cast<int>(sizeof...(Texts)) + 1 : 0);
  }
  void InitEnum(const char* name, int defaultVal, std::initializer_list<const char*> texts,
                int flags = 0, const char* group = "");
  void InitInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label = "",
               int flags = 0, const char* group = "");
  void InitFrequency(const char* name, double defaultVal = 1000.0, double minVal = 0.1,
                     double maxVal = 10000.0, double step = 0.1, int flags = 0,
                     const char* group = "");
  void InitSeconds(const char* name, double defaultVal = 1.0, double minVal = 0.0,
                   double maxVal = 10.0, double step = 0.1, int flags = 0, const char* group = "");
  void InitMilliseconds(const char* name, double defaultVal = 1.0, double minVal = 0.0,
                        double maxVal = 100.0, int flags = 0, const char* group = "");
  void InitGain(const char* name, double defaultVal = 0.0, double minVal = -70.0,
                double maxVal = 24.0, double step = 0.5, int flags = 0, const char* group = "");
  void InitPercentage(const char* name, double defaultVal = 0.0, double minVal = 0.0,
                      double maxVal = 100.0, int flags = 0, const char* group = "");
  void InitAngleDegrees(const char* name, double defaultVal = 0.0, double minVal = 0.0,
                        double maxVal = 360.0, int flags = 0, const char* group = "");
  // An enum over MIDI notes minVal..maxVal named "C 3", "C#3" ...; middleCisC names note 60 "C 4".
  void InitPitch(const char* name, int defaultVal = 60, int minVal = 0, int maxVal = 128,
                 int flags = 0, const char* group = "", bool middleCisC = false);
  // Copies source; the first occurrence of searchStr in the name is replaced by replaceStr, and a
  // non-empty newGroup replaces the group.
  void Init(const IParam& source, const char* searchStr = "", const char* replaceStr = "",
            const char* newGroup = "");

  // ---- Values. [any thread] unless said.

  double Value() const { return mValue.load(); }
  bool Bool() const { return Value() >= 0.5; }
  // Snaps to the step when stepped (halves away from zero), clamps to min..max; NaN gives the
  // default.
  double Constrain(double value) const;
  void Set(double value) { mValue.exchange(Constrain(value)); }
  void SetToDefault() { mValue.exchange(mDefault); }
  double FromNormalized(double normalized) const;
  void SetNormalized(double normalized) { Set(FromNormalized(normalized)); }
  // The normalized form of Constrain(value), within 0..1.
  double ToNormalized(double value) const;
  double GetNormalized() const { return ToNormalized(Value()); }

  // ---- Fields (fixed after initialisation). [any thread]

  EParamType Type() const { return mType; }
  EParamUnit Unit() const { return mUnit; }
  double GetMin() const { return mMin; }
  double GetMax() const { return mMax; }
  double GetRange() const { return mMax - mMin; }
  void GetBounds(double& lo, double& hi) const
  {
    lo = mMin;
    hi = mMax;
  }
  double GetStep() const { return mStep; }
  double GetDefault(bool normalized = false) const
  {
    return normalized ? ToNormalized(mDefault) : mDefault;
  }
  int GetDisplayPrecision() const { return mDisplayPrecision; }
  void SetDisplayPrecision(int precision) { mDisplayPrecision = precision; }
  int GetFlags() const { return mFlags; }
  bool GetCanAutomate() const { return !(mFlags & kFlagCannotAutomate); }
  bool GetStepped() const { return mFlags & kFlagStepped; }
  bool GetNegateDisplay() const { return mFlags & kFlagNegateDisplay; }
  bool GetSignDisplay() const { return mFlags & kFlagSignDisplay; }
  const char* GetName() const { return mName; }
  const char* GetGroup() const { return mGroup; }
  // The unit label, or "" when the current value (truncated toward zero) has a non-empty display
  // text.
  const char* GetLabel() const;
  const Shape* GetShape() const { return mShape.get(); }
  const DisplayFunc& GetDisplayFunc() const { return mDisplayFunc; }

  // ---- Display texts (set at initialisation, read anywhere).

  // Appends an entry; an entry of an equal value is not replaced (look-ups find the first).
  void SetDisplayText(double value, const char* text);
  int NDisplayTexts() const { return mDisplayTexts.GetSize(); }
  // The text of entry index ("" outside the list), and its value when asked.
  const char* GetDisplayTextAtIdx(int index, double* value = nullptr) const;
  // The text of the first entry whose value equals value exactly; "" when none does.
  const char* GetDisplayText(double value) const;
  // The value of the first entry whose text equals text (case-sensitive).
  bool MapDisplayText(const char* text, double* value) const;

  // ---- Formatting and parsing (main thread: these may allocate).

  // out = the display of value (taken as normalized when asked): the display function, or the
  // value's display text, or the number with the display precision; never a negative zero.
  void GetDisplay(double value, bool normalized, Util_String& out,
                  bool withDisplayText = true) const;
  void GetDisplay(Util_String& out, bool withDisplayText = true) const
  {
    GetDisplay(Value(), false, out, withDisplayText);
  }
  // The current value's display, then a blank and the label when there is one.
  void GetDisplayWithLabel(Util_String& out, bool withDisplayText = true) const;
  // A display text's value, else 0 for bool and enum parameters, else the leading number of the
  // text (negated when the display is), constrained.
  double StringToValue(const char* text) const;
  // Appends this parameter's description as a JSON object (the name escaped).
  void GetJSON(Util_String& out, int index) const;

private:
  struct DisplayText
  {
    double mValue;
    char mText[kTextLength];
  };

  void InitEnumTexts(const char* name, int defaultVal, int nEnums, const char* label, int flags,
                     const char* group, const char* const* texts, int nTexts);
  void SetTypeIfNone(EParamType type)
  {
    if (mType == kTypeNone)
      mType = type;
  }

  EParamType mType = kTypeNone;
  EParamUnit mUnit = kUnitCustom;
  std::atomic<double> mValue{0.0};
  double mMin = 0.0;
  double mMax = 1.0;
  double mStep = 1.0;
  double mDefault = 0.0;
  int mDisplayPrecision = 0;
  int mFlags = 0;
  char mName[kTextLength] = {};
  char mLabel[kTextLength] = {};
  char mGroup[kTextLength] = {};
  std::unique_ptr<Shape> mShape;
  DisplayFunc mDisplayFunc;
  Util_TypedBuf<DisplayText> mDisplayTexts{4096};
};

// Copies text into a fixed field of size bytes, cut so that no UTF-8 character is split; a null
// text gives "". [any thread]
void CopyTextField(char* field, int size, const char* text);

} // namespace plugin
