#include "rollouts/uvwmap_rollout.h"

#include <cstdio>

#include "host/sdk/inode.h"
#include "module/resource.h"

namespace {

RowTextFn UVWText(UVWMapParams ids) {
    return [ids](IParamBlock2* pb, int slot, INode* node, std::array<std::string, 2>& lines) {
        int channel = 0;
        float width = 0.0f, zone = 0.0f, angle = 0.0f;
        Interval valid = FOREVER;
        pb->GetValue(ids.channel, 0, channel, valid, slot);
        pb->GetValue(ids.width, 0, width, valid, slot);
        pb->GetValue(ids.zone, 0, zone, valid, slot);
        pb->GetValue(ids.angle, 0, angle, valid, slot);
        char text[200];
        std::snprintf(text, sizeof text, "%s | mc: %d | o:%.2f | w: %.2f | a:%.2f", node->GetName(),
                      channel, zone, width, angle);
        lines[0] = text;
    };
}

} // namespace

UVWMapListDlgProc::UVWMapListDlgProc(const UVWMapParams& ids)
    : ListRollout(std::make_unique<ListBoxView>(kUVWMapList, ids.node, UVWText(ids)),
                  ListPickMode::Accepts::Shapes),
      ids_(ids) {
    spinners_ = {
        Spinner(IDC_MAP_CH_EDIT, IDC_MAP_CH_SPIN, ids.channel, false, 2.0f, 99.0f),
        WidthSpinner(IDC_UVW_WIDTH_EDIT, IDC_UVW_WIDTH_SPIN, ids.width, 0.001f, 1.0e7f),
        WidthSpinner(IDC_UVW_ZONE_EDIT, IDC_UVW_ZONE_SPIN, ids.zone, 0.001f, 1.0e7f),
        Spinner(IDC_UVW_ANGLE_EDIT, IDC_UVW_ANGLE_SPIN, ids.angle, true, 0.0f, 360.0f),
    };
}

void UVWMapListDlgProc::SetThing(ReferenceTarget* m) {
    if (IParamBlock2* pb = BlockOf(m)) pblock_ = pb;
}

void UVWMapListDlgProc::ShowSelection() {
    ShowCommonValues(*view_, spinners_);
}

void UVWMapListDlgProc::Command(TimeValue t, HWND, UINT msg, WPARAM wParam, LPARAM) {
    const int id = LOWORD(wParam);
    if (msg == WM_COMMAND) {
        const std::vector<ParamID> values = {ids_.channel, ids_.width, ids_.zone, ids_.angle};
        switch (id) {
        case IDC_MOVE_UP: view_->MoveEntry(-1, values); break;
        case IDC_MOVE_DOWN: view_->MoveEntry(+1, values); break;
        case IDC_UPDATE: ReapplyZones(t); break;
        default: break;
        }
        return;
    }
    // A committed width or outline shows in the zone outline at once.
    if (CommitsValue(msg) && (id == IDC_UVW_WIDTH_EDIT || id == IDC_UVW_WIDTH_SPIN ||
                              id == IDC_UVW_ZONE_EDIT || id == IDC_UVW_ZONE_SPIN))
        UpdateOutline();
}
