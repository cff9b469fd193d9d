#include "framework/graphics/controls/ITextEntryControl.h"

#include "framework/core/IGEditorDelegate.h"
#include "framework/core/IPluginParameter.h"
#include "framework/graphics/IGraphics.h"
#include "framework/util/UtilUTF8.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cwctype>

// The editing model: one line of code points. Its key codes are ITextEntryControl's; Page Up and
// Page Down get codes that no key produces, so that they stay unbound on a single line.
#define STB_TEXTEDIT_CHARTYPE char32_t
#define STB_TEXTEDIT_POSITIONTYPE int
#define STB_TEXTEDIT_KEYTYPE unsigned
#define STB_TEXTEDIT_STRING plugin::igraphics::ITextEntryControl
#define STB_TEXTEDIT_STRINGLEN(obj) TextEntryHooks::Length(obj)
#define STB_TEXTEDIT_LAYOUTROW(row, obj, n) TextEntryHooks::LayoutRow(row, obj, n)
#define STB_TEXTEDIT_GETWIDTH(obj, n, i) TextEntryHooks::Width(obj, n, i)
#define STB_TEXTEDIT_KEYTOTEXT(key) TextEntryHooks::KeyToText(key)
#define STB_TEXTEDIT_GETCHAR(obj, i) TextEntryHooks::Char(obj, i)
#define STB_TEXTEDIT_NEWLINE U'\n'
#define STB_TEXTEDIT_IS_SPACE(c) std::iswspace(static_cast<wint_t>(c))
#define STB_TEXTEDIT_DELETECHARS(obj, i, n) TextEntryHooks::Delete(obj, i, n)
#define STB_TEXTEDIT_INSERTCHARS(obj, i, c, n) TextEntryHooks::Insert(obj, i, c, n)
#define STB_TEXTEDIT_K_SHIFT kShift
#define STB_TEXTEDIT_K_LEFT (kVirtual | 37u)
#define STB_TEXTEDIT_K_RIGHT (kVirtual | 39u)
#define STB_TEXTEDIT_K_UP (kVirtual | 38u)
#define STB_TEXTEDIT_K_DOWN (kVirtual | 40u)
#define STB_TEXTEDIT_K_PGUP (kVirtual | 0x0FFFFFF1u)
#define STB_TEXTEDIT_K_PGDOWN (kVirtual | 0x0FFFFFF2u)
#define STB_TEXTEDIT_K_LINESTART (kVirtual | 36u)
#define STB_TEXTEDIT_K_LINEEND (kVirtual | 35u)
#define STB_TEXTEDIT_K_TEXTSTART (kCtrl | kVirtual | 36u)
#define STB_TEXTEDIT_K_TEXTEND (kCtrl | kVirtual | 35u)
#define STB_TEXTEDIT_K_DELETE (kVirtual | 46u)
#define STB_TEXTEDIT_K_BACKSPACE (kVirtual | 8u)
#define STB_TEXTEDIT_K_UNDO (kCtrl | 122u)
#define STB_TEXTEDIT_K_REDO (kShift | kCtrl | 122u)
#define STB_TEXTEDIT_K_INSERT (kVirtual | 45u)
#define STB_TEXTEDIT_K_WORDLEFT (kCtrl | kVirtual | 37u)
#define STB_TEXTEDIT_K_WORDRIGHT (kCtrl | kVirtual | 39u)

#include <stb/stb_textedit.h>

namespace plugin::igraphics
{

namespace
{

constexpr unsigned kVirtual = ITextEntryControl::kKeyVirtual;
constexpr unsigned kShift = ITextEntryControl::kKeyShift;
constexpr unsigned kCtrl = ITextEntryControl::kKeyCtrl;
constexpr unsigned kAlt = ITextEntryControl::kKeyAlt;

constexpr double kBlinkPeriodMs = 1000.0;
constexpr float kRowAdvance = 1.25f; // the model's baseline step; one row only, so unused

void ClampState(STB_TexteditState& state, int length)
{
  state.cursor = std::clamp(state.cursor, 0, length);
  state.select_start = std::clamp(state.select_start, 0, length);
  state.select_end = std::clamp(state.select_end, 0, length);
}

// The character a key types: its text's first code point, 0 for none. A text that is not UTF-8
// is taken as one Latin-1 byte (some hosts send such bytes through the VST2 key call).
char32_t KeyChar(const IKeyPress& key)
{
  const char* p = key.utf8;
  const char* end = p + strnlen(key.utf8, sizeof(key.utf8) - 1);
  if (p == end)
    return 0;
  bool ok = true;
  const char32_t c = DecodeUTF8(p, end, ok);
  return ok ? c : static_cast<unsigned char>(key.utf8[0]);
}

bool IsControlChar(char32_t c)
{
  return c < 0x20 || (c >= 0x7F && c < 0xA0);
}

} // namespace

struct ITextEntryControl::EditModel
{
  STB_TexteditState state;
};

struct ITextEntryControl::EditHooks
{
  static int Length(const ITextEntryControl* p) { return p->GetLength(); }
  static char32_t Char(const ITextEntryControl* p, int i)
  {
    return i >= 0 && i < p->GetLength() ? p->mEditString[static_cast<size_t>(i)] : U'\0';
  }
  // The whole text is one row, whatever row start the model asks for.
  static void LayoutRow(StbTexteditRow* pRow, ITextEntryControl* p, int /*start*/)
  {
    float x0 = 0.f, ymin = 0.f, ymax = 0.f;
    const float width = p->Layout(x0, ymin, ymax);
    pRow->x0 = x0;
    pRow->x1 = x0 + width;
    pRow->baseline_y_delta = kRowAdvance;
    pRow->ymin = ymin;
    pRow->ymax = ymax;
    pRow->num_chars = p->GetLength();
  }
  static float Width(ITextEntryControl* p, int /*rowStart*/, int i)
  {
    p->FillCharWidthCache();
    return i >= 0 && i < static_cast<int>(p->mCharWidths.size()) ? p->mCharWidths[i] : 0.f;
  }
  static int KeyToText(unsigned key)
  {
    if (key & (kVirtual | kCtrl))
      return -1;
    return static_cast<int>(key & ~kKeyFlags);
  }
  static void Delete(ITextEntryControl* p, int pos, int n)
  {
    const int len = p->GetLength();
    pos = std::clamp(pos, 0, len);
    n = std::clamp(n, 0, len - pos);
    p->mEditString.erase(static_cast<size_t>(pos), static_cast<size_t>(n));
    p->OnTextChange();
  }
  static int Insert(ITextEntryControl* p, int pos, const char32_t* chars, int n)
  {
    pos = std::clamp(pos, 0, p->GetLength());
    p->mEditString.insert(static_cast<size_t>(pos), chars, static_cast<size_t>(std::max(n, 0)));
    p->OnTextChange();
    return 1;
  }
};

} // namespace plugin::igraphics

using TextEntryHooks = plugin::igraphics::ITextEntryControl::EditHooks;
using plugin::igraphics::kCtrl;
using plugin::igraphics::kShift;
using plugin::igraphics::kVirtual;

#define STB_TEXTEDIT_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wsign-compare"
#include <stb/stb_textedit.h>
#pragma GCC diagnostic pop

namespace plugin::igraphics
{

ITextEntryControl::ITextEntryControl()
  : IControl(IRECT(), kNoParameter,
             [](IControl* pCaller)
             {
               // Every SetDirty(true) restarts the caret blink, with the caret showing.
               auto* pSelf = static_cast<ITextEntryControl*>(pCaller);
               pSelf->mDrawCaret = true;
               pSelf->SetAnimation(
                 [](IControl* pBlinking)
                 {
                   auto* pEntry = static_cast<ITextEntryControl*>(pBlinking);
                   const double progress = pEntry->GetAnimationProgress();
                   if (progress > 0.5 && pEntry->mDrawCaret)
                   {
                     pEntry->mDrawCaret = false;
                     pEntry->SetDirty(false);
                   }
                   if (progress > 1.0)
                     pEntry->OnEndAnimation();
                 },
                 kBlinkPeriodMs);
             }),
    mModel(std::make_unique<EditModel>())
{
  stb_textedit_initialize_state(&mModel->state, 1);
}

ITextEntryControl::~ITextEntryControl() = default;

template <typename Operation>
bool ITextEntryControl::Wrapped(Operation&& op)
{
  STB_TexteditState& state = mModel->state;
  // Compared byte for byte, padding included: copied the same way.
  STB_TexteditState before;
  std::memcpy(&before, &state, sizeof(state));
  op(state);
  ClampState(state, GetLength());
  if (std::memcmp(&before, &state, sizeof(state)) == 0)
    return false;
  SetDirty(false);
  return true;
}

// ---- Opening and closing

bool ITextEntryControl::CreateTextEntry(int paramIdx, const IText& text, const IRECT& bounds,
                                        int length, const char* str)
{
  if (mEditing)
    return false;
  SetTargetAndDrawRECTs(bounds);
  SetText(text);
  mText.mFGColor = mText.mTextEntryFGColor;
  mParamIdx = paramIdx;
  mMaxLength = length;
  // Each edit starts with a fresh model: the undo records of an earlier text would otherwise
  // replay into this one.
  stb_textedit_initialize_state(&mModel->state, 1);
  SetStr(str);
  SelectAll();
  mModel->state.cursor = 0;
  OnTextChange();
  SetDirty(true);
  mEditing = true;
  return true;
}

void ITextEntryControl::EndEdit()
{
  mEditing = false;
  mDrawCaret = false;
  SetAnimation(nullptr);
  SetTargetAndDrawRECTs(IRECT());
}

void ITextEntryControl::CommitEdit()
{
  if (!mEditing)
    return;
  const std::string text = GetStr();
  // Closed before the answer goes out: the control that asked may open the next prompt.
  EndEdit();
  if (IGraphics* pGraphics = GetUI())
  {
    pGraphics->SetControlValueAfterTextEdit(text.c_str());
    pGraphics->SetAllControlsDirty();
  }
}

void ITextEntryControl::DismissEdit()
{
  if (!mEditing)
    return;
  EndEdit();
  if (IGraphics* pGraphics = GetUI())
  {
    pGraphics->ClearInTextEntryControl();
    pGraphics->SetAllControlsDirty();
  }
}

void ITextEntryControl::CancelTextEntry()
{
  if (!mEditing)
    return;
  EndEdit();
  if (IGraphics* pGraphics = GetUI())
    pGraphics->SetAllControlsDirty();
}

void ITextEntryControl::OnEndAnimation()
{
  if (mEditing)
  {
    SetDirty(true); // the next second of the blink
    return;
  }
  IControl::OnEndAnimation();
}

// ---- Text

void ITextEntryControl::SetStr(const char* utf8)
{
  mEditString = UTF8ToUTF32(utf8 ? utf8 : "");
  ClampState(mModel->state, GetLength());
  mCharWidths.clear();
  SetDirty(false);
}

std::string ITextEntryControl::GetStr() const
{
  return UTF32ToUTF8(mEditString);
}

int ITextEntryControl::GetCaret() const
{
  return std::clamp(mModel->state.cursor, 0, GetLength());
}

void ITextEntryControl::GetSelection(int& lo, int& hi) const
{
  const STB_TexteditState& state = mModel->state;
  lo = std::clamp(std::min(state.select_start, state.select_end), 0, GetLength());
  hi = std::clamp(std::max(state.select_start, state.select_end), 0, GetLength());
}

void ITextEntryControl::OnTextChange()
{
  mCharWidths.clear();
  FillCharWidthCache();
}

char32_t ITextEntryControl::Filter(char32_t c) const
{
  // A single line: line breaks, tabs and the other control characters never go in.
  if (IsControlChar(c))
    return 0;
  const IParam* pParam = GetDelegate() ? GetDelegate()->GetParam(mParamIdx) : nullptr;
  if (!pParam)
    return c;
  const bool isSign = c == U'+' || c == U'-';
  const bool isDigit = c >= U'0' && c <= U'9';
  switch (pParam->Type())
  {
  case IParam::kTypeBool:
  case IParam::kTypeInt:
  case IParam::kTypeEnum:
    return isDigit || isSign ? c : 0;
  case IParam::kTypeDouble:
    return isDigit || isSign || c == U'.' ? c : 0;
  default:
    return c;
  }
}

int ITextEntryControl::RoomFor(int count) const
{
  if (mMaxLength < 1)
    return count;
  int lo = 0, hi = 0;
  GetSelection(lo, hi);
  const int kept = GetLength() - (hi - lo);
  return std::clamp(mMaxLength - kept, 0, count);
}

// ---- Layout and measuring

float ITextEntryControl::Layout(float& x0, float& ymin, float& ymax) const
{
  const_cast<ITextEntryControl*>(this)->FillCharWidthCache();
  float width = 0.f;
  for (float w : mCharWidths)
    width += w;
  switch (mText.mAlign)
  {
  case EAlign::kNear:
    x0 = mRECT.L;
    break;
  case EAlign::kCenter:
    x0 = (mRECT.L + mRECT.R) * 0.5f - 0.5f * width;
    break;
  case EAlign::kFar:
    x0 = mRECT.R - width;
    break;
  }
  // Where the context draws the text (its pen on a whole pixel, a centred text placed by its
  // ink): the caret and the selection follow the glyphs.
  if (const IGraphics* pGraphics = GetUI(); pGraphics && !mEditString.empty())
  {
    IRECT drawn = mRECT;
    pGraphics->MeasureText(mText, GetStr().c_str(), drawn);
    x0 = drawn.L;
  }
  const float size = mText.mSize;
  switch (mText.mVAlign)
  {
  case EVAlign::kTop:
    ymin = 0.f;
    break;
  case EVAlign::kMiddle:
    ymin = (mRECT.B - mRECT.T) * 0.5f - size * 0.5f;
    break;
  case EVAlign::kBottom:
    ymin = mRECT.B - mRECT.T - size;
    break;
  }
  ymax = ymin + size;
  return width;
}

void ITextEntryControl::FillCharWidthCache()
{
  if (!mCharWidths.empty() || mEditString.empty())
    return;
  mCharWidths.resize(mEditString.size());
  for (size_t i = 0; i < mEditString.size(); ++i)
    mCharWidths[i] = MeasureCharWidth(mEditString[i], i > 0 ? mEditString[i - 1] : 0);
}

// The advance of c after previous (0: none), so that the pair's kerning counts towards c.
float ITextEntryControl::MeasureCharWidth(char32_t c, char32_t previous) const
{
  IGraphics* pGraphics = GetUI();
  if (!pGraphics)
    return 0.f;
  std::string pair;
  if (previous)
    AppendUTF8(pair, previous);
  const size_t prefix = pair.size();
  AppendUTF8(pair, c);
  IRECT r;
  const float both = pGraphics->MeasureText(mText, pair.c_str(), r);
  if (!prefix)
    return both;
  return both - pGraphics->MeasureText(mText, pair.substr(0, prefix).c_str(), r);
}

// ---- Drawing

void ITextEntryControl::Draw(IGraphics& g)
{
  // Between edits the field has no place: a redraw of the window's corner must not show it.
  if (!mEditing)
    return;
  g.FillRect(mText.mTextEntryBGColor, mRECT);
  float x0 = 0.f, ymin = 0.f, ymax = 0.f;
  Layout(x0, ymin, ymax);
  const float size = mText.mSize;
  const float top = mRECT.T + ymin + 0.1f * size;
  const float bottom = mRECT.T + ymax - 0.1f * size;
  auto xAt = [&](int idx)
  {
    float x = x0;
    for (int i = 0; i < idx && i < static_cast<int>(mCharWidths.size()); ++i)
      x += mCharWidths[i];
    return x;
  };

  int lo = 0, hi = 0;
  GetSelection(lo, hi);
  if (lo != hi)
  {
    const IBlend selectionBlend(EBlend::kDefault, 0.2f);
    g.FillRect(mText.mTextEntryFGColor, IRECT(xAt(lo), top, xAt(hi), bottom), &selectionBlend);
  }
  g.DrawText(mText, GetStr().c_str(), mRECT);
  // A hairline frame in the caret's colour marks the field as the one taking the keys.
  g.DrawRect(mText.mTextEntryFGColor, mRECT.GetPadded(-0.5f), &BLEND_25);
  if (mDrawCaret && lo == hi)
  {
    const float x = xAt(GetCaret());
    g.FillRect(mText.mTextEntryFGColor, IRECT(std::round(x - 1.f), top, std::round(x), bottom));
  }
}

// ---- Mouse

void ITextEntryControl::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  if (!mRECT.Contains(x, y))
  {
    CommitEdit();
    return;
  }
  if (mod.L)
    Wrapped([&](STB_TexteditState& state) { stb_textedit_click(this, &state, x, y); });
  if (mod.R)
    OpenContextMenu(x, y);
}

void ITextEntryControl::OnMouseDrag(float x, float y, float, float, const IMouseMod& mod)
{
  if (mod.L)
    Wrapped([&](STB_TexteditState& state) { stb_textedit_drag(this, &state, x, y); });
}

void ITextEntryControl::OnMouseUp(float x, float y, const IMouseMod& mod)
{
  if (!mod.L)
    return;
  Wrapped([&](STB_TexteditState& state) { stb_textedit_drag(this, &state, x, y); });
  if (mEditing)
    SetDirty(true);
}

void ITextEntryControl::OnMouseDblClick(float, float, const IMouseMod&)
{
  SelectAll();
}

void ITextEntryControl::OpenContextMenu(float x, float y)
{
  IGraphics* pGraphics = GetUI();
  if (!pGraphics)
    return;
  // This control's own menu: its choice can only ever reach this control.
  if (!mContextMenu)
  {
    mContextMenu = std::make_unique<IPopupMenu>(
      "", 0, false, std::initializer_list<const char*>{"Cut", "Copy", "Paste"});
    mContextMenu->SetFunction([this](IPopupMenu* pMenu)
                              { OnContextMenuChoice(pMenu->GetChosenItemIdx()); });
  }
  pGraphics->CreatePopupMenu(*this, *mContextMenu, IRECT(x, y, x, y), 0);
}

void ITextEntryControl::OnContextMenuChoice(int idx)
{
  if (idx == 0)
    Cut();
  else if (idx == 1)
    CopySelection();
  else if (idx == 2)
    Paste();
}

// ---- Selection and clipboard

void ITextEntryControl::SelectAll()
{
  Wrapped(
    [&](STB_TexteditState& state)
    {
      state.select_start = 0;
      state.select_end = GetLength();
    });
}

void ITextEntryControl::CopySelection()
{
  int lo = 0, hi = 0;
  GetSelection(lo, hi);
  if (lo == hi || !GetUI())
    return;
  const std::u32string_view text(mEditString);
  GetUI()->SetTextInClipboard(UTF32ToUTF8(text.substr(lo, hi - lo)).c_str());
}

void ITextEntryControl::Cut()
{
  int lo = 0, hi = 0;
  GetSelection(lo, hi);
  if (lo == hi)
    return;
  CopySelection();
  Wrapped([&](STB_TexteditState& state) { stb_textedit_cut(this, &state); });
}

void ITextEntryControl::Paste()
{
  IGraphics* pGraphics = GetUI();
  Util_String clip;
  if (!pGraphics || !pGraphics->GetTextFromClipboard(clip))
    return;
  // Filtered as if typed, and cut to the room the length allows.
  std::u32string text;
  for (char32_t c : UTF8ToUTF32(clip.Get()))
    if (Filter(c))
      text += c;
  text.resize(static_cast<size_t>(RoomFor(static_cast<int>(text.size()))));
  if (text.empty())
    return;
  Wrapped([&](STB_TexteditState& state)
          { stb_textedit_paste(this, &state, text.data(), static_cast<int>(text.size())); });
}

// ---- Keys

bool ITextEntryControl::OnKeyDown(float, float, const IKeyPress& key)
{
  if (!mEditing)
    return false;

  if (key.C && key.VK >= 'A' && key.VK <= 'Z')
  {
    switch (key.VK)
    {
    case 'A':
      SelectAll();
      return true;
    case 'C':
      CopySelection();
      return true;
    case 'V':
      Paste();
      return true;
    case 'X':
      Cut();
      return true;
    case 'Z':
    {
      const unsigned code = key.S ? STB_TEXTEDIT_K_REDO : STB_TEXTEDIT_K_UNDO;
      Wrapped([&](STB_TexteditState& state) { stb_textedit_key(this, &state, code); });
      return true;
    }
    default:
      break;
    }
  }

  unsigned code = 0;
  switch (key.VK)
  {
  case 9: // Tab belongs to the host
    return false;
  case 13: // Return and Escape end the edit and type nothing
    CommitEdit();
    return true;
  case 27:
    DismissEdit();
    return true;
  case 8:
  case 33:
  case 34:
  case 35:
  case 36:
  case 37:
  case 38:
  case 39:
  case 40:
  case 46:
    code = kVirtual | static_cast<unsigned>(key.VK);
    break;
  default:
  {
    // Nobody to receive the text: the key is not ours.
    if (!GetUI() || !GetUI()->GetControlInTextEntry())
      return false;
    const char32_t c = Filter(KeyChar(key));
    if (c)
    {
      int lo = 0, hi = 0;
      GetSelection(lo, hi);
      const STB_TexteditState& state = mModel->state;
      const bool replaces = state.insert_mode && lo == hi && GetCaret() < GetLength();
      if (!replaces && RoomFor(1) < 1)
        return false; // the text is as long as the prompt allows
    }
    code = c ? static_cast<unsigned>(c) : kVirtual | static_cast<unsigned>(key.VK & 0x0FFFFFFF);
    break;
  }
  }
  if (key.C)
    code |= kCtrl;
  if (key.A)
    code |= kAlt;
  if (key.S)
    code |= kShift;
  return Wrapped([&](STB_TexteditState& state) { stb_textedit_key(this, &state, code); });
}

} // namespace plugin::igraphics
