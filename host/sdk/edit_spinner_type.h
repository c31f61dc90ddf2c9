#pragma once
// How a spinner's edit shows and reads its value, shared by parameter
// descriptors and the spinner control.

enum EditSpinnerType : int {
    EDITTYPE_INT = 0,
    EDITTYPE_FLOAT = 1,
    EDITTYPE_UNIVERSE = 2,
    EDITTYPE_POS_INT = 3,
    EDITTYPE_POS_FLOAT = 4,
    EDITTYPE_POS_UNIVERSE = 5,
    EDITTYPE_TIME = 6,
};

// The spinner picks its own step from the value.
constexpr float SPIN_AUTOSCALE = -1.0f;
