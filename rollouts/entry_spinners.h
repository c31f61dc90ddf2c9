#pragma once
// Spinners that edit one per-entry value of every selected list entry: they
// show the value the selection shares, or nothing when it shares none, and
// write a value only when the spinner is released or Enter is pressed.
#include <vector>

#include "host/sdk/custom_controls.h"
#include "host/sdk/param_block.h"

class ListBoxView;

struct EntrySpinner {
    int edit;
    int spin;
    ParamID id;
    bool isFloat;
    float lo, hi;
    bool clampCurrent = true;
    bool autoScale = false;
    float resetValue = 0.0f; // none when 0
    ISpinnerControl* control = nullptr;
};

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
