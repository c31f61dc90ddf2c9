// contorra info on a scene written here through the host library, with an
// object of a plug-in class that the command must create through its
// descriptor when it reads the file back.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "host/app/plugin_loader.h"
#include "host/app/scene_file.h"
#include "host/sdk/spline_shape.h"
#include "host/sdk/tri_object.h"
#include "tests/e2e/run_command.h"

namespace {

std::string Fixture(const std::string& name) {
    return (std::filesystem::path(CONTORRA_BINARY).parent_path() / "fixtures" / name).string();
}

// Standard output, then standard error.
std::string RunInfo(const std::string& args, int& code) {
    const RunResult r = RunShell("'" CONTORRA_BINARY "' info --plugin '" +
                                 Fixture("fixture_good.dlo") + "' " + args);
    code = r.code;
    return r.out + r.err;
}

TEST(InfoCommand, DescribesNodesClassesParametersAndMeshes) {
    std::string path =
        std::filesystem::temp_directory_path() / ("info_" + std::to_string(getpid()) + ".cscene");
    {
        ClassRegistry registry;
        std::string error;
        PluginModule* m = registry.LoadModule(Fixture("fixture_good.dlo"), error);
        ASSERT_NE(m, nullptr) << error;
        Scene scene;
        auto* box = static_cast<TriObject*>(static_cast<Animatable*>(m->classes[0]->Create(FALSE)));
        box->GetParamBlock(0)->SetValue(0, 0, 4.0f);
        Mesh& mesh = box->GetMesh();
        mesh.setNumVerts(3);
        mesh.setNumFaces(1);
        mesh.setVert(1, Point3(2, 0, 0));
        mesh.setVert(2, Point3(0, 3, 1));
        mesh.faces[0].setVerts(0, 1, 2);
        mesh.setFaceMtlIndex(0, 4);
        INode* parent = scene.CreateNode(box, "pad");
        SplineShape* s = CreateNewSplineShape();
        s->shape.NewLine().Append(Point3(0, 0, 0));
        scene.CreateNode(s, "line", parent);
        ASSERT_TRUE(SaveSceneFile(scene, path, error)) << error;
    }
    int code = -1;
    std::string out = RunInfo("'" + path + "'", code);
    std::filesystem::remove(path);
    ASSERT_EQ(code, 0) << out;
    EXPECT_NE(out.find(": 2 nodes\n"), std::string::npos) << out;
    EXPECT_NE(out.find("node \"pad\"\n  object: \"TriObject\""), std::string::npos) << out;
    EXPECT_NE(out.find("class ID (0x00001234, 0x00005678)"), std::string::npos) << out;
    EXPECT_NE(out.find("    parameter block 0 \"parameters\":\n      size = 4\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("  mesh: 3 vertices, 1 faces, bounds (0, 0, 0) - (2, 3, 1)\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("  material IDs: 1 in use (5 .. 5)"), std::string::npos) << out;
    EXPECT_NE(out.find("node \"line\" (child of \"pad\")"), std::string::npos) << out;
    EXPECT_NE(out.find("  no mesh\n"), std::string::npos) << "a shape offers no mesh";

    std::string missing = RunInfo("/nonexistent.cscene", code);
    EXPECT_EQ(code, 2);
    EXPECT_NE(missing.find("/nonexistent.cscene: cannot open"), std::string::npos) << missing;
}

} // namespace
