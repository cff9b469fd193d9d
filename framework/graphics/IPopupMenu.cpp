#include "framework/graphics/IPopupMenu.h"

#include <algorithm>

namespace plugin::igraphics
{

IPopupMenu::Item::Item(const char* text, int flags, int tag)
  : mText(text ? text : ""), mFlags(flags), mTag(tag)
{
}

IPopupMenu::Item::Item(const char* text, IPopupMenu* pSubmenu)
  : mText(text ? text : ""), mSubmenu(pSubmenu)
{
}

IPopupMenu::Item::~Item() = default;

IPopupMenu::IPopupMenu(const char* rootTitle, int prefix, bool multicheck,
                       std::initializer_list<const char*> items)
  : mPrefix(prefix), mCanMultiCheck(multicheck), mRootTitle(rootTitle ? rootTitle : "")
{
  for (const char* text : items)
    AddItem(text);
}

IPopupMenu::IPopupMenu(const char* rootTitle, std::initializer_list<const char*> items,
                       CompletionFunc completion)
  : IPopupMenu(rootTitle, 0, false, items)
{
  mCompletion = std::move(completion);
}

IPopupMenu::~IPopupMenu()
{
  Clear(false);
}

namespace
{

// Case-insensitive byte comparison, ASCII letters only, whatever locale the host has set.
int CompareNoCase(const char* a, const char* b)
{
  auto lower = [](unsigned char c)
  {
    return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
  };
  for (;; ++a, ++b)
  {
    const int ca = lower(static_cast<unsigned char>(*a));
    const int cb = lower(static_cast<unsigned char>(*b));
    if (ca != cb || ca == 0)
      return ca - cb;
  }
}

} // namespace

int IPopupMenu::SortedIndexFor(const char* text) const
{
  int lo = 0;
  int hi = NItems();
  while (lo != hi)
  {
    const int mid = (lo + hi) / 2;
    const int cmp = CompareNoCase(text, mItems[mid]->GetText());
    if (cmp > 0)
      lo = mid + 1;
    else if (cmp < 0)
      hi = mid;
    else
      return mid;
  }
  return lo;
}

IPopupMenu::Item* IPopupMenu::AddItem(Item* pItem, int index)
{
  std::unique_ptr<Item> owned(pItem);
  if (index == -1)
    index = NItems();
  else if (index == -2)
    index = SortedIndexFor(pItem->GetText());
  index = std::clamp(index, 0, NItems());
  mItems.insert(mItems.begin() + index, std::move(owned));
  return pItem;
}

IPopupMenu::Item* IPopupMenu::AddItem(const char* text, int index, int itemFlags)
{
  return AddItem(new Item(text, itemFlags), index);
}

IPopupMenu::Item* IPopupMenu::AddItem(const char* text, IPopupMenu* pSubmenu, int index)
{
  if (mCompletion && pSubmenu)
    pSubmenu->SetFunction(mCompletion);
  return AddItem(new Item(text, pSubmenu), index);
}

IPopupMenu::Item* IPopupMenu::AddItem(const char* text, int index, IPopupMenu* pSubmenu)
{
  return AddItem(text, pSubmenu, index);
}

IPopupMenu::Item* IPopupMenu::GetItem(int index) const
{
  if (index < 0 || index >= NItems())
    return nullptr;
  return mItems[index].get();
}

void IPopupMenu::CheckItemAlone(Item* pItem)
{
  for (const std::unique_ptr<Item>& item : mItems)
  {
    item->SetChecked(false);
    if (IPopupMenu* pSub = item->GetSubmenu())
      pSub->CheckItemAlone(pItem);
    else if (item.get() == pItem)
      item->SetChecked(true);
  }
}

void IPopupMenu::RemoveEmptySubmenus()
{
  // The removed items are freed: nothing else owns them once they leave the list.
  std::erase_if(mItems, [](const std::unique_ptr<Item>& item)
                { return item->GetSubmenu() && item->GetSubmenu()->NItems() == 0; });
}

void IPopupMenu::CollectLeafItems(std::vector<Item*>& items) const
{
  for (const std::unique_ptr<Item>& item : mItems)
  {
    if (item->GetSubmenu())
      item->GetSubmenu()->CollectLeafItems(items);
    else
      items.push_back(item.get());
  }
}

void IPopupMenu::Clear(bool resetEverything)
{
  if (resetEverything)
  {
    mChosenItemIdx = -1;
    mPrefix = 0;
    mCanMultiCheck = false;
  }
  // Last to first, each item deleting its submenu.
  while (!mItems.empty())
    mItems.pop_back();
}

} // namespace plugin::igraphics
