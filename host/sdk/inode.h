#pragma once
// Scene nodes: a place in the hierarchy with a transform, an object, its
// modifiers, a material and display attributes.
#include <string>
#include <vector>

#include "host/sdk/modifier.h"
#include "host/sdk/object.h"

#include "host/sdk/graphics_window.h"

class Mtl; // materials belong to the texturing side of the SDK

class INode : public ReferenceTarget {
public:
    // Every node gets a handle no other node of the process has.
    INode();
    ~INode() override;

    Class_ID ClassID() override { return Class_ID(BASENODE_CLASS_ID, 0); }
    SClass_ID SuperClassID() override { return BASENODE_CLASS_ID; }
    void GetClassName(MSTR& s) override { s = "Node"; }

    ULONG GetHandle() const { return handle_; }
    const MCHAR* GetName() const { return name_.c_str(); }
    void SetName(const MCHAR* s);

    // 0x00BBGGRR.
    DWORD GetWireColor() const { return wireColor_; }
    void SetWireColor(DWORD rgb) { wireColor_ = rgb; }
    int Selected() const { return selected_ ? 1 : 0; }
    void SetSelected(bool on) { selected_ = on; }
    int IsHidden() const { return hidden_ ? 1 : 0; }
    void Hide(BOOL onOff) { hidden_ = onOff != FALSE; }

    // The node's object: its base object, or the derived object holding its
    // own modifiers when it has some. World-space modifiers are not in it.
    Object* GetObjectRef() { return object_; }
    void SetObjectRef(Object* obj);
    // The world-space derived object when the node has world-space
    // modifiers, the object reference otherwise.
    Object* GetObjOrWSMRef();
    IDerivedObject* GetWSMDerivedObject() { return wsm_; }

    // Own modifiers: a derived object is put between the node and its base
    // object on the first one. Modifier 0 is the top of the stack.
    void AddModifier(Modifier* mod, int before = 0);
    // World-space modifiers, applied after the own ones in list order.
    void AddWSModifier(WSModifier* mod);
    int NumWSModifiers() const;
    WSModifier* GetWSModifier(int i) const;

    // Node transform (parent space folded in) and the object offset that
    // places the object within the node.
    Matrix3 GetNodeTM(TimeValue t, Interval* valid = nullptr);
    void SetNodeTM(TimeValue t, const Matrix3& tm);
    const Matrix3& GetObjectOffset() const { return offset_; }
    void SetObjectOffset(const Matrix3& offset);
    // Object points to world points: object offset, then node transform.
    Matrix3 GetObjectTM(TimeValue t, Interval* valid = nullptr);
    Matrix3 GetObjTMBeforeWSM(TimeValue t, Interval* valid = nullptr) {
        return GetObjectTM(t, valid);
    }
    Matrix3 GetObjTMAfterWSM(TimeValue t, Interval* valid = nullptr) {
        return GetObjectTM(t, valid);
    }

    // The object with the node's own modifiers, then its world-space
    // modifiers, at t. The objects stay in object space: world-space
    // modifiers go to world space and back through GetObjectTM. The state
    // stays valid until the next evaluation at another time or a change.
    const ObjectState& EvalWorldState(TimeValue time, BOOL evalHidden = TRUE);

    // Hierarchy. Children are owned by the scene, not by the parent.
    INode* GetParentNode() { return parent_; }
    int IsRootNode() const { return isRoot_ ? 1 : 0; }
    void MarkAsRoot() {
        isRoot_ = true;
        for (INode* c : children_) c->ForgetWorldTM();
    }
    int NumberOfChildren() const { return static_cast<int>(children_.size()); }
    INode* GetChildNode(int i) { return children_[static_cast<std::size_t>(i)]; }
    // keepTM keeps the world transform (the local one changes with the parent).
    void AttachChild(INode* node, int keepTM = 1);
    void Detach(TimeValue t, int keepTM = 1);

    // Material: reference 2, so saved scenes keep it with the node.
    Mtl* GetMtl() { return mtl_; }
    void SetMtl(Mtl* matl);
    // The viewport material: the material's diffuse colour, else the wire colour.
    Material* Mtls();
    int NumMtls() { return 1; }

    // References: 0 the object, 1 the world-space derived object, 2 the material.
    int NumRefs() override { return 3; }
    RefTargetHandle GetReference(int i) override;
    void SetReference(int i, RefTargetHandle rtarg) override;
    // Answers the node-handle query for its objects; any change drops the
    // cached world state.
    RefResult NotifyRefChanged(Interval changeInt, RefTargetHandle hTarget, PartID& partID,
                               RefMessage message) override;
    int NumSubs() override { return 1; }
    Animatable* SubAnim(int i) override { return i == 0 ? object_ : nullptr; }

    // Name, wire colour, selection, visibility and the transforms; the
    // hierarchy and the references are the scene file's.
    IOResult Save(ISave* isave) override;
    IOResult Load(ILoad* iload) override;

    // Forgets the cached world state.
    void InvalidateWS();

private:
    ULONG handle_;
    std::string name_;
    DWORD wireColor_ = 0x00808080;
    bool selected_ = false;
    bool hidden_ = false;
    bool isRoot_ = false;
    Object* object_ = nullptr;
    IDerivedObject* wsm_ = nullptr;
    Mtl* mtl_ = nullptr;
    Material viewMtl_;
    Matrix3 localTM_; // relative to the parent
    Matrix3 offset_;
    INode* parent_ = nullptr;
    std::vector<INode*> children_;
    // The world transform, kept until the node or an ancestor moves, so a
    // deep hierarchy costs one product per node. A node's cache is only ever
    // valid when its parent's is. GetNodeTM fills it: threads may share a
    // node's transforms once one thread has asked for them.
    Matrix3 worldTM_;
    bool worldValid_ = false;
    void ForgetWorldTM();

    ObjectState ws_;
    TimeValue wsTime_ = 0;
    Interval wsValid_ = NEVER;
};
