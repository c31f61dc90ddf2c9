#include "host/sdk/object.h"

Interval ObjectState::Validity(TimeValue t) const {
    Interval v = obj ? obj->ObjectValidity(t) : FOREVER;
    if (tm) v &= tmValid;
    return v;
}

Interval Object::ObjectValidity(TimeValue) {
    Interval v = FOREVER;
    for (const Interval& c : channelValid_) v &= c;
    return v;
}

void Object::UpdateValidity(int nchan, Interval v) {
    if (nchan >= 0 && nchan < NUM_OBJ_CHANS) channelValid_[nchan] &= v;
}

Interval Object::ChannelValidity(TimeValue, int nchan) {
    return nchan >= 0 && nchan < NUM_OBJ_CHANS ? channelValid_[nchan] : NEVER;
}

void Object::SetChannelValidity(int nchan, Interval v) {
    if (nchan >= 0 && nchan < NUM_OBJ_CHANS) channelValid_[nchan] = v;
}

void Object::ResetChannelValidity() {
    for (Interval& c : channelValid_) c = FOREVER;
}

void Object::GetCollapseTypes(std::vector<Class_ID>& clist, std::vector<MSTR>& nlist) {
    clist.push_back(triObjectClassID);
    nlist.push_back("Editable Mesh");
    clist.push_back(polyObjectClassID);
    nlist.push_back("Editable Poly");
}

int ShapeObject::CanConvertToType(Class_ID obtype) {
    return obtype == genericShapeClassID || obtype == ClassID() ? TRUE : FALSE;
}
