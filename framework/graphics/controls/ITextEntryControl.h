#pragma once
// ITextEntryControl: the one-line text field that the graphics context draws inside the editor
// window in place of a platform text field (Linux gives a plug-in none). A context holds at most
// one; it hands every value prompt to it, draws it above the ordinary controls and, while it
// edits, routes every pointer and key event to it.
//
// The editing model (caret, selection, insertion, deletion, undo, hit tests of a point against
// the text) is stb_textedit, configured for a single line of code points: every character, also
// one above U+FFFF, is one unit of the text, so the caret can never stand inside a character.
// Around the model this control keeps:
//   - the text boundary: UTF-8 comes in (the prompt, SetStr, the clipboard) and goes out (the
//     result, the clipboard, drawing); malformed UTF-8 reads as U+FFFD, never as an error;
//   - the key map: IKeyPress (Windows key codes, the typed text, modifiers) into the model's
//     codes; Return commits and Escape dismisses without typing anything;
//   - the filter: what the prompted parameter accepts (digits and signs for numbers, a point
//     for real numbers) and the length the prompt allows, applied alike to typed and pasted
//     text; control characters such as line breaks are never taken in;
//   - the caret blink (shown for the first 500 ms of every second) and a cut/copy/paste menu
//     on the right button, which belongs to this control alone.
// Every operation through the model runs wrapped: the model's state is compared before and
// after, and the field redraws only when something changed. Main thread only.

#include "framework/graphics/IControl.h"
#include "framework/graphics/IInWindowPrompts.h"
#include "framework/graphics/IPopupMenu.h"

#include <memory>
#include <string>
#include <vector>

namespace plugin::igraphics
{

class ITextEntryControl : public IControl, public IInWindowTextEntry
{
public:
  // Key codes of the editing model: a code point, or a Windows key code with the virtual flag,
  // with modifier flags in the top bits.
  static constexpr unsigned kKeyVirtual = 0x80000000u;
  static constexpr unsigned kKeyShift = 0x40000000u;
  static constexpr unsigned kKeyCtrl = 0x20000000u;
  static constexpr unsigned kKeyAlt = 0x10000000u;
  static constexpr unsigned kKeyFlags = 0xF0000000u;

  ITextEntryControl();
  ~ITextEntryControl() override;

  // ---- What the graphics context asks [main thread]
  // Opens the field over bounds holding str, all selected, caret at the start. paramIdx picks
  // the filter (its parameter's type); length limits what typing and pasting may grow the text
  // to, in characters (below 1: no limit). Refused while an edit is open.
  bool CreateTextEntry(int paramIdx, const IText& text, const IRECT& bounds, int length,
                       const char* str) override;
  bool EditInProgress() const override { return mEditing; }
  void CancelTextEntry() override;

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
  void OnMouseDblClick(float x, float y, const IMouseMod& mod) override;
  // True when the key did something (or ended the edit); an unhandled key goes on to the
  // host.
  bool OnKeyDown(float x, float y, const IKeyPress& key) override;
  void Draw(IGraphics& g) override;
  void OnEndAnimation() override;

  // ---- Editing
  // Hands the text to the context, which applies it to the control that asked.
  void CommitEdit();
  // Ends the edit and applies nothing.
  void DismissEdit();
  // Replaces the text (not an edit: no undo record, no filter).
  void SetStr(const char* utf8);
  void SelectAll();
  void CopySelection();
  void Cut();
  void Paste();

  // ---- Read-outs
  std::string GetStr() const;
  int GetLength() const { return static_cast<int>(mEditString.size()); }
  int GetCaret() const;
  // The selection as lo <= hi (equal when nothing is selected).
  void GetSelection(int& lo, int& hi) const;
  bool GetDrawCaret() const { return mDrawCaret; }

  // The model's hooks (stb_textedit calls them through its configuration macros).
  struct EditHooks;

private:
  struct EditModel;

  // Runs an operation on the model; redraws (without the action) and answers true when the
  // model's state changed. The caret and selection are kept inside the text afterwards.
  template <typename Operation>
  bool Wrapped(Operation&& op);
  // The text that may be taken in from c: 0 when the filter refuses it.
  char32_t Filter(char32_t c) const;
  // Room for typed or pasted characters once the selection (if any) is replaced.
  int RoomFor(int count) const;
  // Places the text's row in the field; returns its width.
  float Layout(float& x0, float& ymin, float& ymax) const;
  void FillCharWidthCache();
  float MeasureCharWidth(char32_t c, char32_t previous) const;
  void OnTextChange();
  void EndEdit();
  void OpenContextMenu(float x, float y);
  // The right-button menu's completion: 0 cut, 1 copy, 2 paste.
  void OnContextMenuChoice(int idx);

  std::unique_ptr<EditModel> mModel;
  std::u32string mEditString;
  mutable std::vector<float> mCharWidths; // one per character; empty: not measured yet
  int mParamIdx = kNoParameter;
  int mMaxLength = 0;
  bool mDrawCaret = false;
  bool mEditing = false;
  std::unique_ptr<IPopupMenu> mContextMenu;
};

} // namespace plugin::igraphics
