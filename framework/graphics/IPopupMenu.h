#pragma once
// The platform-neutral model of a popup menu: an ordered list of items, each with a text, flags,
// a tag and an optional owned submenu, plus display options and the result of a selection.
// Controls and the graphics context build menus with it; the menu control (or a platform menu)
// shows it and writes the chosen index back into the menu or submenu holding the chosen item;
// the owner then reads the result, or gets it through the menu's completion function.
//
// Ownership: a menu owns its items and an item owns its submenu, so a whole tree goes with its
// root.

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace plugin::igraphics
{

class IPopupMenu
{
public:
  using CompletionFunc = std::function<void(IPopupMenu* pMenu)>;

  class Item
  {
  public:
    enum Flags
    {
      kNoFlags = 0,
      kDisabled = 1 << 0,
      kTitle = 1 << 1,
      kChecked = 1 << 2,
      kSeparator = 1 << 3,
    };

    // A null text gives an empty text.
    Item(const char* text, int flags = kNoFlags, int tag = -1);
    // Takes ownership of the submenu.
    Item(const char* text, IPopupMenu* pSubmenu);
    ~Item();

    Item(const Item&) = delete;
    Item& operator=(const Item&) = delete;

    const char* GetText() const { return mText.c_str(); }
    void SetText(const char* text) { mText = text ? text : ""; }

    IPopupMenu* GetSubmenu() const { return mSubmenu.get(); }
    bool GetIsSubmenu() const { return mSubmenu != nullptr; }

    int GetFlags() const { return mFlags; }
    bool GetEnabled() const { return !(mFlags & kDisabled); }
    bool GetChecked() const { return mFlags & kChecked; }
    bool GetIsTitle() const { return mFlags & kTitle; }
    bool GetIsSeparator() const { return mFlags & kSeparator; }
    int GetTag() const { return mTag; }

    void SetEnabled(bool enabled) { SetFlag(kDisabled, !enabled); }
    void SetChecked(bool checked) { SetFlag(kChecked, checked); }
    void SetTitle(bool title) { SetFlag(kTitle, title); }
    void SetTag(int tag) { mTag = tag; }

  private:
    void SetFlag(int flag, bool on) { mFlags = on ? (mFlags | flag) : (mFlags & ~flag); }

    std::string mText;
    std::unique_ptr<IPopupMenu> mSubmenu;
    int mFlags = kNoFlags;
    int mTag = -1;
  };

  // prefix: 0 none; 1, 2, 3 put the item's 1-based position before its text, formatted
  // "%1d: ", "%02d: " or "%03d: " (applied by whoever shows the menu).
  explicit IPopupMenu(const char* rootTitle = "", int prefix = 0, bool multicheck = false,
                      std::initializer_list<const char*> items = {});
  IPopupMenu(const char* rootTitle, std::initializer_list<const char*> items,
             CompletionFunc completion);
  ~IPopupMenu();

  IPopupMenu(const IPopupMenu&) = delete;
  IPopupMenu& operator=(const IPopupMenu&) = delete;

  // Index -1 appends; -2 inserts in case-insensitive sorted position (before an equal text);
  // any other index is clamped to 0..NItems(). The menu takes ownership of the item and
  // returns it. Should the insertion fail for lack of memory, the item is freed and the
  // exception passed on with the menu unchanged.
  Item* AddItem(Item* pItem, int index = -1);
  Item* AddItem(const char* text, int index = -1, int itemFlags = Item::kNoFlags);
  // A submenu added to a menu that has a completion function gets a copy of that function.
  Item* AddItem(const char* text, IPopupMenu* pSubmenu, int index = -1);
  Item* AddItem(const char* text, int index, IPopupMenu* pSubmenu);

  // Unchecks every item of the whole tree, then checks pItem (items holding submenus are
  // never checked).
  void CheckItemAlone(Item* pItem);

  // Removes (and frees) every item of this menu whose submenu exists and has no items.
  // Submenus of submenus are not looked at.
  void RemoveEmptySubmenus();
  // Appends every item of the whole tree that holds no submenu, depth first, in menu order.
  void CollectLeafItems(std::vector<Item*>& items) const;

  int NItems() const { return static_cast<int>(mItems.size()); }
  // Null when the index is out of range.
  Item* GetItem(int index) const;

  int GetChosenItemIdx() const { return mChosenItemIdx; }
  void SetChosenItemIdx(int index) { mChosenItemIdx = index; }
  Item* GetChosenItem() const { return GetItem(mChosenItemIdx); }

  int GetPrefix() const { return mPrefix; }
  void SetPrefix(int prefix) { mPrefix = prefix; }
  bool GetCanMultiCheck() const { return mCanMultiCheck; }
  void SetMultiCheck(bool multicheck) { mCanMultiCheck = multicheck; }

  const char* GetRootTitle() const { return mRootTitle.c_str(); }
  void SetRootTitle(const char* title) { mRootTitle = title ? title : ""; }

  const CompletionFunc& GetFunction() const { return mCompletion; }
  void SetFunction(CompletionFunc func) { mCompletion = std::move(func); }
  void ExecFunction()
  {
    if (mCompletion)
      mCompletion(this);
  }

  // Deletes every item; with resetEverything also chosen -1, prefix 0 and no multi-check.
  void Clear(bool resetEverything = true);

private:
  int SortedIndexFor(const char* text) const;

  int mPrefix = 0;
  int mChosenItemIdx = -1;
  bool mCanMultiCheck = false;
  std::vector<std::unique_ptr<Item>> mItems;
  CompletionFunc mCompletion;
  std::string mRootTitle;
};

} // namespace plugin::igraphics
