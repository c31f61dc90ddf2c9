#include "host/app/scene.h"

#include <algorithm>
#include <functional>

Scene::Scene() : root_(new INode()) {
    root_->MarkAsRoot();
    root_->SetName("Scene Root");
}

Scene::~Scene() {
    Clear();
    root_->DeleteThis();
}

INode* Scene::CreateNode(Object* obj, const std::string& name, INode* parent) {
    auto* node = new INode();
    node->SetName(name.c_str());
    if (obj) node->SetObjectRef(obj);
    Adopt(node, parent);
    return node;
}

void Scene::Adopt(INode* node, INode* parent, bool keepTM) {
    if (!node) return;
    (parent ? parent : root_)->AttachChild(node, keepTM ? 1 : 0);
    if (std::find(nodes_.begin(), nodes_.end(), node) == nodes_.end()) nodes_.push_back(node);
}

void Scene::DeleteNode(INode* node) {
    auto it = std::find(nodes_.begin(), nodes_.end(), node);
    if (it == nodes_.end()) return;
    nodes_.erase(it);
    INode* parent = node->GetParentNode() ? node->GetParentNode() : root_;
    while (node->NumberOfChildren() > 0) parent->AttachChild(node->GetChildNode(0), 1);
    node->Detach(0, 1);
    node->DeleteAllRefsToMe();
    node->DeleteAllRefsFromMe();
    node->DeleteThis();
}

void Scene::Clear() {
    // Leaves first, so that no node is reparented on the way.
    std::vector<INode*> order = Nodes();
    for (auto it = order.rbegin(); it != order.rend(); ++it) DeleteNode(*it);
    while (!nodes_.empty()) DeleteNode(nodes_.back());
}

INode* Scene::FindByHandle(ULONG handle) const {
    if (root_->GetHandle() == handle) return root_;
    for (INode* n : nodes_)
        if (n->GetHandle() == handle) return n;
    return nullptr;
}

INode* Scene::FindByName(const std::string& name) const {
    for (INode* n : Nodes())
        if (name == n->GetName()) return n;
    return nullptr;
}

std::vector<INode*> Scene::Nodes() const {
    std::vector<INode*> out;
    std::function<void(INode*)> walk = [&](INode* n) {
        for (int i = 0; i < n->NumberOfChildren(); ++i) {
            out.push_back(n->GetChildNode(i));
            walk(n->GetChildNode(i));
        }
    };
    walk(root_);
    return out;
}
