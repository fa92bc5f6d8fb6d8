#pragma once
// CloneControl: a new control of exactly the template's kind, owned by Owner, shown in Parent at the
// requested position, with the kind's own list of properties and handlers copied from the template.
#include <cstdint>

class QWidget;

namespace dp {

class TOwner;

// Returns the new control, or nullptr (nothing created) when Template is not exactly one of the
// fifteen control kinds. NewTop / NewLeft of exactly -1 take the template's Top / Left; any other
// value is used as it is (tab sheets and grids ignore both). The clone's parent is Parent, except for
// a tab sheet, which joins the template's page control. An exception raised while a property is set
// propagates; the partly built clone then stays with Owner, which releases it.
QWidget* CloneControl(QWidget* Template, TOwner* Owner, QWidget* Parent, int32_t NewTop, int32_t NewLeft);

} // namespace dp
