#include "host/app/scene.h"

#include <algorithm>

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
    nodes_.insert(node);
}

void Scene::DeleteNode(INode* node) {
    if (nodes_.erase(node) == 0) return;
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
    while (!nodes_.empty()) DeleteNode(*nodes_.begin());
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
    // Depth first without recursion: a parent chain may be as deep as the scene is large.
    std::vector<INode*> out;
    std::vector<std::pair<INode*, int>> todo{{root_, 0}};
    while (!todo.empty()) {
        auto& [n, next] = todo.back();
        if (next == n->NumberOfChildren()) {
            todo.pop_back();
            continue;
        }
        INode* child = n->GetChildNode(next++);
        out.push_back(child);
        todo.emplace_back(child, 0);
    }
    return out;
}
