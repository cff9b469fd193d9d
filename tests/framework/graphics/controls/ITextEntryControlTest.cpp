// The in-window text field on the recording back end (each text byte 0.5 x the font size wide),
// driven through the graphics context's pointer and key input as a platform drives it.

#include "framework/graphics/controls/ITextEntryControl.h"
#include "framework/graphics/controls/ITextControl.h"
#include "tests/framework/graphics/GraphicsTestSupport.h"

#include <gtest/gtest.h>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

using AgeingEntry = Ageing<ITextEntryControl>;

struct TextEntryTest : RecordingTest<>
{
  AgeingEntry* pEntry = nullptr;
  TestControl* pOwner = nullptr;
  const IRECT kField{100.f, 100.f, 200.f, 120.f};

  void SetUp() override
  {
    pEntry = new AgeingEntry();
    g.AttachTextEntryControl(pEntry);
  }
  // A field over kField for a control bound to paramIdx, as a prompt opens it.
  void Open(int paramIdx, const char* str, int length = 0)
  {
    if (!pOwner)
      pOwner = static_cast<TestControl*>(g.AttachControl(new TestControl(kField, paramIdx)));
    pOwner->SetParamIdx(paramIdx);
    pOwner->SetTextEntryLength(length);
    g.CreateTextEntry(*pOwner, DEFAULT_TEXT, kField, str, 0);
  }
  bool Key(int vk, const char* text = "", bool shift = false, bool ctrl = false)
  {
    return g.OnKeyDown(0.f, 0.f, IKeyPress(text, vk, shift, ctrl));
  }
  // Types each character with the key code a US keyboard gives it.
  bool Type(const char* str)
  {
    bool all = true;
    for (const char* p = str; *p; ++p)
    {
      const char text[2] = {*p, 0};
      const int vk = (*p >= 'a' && *p <= 'z') ? *p - 32 : (*p >= '0' && *p <= '9') ? *p : 0;
      all = Key(vk, text) && all;
    }
    return all;
  }
  std::pair<int, int> Selection() const
  {
    int lo = 0, hi = 0;
    pEntry->GetSelection(lo, hi);
    return {lo, hi};
  }
};

} // namespace

TEST_F(TextEntryTest, ReturnCommitsATypedValueInsideOneGestureAndEscapeAppliesNothing)
{
  delegate.GetParam(0)->InitInt("Voices", 8, 1, 16);
  Attach(new ICaptionControl(kField, 0));
  // The gesture the press begins belongs to the prompt: it ends with the typed value.
  delegate.mHostLog.clear();
  Click(150.f, 110.f);
  ASSERT_TRUE(pEntry->EditInProgress());
  EXPECT_EQ(pEntry->GetStr(), "8");
  EXPECT_EQ(Selection(), std::make_pair(0, 1)); // all selected, caret at the start
  EXPECT_EQ(pEntry->GetCaret(), 0);

  EXPECT_TRUE(Type("12"));
  EXPECT_TRUE(Key(13, "\r"));
  EXPECT_FALSE(pEntry->EditInProgress());
  EXPECT_EQ(pEntry->GetStr(), "12"); // Return typed nothing into the text
  EXPECT_EQ(delegate.GetParam(0)->Value(), 12.0);
  EXPECT_EQ(delegate.mHostLog,
            (std::vector<std::string>{"begin 0", "value 0 " + Fmt(11.0 / 15.0), "end 0"}));

  Click(150.f, 110.f);
  Type("5");
  EXPECT_TRUE(Key(27, "\x1b"));
  EXPECT_FALSE(pEntry->EditInProgress());
  EXPECT_EQ(pEntry->GetStr(), "5");
  EXPECT_EQ(g.GetControlInTextEntry(), nullptr);
  EXPECT_EQ(delegate.GetParam(0)->Value(), 12.0);
  EXPECT_FALSE(Key('7', "7")); // closed: keys are not the field's any more
}

TEST_F(TextEntryTest, NumberFieldsTakeDigitsSignsAndPointsWhetherTypedOrPasted)
{
  delegate.GetParam(1)->InitInt("Steps", 0, -10, 10);
  delegate.GetParam(2)->InitDouble("Level", 0.0, -1.0, 1.0, 0.01);

  Open(1, "");
  EXPECT_TRUE(Type("7+-"));
  EXPECT_FALSE(Key('A', "a"));
  EXPECT_FALSE(Key(0, "."));
  EXPECT_FALSE(Key('1', "!", true)); // Shift with a digit key types a sign that is refused
  EXPECT_TRUE(Key('1', "1", true));  // a layout whose digits need Shift still types them
  g.mClip = "4a\n.5 dB";
  Key('V', "v", false, true);
  EXPECT_EQ(pEntry->GetStr(), "7+-145");
  pEntry->CommitEdit();

  Open(2, "");
  EXPECT_TRUE(Type("0.5"));
  Key('V', "v", false, true);
  EXPECT_EQ(pEntry->GetStr(), "0.54.5");
  pEntry->CommitEdit();

  // The length the prompt passes is kept, typed and pasted: the text never grows past it.
  Open(kNoParameter, "ab", 4);
  EXPECT_TRUE(Type("wxyz")); // replaces the selection
  EXPECT_FALSE(Type("q"));
  g.mClip = "123";
  Key('V', "v", false, true);
  EXPECT_EQ(pEntry->GetStr(), "wxyz");
  Key(37); // Left, then Shift+Left: "yz" -> select "y"
  Key(37, "", true);
  Key('V', "v", false, true);
  EXPECT_EQ(pEntry->GetStr(), "wx1z");
}

TEST_F(TextEntryTest, KeysMoveTheCaretSelectEditUndoAndUseTheClipboard)
{
  Open(kNoParameter, "hello world");
  EXPECT_TRUE(Key(35)); // End
  EXPECT_EQ(pEntry->GetCaret(), 11);
  Key(37);
  Key(37);
  Key(37, "", true);
  Key(37, "", true);
  EXPECT_EQ(Selection(), std::make_pair(7, 9));
  Key(38); // Up acts as Left: the selection collapses to its near end
  EXPECT_EQ(pEntry->GetCaret(), 7);
  Key(40); // Down acts as Right
  EXPECT_EQ(pEntry->GetCaret(), 8);
  Key(37, "", false, true); // Control+Left: to the start of the word
  EXPECT_EQ(pEntry->GetCaret(), 6);
  EXPECT_FALSE(Key(33)); // Page Up: no binding
  EXPECT_FALSE(Key(9, "\t"));
  Key(36);
  Key(35, "", true, true); // Control+Shift+End selects to the end of the text
  EXPECT_EQ(Selection(), std::make_pair(0, 11));

  EXPECT_TRUE(Key(8)); // Backspace removes the selection
  EXPECT_EQ(pEntry->GetStr(), "");
  EXPECT_TRUE(Key('Z', "z", false, true));
  EXPECT_EQ(pEntry->GetStr(), "hello world");
  EXPECT_TRUE(Key('Z', "Z", true, true));
  EXPECT_EQ(pEntry->GetStr(), "");
  Key('Z', "z", false, true);

  Key('A', "a", false, true);
  Key('X', "x", false, true);
  EXPECT_EQ(g.mClip, "hello world");
  EXPECT_EQ(pEntry->GetStr(), "");
  Key('V', "v", false, true);
  Key('V', "v", false, true);
  EXPECT_EQ(pEntry->GetStr(), "hello worldhello world");
  Key('A', "a", false, true);
  Key('C', "c", false, true);
  Type("ok");
  Key(36);
  Key(46); // Delete
  EXPECT_EQ(pEntry->GetStr(), "k");
  Key(45); // Insert: overwrite mode
  Type("OK");
  EXPECT_EQ(pEntry->GetStr(), "OK");

  Key(13, "\r");
  EXPECT_EQ(pOwner->mEvents.back(), "text OK 0");
}

TEST_F(TextEntryTest, ThePointerPlacesTheCaretDragsASelectionAndTheCaretBlinks)
{
  // "abcd" centred in kField: 4 x 7 points from x = 136; characters end at 143, 150, 157, 164.
  Open(kNoParameter, "abcd");
  g.OnMouseDown({Point(148.f, 110.f, IMouseMod(true))});
  EXPECT_EQ(pEntry->GetCaret(), 2);
  EXPECT_EQ(Selection(), std::make_pair(2, 2));
  g.OnMouseDrag({Point(160.f, 110.f, IMouseMod(true), 12.f, 0.f)});
  EXPECT_EQ(Selection(), std::make_pair(2, 3));
  g.OnMouseUp({Point(170.f, 130.f, IMouseMod(true))}); // past the end and below: the end
  EXPECT_EQ(Selection(), std::make_pair(2, 4));
  g.OnMouseDblClick(150.f, 110.f, IMouseMod(true));
  EXPECT_EQ(Selection(), std::make_pair(0, 4));
  EXPECT_EQ(pEntry->GetCaret(), 4);

  // Drawn: the field, the selection at 0.2 of the caret colour, then the text.
  EXPECT_EQ(Drawn(pEntry, "PathFill"),
            (std::vector<std::string>{"PathFill (255,255,255,255) blend 1",
                                      "PathFill (255,0,0,0) blend 0.2"}));
  EXPECT_EQ(Filter(g.mLog, "PathMoveTo")[1], "PathMoveTo 136 104.4"); // ymin 3, 0.1 x size in
  EXPECT_EQ(Filter(g.mLog, "DrawText"), std::vector<std::string>{"DrawText abcd 100 100 200 120"});

  // A click puts a one-point caret at the boundary; it shows for the first half of each second.
  Click(148.f, 110.f);
  ASSERT_TRUE(pEntry->GetDrawCaret());
  EXPECT_EQ(Drawn(pEntry, "PathMoveTo").back(), "PathMoveTo 149 104.4");
  pEntry->Age(600.0);
  EXPECT_FALSE(pEntry->GetDrawCaret());
  pEntry->Age(500.0);
  EXPECT_TRUE(pEntry->GetDrawCaret());

  // A press outside commits, whatever the button.
  Click(300.f, 200.f, IMouseMod(false, true));
  EXPECT_FALSE(pEntry->EditInProgress());
  EXPECT_EQ(pOwner->mEvents.back(), "text abcd 0");
}

TEST_F(TextEntryTest, BrokenUTF8ReadsAsReplacementsAndWideCharactersStayWhole)
{
  Open(kNoParameter, "a\xff\xc3(b");
  EXPECT_EQ(pEntry->GetStr(), "a\xEF\xBF\xBD\xEF\xBF\xBD(b");
  EXPECT_EQ(pEntry->GetLength(), 5);

  Key(0, "\xF0\x9F\x98\x80"); // U+1F600 replaces the selection: one character
  EXPECT_EQ(pEntry->GetLength(), 1);
  EXPECT_EQ(pEntry->GetCaret(), 1);
  Type("x");
  Key(37);
  Key(37);
  Key(46); // Delete takes the whole character
  EXPECT_EQ(pEntry->GetStr(), "x");

  Key(0, "\xE9"); // a lone Latin-1 byte (a host's key call) is that character
  EXPECT_EQ(pEntry->GetStr(), "\xC3\xA9x");
  Key(35);
  pEntry->SetStr(""); // the caret stays inside the text
  EXPECT_EQ(pEntry->GetCaret(), 0);
  Type("z");
  EXPECT_EQ(pEntry->GetStr(), "z");
}

TEST_F(TextEntryTest, TheRightButtonMenuIsTheFieldsOwn)
{
  // Each item on the whole text: what the field and the clipboard hold after it.
  struct Choice
  {
    const char* field;
    const char* clip;
  };
  const Choice choices[] = {{"", "copy me"}, {"copy me", "copy me"}, {"pasted", "pasted"}};
  int item = 0;
  g.mMenuResponder = [&item](IPopupMenu& menu)
  {
    menu.SetChosenItemIdx(item);
    return &menu;
  };
  for (item = 0; item < 3; ++item)
  {
    Open(kNoParameter, "copy me");
    g.mClip = "pasted";
    Click(150.f, 110.f, IMouseMod(false, true));
    EXPECT_EQ(pEntry->GetStr(), choices[item].field) << item;
    EXPECT_EQ(g.mClip, choices[item].clip) << item;
    EXPECT_TRUE(pEntry->EditInProgress());
    pEntry->CommitEdit();
  }
  ASSERT_EQ(g.mMenus.size(), 3u);
  EXPECT_EQ(g.mMenus[0].items, (std::vector<std::string>{"Cut", "Copy", "Paste"}));
  EXPECT_EQ(g.mMenus[0].bounds, IRECT(150.f, 110.f, 150.f, 110.f));

  // A menu still waiting when its field goes is forgotten with it; the next field's menu is
  // its own.
  Open(kNoParameter, "first");
  IPopupMenu* pPending = nullptr;
  g.mMenuIsAsync = true;
  g.mMenuResponder = [&](IPopupMenu& menu)
  {
    pPending = &menu;
    return nullptr;
  };
  Click(150.f, 110.f, IMouseMod(false, true));
  ASSERT_NE(pPending, nullptr);
  g.RemoveTextEntryControl();
  EXPECT_EQ(g.GetControlInPopupMenu(), nullptr);
  EXPECT_EQ(g.GetControlInTextEntry(), nullptr);
  pEntry = new AgeingEntry();
  g.AttachTextEntryControl(pEntry);
  Open(kNoParameter, "second");
  Click(150.f, 110.f, IMouseMod(false, true));
  ASSERT_EQ(g.GetControlInPopupMenu(), pEntry);
  g.mClip.clear();
  pPending->SetChosenItemIdx(1);
  g.SetControlValueAfterPopupMenu(pPending);
  EXPECT_EQ(g.mClip, "second");
}
