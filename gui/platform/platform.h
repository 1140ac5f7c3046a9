#pragma once
// Desktop services of the pre-processor: message boxes captioned with the
// product name, the file dialog with numbered filters, the message pump, the
// wait cursor and the help window.

#include <string>
#include <vector>

class QWidget;

namespace kv {

// Product caption of every message box.
inline constexpr const char* kProductCaption = "KAVITRON";

// A Yes/No question with the question icon; `default_no` preselects No.
// Returns true for Yes.
bool AskYesNo(QWidget* parent, const std::string& text, bool default_no = false);

// A message box with the stop icon and an OK button.
void ShowStop(QWidget* parent, const std::string& text);

// The file dialog: `filters` in order; `*filter_index` (1-based) preselects a
// filter and returns the chosen one. `save` asks for a new or existing file
// without the toolkit's own overwrite question (the commands ask their own);
// otherwise the file must exist. Returns false when cancelled.
bool RunFileDialog(QWidget* parent, const std::string& caption, const std::vector<std::string>& filters, bool save,
                   int* filter_index, std::string* path);

// The default surface of every OpenGL widget: 24-bit colour, a depth buffer,
// double buffering and the fixed-function pipeline (compatibility profile).
// Call before the application object is created.
void SetDefaultGlFormat();

// Handles every event waiting in the queue and returns when it is empty.
void PumpMessages();

// The busy cursor on and off for the whole application.
void SetBusyCursor(bool busy);

// Shows the HTML help file in a help window at its contents. Returns false
// (and shows nothing) when the file cannot be read.
bool ShowHelpWindow(QWidget* parent, const std::string& path);

}  // namespace kv
