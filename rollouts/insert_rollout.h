#pragma once
// The Insert rollout: shapes whose outlines become mesh edges, each with a
// type (keep the ID, set an ID, cut a hole), a split flag and an ID. Order
// matters (the first insert holding a face decides it), so entries move up
// and down.
#include "rollouts/list_rollout.h"

struct InsertParams {
    ParamID node, id, type, split;
};

class InsertListDlgProc : public ListRollout {
public:
    explicit InsertListDlgProc(const InsertParams& ids);

protected:
    void ShowSelection() override;
    void Command(TimeValue t, HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void SetType(int type);
    InsertParams ids_;
};
