#pragma once
// The settings file is the program's only configuration: the toolkit's own store (its file dialog
// keeps the last folder and view there, in ~/.config/QtProject.conf) is turned into one that keeps
// the values of one run in memory and writes no file.

namespace dp {

// Call once, before any dialog is opened; later calls change nothing.
void KeepToolkitSettingsInMemory();

} // namespace dp
