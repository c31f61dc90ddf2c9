#include "fuzz/loader_list.h"

#include <algorithm>
#include <tuple>

#include "host/sdk/param_block.h"

namespace fuzzing {

std::vector<Loader> Loaders(const ClassRegistry& registry) {
    std::vector<Loader> out;
    for (const auto& module : registry.Modules())
        for (ClassDesc* cd : module->classes) {
            out.push_back({cd, nullptr, cd->ClassName()});
            for (int i = 0; i < cd->NumParamBlockDescs(); ++i)
                if (ParamBlockDesc2* b = cd->GetParamBlockDesc(i))
                    out.push_back({cd, b, std::string(cd->ClassName()) + " block " + b->int_name});
        }
    auto key = [](const Loader& l) {
        return std::make_tuple(l.cd->SuperClassID(), l.cd->ClassID().PartA(),
                               l.cd->ClassID().PartB(), l.block ? l.block->ID + 1 : 0);
    };
    std::sort(out.begin(), out.end(),
              [&](const Loader& a, const Loader& b) { return key(a) < key(b); });
    return out;
}

ReferenceTarget* Make(const Loader& loader) {
    if (loader.block) return CreateParameterBlock2(loader.block, nullptr);
    void* made = loader.cd->Create(TRUE);
    return made ? dynamic_cast<ReferenceTarget*>(static_cast<Animatable*>(made)) : nullptr;
}

} // namespace fuzzing
