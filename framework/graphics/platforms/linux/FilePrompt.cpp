#include "framework/graphics/platforms/linux/FilePrompt.h"

#include <algorithm>
#include <sys/stat.h>
#include <vector>

namespace plugin::igraphics
{

namespace
{

// The in-window panel's look: the platform menu's dark panel and light texts.
constexpr IColor kScrim(110, 0, 0, 0);
constexpr IColor kPanel(255, 36, 39, 48);
constexpr IColor kPanelEdge(255, 74, 80, 96);
constexpr IColor kFieldBackground(255, 22, 24, 30);
constexpr IColor kText(255, 226, 229, 236);
constexpr IColor kDimText(255, 140, 147, 162);
constexpr IColor kNotice(255, 250, 150, 120);
constexpr IText kTitleText(17.f, kText, "Roboto-Regular", EAlign::kNear, EVAlign::kMiddle);
constexpr IText kHintText(13.f, kDimText, "Roboto-Regular", EAlign::kNear, EVAlign::kMiddle);
constexpr IText kNoticeText(13.f, kNotice, "Roboto-Regular", EAlign::kNear, EVAlign::kMiddle);
// Centred: the in-window field has no inner margin, and a name flush against its edge reads
// cramped.
constexpr IText kFieldText(15.f, kText, "Roboto-Regular", EAlign::kCenter, EVAlign::kMiddle, 0.f,
                           kFieldBackground, kText);
constexpr float kPanelWidth = 440.f;
constexpr float kPanelHeight = 136.f;
constexpr float kPadding = 18.f;
constexpr int kMaxNameLength = 120;

bool Exists(const std::string& path)
{
  struct stat status;
  return stat(path.c_str(), &status) == 0;
}

bool IsFolder(const std::string& path)
{
  struct stat status;
  return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::vector<std::string> Split(const std::string& text, char separator)
{
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t at = text.find(separator); at != std::string::npos; at = text.find(separator, start))
  {
    parts.push_back(text.substr(start, at - start));
    start = at + 1;
  }
  parts.push_back(text.substr(start));
  return parts;
}

std::string Trimmed(const std::string& text)
{
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos)
    return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

// The in-window road's panel: a scrim over the whole editor, a panel in its middle with a title,
// a hint, the name field (the context's in-window text entry, placed over FieldRECT) and a line
// for a refusal or a question. It takes no clicks: while the field edits, the field takes them.
class IFileNamePromptControl : public IControl
{
public:
  IFileNamePromptControl(const IRECT& bounds, FilePrompt& owner) : IControl(bounds), mOwner(owner)
  {
    mIgnoreMouse = true;
    SetTextEntryLength(kMaxNameLength);
  }

  IRECT PanelRECT() const
  {
    const float w = std::min(kPanelWidth, mRECT.W() - 24.f);
    const float h = std::min(kPanelHeight, mRECT.H() - 24.f);
    return IRECT(mRECT.MW() - w / 2.f, mRECT.MH() - h / 2.f, mRECT.MW() + w / 2.f,
                 mRECT.MH() + h / 2.f)
      .GetPixelAligned(1.f);
  }
  IRECT FieldRECT() const
  {
    const IRECT p = PanelRECT();
    return IRECT(p.L + kPadding, p.T + 64.f, p.R - kPadding, p.T + 92.f);
  }

  void SetNotice(const std::string& notice)
  {
    mNotice = notice;
    SetDirty(false);
  }

  void Draw(IGraphics& g) override
  {
    g.FillRect(kScrim, mRECT);
    const IRECT p = PanelRECT();
    g.FillRoundRect(kPanel, p, 8.f);
    g.DrawRoundRect(kPanelEdge, p.GetPadded(-0.5f), 8.f);
    const float l = p.L + kPadding, r = p.R - kPadding;
    g.DrawText(kTitleText, "Save As", IRECT(l, p.T + 12.f, r, p.T + 36.f));
    g.DrawText(kHintText, "A name, or Category/Name to file it in a category folder.",
               IRECT(l, p.T + 36.f, r, p.T + 56.f));
    g.FillRect(kFieldBackground, FieldRECT());
    const IRECT line(l, p.T + 100.f, r, p.T + 122.f);
    if (mNotice.empty())
      g.DrawText(kHintText, "Return saves, Escape cancels.", line);
    else
      g.DrawText(kNoticeText, mNotice.c_str(), line);
  }

  void OnTextEntryCompletion(const char* str, int) override { mOwner.OnNameEntered(str); }

private:
  FilePrompt& mOwner;
  std::string mNotice;
};

FilePrompt::FilePrompt(IGraphics& graphics, Request request)
  : mGraphics(graphics), mRequest(std::move(request))
{
  while (mRequest.folder.size() > 1 && mRequest.folder.back() == '/')
    mRequest.folder.pop_back();
}

FilePrompt::~FilePrompt()
{
  mDialog.Stop();
  // Removal closes the name field without an answer; it does nothing when the context was
  // emptied meanwhile (and deleted the panel with the rest).
  if (mControl)
    mGraphics.RemoveControl(mControl);
}

std::string FilePrompt::GetFolder() const
{
  const size_t slash = mFile.rfind('/');
  return slash == std::string::npos ? std::string() : mFile.substr(0, std::max<size_t>(slash, 1));
}

std::string FilePrompt::WithExtension(const std::string& name) const
{
  if (mRequest.action != EFileAction::kSave || mRequest.ext.empty())
    return name;
  const std::string dotted = "." + mRequest.ext;
  const bool has = name.size() > dotted.size() &&
                   name.compare(name.size() - dotted.size(), dotted.size(), dotted) == 0;
  return has ? name : name + dotted;
}

bool FilePrompt::Open(unsigned long parentWindow)
{
  if (OpenDialog(parentWindow))
    return true;
  return mRequest.action == EFileAction::kSave && OpenInWindow();
}

// ---- The desktop's dialog

bool StartDesktopDialog(Util_ChildProcess& dialog, std::vector<std::string> zenityArgs,
                        std::vector<std::string> kdialogArgs, unsigned long parentWindow)
{
  const std::string window = std::to_string(parentWindow);
  if (const std::string zenity = Util_FindInPath("zenity"); !zenity.empty())
  {
    if (parentWindow)
      zenityArgs.push_back("--attach=" + window);
    return dialog.Start(zenity, zenityArgs);
  }
  const std::string kdialog = Util_FindInPath("kdialog");
  if (kdialog.empty())
    return false;
  if (parentWindow)
    kdialogArgs.insert(kdialogArgs.end(), {"--attach", window});
  return dialog.Start(kdialog, kdialogArgs);
}

bool FilePrompt::OpenDialog(unsigned long parentWindow)
{
  const bool save = mRequest.action == EFileAction::kSave;
  std::string proposed = mRequest.folder.empty() ? std::string() : mRequest.folder + "/";
  if (!mRequest.name.empty())
    proposed += WithExtension(mRequest.name);
  const std::string title = save ? "Save As" : "Open";
  const std::string pattern = mRequest.ext.empty() ? std::string("*") : "*." + mRequest.ext;

  std::vector<std::string> zenity = {"zenity", "--file-selection", "--title=" + title};
  if (save)
  {
    zenity.push_back("--save");
    zenity.push_back("--confirm-overwrite");
  }
  if (!proposed.empty())
    zenity.push_back("--filename=" + proposed);
  if (!mRequest.ext.empty())
    zenity.push_back("--file-filter=" + mRequest.ext + " files | " + pattern);
  std::vector<std::string> kdialog = {"kdialog",
                                      save ? "--getsavefilename" : "--getopenfilename",
                                      proposed.empty() ? std::string(".") : proposed,
                                      pattern,
                                      "--title",
                                      title};
  return StartDesktopDialog(mDialog, std::move(zenity), std::move(kdialog), parentWindow);
}

// ---- The in-window name field

const char* FilePrompt::CheckTypedName(const std::string& name)
{
  if (name.empty())
    return "Type a name.";
  if (name[0] == '/')
    return "Type a name inside the folder, not a full path.";
  for (const std::string& part : Split(name, '/'))
  {
    if (part.empty())
      return "A name cannot have an empty part.";
    if (part == "." || part == "..")
      return "A name cannot leave its folder (\".\" and \"..\" are refused).";
    if (part[0] == '.')
      return "A name cannot begin with a dot: the file would be hidden.";
  }
  for (const char c : name)
  {
    if (c == '\\' || static_cast<unsigned char>(c) < 0x20)
      return "A name cannot hold a backslash or a control character.";
  }
  return nullptr;
}

bool FilePrompt::OpenInWindow()
{
  if (mRequest.folder.empty() || mRequest.folder[0] != '/')
    return false;
  auto* pControl = new IFileNamePromptControl(mGraphics.GetBounds(), *this);
  if (!mGraphics.AttachControl(pControl))
  {
    delete pControl;
    return false;
  }
  mControl = pControl;
  AskForName(mRequest.name);
  return mGraphics.GetControlInTextEntry() == mControl;
}

void FilePrompt::AskForName(const std::string& text)
{
  mGraphics.CreateTextEntry(*mControl, kFieldText, mControl->FieldRECT(), text.c_str(), 0);
}

void FilePrompt::OnNameEntered(const char* text)
{
  const std::string typed = Trimmed(text ? text : "");
  std::string notice;
  if (const char* refusal = CheckTypedName(typed))
    notice = refusal;
  const std::string name = WithExtension(typed);
  const std::string file = mRequest.folder + "/" + name;
  if (notice.empty() && Exists(file) && typed != mReplaceConfirmed)
  {
    mReplaceConfirmed = typed;
    notice = "\"" + name + "\" exists: press Return again to replace it.";
  }
  // Category folders are made as the answer is taken, so that the save finds them.
  if (notice.empty())
  {
    std::string folder = mRequest.folder;
    const std::vector<std::string> parts = Split(name, '/');
    for (size_t i = 0; i + 1 < parts.size() && notice.empty(); ++i)
    {
      folder += "/" + parts[i];
      if (!IsFolder(folder) && (mkdir(folder.c_str(), 0777) != 0 || !IsFolder(folder)))
        notice = "The folder \"" + parts[i] + "\" cannot be made here.";
    }
  }
  if (!notice.empty())
  {
    mControl->SetNotice(notice);
    AskForName(typed);
    return;
  }
  mFile = file;
  mState = EState::kAnswered;
}

FilePrompt::EState FilePrompt::Poll()
{
  if (mState != EState::kWaiting)
    return mState;
  if (mControl)
  {
    // The field was dismissed (Escape), or could not open again after a refusal.
    if (mGraphics.GetControlInTextEntry() != mControl)
      mState = EState::kCancelled;
    return mState;
  }
  if (!mDialog.Poll())
    return mState;
  const std::string& output = mDialog.Output();
  const std::string path = output.substr(0, output.find('\n'));
  const int status = mDialog.ExitStatus();
  const bool chosen =
    (status == 0 || status == Util_ChildProcess::kUnknownStatus) && !path.empty() && path[0] == '/';
  if (chosen)
  {
    mFile = WithExtension(path);
    mState = EState::kAnswered;
  }
  else
  {
    mState = EState::kCancelled;
  }
  return mState;
}

} // namespace plugin::igraphics
