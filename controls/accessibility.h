#pragma once
// What screen readers learn of the control kinds that Qt cannot describe by itself: a label that a
// click or a key activates is announced as a button with a press action, which performs the click;
// other labels are static text; shapes and images are graphics. Name and description come from the
// widget's accessible name (a label's caption) and accessible description.
namespace dp {

// Installs the accessibility factory for the control kinds once; later calls do nothing.
void InstallControlAccessibility();

} // namespace dp
