#pragma once
// What the graphics context asks of the control library's in-window prompt controls: a text
// field and a popup menu drawn inside the editor window, in place of platform text fields and
// menus (Linux has none a plug-in may use). The controls derive from IControl and from one of
// these; the context attaches them with IGraphics::AttachTextEntryControl / AttachPopupMenuControl
// and then routes every value prompt, and every pointer event while they are active, to them.

#include "framework/graphics/IGraphicsStructs.h"

namespace plugin::igraphics
{

class IPopupMenu;

class IInWindowTextEntry
{
public:
  virtual ~IInWindowTextEntry() = default;

  // Opens the field over bounds holding str; when editing ends the control calls
  // IGraphics::SetControlValueAfterTextEdit with the entered text, or, dismissed without one,
  // IGraphics::ClearInTextEntryControl (either ends the host edit the request holds). Answers
  // false, and then never calls back for this request, when it cannot take it (an edit already
  // open or closing): the context then ends the request as cancelled.
  virtual bool CreateTextEntry(int paramIdx, const IText& text, const IRECT& bounds, int length,
                               const char* str) = 0;
  // True while an edit is in progress: the control then receives every pointer event first.
  virtual bool EditInProgress() const = 0;
  // Closes the field at once and answers nothing: the context has ended the request itself (the
  // control that asked is being removed, or the editor is closing).
  virtual void CancelTextEntry() {}
};

class IInWindowPopupMenu
{
public:
  virtual ~IInWindowPopupMenu() = default;

  // Shows the menu at the anchor rectangle; the choice (or none) is reported later through
  // IGraphics::SetControlValueAfterPopupMenu with the menu or submenu holding the chosen item.
  // Answers false, and then never reports for this request, when it cannot take it (a menu
  // already open or closing): the context then ends the request as cancelled.
  virtual bool CreatePopupMenu(IPopupMenu& menu, const IRECT& anchor) = 0;
  // True while the menu is open: the control then receives every pointer event first.
  virtual bool GetExpanded() const = 0;
  // Closes the menu at once, forgets it and reports nothing: the context has ended the request
  // itself (the control that asked is being removed, or the editor is closing).
  virtual void CancelPopupMenu() {}
};

} // namespace plugin::igraphics
