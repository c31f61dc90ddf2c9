#include "rollouts/platforms_rollout.h"

#include <cstdio>

#include "host/sdk/inode.h"
#include "module/resource.h"

namespace {

RowTextFn PlatformText(PlatformParams ids) {
    return [ids](IParamBlock2* pb, int slot, INode* node, std::array<std::string, 2>& lines) {
        lines[0] = node->GetName();
        float up = 0.0f, down = 0.0f;
        int base = 0, upId = 0, downId = 0;
        Interval valid = FOREVER;
        pb->GetValue(ids.slopeUp, 0, up, valid, slot);
        pb->GetValue(ids.slopeDown, 0, down, valid, slot);
        pb->GetValue(ids.platformId, 0, base, valid, slot);
        pb->GetValue(ids.slopeUpId, 0, upId, valid, slot);
        pb->GetValue(ids.slopeDownId, 0, downId, valid, slot);
        char text[128];
        std::snprintf(text, sizeof text, "%.1f/%.1f   %d/%d/%d", up, down, base, upId, downId);
        lines[1] = text;
    };
}

} // namespace

PlatformListDlgProc::PlatformListDlgProc(const PlatformParams& ids)
    : ListRollout(std::make_unique<ListBoxView>(kPlatformsList, ids.node, PlatformText(ids)),
                  ListPickMode::Accepts::Meshes) {
    spinners_ = {
        Spinner(IDC_SLOPE_UP_EDIT, IDC_SLOPE_UP_SPIN, ids.slopeUp, true, 5.0f, 85.0f),
        Spinner(IDC_SLOPE_DOWN_EDIT, IDC_SLOPE_DOWN_SPIN, ids.slopeDown, true, 5.0f, 85.0f),
        Spinner(IDC_PLATFORM_ID_EDIT, IDC_PLATFORM_ID_SPIN, ids.platformId, false, 2.0f, 256.0f),
        Spinner(IDC_SLOPEUP_ID_EDIT, IDC_SLOPEUP_ID_SPIN, ids.slopeUpId, false, 2.0f, 256.0f),
        Spinner(IDC_SLOPEDOWN_ID_EDIT, IDC_SLOPEDOWN_ID_SPIN, ids.slopeDownId, false, 2.0f, 256.0f),
    };
}

void PlatformListDlgProc::ShowSelection() {
    ShowCommonValues(*view_, spinners_);
}
