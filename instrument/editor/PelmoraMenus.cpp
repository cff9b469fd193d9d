// The editor's menus and the actions behind its buttons: the main menu with its "UI Size"
// submenu, the five envelope copy menus, the preset display's hover texts, the operator link,
// saving a preset, the LFO rate knobs and the keyboard's octave buttons.
//
// A menu's completion runs only for a chosen item, with the (sub)menu that holds it; the
// handlers still read the chosen item through a check, so a menu answered without one does
// nothing at all.

#include "instrument/editor/PelmoraEditor.h"

#include "instrument/Pelmora.h"
#include "instrument/editor/controls/IVTVKeyboardControl.h"

#include <cmath>
#include <vector>

namespace pelmora::editor
{

namespace
{
using Item = IPopupMenu::Item;

// The copy menus, by source envelope: five items each (the fifth after a separator). Item i of
// envelope e carries the tag 5e + i and copies to kCopyTargets[e][i].
constexpr int kCopyItems = 5;
constexpr const char* kCopyTexts[kNumEnvelopes][kCopyItems] = {
  {"Copy A to Op Env B", "Copy A to Op Env C", "Copy A to Op Env D", "Copy A to Mod Env",
   "Copy A to all Op Envelopes"},
  {"Copy B to Op Env A", "Copy B to Op Env C", "Copy B to Op Env D", "Copy B to Mod Env",
   "Copy B to all Op Envelopes"},
  {"Copy C to Op Env A", "Copy C to Op Env B", "Copy C to Op Env D", "Copy C to Mod Env",
   "Copy C to all Op Envelopes"},
  {"Copy D to Op Env A", "Copy D to Op Env B", "Copy D to Op Env C", "Copy D to Mod Env",
   "Copy D to all Op Envelopes"},
  {"Copy to Op Env A", "Copy to Op Env B", "Copy to Op Env C", "Copy to Op Env D",
   "Copy to all Op Envelopes"},
};

// The targets of a copy item: the envelopes it copies to, in the order their editors refresh.
std::vector<int> CopyTargets(int source, int item)
{
  std::vector<int> others; // the operator envelopes other than the source
  for (int e = kEnvelopeOpA; e <= kEnvelopeOpD; ++e)
    if (e != source)
      others.push_back(e);
  if (item == kCopyItems - 1)
    return others;
  if (source == kEnvelopeMod)
    return {item};
  return {item < 3 ? others[static_cast<size_t>(item)] : static_cast<int>(kEnvelopeMod)};
}

Item* Separator()
{
  return new Item("", Item::kSeparator, -1);
}
} // namespace

// ---- Menus

void PelmoraEditor::MakeMenus()
{
  mMainMenu.Clear();
  mMainMenu.SetFunction([this](IPopupMenu* pMenu) { OnMainMenu(pMenu); });
  mMainMenu.AddItem(new Item("Init Preset", Item::kNoFlags, kMenuInitPreset));
  mMainMenu.AddItem(Separator());
  mMainMenu.AddItem(new Item("Save Preset...", Item::kNoFlags, kMenuSavePreset));
  mMainMenu.AddItem(Separator());
  auto pScale = std::make_unique<IPopupMenu>();
  for (int i = 0; i < static_cast<int>(std::size(kScaleItems)); ++i)
    pScale->AddItem(new Item(kScaleItems[i].text, Item::kNoFlags, kMenuScaleFirst + i));
  // The submenu belongs to its item (and so to the main menu) from here on, and takes the main
  // menu's completion.
  mScaleMenu = pScale.get();
  mMainMenu.AddItem("UI Size", pScale.release());
  CheckScaleItem(mPlug.GetScale());
  mMainMenu.AddItem(Separator());
  mMainMenu.AddItem(new Item("Toggle Keyboard", Item::kNoFlags, kMenuToggleKeyboard));
  mMainMenu.AddItem(Separator());
  mMainMenu.AddItem(new Item("Open User Manual", Item::kNoFlags, kMenuOpenManual));

  for (int e = 0; e < kNumEnvelopes; ++e)
  {
    IPopupMenu& menu = mCopyMenus[static_cast<size_t>(e)];
    menu.Clear();
    menu.SetFunction([this](IPopupMenu* pMenu) { OnCopyMenu(pMenu); });
    for (int i = 0; i < kCopyItems; ++i)
    {
      if (i == kCopyItems - 1)
        menu.AddItem(Separator());
      menu.AddItem(new Item(kCopyTexts[e][i], Item::kNoFlags, kCopyItems * e + i));
    }
  }
}

int PelmoraEditor::ScaleItemIdx(float scale)
{
  // The setting is stored as "%f" and read back as a float: 0.8 comes back as the float
  // nearest 0.800000, not as the double 0.8.
  for (int i = 0; i < static_cast<int>(std::size(kScaleItems)); ++i)
    if (std::fabs(scale - kScaleItems[i].scale) < 0.005f * kScaleItems[i].scale)
      return i;
  return kDefaultScaleItem;
}

void PelmoraEditor::CheckScaleItem(float scale)
{
  const int checked = ScaleItemIdx(scale);
  for (int i = 0; i < mScaleMenu->NItems(); ++i)
    mScaleMenu->GetItem(i)->SetChecked(i == checked);
}

void PelmoraEditor::OpenMenu(IControl& caller, IPopupMenu& menu, float x, float y)
{
  mGraphics.CreatePopupMenu(caller, menu, IRECT(x, y, x, y), 0);
}

void PelmoraEditor::OnMainMenu(IPopupMenu* pMenu)
{
  const Item* pItem = pMenu ? pMenu->GetChosenItem() : nullptr;
  if (!pItem)
    return;
  const int tag = pItem->GetTag();
  const int scaleIdx = tag - kMenuScaleFirst;
  if (tag == kMenuInitPreset)
    mPlug.InitPreset();
  else if (tag == kMenuSavePreset)
    mPlug.SavePreset();
  else if (tag == kMenuToggleKeyboard)
    mPlug.ToggleKeyboard(true);
  else if (tag == kMenuOpenManual)
    mPlug.OpenManual(); // what fails shows in the preset display
  else if (scaleIdx >= 0 && scaleIdx < static_cast<int>(std::size(kScaleItems)))
  {
    mPlug.Resize(kScaleItems[scaleIdx].scale);
    CheckScaleItem(kScaleItems[scaleIdx].scale);
  }
  mPlug.SaveSettings();
}

void PelmoraEditor::OnCopyMenu(IPopupMenu* pMenu)
{
  const Item* pItem = pMenu ? pMenu->GetChosenItem() : nullptr;
  if (pItem)
    CopyEnvelope(pItem->GetTag());
}

void PelmoraEditor::CopyEnvelope(int tag)
{
  if (tag < 0 || tag >= kCopyItems * kNumEnvelopes)
    return;
  const int source = tag / kCopyItems;
  for (int target : CopyTargets(source, tag % kCopyItems))
  {
    mPlug.GetGlobalParams().CopyToEnvelopes(source, {target});
    RefreshEnvelopeEditor(EnvelopeEditorTag(target)); // hidden ones (other operator tabs) too
  }
}

// ---- Actions

void PelmoraEditor::RunAction(EAction action, IControl* pCaller, int envelope)
{
  switch (action)
  {
  case EAction::kSavePreset:
    mPlug.SavePreset();
    break;
  case EAction::kOpenMainMenu:
    OpenMenu(*pCaller, mMainMenu, kMainMenuX, kMainMenuY);
    break;
  case EAction::kOpenCopyMenu:
    if (envelope >= 0 && envelope < kNumEnvelopes)
    {
      const bool mod = envelope == kEnvelopeMod;
      OpenMenu(*pCaller, GetCopyMenu(envelope), mod ? kModCopyMenuX : kOpCopyMenuX,
               mod ? kModCopyMenuY : kOpCopyMenuY);
    }
    break;
  case EAction::kOctaveDown:
  case EAction::kOctaveUp:
    if (auto* pKeyboard =
          dynamic_cast<IVTVKeyboardControl*>(mGraphics.GetControlWithTag(kTagKeyboard)))
      pKeyboard->ShiftOctave(action == EAction::kOctaveUp);
    break;
  case EAction::kToggleOperatorLink:
    // The switch shows the link; the two never part.
    mPlug.SetOperatorLink(pCaller->GetValue() >= 0.5);
    break;
  case EAction::kShowLfoRate:
    FollowUp().UpdateLfoTempoControls();
    break;
  case EAction::kNone:
    break;
  }
}

void PelmoraEditor::ShowOperatorLink()
{
  ShowParameter("Operator Link", mPlug.GetOperatorLink() ? "On" : "Off");
}

} // namespace pelmora::editor
