#pragma once
// The control model in one include: the fifteen kinds that can be cloned, the page control, the
// owner model and the event guard.
#include "controls/buttons.h"
#include "controls/containers.h"
#include "controls/control.h"
#include "controls/edits.h"
#include "controls/event_guard.h"
#include "controls/grid.h"
#include "controls/image.h"
#include "controls/label.h"
#include "controls/owner.h"
#include "controls/shape.h"
#include "controls/types.h"
