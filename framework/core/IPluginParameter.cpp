#include "framework/core/IPluginParameter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace plugin
{

namespace
{
constexpr int kJSONPieceLength = 8192;
constexpr double kExpShapeFloor = 1e-8; // lowest value of an exponential shape whose min is <= 0

// Step sizes come from decimal literals (0.01, 0.07): their binary forms become whole after a
// few multiplications by 10 only up to rounding noise, which this tolerance forgives.
bool IsWhole(double v)
{
  return std::fabs(v - std::round(v)) <= 1e-9 * std::max(1.0, std::fabs(v));
}

// Decimals needed to show multiples of step: 0 for a whole step, 1 to 5 when step times 10^p is
// whole, else 6.
int PrecisionForStep(double step)
{
  if (IsWhole(step))
    return 0;
  for (int p = 1; p <= 5; ++p)
  {
    step *= 10.0;
    if (IsWhole(step))
      return p;
  }
  return 6;
}

// A number that printed as zero ("-0.0", "+0.00") loses its sign.
void DropSignOfZero(Util_String& out)
{
  const char* text = out.Get();
  if (text[0] != '-' && text[0] != '+')
    return;
  for (const char* c = text + 1; *c; ++c)
    if (*c >= '1' && *c <= '9')
      return;
  out.DeleteSub(0, 1);
}

void AppendJSONEscaped(Util_String& out, const char* text)
{
  for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); *c; ++c)
  {
    if (*c == '"' || *c == '\\')
    {
      const char escaped[3] = {'\\', static_cast<char>(*c), 0};
      out.Append(escaped);
    }
    else if (*c < 0x20)
    {
      out.AppendFormatted(8, "\\u%04x", *c);
    }
    else
    {
      out.Append(reinterpret_cast<const char*>(c), 1);
    }
  }
}

const char* const kPitchClassNames[12] = {"C ", "C#", "D ", "D#", "E ", "F ",
                                          "F#", "G ", "G#", "A ", "A#", "B "};
} // namespace

void CopyTextField(char* field, int size, const char* text)
{
  if (!field || size < 1)
    return;
  if (!text)
    text = "";
  size_t n = strnlen(text, static_cast<size_t>(size - 1));
  // Cut before a character whose bytes would not all fit (UTF-8 continuation bytes are 10xxxxxx).
  if (text[n] != 0)
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
      --n;
  std::memmove(field, text, n); // text may be this very field
  field[n] = 0;
}

// ---- Shapes

double IParam::ShapeLinear::NormalizedToValue(double normalized, const IParam& param) const
{
  return param.GetMin() + normalized * (param.GetMax() - param.GetMin());
}

double IParam::ShapeLinear::ValueToNormalized(double value, const IParam& param) const
{
  return (value - param.GetMin()) / (param.GetMax() - param.GetMin());
}

IParam::EDisplayType IParam::ShapePowCurve::GetDisplayType() const
{
  if (mShape > 2.5)
    return kDisplayCubeRoot;
  if (mShape > 1.5)
    return kDisplaySquareRoot;
  if (mShape < 0.4)
    return kDisplayCubed;
  if (mShape < 2.0 / 3.0)
    return kDisplaySquared;
  return kDisplayLinear;
}

double IParam::ShapePowCurve::NormalizedToValue(double normalized, const IParam& param) const
{
  return param.GetMin() + (param.GetMax() - param.GetMin()) * std::pow(normalized, mShape);
}

double IParam::ShapePowCurve::ValueToNormalized(double value, const IParam& param) const
{
  return std::pow((value - param.GetMin()) / (param.GetMax() - param.GetMin()), 1.0 / mShape);
}

void IParam::ShapeExp::Init(const IParam& param)
{
  const double lo = param.GetMin() > 0.0 ? param.GetMin() : kExpShapeFloor;
  mAdd = std::log(lo);
  mMul = std::log(param.GetMax() / lo);
}

double IParam::ShapeExp::NormalizedToValue(double normalized, const IParam&) const
{
  return std::exp(mAdd + normalized * mMul);
}

double IParam::ShapeExp::ValueToNormalized(double value, const IParam&) const
{
  return (std::log(value) - mAdd) / mMul;
}

// ---- Construction and initialisation

IParam::IParam() : mShape(std::make_unique<ShapeLinear>()) {}

IParam::~IParam() = default;

void IParam::InitDouble(const char* name, double defaultVal, double minVal, double maxVal,
                        double step, const char* label, int flags, const char* group,
                        const Shape& shape, EParamUnit unit, DisplayFunc displayFunc)
{
  SetTypeIfNone(kTypeDouble);
  CopyTextField(mName, kTextLength, name);
  CopyTextField(mLabel, kTextLength, label);
  CopyTextField(mGroup, kTextLength, group);
  mMin = minVal;
  mMax = std::max(minVal + step, maxVal); // at least one step wide
  mStep = step;
  mDefault = std::isnan(defaultVal) ? minVal : defaultVal;
  mUnit = unit;
  mFlags = flags;
  mDisplayFunc = std::move(displayFunc);
  mValue.exchange(Constrain(mDefault));
  mDisplayPrecision = PrecisionForStep(step);
  // Cloned before the old shape goes: shape may be this parameter's own (Init from itself).
  std::unique_ptr<Shape> clone = shape.Clone();
  mShape = std::move(clone);
  mShape->Init(*this);
}

void IParam::InitBool(const char* name, bool defaultVal, const char* label, int flags,
                      const char* group, const char* offText, const char* onText)
{
  SetTypeIfNone(kTypeBool);
  InitDouble(name, defaultVal ? 1.0 : 0.0, 0.0, 1.0, 1.0, label, flags | kFlagStepped, group,
             ShapeLinear(), kUnitCustom);
  SetDisplayText(0.0, offText);
  SetDisplayText(1.0, onText);
}

void IParam::InitEnumTexts(const char* name, int defaultVal, int nEnums, const char* label,
                           int flags, const char* group, const char* const* texts, int nTexts)
{
  SetTypeIfNone(kTypeEnum);
  InitDouble(name, defaultVal, 0.0, nEnums - 1.0, 1.0, label, flags | kFlagStepped, group,
             ShapeLinear(), kUnitCustom);
  for (int i = 0; i < std::min(nTexts, nEnums); ++i)
    SetDisplayText(i, texts[i]);
}

void IParam::InitEnum(const char* name, int defaultVal, std::initializer_list<const char*> texts,
                      int flags, const char* group)
{
  const int count = static_cast<int>(texts.size());
  InitEnumTexts(name, defaultVal, count, "", flags, group, texts.begin(), count);
}

void IParam::InitInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label,
                     int flags, const char* group)
{
  SetTypeIfNone(kTypeInt);
  InitDouble(name, defaultVal, minVal, maxVal, 1.0, label, flags | kFlagStepped, group,
             ShapeLinear(), kUnitCustom);
}

void IParam::InitFrequency(const char* name, double defaultVal, double minVal, double maxVal,
                           double step, int flags, const char* group)
{
  InitDouble(name, defaultVal, minVal, maxVal, step, "Hz", flags, group, ShapeExp(),
             kUnitFrequency);
}

void IParam::InitSeconds(const char* name, double defaultVal, double minVal, double maxVal,
                         double step, int flags, const char* group)
{
  InitDouble(name, defaultVal, minVal, maxVal, step, "Seconds", flags, group, ShapeLinear(),
             kUnitSeconds);
}

void IParam::InitMilliseconds(const char* name, double defaultVal, double minVal, double maxVal,
                              int flags, const char* group)
{
  InitDouble(name, defaultVal, minVal, maxVal, 1.0, "ms", flags, group, ShapeLinear(),
             kUnitMilliseconds);
}

void IParam::InitGain(const char* name, double defaultVal, double minVal, double maxVal,
                      double step, int flags, const char* group)
{
  InitDouble(name, defaultVal, minVal, maxVal, step, "dB", flags, group, ShapeLinear(), kUnitDB);
}

void IParam::InitPercentage(const char* name, double defaultVal, double minVal, double maxVal,
                            int flags, const char* group)
{
  InitDouble(name, defaultVal, minVal, maxVal, 1.0, "%", flags, group, ShapeLinear(),
             kUnitPercentage);
}

void IParam::InitAngleDegrees(const char* name, double defaultVal, double minVal, double maxVal,
                              int flags, const char* group)
{
  InitDouble(name, defaultVal, minVal, maxVal, 1.0, "degrees", flags, group, ShapeLinear(),
             kUnitDegrees);
}

void IParam::InitPitch(const char* name, int defaultVal, int minVal, int maxVal, int flags,
                       const char* group, bool middleCisC)
{
  SetTypeIfNone(kTypeEnum);
  const int count = maxVal - minVal;
  InitDouble(name, defaultVal, 0.0, count, 1.0, "", flags | kFlagStepped, group, ShapeLinear(),
             kUnitCustom);
  const int octaveOffset = middleCisC ? 1 : 2;
  for (int i = 0; i <= count; ++i)
  {
    const int note = minVal + i;
    const int pitchClass = ((note % 12) + 12) % 12;
    const int octave = (note - pitchClass) / 12 - octaveOffset;
    Util_String text;
    text.SetFormatted(kTextLength, "%s%i", kPitchClassNames[pitchClass], octave);
    SetDisplayText(i, text.Get());
  }
}

void IParam::Init(const IParam& source, const char* searchStr, const char* replaceStr,
                  const char* newGroup)
{
  SetTypeIfNone(source.Type());
  Util_String name(source.GetName());
  if (searchStr && searchStr[0])
  {
    if (const char* found = std::strstr(name.Get(), searchStr))
    {
      const int position = static_cast<int>(found - name.Get());
      name.DeleteSub(position, static_cast<int>(std::strlen(searchStr)));
      if (replaceStr && replaceStr[0])
        name.Insert(replaceStr, position);
    }
  }
  Util_String group(newGroup && newGroup[0] ? newGroup : source.GetGroup());
  Util_String label(source.mLabel);
  const int nTexts = source.NDisplayTexts();
  InitDouble(name.Get(), source.mDefault, source.mMin, source.mMax, source.mStep, label.Get(),
             source.mFlags, group.Get(), *source.mShape, source.mUnit, source.mDisplayFunc);
  for (int i = 0; i < nTexts; ++i)
  {
    double value = 0.0;
    const char* text = source.GetDisplayTextAtIdx(i, &value);
    SetDisplayText(value, text);
  }
}

// ---- Values

double IParam::Constrain(double value) const
{
  if (std::isnan(value))
    value = mDefault;
  if ((mFlags & kFlagStepped) && mStep > 0.0)
    value = std::round(value / mStep) * mStep; // halves away from zero
  value = std::max(value, mMin);
  value = std::min(value, mMax);
  return value;
}

double IParam::FromNormalized(double normalized) const
{
  if (!std::isnan(normalized))
    normalized = std::clamp(normalized, 0.0, 1.0);
  return Constrain(mShape->NormalizedToValue(normalized, *this));
}

double IParam::ToNormalized(double value) const
{
  const double normalized = mShape->ValueToNormalized(Constrain(value), *this);
  if (std::isnan(normalized))
    return 0.0;
  return std::clamp(normalized, 0.0, 1.0);
}

const char* IParam::GetLabel() const
{
  const char* text = GetDisplayText(std::trunc(Value()));
  return text[0] ? "" : mLabel;
}

// ---- Display texts

void IParam::SetDisplayText(double value, const char* text)
{
  DisplayText entry;
  entry.mValue = value;
  CopyTextField(entry.mText, kTextLength, text);
  mDisplayTexts.Add(entry);
}

const char* IParam::GetDisplayTextAtIdx(int index, double* value) const
{
  if (index < 0 || index >= NDisplayTexts())
    return "";
  const DisplayText& entry = mDisplayTexts.Get()[index];
  if (value)
    *value = entry.mValue;
  return entry.mText;
}

const char* IParam::GetDisplayText(double value) const
{
  const DisplayText* entries = mDisplayTexts.Get();
  for (int i = 0; i < NDisplayTexts(); ++i)
    if (entries[i].mValue == value)
      return entries[i].mText;
  return "";
}

bool IParam::MapDisplayText(const char* text, double* value) const
{
  if (!text)
    return false;
  const DisplayText* entries = mDisplayTexts.Get();
  for (int i = 0; i < NDisplayTexts(); ++i)
  {
    if (std::strcmp(entries[i].mText, text) == 0)
    {
      if (value)
        *value = entries[i].mValue;
      return true;
    }
  }
  return false;
}

// ---- Formatting and parsing

void IParam::GetDisplay(double value, bool normalized, Util_String& out, bool withDisplayText) const
{
  if (normalized)
    value = FromNormalized(value);
  if (mDisplayFunc)
  {
    mDisplayFunc(value, out);
    return;
  }
  if (withDisplayText)
  {
    const char* text = GetDisplayText(value);
    if (text[0])
    {
      out.Set(text, kTextLength);
      return;
    }
  }
  if (mFlags & kFlagNegateDisplay)
    value = -value;
  if (mDisplayPrecision <= 0)
    out.SetFormatted(kTextLength, "%.0f", std::round(value));
  else if ((mFlags & kFlagSignDisplay) && value != 0.0)
    out.SetFormatted(kTextLength, "%+.*f", mDisplayPrecision, value);
  else
    out.SetFormatted(kTextLength, "%.*f", mDisplayPrecision, value);
  DropSignOfZero(out);
}

void IParam::GetDisplayWithLabel(Util_String& out, bool withDisplayText) const
{
  GetDisplay(Value(), false, out, withDisplayText);
  const char* label = GetLabel();
  if (label[0])
  {
    out.Append(" ");
    out.Append(label);
  }
}

double IParam::StringToValue(const char* text) const
{
  double value = 0.0;
  if (MapDisplayText(text, &value))
    return value;
  if (mType == kTypeBool || mType == kTypeEnum)
    return 0.0;
  value = Util_AtoF(text);
  if (mFlags & kFlagNegateDisplay)
    value = -value;
  return Constrain(value);
}

void IParam::GetJSON(Util_String& out, int index) const
{
  static const char* const kTypeNames[] = {"", "bool", "int", "enum", "float"};
  out.Append("{");
  out.AppendFormatted(kJSONPieceLength, "\"id\":%i, ", index);
  out.Append("\"name\":\"");
  AppendJSONEscaped(out, mName);
  out.Append("\", ");
  if (mType >= kTypeBool && mType <= kTypeDouble)
    out.AppendFormatted(kJSONPieceLength, "\"type\":\"%s\", ", kTypeNames[mType]);
  out.AppendFormatted(kJSONPieceLength, "\"min\":%f, ", mMin);
  out.AppendFormatted(kJSONPieceLength, "\"max\":%f, ", mMax);
  out.AppendFormatted(kJSONPieceLength, "\"default\":%f, ", mDefault);
  out.AppendFormatted(kJSONPieceLength, "\"display_type\":%i, ", mShape->GetDisplayType());
  out.Append("\"rate\":\"control\"");
  out.Append("}");
}

} // namespace plugin
