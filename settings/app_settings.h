#pragma once
// Loading and saving the program's settings: the chain, the options and the window geometry.
class TForm1;

namespace dp {

// Reads the stored settings into the window at start-up (appends the stored regenerators, checks the
// stored radio buttons, sets the window's size and position).
void LoadSettings(TForm1& form);

// Writes the settings of the window when it closes.
void SaveSettings(TForm1& form);

} // namespace dp
