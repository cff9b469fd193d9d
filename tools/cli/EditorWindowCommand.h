#pragma once
// The host tool's editor-window command (X11, so it lives in the command-line front end only).

namespace host
{

// Adds "editor-window" to the command table.
void AddEditorWindowCommand();

} // namespace host
