// Rows that must not compile: each gives a handler to a kind without that event. The build of this
// file is a test that expects the compiler to stop at the row with the name of the mistake. Case 0
// holds sound rows of every event and must build, so the faulty cases fail for their row alone.
#include "app/component_row.h"

#if DP_ROW_FAULT == 0 // a label is clicked and pressed, a button too, a timer ticks
const dp::TComponentRow kRows[] = {
    DP_COMPONENT_ROW(LabR, .Parent = "PanelSch", .OnClick = &TForm1::LabRClick,
                     .OnMouseDown = &TForm1::ButScrMouseDown),
    DP_COMPONENT_ROW(ButScr, .Parent = "GroupBox1", .OnClick = &TForm1::ButScrClick,
                     .OnMouseDown = &TForm1::ButScrMouseDown),
    DP_COMPONENT_ROW(TimerRefresh, .Parent = "Form1", .OnTimer = &TForm1::TimerRefreshTimer),
};
#elif DP_ROW_FAULT == 1 // a shape is not clicked
const dp::TComponentRow kRow = DP_COMPONENT_ROW(LineA, .Parent = "PanelSch", .OnClick = &TForm1::LabRClick);
#elif DP_ROW_FAULT == 2 // the status bar is a plain widget without the mouse events of the controls
const dp::TComponentRow kRow =
    DP_COMPONENT_ROW(StatBar, .Parent = "Form1", .OnMouseDown = &TForm1::ButScrMouseDown);
#elif DP_ROW_FAULT == 3 // only a timer ticks
const dp::TComponentRow kRow =
    DP_COMPONENT_ROW(LabR, .Parent = "PanelSch", .OnTimer = &TForm1::TimerRefreshTimer);
#elif DP_ROW_FAULT == 4 // a timer is not clicked
const dp::TComponentRow kRow =
    DP_COMPONENT_ROW(TimerRefresh, .Parent = "Form1", .OnClick = &TForm1::LabRClick);
#else
#error "DP_ROW_FAULT names the faulty row to build"
#endif
