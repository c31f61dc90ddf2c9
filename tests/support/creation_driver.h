#pragma once
// Sends the host's mouse messages through a viewport to an object's creation
// callback, the way the host's create mode does: free moves before the first
// click, the clicks as points 0 and 1, drags as moves of the current point.
#include "host/sdk/view_exp.h"

class CreationDriver {
public:
    CreationDriver(ViewExp* vpt, CreateMouseCallBack* cb) : vpt_(vpt), cb_(cb) {}

    // The callback's answer to each message; after CREATE_STOP or
    // CREATE_ABORT the creation is over and further messages are refused.
    int Hover(IPoint2 m) { return Send(MOUSE_FREEMOVE, m); }
    int Click(IPoint2 m) {
        const int r = Send(MOUSE_POINT, m);
        ++point_;
        return r;
    }
    int Drag(IPoint2 m) { return Send(MOUSE_MOVE, m); }
    int Abort() { return Send(MOUSE_ABORT, IPoint2()); }

    // The node transform the callback set.
    const Matrix3& Transform() const { return mat_; }
    bool Over() const { return over_; }

private:
    int Send(int msg, IPoint2 m) {
        if (over_) return CREATE_ABORT;
        const int r = cb_->proc(vpt_, msg, point_, 0, m, mat_);
        if (r == CREATE_STOP || r == CREATE_ABORT) over_ = true;
        return r;
    }

    ViewExp* vpt_;
    CreateMouseCallBack* cb_;
    Matrix3 mat_;
    int point_ = 0;
    bool over_ = false;
};
