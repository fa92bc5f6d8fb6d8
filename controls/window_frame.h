#pragma once
// The outer frame of a top-level window. Under a window manager the frame is known only once the
// window has been framed, some time after it is first shown; before that (and without a window
// manager) the window's outer size is its client size.
#include <QMargins>
#include <QSize>

#include <functional>

class QWidget;

namespace dp {

// The frame around w's client area as the window system reports it now (none before it is framed).
QMargins FrameMarginsOf(const QWidget& w);

// Runs done once, as soon as the window system reports a frame around the top-level window w (at
// once when it already does). Some window managers report the frame without moving or resizing the
// window, so it also looks a few times after w is shown. Nothing runs when w never gets a frame.
void WhenFramed(QWidget& w, std::function<void(QMargins)> done);

// Gives the top-level window w the outer size asked for: the client area takes the whole size until
// the frame is known, and is corrected once then.
void KeepOuterSize(QWidget& w, QSize outer);

// Centres the outer frame of the top-level window w on the primary screen's available area: now, on
// the size it has, and again once the frame is known.
void CentreByFrame(QWidget& w);

} // namespace dp
