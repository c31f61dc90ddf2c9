#pragma once
// The Platforms rollout: objects that can become meshes, each with its up and
// down slope angles and the material IDs of the pad and its two slopes,
// edited for all selected entries at once.
#include "rollouts/list_rollout.h"

struct PlatformParams {
    ParamID node, slopeUp, slopeDown, platformId, slopeUpId, slopeDownId;
};

class PlatformListDlgProc : public ListRollout {
public:
    explicit PlatformListDlgProc(const PlatformParams& ids);

protected:
    void ShowSelection() override;
};
