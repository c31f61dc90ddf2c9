#pragma once
// Spinners that edit one per-entry value of every selected list entry: they
// show the value the selection shares, or nothing when it shares none, and
// write a value only when the spinner is released or Enter is pressed.
#include <vector>

#include "host/sdk/custom_controls.h"
#include "host/sdk/param_block.h"

class ListBoxView;

struct EntrySpinner {
    int edit = 0;
    int spin = 0;
    ParamID id = 0;
    bool isFloat = false;
    float lo = 0.0f, hi = 0.0f;
    bool clampCurrent = true;
    bool autoScale = false;
    float resetValue = 0.0f; // none when 0
    ISpinnerControl* control = nullptr;
};

// A spinner whose current value is clamped, without automatic scale or
// reset value.
inline EntrySpinner Spinner(int edit, int spin, ParamID id, bool isFloat, float lo, float hi) {
    EntrySpinner s;
    s.edit = edit;
    s.spin = spin;
    s.id = id;
    s.isFloat = isFloat;
    s.lo = lo;
    s.hi = hi;
    return s;
}
// A float spinner of a width: limits that leave the current value alone,
// automatic scale, and 1.0 on a right click.
inline EntrySpinner WidthSpinner(int edit, int spin, ParamID id, float lo, float hi) {
    EntrySpinner s = Spinner(edit, spin, id, true, lo, hi);
    s.clampCurrent = false;
    s.autoScale = true;
    s.resetValue = 1.0f;
    return s;
}

// Takes each spinner of the dialog, sets its limits, scale and reset value
// and links it to its edit.
void SetUpSpinners(HWND dlg, std::vector<EntrySpinner>& spinners);
void ReleaseSpinners(std::vector<EntrySpinner>& spinners);
// Each spinner shows the selection's common value, indeterminate without one.
void ShowCommonValues(const ListBoxView& view, std::vector<EntrySpinner>& spinners);
// The spinner whose edit or spinner has this id, or null.
EntrySpinner* SpinnerOf(std::vector<EntrySpinner>& spinners, int controlId);
// Whether msg is a release or an Enter that commits a spinner's value.
bool CommitsValue(UINT msg);
// Writes the spinner's value to every selected entry.
void ApplyToSelection(ListBoxView& view, const EntrySpinner& spinner);
