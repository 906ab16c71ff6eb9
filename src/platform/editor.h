// Starting other programs without waiting for them: the user's text editor for files the
// operator edits by hand, and programs found on the search path. The child runs on its own;
// a short-lived thread collects it when it ends, so it never lingers as a zombie.
#pragma once

#include <string>
#include <vector>

namespace varnholt {

// The editor command: $VISUAL, else $EDITOR, else "xdg-open", split into words at blanks
// (so "emacsclient -n" works). Never empty.
std::vector<std::string> TextEditorCommand();

// Opens `path` in the text editor without waiting. Fails with the last error set when the
// editor cannot be started.
bool OpenInTextEditor(const std::string& path);

// Starts `program` (looked up on the search path when it has no "/") with `args` after the
// program name, without waiting. Fails with the last error set (2 when it is not found).
bool StartProgram(const std::string& program, const std::vector<std::string>& args);

}  // namespace varnholt
