#pragma once
// XSession: what the editor's own X connection offers beyond drawing, for its in-window text
// field and clipboard.
//
// Keys. The editor window normally asks for no key events, so that keys reach the host (its
// shortcuts work with the pointer over the editor). While a text field edits, TakeFocus gives
// the window the X input focus and selects key events; ReleaseFocus hands the focus back to the
// window that had it (when the editor still has it) and stops taking keys. A key press turns
// into the text of the user's keyboard layout through an input context (Xutf8LookupString; a
// compose sequence or an input method works too), or, where no input method opens, through the
// key symbol's Unicode value.
//
// Clipboard. SetClipboard makes the window the owner of the CLIPBOARD selection and serves
// other clients' requests for it (TARGETS, UTF8_STRING, STRING) from HandleSelectionEvent.
// GetClipboard asks the owner for UTF8_STRING (then STRING) and waits a bounded time for the
// answer, taking only selection events off the connection meanwhile; transfers in pieces
// (INCR) are not taken. Main thread only.

#include <string>

union _XEvent;
struct _XDisplay;

namespace plugin::igraphics
{

class XSession
{
public:
  XSession(_XDisplay* pDisplay, unsigned long window);
  ~XSession();

  XSession(const XSession&) = delete;
  XSession& operator=(const XSession&) = delete;

  // ---- Keys
  // True when the input method took the event (a compose sequence in progress): it goes no
  // further.
  bool FilterEvent(_XEvent& event);
  // The text a key press types (UTF-8, control characters left out) and its key symbol; a
  // release gives the symbol only.
  void LookUpKey(_XEvent& event, std::string& text, unsigned long& keysym);
  // The server time of the latest input event (for selection ownership).
  void SetEventTime(unsigned long time) { mLastTime = time; }

  // ---- Focus
  void TakeFocus();
  void ReleaseFocus();
  bool HoldsFocus() const { return mFocusHeld; }
  // Someone else took the focus: it is no longer ours to give back.
  void OnFocusOut(const _XEvent& event);

  // ---- Clipboard
  bool SetClipboard(const std::string& text);
  // False when there is no text (no owner, a refusal, no answer in time).
  bool GetClipboard(std::string& text);
  // Serves requests for the selection this window owns and notes its loss; true for any
  // selection event.
  bool HandleSelectionEvent(const _XEvent& event);

private:
  void OpenInputContext();
  void SelectKeys(bool keys);
  // The focus is no longer held: the input method loses it and key events are no longer
  // selected. Called under a QuietXErrors guard.
  void LetGoOfKeys();
  void Serve(const _XEvent& request);
  bool WaitForSelection(_XEvent& reply);

  _XDisplay* mDisplay;
  unsigned long mWindow;
  void* mIM = nullptr; // XIM
  void* mIC = nullptr; // XIC
  bool mIMTried = false;
  bool mFocusHeld = false;
  unsigned long mPrevFocus = 0;
  int mPrevRevert = 0;
  unsigned long mLastTime = 0;
  unsigned long mClipboardAtom = 0;
  unsigned long mUTF8Atom = 0;
  unsigned long mTargetsAtom = 0;
  unsigned long mPropertyAtom = 0;
  std::string mClipText;
};

} // namespace plugin::igraphics
