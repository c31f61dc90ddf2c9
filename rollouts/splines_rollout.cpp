#include "rollouts/splines_rollout.h"

#include "host/sdk/inode.h"

namespace {

void NameOnly(IParamBlock2*, int, INode* node, std::array<std::string, 2>& lines) {
    lines[0] = node->GetName();
}

} // namespace

SplineListDlgProc::SplineListDlgProc(ParamID nodeTable)
    : ListRollout(std::make_unique<SplinesListBoxView>(nodeTable, NameOnly),
                  ListPickMode::Accepts::Shapes) {}

void SplineListDlgProc::AttachView(HWND list) {
    SplinesListBoxView& v = Splines();
    v.Attach(list, pblock_);
    v.Refresh(pblock_);
    v.ClearSelection();
}
