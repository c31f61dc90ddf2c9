#pragma once
// Class descriptors: each creates the objects of one class, finds its block
// descriptors and opens and closes the rollouts of the object being edited.
#include <vector>

#include "host/sdk/animatable.h"
#include "host/sdk/win32.h"

class IParamMap2;
class ParamBlockDesc2;
class ParamMap2UserDlgProc;
class ReferenceMaker;

// What the host asks of each class of a plug-in.
class ClassDesc {
public:
    virtual ~ClassDesc() = default;
    virtual int IsPublic() = 0;
    // A new object; loading tells that Load will fill it next. The result
    // is an Animatable (its first base) handed over as void*.
    virtual void* Create(BOOL loading = FALSE) = 0;
    virtual const MCHAR* ClassName() = 0;
    virtual SClass_ID SuperClassID() = 0;
    virtual Class_ID ClassID() = 0;
    virtual const MCHAR* Category() = 0;
    virtual const MCHAR* InternalName() { return nullptr; }
    virtual HINSTANCE HInstance() { return nullptr; }
    virtual void BeginEditParams(IObjParam*, ReferenceMaker*, ULONG, Animatable*) {}
    virtual void EndEditParams(IObjParam*, ReferenceMaker*, ULONG, Animatable*) {}
    virtual void ResetClassParams(BOOL) {}
    virtual int NumParamBlockDescs() { return 0; }
    virtual ParamBlockDesc2* GetParamBlockDesc(int) { return nullptr; }
    virtual ParamBlockDesc2* GetParamBlockDescByID(BlockID) { return nullptr; }
    virtual void MakeAutoParamBlocks(ReferenceMaker*) {}
};

class ClassDesc2 : public ClassDesc {
public:
    ~ClassDesc2() override;

    int NumParamBlockDescs() override;
    ParamBlockDesc2* GetParamBlockDesc(int i) override;
    ParamBlockDesc2* GetParamBlockDescByID(BlockID id) override;
    void AddParamBlockDesc(ParamBlockDesc2* pbd);

    // A block for every descriptor with P_AUTO_CONSTRUCT, made into the
    // owner's reference `ref` of that descriptor.
    void MakeAutoParamBlocks(ReferenceMaker* owner) override;

    // Opens the rollouts of every P_AUTO_UI block of obj, maps in declared
    // order. When they are already open for another object of the class,
    // they switch to obj's blocks and each procedure gets SetThing(obj).
    void BeginEditParams(IObjParam* ip, ReferenceMaker* obj, ULONG flags,
                         Animatable* prev) override;
    // Closes them with END_EDIT_REMOVEUI; without it rollouts in the host's
    // panel stay for the next object of the class (windowless ones always close).
    void EndEditParams(IObjParam* ip, ReferenceMaker* obj, ULONG flags, Animatable* next) override;

    IParamMap2* GetParamMap(ParamBlockDesc2* pbd, MapID id = 0);
    void SetUserDlgProc(ParamBlockDesc2* pbd, MapID id, ParamMap2UserDlgProc* proc);
    void InvalidateUI(ParamBlockDesc2* pbd);
    // The object whose rollouts are open, or null.
    ReferenceMaker* EditedObject() { return edited_; }

private:
    void Collect();
    std::vector<ParamBlockDesc2*> descs_;
    struct OpenMap {
        ParamBlockDesc2* desc;
        IParamMap2* map;
    };
    std::vector<OpenMap> open_;
    ReferenceMaker* edited_ = nullptr;
};
