#include "host/app/scene_file.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>

#include <zlib.h>

#include "host/app/chunk_io.h"
#include "host/app/input_file.h"

namespace {

constexpr USHORT kHeader = 0x0100;
constexpr USHORT kClasses = 0x0200;
constexpr USHORT kClass = 0x0210;
constexpr USHORT kObjects = 0x0300;
constexpr USHORT kObject = 0x0310;
constexpr USHORT kObjectClass = 0x0311;
constexpr USHORT kObjectData = 0x0312;
constexpr USHORT kObjectRefs = 0x0313;
constexpr USHORT kHierarchy = 0x0400;
constexpr USHORT kOrigin = 0x0500; // only in scenes with an origin
constexpr USHORT kChecksum = 0x0FFF;
constexpr char kMagic[4] = {'C', 'S', 'C', 'N'};
constexpr int kVersion = 1;
constexpr std::size_t kChecksumSize = 10; // header and CRC

enum ClassKind : BYTE { kPlainClass = 0, kParamBlock = 1 };

struct ClassKey {
    BYTE kind = kPlainClass;
    SClass_ID sclass = 0;
    Class_ID cid;
    short block = 0;
    std::string name;
    bool operator<(const ClassKey& o) const {
        if (kind != o.kind) return kind < o.kind;
        if (sclass != o.sclass) return sclass < o.sclass;
        if (cid != o.cid) return cid < o.cid;
        return block < o.block;
    }
};

std::string Hex(ULONG v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", static_cast<unsigned>(v));
    return buf;
}

ClassKey KeyOf(ReferenceTarget* obj) {
    ClassKey k;
    if (auto* pb = dynamic_cast<IParamBlock2*>(obj)) {
        ClassDesc2* cd = pb->GetDesc()->cd;
        k.kind = kParamBlock;
        k.sclass = cd ? cd->SuperClassID() : 0;
        k.cid = cd ? cd->ClassID() : Class_ID(0, 0);
        k.block = pb->ID();
        k.name = std::string("parameter block ") + pb->GetDesc()->int_name.c_str();
        return k;
    }
    k.sclass = obj->SuperClassID();
    k.cid = obj->ClassID();
    obj->GetClassName(k.name);
    return k;
}

std::string Describe(const ClassKey& k) {
    std::string s = k.name + " (super class " + Hex(k.sclass) + ", class ID " + Hex(k.cid.PartA()) +
                    ", " + Hex(k.cid.PartB());
    if (k.kind == kParamBlock) s += ", block " + std::to_string(k.block);
    return s + ")";
}

// Objects in the order they are met: each node, then depth first what it references.
std::vector<ReferenceTarget*> Collect(Scene& scene, std::map<ReferenceTarget*, int>& ids) {
    std::vector<ReferenceTarget*> order;
    std::vector<ReferenceTarget*> stack;
    auto visit = [&](ReferenceTarget* t) {
        if (!t || t == scene.Root() || ids.count(t)) return;
        ids[t] = static_cast<int>(order.size());
        order.push_back(t);
        stack.push_back(t);
    };
    for (INode* n : scene.Nodes()) {
        visit(n);
        while (!stack.empty()) {
            ReferenceTarget* t = stack.back();
            stack.pop_back();
            for (int i = 0; i < t->NumRefs(); ++i) visit(t->GetReference(i));
        }
    }
    return order;
}

} // namespace

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
    // zlib's CRC-32 is the same checksum, computed several bytes at a time.
    return static_cast<std::uint32_t>(crc32_z(0, data, size));
}

void AppendChecksum(std::vector<std::uint8_t>& bytes) {
    const std::uint32_t crc = Crc32(bytes.data(), bytes.size());
    // Chunk id, 4-byte length of the whole chunk, the CRC; all little-endian.
    const std::uint8_t trailer[10] = {kChecksum & 0xFF,
                                      kChecksum >> 8,
                                      10,
                                      0,
                                      0,
                                      0,
                                      static_cast<std::uint8_t>(crc),
                                      static_cast<std::uint8_t>(crc >> 8),
                                      static_cast<std::uint8_t>(crc >> 16),
                                      static_cast<std::uint8_t>(crc >> 24)};
    bytes.insert(bytes.end(), trailer, trailer + sizeof trailer);
}

namespace {

// The distinct classes of the objects, in the order met, and each object's
// index among them.
void IndexClasses(const std::vector<ReferenceTarget*>& objects, std::vector<ClassKey>& classes,
                  std::vector<int>& objectClass) {
    std::map<ClassKey, int> classIndex;
    for (ReferenceTarget* o : objects) {
        ClassKey k = KeyOf(o);
        auto [it, added] = classIndex.emplace(k, static_cast<int>(classes.size()));
        if (added) classes.push_back(k);
        objectClass.push_back(it->second);
    }
}

// Writes the scene's chunks one after another; the first failed write is kept.
class SceneWriter {
public:
    SceneWriter(Scene& scene, MemorySave& out)
        : out_(out), origin_(scene.origin), nodes_(scene.Nodes()) {
        objects_ = Collect(scene, ids_);
        IndexClasses(objects_, classes_, objectClass_);
    }

    bool Write(std::string& error) {
        WriteHeader();
        WriteClasses();
        if (!WriteObjects(error)) return false;
        WriteHierarchy();
        WriteOrigin();
        if (r_ != IO_OK || out_.Status() != IO_OK) {
            error = "the scene could not be written (an object broke the chunk structure)";
            return false;
        }
        std::uint32_t crc = Crc32(out_.Bytes().data(), out_.Bytes().size());
        out_.BeginChunk(kChecksum);
        out_.WriteUInt(crc);
        out_.EndChunk();
        return true;
    }

private:
    void Track(IOResult x) {
        if (x != IO_OK) r_ = x;
    }

    void WriteHeader() {
        out_.BeginChunk(kHeader);
        Track(out_.Write(kMagic, 4, nullptr));
        Track(out_.WriteInt(kVersion));
        Track(out_.WriteInt(static_cast<int>(objects_.size())));
        Track(out_.WriteInt(static_cast<int>(nodes_.size())));
        out_.EndChunk();
    }

    void WriteClasses() {
        out_.BeginChunk(kClasses);
        for (const ClassKey& k : classes_) {
            out_.BeginChunk(kClass);
            Track(out_.WriteByte(k.kind));
            Track(out_.WriteUInt(k.sclass));
            Track(out_.WriteUInt(k.cid.PartA()));
            Track(out_.WriteUInt(k.cid.PartB()));
            Track(out_.WriteShort(static_cast<USHORT>(k.block)));
            Track(out_.WriteCString(k.name));
            out_.EndChunk();
        }
        out_.EndChunk();
    }

    bool WriteObjects(std::string& error) {
        out_.BeginChunk(kObjects);
        for (std::size_t i = 0; i < objects_.size(); ++i) {
            ReferenceTarget* o = objects_[i];
            out_.BeginChunk(kObject);
            out_.BeginChunk(kObjectClass);
            Track(out_.WriteInt(objectClass_[i]));
            out_.EndChunk();
            out_.BeginChunk(kObjectData);
            int depth = out_.CurChunkDepth();
            IOResult saved = o->Save(&out_);
            if (saved != IO_OK || out_.CurChunkDepth() != depth) {
                error = "object #" + std::to_string(i) + ", " +
                        Describe(classes_[static_cast<std::size_t>(objectClass_[i])]) +
                        ", could not be saved";
                return false;
            }
            out_.EndChunk();
            WriteRefs(o);
            out_.EndChunk();
        }
        out_.EndChunk();
        return true;
    }

    // Each reference as the index of its object (-1 for none) and its super class.
    void WriteRefs(ReferenceTarget* o) {
        out_.BeginChunk(kObjectRefs);
        Track(out_.WriteInt(o->NumRefs()));
        for (int k = 0; k < o->NumRefs(); ++k) {
            ReferenceTarget* t = o->GetReference(k);
            auto it = t ? ids_.find(t) : ids_.end();
            Track(out_.WriteInt(it == ids_.end() ? -1 : it->second));
            Track(out_.WriteUInt(it == ids_.end() ? 0 : t->SuperClassID()));
        }
        out_.EndChunk();
    }

    void WriteOrigin() {
        if (origin_.IsZero()) return;
        out_.BeginChunk(kOrigin);
        for (double v : {origin_.x, origin_.y, origin_.z}) Track(out_.WriteDouble(v));
        out_.EndChunk();
    }

    void WriteHierarchy() {
        out_.BeginChunk(kHierarchy);
        Track(out_.WriteInt(static_cast<int>(nodes_.size())));
        for (INode* n : nodes_) {
            INode* parent = n->GetParentNode();
            Track(out_.WriteInt(ids_[n]));
            Track(out_.WriteInt(parent && !parent->IsRootNode() ? ids_[parent] : -1));
        }
        out_.EndChunk();
    }

    MemorySave& out_;
    contorra::SceneOrigin origin_;
    std::vector<INode*> nodes_;
    std::map<ReferenceTarget*, int> ids_;
    std::vector<ReferenceTarget*> objects_;
    std::vector<ClassKey> classes_;
    std::vector<int> objectClass_;
    IOResult r_ = IO_OK;
};

bool WriteScene(Scene& scene, MemorySave& out, std::string& error) {
    return SceneWriter(scene, out).Write(error);
}

class Reader {
public:
    Reader(Scene& scene, const ClassRegistry& registry, const std::string& name)
        : scene_(scene), registry_(registry), name_(name) {}

    bool Run(std::vector<std::uint8_t> bytes, std::string& error) {
        if (!Verify(bytes)) {
            error = error_;
            return false;
        }
        bytes.erase(bytes.end() - static_cast<long>(kChecksumSize), bytes.end());
        in_.SetBytes(std::move(bytes));
        bool ok = Header() && Classes() && Objects() && Hierarchy() && Origin() && Link();
        if (!ok) {
            Discard();
            error = error_;
            return false;
        }
        Finish();
        if (hasOrigin_) scene_.origin = origin_;
        return true;
    }

private:
    bool Fail(const std::string& what) {
        if (error_.empty()) error_ = name_ + ": " + what;
        return false;
    }
    bool FailIO(const std::string& what) {
        return Fail(what + (in_.Error().empty() ? "" : " (" + in_.Error() + ")"));
    }

    bool Verify(const std::vector<std::uint8_t>& b) {
        if (b.size() < 4 + kChecksumSize)
            return Fail("not a scene file: it is too short to hold one");
        if (b[0] != (kHeader & 0xff) || b[1] != (kHeader >> 8))
            return Fail("not a scene file: no scene header");
        const std::uint8_t* tail = b.data() + b.size() - kChecksumSize;
        std::uint32_t len = tail[2] | (tail[3] << 8) | (tail[4] << 16) |
                            (static_cast<std::uint32_t>(tail[5]) << 24);
        if (tail[0] != (kChecksum & 0xff) || tail[1] != (kChecksum >> 8) || len != kChecksumSize)
            return Fail("truncated or damaged: the closing checksum is missing");
        std::uint32_t want = tail[6] | (tail[7] << 8) | (tail[8] << 16) |
                             (static_cast<std::uint32_t>(tail[9]) << 24);
        if (Crc32(b.data(), b.size() - kChecksumSize) != want)
            return Fail("damaged: the checksum does not match the contents");
        return true;
    }

    bool Open(USHORT id, const char* what) {
        if (in_.OpenChunk() != IO_OK || in_.CurChunkID() != id)
            return FailIO(std::string("the ") + what + " is missing or damaged");
        return true;
    }

    bool Header() {
        if (!Open(kHeader, "scene header")) return false;
        char magic[4];
        ULONG n = 0;
        int version = 0;
        if (in_.Read(magic, 4, &n) != IO_OK || std::string(magic, 4) != std::string(kMagic, 4))
            return Fail("not a scene file: wrong signature");
        if (in_.ReadInt(version) != IO_OK || in_.ReadInt(objectCount_) != IO_OK ||
            in_.ReadInt(nodeCount_) != IO_OK)
            return FailIO("the scene header is cut short");
        if (version != kVersion)
            return Fail("scene file version " + std::to_string(version) +
                        " is not supported (this host reads " + std::to_string(kVersion) + ")");
        if (objectCount_ < 0 || nodeCount_ < 0 || nodeCount_ > objectCount_)
            return Fail("the scene header holds impossible counts");
        in_.CloseChunk();
        return true;
    }

    bool Classes() {
        if (!Open(kClasses, "class directory")) return false;
        IOResult r;
        while ((r = in_.OpenChunk()) == IO_OK) {
            ClassKey k;
            ULONG a = 0, b = 0;
            USHORT block = 0;
            if (in_.CurChunkID() != kClass || in_.ReadByte(k.kind) != IO_OK ||
                in_.ReadUInt(k.sclass) != IO_OK || in_.ReadUInt(a) != IO_OK ||
                in_.ReadUInt(b) != IO_OK || in_.ReadShort(block) != IO_OK ||
                in_.ReadCString(k.name) != IO_OK || k.kind > kParamBlock)
                return FailIO("class entry " + std::to_string(classes_.size()) + " is damaged");
            k.cid = Class_ID(a, b);
            k.block = static_cast<short>(block);
            classes_.push_back(k);
            in_.CloseChunk();
        }
        if (r == IO_ERROR) return FailIO("the class directory is damaged");
        in_.CloseChunk();
        return true;
    }

    ReferenceTarget* Create(const ClassKey& k, std::string& why) {
        ClassDesc* cd = registry_.Find(k.sclass, k.cid);
        if (!cd) {
            why = "class " + Describe(k) + " is not available; load the plug-in that defines it";
            return nullptr;
        }
        if (k.kind == kParamBlock) {
            ParamBlockDesc2* desc = cd->GetParamBlockDescByID(k.block);
            if (!desc) {
                why = "class " + Describe(k) + " has no such parameter block";
                return nullptr;
            }
            return CreateParameterBlock2(desc, nullptr);
        }
        void* made = cd->Create(TRUE);
        auto* target =
            made ? dynamic_cast<ReferenceTarget*>(static_cast<Animatable*>(made)) : nullptr;
        if (!target) why = "class " + Describe(k) + " could not be created";
        return target;
    }

    bool Objects() {
        if (!Open(kObjects, "object list")) return false;
        IOResult r;
        while ((r = in_.OpenChunk()) == IO_OK) {
            std::string at = "object #" + std::to_string(objects_.size());
            if (in_.CurChunkID() != kObject || static_cast<int>(objects_.size()) >= objectCount_)
                return Fail(at + ": unexpected chunk in the object list");
            int cls = -1;
            if (!Open(kObjectClass, (at + " class").c_str()) || in_.ReadInt(cls) != IO_OK)
                return FailIO(at + ": its class is missing");
            in_.CloseChunk();
            if (cls < 0 || cls >= static_cast<int>(classes_.size()))
                return Fail(at + ": class index " + std::to_string(cls) +
                            " is outside the directory");
            const ClassKey& k = classes_[static_cast<std::size_t>(cls)];
            std::string why;
            ReferenceTarget* obj = Create(k, why);
            if (!obj) return Fail(at + ": " + why);
            // Nothing may delete it while the references are put back.
            obj->SetAFlag(A_LOCK_TARGET);
            objects_.push_back(obj);
            if (!Open(kObjectData, (at + " data").c_str())) return false;
            if (obj->Load(&in_) != IO_OK)
                return FailIO(at + ", " + Describe(k) + ": its data could not be read");
            in_.CloseChunk();
            if (!Open(kObjectRefs, (at + " references").c_str())) return false;
            int n = 0;
            if (in_.ReadInt(n) != IO_OK || n < 0 ||
                static_cast<ULONG>(n) > in_.CurChunkLength() / 8)
                return FailIO(at + ": its reference list is damaged");
            std::vector<SavedRef> refs(static_cast<std::size_t>(n));
            for (SavedRef& ref : refs)
                if (in_.ReadInt(ref.id) != IO_OK || in_.ReadUInt(ref.sclass) != IO_OK ||
                    ref.id < -1 || ref.id >= objectCount_)
                    return Fail(at + ": a reference points outside the scene");
            refs_.push_back(std::move(refs));
            in_.CloseChunk();
            in_.CloseChunk();
        }
        if (r == IO_ERROR) return FailIO("the object list is damaged");
        if (static_cast<int>(objects_.size()) != objectCount_)
            return Fail("the object list holds " + std::to_string(objects_.size()) +
                        " objects, the header " + std::to_string(objectCount_));
        in_.CloseChunk();
        return true;
    }

    // Older files end after the hierarchy; newer ones may carry the origin.
    bool Origin() {
        const IOResult r = in_.OpenChunk();
        if (r == IO_END) return true;
        if (r != IO_OK) return FailIO("the chunk after the node hierarchy is damaged");
        if (in_.CurChunkID() != kOrigin) return Fail("unexpected chunk after the node hierarchy");
        for (double* v : {&origin_.x, &origin_.y, &origin_.z})
            if (in_.ReadDouble(*v) != IO_OK || !std::isfinite(*v))
                return FailIO("the scene origin is damaged");
        in_.CloseChunk();
        hasOrigin_ = true;
        return true;
    }

    bool Hierarchy() {
        if (!Open(kHierarchy, "node hierarchy")) return false;
        int n = 0;
        if (in_.ReadInt(n) != IO_OK || n != nodeCount_)
            return FailIO("the node hierarchy is damaged");
        for (int i = 0; i < n; ++i) {
            int node = -1, parent = -1;
            if (in_.ReadInt(node) != IO_OK || in_.ReadInt(parent) != IO_OK)
                return FailIO("the node hierarchy is cut short");
            if (node < 0 || node >= objectCount_ || parent < -1 || parent >= objectCount_)
                return Fail("the node hierarchy names an object outside the scene");
            auto* child = dynamic_cast<INode*>(objects_[static_cast<std::size_t>(node)]);
            INode* up = parent < 0
                            ? nullptr
                            : dynamic_cast<INode*>(objects_[static_cast<std::size_t>(parent)]);
            if (!child || (parent >= 0 && !up))
                return Fail("the node hierarchy names an object that is no node");
            // Parents come first: a node listed before its parent could be its own ancestor.
            if (up && std::none_of(hierarchy_.begin(), hierarchy_.end(),
                                   [up](auto& e) { return e.first == up; }))
                return Fail("the node hierarchy lists a node before its parent");
            hierarchy_.emplace_back(child, up);
        }
        // Every node once, and no node left out of the hierarchy.
        std::set<INode*> listed;
        for (auto& entry : hierarchy_)
            if (!listed.insert(entry.first).second)
                return Fail("the node hierarchy lists a node twice");
        std::size_t nodes = 0;
        for (ReferenceTarget* obj : objects_)
            if (dynamic_cast<INode*>(obj)) ++nodes;
        if (nodes != listed.size())
            return Fail("the node hierarchy leaves out nodes of the object list");
        in_.CloseChunk();
        return true;
    }

    bool Link() {
        for (std::size_t i = 0; i < objects_.size(); ++i) {
            ReferenceTarget* obj = objects_[i];
            const auto& refs = refs_[i];
            if (static_cast<int>(refs.size()) > obj->NumRefs())
                return Fail("object #" + std::to_string(i) + " has " + std::to_string(refs.size()) +
                            " saved references but takes " + std::to_string(obj->NumRefs()));
            for (std::size_t k = 0; k < refs.size(); ++k) {
                if (refs[k].id < 0) continue;
                ReferenceTarget* target = objects_[static_cast<std::size_t>(refs[k].id)];
                // A reference to another kind of object than was saved would
                // hand the owner something it cannot use.
                if (target->SuperClassID() != refs[k].sclass)
                    return Fail("object #" + std::to_string(i) + ": reference " +
                                std::to_string(k) +
                                " points to another kind of object than was saved");
                obj->ReplaceReference(static_cast<int>(k), target);
            }
        }
        return true;
    }

    void Finish() {
        for (auto [node, parent] : hierarchy_) {
            scene_.Adopt(node, parent, false);
            node->InvalidateWS();
        }
        for (ReferenceTarget* obj : objects_)
            if (obj->SuperClassID() != BASENODE_CLASS_ID) {
                obj->ClearAFlag(A_LOCK_TARGET);
                obj->MaybeAutoDelete(); // nothing references it: nothing needs it
            }
    }

    // Undoes a partial load: every reference among the new objects is
    // dropped first, then each object goes.
    void Discard() {
        for (ReferenceTarget* obj : objects_)
            for (int i = 0; i < obj->NumRefs(); ++i)
                if (obj->GetReference(i)) obj->ReplaceReference(i, nullptr);
        for (ReferenceTarget* obj : objects_) obj->DeleteThis();
        objects_.clear();
    }

    Scene& scene_;
    const ClassRegistry& registry_;
    std::string name_;
    std::string error_;
    MemoryLoad in_;
    int objectCount_ = 0, nodeCount_ = 0;
    std::vector<ClassKey> classes_;
    std::vector<ReferenceTarget*> objects_;
    struct SavedRef {
        int id = -1;
        ULONG sclass = 0;
    };
    std::vector<std::vector<SavedRef>> refs_;
    std::vector<std::pair<INode*, INode*>> hierarchy_;
    contorra::SceneOrigin origin_;
    bool hasOrigin_ = false;
};

} // namespace

bool SaveSceneBytes(Scene& scene, std::vector<std::uint8_t>& bytes, std::string& error) {
    MemorySave out;
    if (!WriteScene(scene, out, error)) return false;
    bytes = out.Bytes();
    return true;
}

bool SaveSceneFile(Scene& scene, const std::string& path, std::string& error) {
    FileSave out(path);
    if (!WriteScene(scene, out, error)) {
        error = path + ": " + error + "; nothing written";
        return false;
    }
    if (out.Close() != IO_OK) {
        error = out.Error();
        return false;
    }
    return true;
}

bool LoadSceneBytes(Scene& scene, const ClassRegistry& registry, std::vector<std::uint8_t> bytes,
                    const std::string& name, std::string& error) {
    return Reader(scene, registry, name).Run(std::move(bytes), error);
}

bool LoadSceneFile(Scene& scene, const ClassRegistry& registry, const std::string& path,
                   std::string& error) {
    std::vector<std::uint8_t> bytes;
    if (!contorra::ReadInputFile(path, bytes, error)) {
        error = path + ": " + error;
        return false;
    }
    return LoadSceneBytes(scene, registry, std::move(bytes), path, error);
}
