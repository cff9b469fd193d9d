#include "framework/graphics/IPopupMenu.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace plugin::igraphics;

namespace
{

std::string Texts(const IPopupMenu& menu)
{
  std::string s;
  for (int i = 0; i < menu.NItems(); ++i)
    s += std::string(i ? "," : "") + menu.GetItem(i)->GetText();
  return s;
}

} // namespace

TEST(IPopupMenu, SortedInsertIsCaseInsensitive)
{
  IPopupMenu menu;
  menu.AddItem("beta", -2);
  menu.AddItem("Alpha", -2);
  menu.AddItem("gamma", -2);
  EXPECT_EQ(Texts(menu), "Alpha,beta,gamma");
  menu.AddItem("ALPHA", -2);
  EXPECT_EQ(Texts(menu), "ALPHA,Alpha,beta,gamma");
  menu.AddItem(static_cast<const char*>(nullptr), -2);
  EXPECT_EQ(Texts(menu), ",ALPHA,Alpha,beta,gamma");
}

TEST(IPopupMenu, OtherIndicesAreClamped)
{
  IPopupMenu menu("", 0, false, {"a", "b"});
  menu.AddItem("end", 99);
  menu.AddItem("front", -5);
  EXPECT_EQ(Texts(menu), "front,a,b,end");
  EXPECT_EQ(menu.GetItem(4), nullptr);
  EXPECT_EQ(menu.GetItem(-1), nullptr);
  EXPECT_EQ(menu.GetChosenItem(), nullptr);
}

TEST(IPopupMenu, CheckItemAloneCoversTheWholeTree)
{
  IPopupMenu root("", 0, false, {"a", "b"});
  auto* pSub = new IPopupMenu("", 0, false, {"c", "d"});
  root.AddItem("sub", pSub);
  root.GetItem(0)->SetChecked(true);
  pSub->GetItem(1)->SetChecked(true);

  root.CheckItemAlone(pSub->GetItem(0));
  EXPECT_FALSE(root.GetItem(0)->GetChecked());
  EXPECT_FALSE(root.GetItem(2)->GetChecked());
  EXPECT_TRUE(pSub->GetItem(0)->GetChecked());
  EXPECT_FALSE(pSub->GetItem(1)->GetChecked());
}

TEST(IPopupMenu, SubmenuTakesTheParentsCompletionFunction)
{
  int parentCalls = 0;
  int ownCalls = 0;
  IPopupMenu withFunc("", {}, [&](IPopupMenu*) { ++parentCalls; });
  auto* pSub = new IPopupMenu("", {}, [&](IPopupMenu*) { ++ownCalls; });
  withFunc.AddItem("sub", pSub);
  pSub->ExecFunction();
  EXPECT_EQ(parentCalls, 1);
  EXPECT_EQ(ownCalls, 0);

  IPopupMenu withoutFunc;
  auto* pOther = new IPopupMenu("", {}, [&](IPopupMenu*) { ++ownCalls; });
  withoutFunc.AddItem("sub", pOther);
  pOther->ExecFunction();
  EXPECT_EQ(ownCalls, 1);
}

TEST(IPopupMenu, RemoveEmptySubmenusFreesOnlyEmptyOnes)
{
  IPopupMenu root("", 0, false, {"plain"});
  auto token = std::make_shared<int>(0);
  std::weak_ptr<int> watch = token;
  auto* pEmpty = new IPopupMenu();
  pEmpty->SetFunction([token](IPopupMenu*) {});
  token.reset();
  auto* pNested = new IPopupMenu();
  pNested->AddItem("inner", new IPopupMenu());
  root.AddItem("empty", pEmpty);
  root.AddItem("nested", pNested);

  root.RemoveEmptySubmenus();
  EXPECT_EQ(Texts(root), "plain,nested");
  EXPECT_TRUE(watch.expired()); // the removed item and its submenu were freed
}

TEST(IPopupMenu, ClearResetsTheSelection)
{
  IPopupMenu menu("Title", 2, true, {"a"});
  menu.SetChosenItemIdx(0);
  EXPECT_STREQ(menu.GetChosenItem()->GetText(), "a");
  menu.Clear(false);
  EXPECT_EQ(menu.NItems(), 0);
  EXPECT_EQ(menu.GetPrefix(), 2);
  menu.Clear();
  EXPECT_EQ(menu.GetChosenItemIdx(), -1);
  EXPECT_EQ(menu.GetPrefix(), 0);
  EXPECT_FALSE(menu.GetCanMultiCheck());
  EXPECT_STREQ(menu.GetRootTitle(), "Title");
}
