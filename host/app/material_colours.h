#pragma once
// Display colours of face material IDs, shared by the preview and the mesh
// files so that both show a terrain the same way.
#include "host/sdk/color.h"

namespace contorra {

// id is the one-based material ID the user sees (plain terrain is 1 by default,
// platforms 2, cut slopes 3, fill slopes 4).
Color MaterialIdColour(int id);

} // namespace contorra
