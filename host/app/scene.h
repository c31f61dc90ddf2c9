#pragma once
// The scene: a root node and the nodes under it. The scene owns its nodes;
// objects live as long as something references them.
#include <string>
#include <unordered_set>
#include <vector>

#include "host/app/scene_origin.h"
#include "host/sdk/inode.h"

class Scene {
public:
    Scene();
    ~Scene();
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    INode* Root() { return root_; }
    // A new node holding obj under parent (the root when null).
    INode* CreateNode(Object* obj, const std::string& name, INode* parent = nullptr);
    // Takes over a node made elsewhere. keepTM keeps its world transform;
    // without it the node's own transform is taken as relative to parent
    // (as a scene file stores it).
    void Adopt(INode* node, INode* parent = nullptr, bool keepTM = true);
    // Deletes the node; its children move up to its parent. Whatever refers
    // to the node hears REFMSG_TARGET_DELETED and drops it.
    void DeleteNode(INode* node);
    void Clear();

    INode* FindByHandle(ULONG handle) const;
    // The first node of that name, depth first.
    INode* FindByName(const std::string& name) const;
    // Every node but the root, parents before children, children in order.
    std::vector<INode*> Nodes() const;
    int NumNodes() const { return static_cast<int>(nodes_.size()); }

    // Where the nodes' coordinates start in the world (see scene_origin.h).
    contorra::SceneOrigin origin;

private:
    INode* root_;
    std::unordered_set<INode*> nodes_; // membership only: Nodes() gives the order
};
