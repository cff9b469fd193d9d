#include "framework/graphics/IContainerBase.h"
#include "framework/graphics/IDirBrowseControlBase.h"
#include "tests/framework/graphics/GraphicsTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

struct ContainerTest : ::testing::Test
{
  TestDelegate delegate;
  RecordingGraphics g{delegate};
};

std::vector<std::string> Texts(const IPopupMenu& menu)
{
  std::vector<std::string> texts;
  for (int i = 0; i < menu.NItems(); ++i)
    texts.push_back(std::string(menu.GetItem(i)->GetSubmenu() ? "+" : "") +
                    menu.GetItem(i)->GetText());
  return texts;
}

// A folder of files for the browser, removed afterwards.
struct Folder
{
  std::filesystem::path root =
    std::filesystem::temp_directory_path() / ("pelmora-dirbrowse-" + std::to_string(::getpid()));
  Folder()
  {
    std::filesystem::remove_all(root);
    for (const char* dir : {"Bass", "Bass/Deep", "Empty", "Empty/Nested", "Folder.preset"})
      std::filesystem::create_directories(root / dir);
    for (const char* file : {"pad.preset", "Arp.preset", "xpreset", ".hidden.preset", "notes.txt",
                             "preset", "Bass/sub.preset", "Bass/Deep/rumble.preset"})
      std::ofstream(root / file) << "{}";
  }
  ~Folder() { std::filesystem::remove_all(root); }
  std::string operator/(const char* name) const { return (root / name).string(); }
};

} // namespace

TEST_F(ContainerTest, ChildrenFollowTheContainer)
{
  int resizes = 0;
  IContainerBase* pContainer = nullptr;
  pContainer = new IContainerBase(
    IRECT(0, 0, 100, 100),
    [](IContainerBase* pC, const IRECT& r)
    {
      pC->AddChildControl(new TestControl(r.GetPadded(-10), 1, "a"));
      pC->AddChildControl(new TestControl(r.GetPadded(-20), 2, "b"), 7);
    },
    [&](IContainerBase* pC, const IRECT& r)
    {
      ++resizes;
      pC->GetChild(0)->SetTargetAndDrawRECTs(r.GetPadded(-10));
    });
  g.AttachControl(pContainer);
  ASSERT_EQ(pContainer->NChildren(), 2);
  EXPECT_EQ(resizes, 1); // once attached, not before it had children
  EXPECT_EQ(pContainer->GetChild(1)->GetParent(), pContainer);
  EXPECT_EQ(g.GetControlWithTag(7), pContainer->GetChild(1));

  g.SetControlBounds(pContainer, IRECT(0, 0, 200, 200));
  EXPECT_EQ(pContainer->GetChild(0)->GetRECT(), IRECT(10, 10, 190, 190));

  pContainer->Hide(true);
  pContainer->SetDisabled(true);
  EXPECT_TRUE(pContainer->GetChild(1)->IsHidden());
  EXPECT_TRUE(pContainer->GetChild(1)->IsDisabled());

  // A child deleted by the context leaves the container's list.
  g.RemoveControlWithTag(7);
  EXPECT_EQ(pContainer->NChildren(), 1);
  pContainer->Hide(false);

  // Without children the resize function is never called.
  int emptyResizes = 0;
  auto* pEmpty = new IContainerBase(IRECT(0, 0, 10, 10), nullptr,
                                    [&](IContainerBase*, const IRECT&) { ++emptyResizes; });
  g.AttachControl(pEmpty);
  g.SetControlBounds(pEmpty, IRECT(0, 0, 20, 20));
  EXPECT_EQ(emptyResizes, 0);
}

TEST_F(ContainerTest, DirectoryBrowserListsDocumentsOfItsType)
{
  Folder folder;
  IDirBrowseControlBase browser(IRECT(0, 0, 100, 20), "preset", false);
  browser.AddPath(folder.root.c_str(), "");
  browser.SetupMenu();

  // Sorted without regard to case; only names ending in ".preset" after something; folders
  // and hidden entries never; an empty folder tree vanishes.
  EXPECT_EQ(Texts(browser.GetMainMenu()), (std::vector<std::string>{"Arp", "+Bass", "pad"}));
  const IPopupMenu* pBass = browser.GetMainMenu().GetItem(1)->GetSubmenu();
  EXPECT_EQ(Texts(*pBass), (std::vector<std::string>{"+Deep", "sub"}));

  // The flat list of items in menu order, each tag leading to its file.
  ASSERT_EQ(browser.NItems(), 4);
  std::vector<std::string> files;
  for (int i = 0; i < browser.NItems(); ++i)
    files.push_back(browser.GetFile(browser.GetItem(i)->GetTag()));
  EXPECT_EQ(files,
            (std::vector<std::string>{folder / "Arp.preset", folder / "Bass/Deep/rumble.preset",
                                      folder / "Bass/sub.preset", folder / "pad.preset"}));

  EXPECT_EQ(browser.SetSelectedFile((folder / "Bass/sub.preset").c_str()), 2);
  Util_String selected;
  browser.GetSelectedFile(selected);
  EXPECT_EQ(std::string(selected.Get()), folder / "Bass/sub.preset");
  browser.CheckSelectedItem();
  EXPECT_TRUE(pBass->GetItem(1)->GetChecked());
  EXPECT_FALSE(browser.GetMainMenu().GetItem(0)->GetChecked());

  EXPECT_EQ(browser.SetSelectedFile("/no/such.preset"), -1);
  browser.GetSelectedFile(selected);
  EXPECT_STREQ(selected.Get(), "");
}

TEST_F(ContainerTest, DirectoryBrowserWithSeveralFoldersOrFlat)
{
  Folder folder;
  IDirBrowseControlBase browser(IRECT(0, 0, 100, 20), ".preset", true, false, true);
  browser.AddPath(folder.root.c_str(), "Factory");
  browser.AddPath((folder / "Bass").c_str(), "User");
  browser.AddPath((folder / "Missing").c_str(), "Gone");
  browser.SetupMenu();

  // One submenu per folder, in the order added; without recursion subfolders are not listed.
  EXPECT_EQ(Texts(browser.GetMainMenu()), (std::vector<std::string>{"+Factory", "+User", "+Gone"}));
  EXPECT_EQ(Texts(*browser.GetMainMenu().GetItem(0)->GetSubmenu()),
            (std::vector<std::string>{"Arp.preset", "pad.preset"}));
  EXPECT_EQ(Texts(*browser.GetMainMenu().GetItem(1)->GetSubmenu()),
            std::vector<std::string>{"sub.preset"});
  EXPECT_EQ(browser.NItems(), 3);
}
