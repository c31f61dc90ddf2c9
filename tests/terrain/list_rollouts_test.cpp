// The terrain's list rollouts driven as a user drives them: picks in the top
// view, clicks on list rows with Shift and Ctrl, spinners typed into and
// buttons pressed, all through the window system to the plug-in's own
// procedures; the block, the views and the controls are then read back.
#include "tests/terrain/list_rollout_fixture.h"

namespace {

const std::string kAddObject = "\"Add Object\"";
const std::string kAdd = "\"Add\"";

TEST_F(ListRolloutTest, SplinesPickOnceEachRefuseOtherObjectsAndStopAtTheLastSlot) {
    INode* a = Spline("A", -60, 0);
    INode* b = Spline("B", 0, 0);
    Box("Block", 60, 0);
    Run({OnlyOpen("Splines"), Click("Splines", kAddObject), Pick("A"), Pick("A"), Pick("B"),
         Pick("Block")});
    SplinesListBoxView& view = theSplineListDlgProc.Splines();
    // The same spline twice is one entry; the box never got past the hit test.
    EXPECT_EQ(Shown(view), (std::vector<int>{0, 1}));
    EXPECT_EQ(Slot(pb_spline_node, 0), a);
    EXPECT_EQ(Slot(pb_spline_node, 1), b);
    EXPECT_EQ(Slot(pb_spline_node, 2), nullptr);
    EXPECT_TRUE(view.SelectedAt(0) && view.SelectedAt(1));
    // While picking the list takes no clicks and the button stays checked.
    EXPECT_FALSE(IsWindowEnabled(view.Window()));
    ICustButton* add = GetICustButton(GetDlgItem(theSplineListDlgProc.Dialog(), IDC_ADD));
    EXPECT_TRUE(add->IsChecked());
    Run({Click("Splines", kAddObject)});
    EXPECT_FALSE(add->IsChecked());
    EXPECT_TRUE(IsWindowEnabled(view.Window()));
    ReleaseICustButton(add);

    // Every slot taken: one more pick adds nothing; the wheel scrolls the
    // list to its last ten rows.
    for (int s = 2; s < kListSlots; ++s) terrain->pblock->SetValue(pb_spline_node, 0, a, s);
    Spline("C", 0, 60);
    Run({R"({"do": "select", "node": null})", R"({"do": "select", "node": "Terrain"})",
         OnlyOpen("Splines"), Click("Splines", kAddObject), Pick("C"),
         Click("Splines", kAddObject),
         R"({"do": "wheel", "clicks": -100, "control": 1179, "rollout": "Splines"})"});
    EXPECT_EQ(view.Count(), kListSlots);
    EXPECT_EQ(GetScrollPos(view.Window(), SB_VERT), kListSlots - 10);
    Run({R"({"do": "wheel", "clicks": 1, "control": 1179, "rollout": "Splines"})"});
    EXPECT_EQ(GetScrollPos(view.Window(), SB_VERT), kListSlots - 12);
}

TEST_F(ListRolloutTest, ReopenedSplinesShowSlotOrderWithNothingSelected) {
    Spline("A", -60, 0);
    Spline("B", -20, 0);
    Spline("C", 20, 0);
    Spline("D", 60, 0);
    // A, B and C in slots 0 to 2; A removed; D takes slot 0 but shows last.
    Run({OnlyOpen("Splines"), Click("Splines", kAddObject), Pick("A"), Pick("B"), Pick("C"),
         Click("Splines", kAddObject), Row("Splines", 0), Click("Splines", "\"Remove\""),
         Click("Splines", kAddObject), Pick("D"), Click("Splines", kAddObject)});
    SplinesListBoxView& view = theSplineListDlgProc.Splines();
    EXPECT_EQ(Shown(view), (std::vector<int>{1, 2, 0}));
    EXPECT_TRUE(view.SelectedAt(2));

    Run({R"({"do": "select", "node": null})", R"({"do": "select", "node": "Terrain"})"});
    EXPECT_EQ(Shown(view), (std::vector<int>{0, 1, 2}));
    for (int p = 0; p < 3; ++p) EXPECT_FALSE(view.SelectedAt(p)) << p;
}

TEST_F(ListRolloutTest, PlatformSpinnersShowOnlyWhatTheSelectionShares) {
    for (auto [name, x] : {std::pair{"P1", -60.0f}, {"P2", 0.0f}, {"P3", 60.0f}}) Box(name, x, 0);
    Spline("Line", 0, 60);
    Run({OnlyOpen("Platforms"), Click("Platforms", kAddObject), Pick("P1"), Pick("P2"),
         Pick("Line"), Pick("P3"), Click("Platforms", kAddObject)});
    ListBoxView& view = thePlatformListDlgProc.View();
    // A spline cannot be a platform.
    ASSERT_EQ(view.Count(), 3);
    terrain->pblock->SetValue(pb_slope_up, 0, 20.0f, 1);

    // Rows 0 and 1 selected by a click and a Shift click: up slopes differ.
    Run({Row("Platforms", 0, nullptr, 30), Row("Platforms", 1, "shift", 30)});
    ISpinnerControl* up = Spinner(thePlatformListDlgProc, IDC_SLOPE_UP_SPIN);
    ISpinnerControl* down = Spinner(thePlatformListDlgProc, IDC_SLOPE_DOWN_SPIN);
    ISpinnerControl* base = Spinner(thePlatformListDlgProc, IDC_PLATFORM_ID_SPIN);
    EXPECT_TRUE(up->IsIndeterminate());
    EXPECT_FALSE(down->IsIndeterminate());
    EXPECT_FLOAT_EQ(down->GetFVal(), 45.0f);

    // Typing sets both selected entries and none other; the ID spinner
    // holds at 2 though the block would take 1.
    Run({Type("Platforms", IDC_SLOPE_UP_EDIT, "30"), Type("Platforms", IDC_PLATFORM_ID_EDIT, "1")});
    EXPECT_FLOAT_EQ(Value<float>(pb_slope_up, 0), 30.0f);
    EXPECT_FLOAT_EQ(Value<float>(pb_slope_up, 1), 30.0f);
    EXPECT_FLOAT_EQ(Value<float>(pb_slope_up, 2), 45.0f);
    EXPECT_EQ(Value<int>(pb_platform_id, 0), 2);
    EXPECT_FALSE(up->IsIndeterminate());

    // A Ctrl click adds row 2: the slopes differ again; Ctrl on row 0 takes
    // it out and moves the focus there.
    Run({Row("Platforms", 2, "ctrl", 30)});
    EXPECT_TRUE(up->IsIndeterminate());
    EXPECT_FALSE(base->IsIndeterminate());
    Run({Row("Platforms", 0, "ctrl", 30)});
    EXPECT_EQ(view.Anchor(), 0);
    EXPECT_FALSE(view.SlotSelected(0));
    EXPECT_TRUE(view.SlotSelected(1) && view.SlotSelected(2));

    // A click below the last row leaves the selection; with none selected
    // every spinner is indeterminate and typing changes nothing.
    Run({Row("Platforms", 4, nullptr, 30)});
    EXPECT_TRUE(view.SlotSelected(1) && view.SlotSelected(2));
    Run({Row("Platforms", 1, "ctrl", 30), Row("Platforms", 2, "ctrl", 30)});
    EXPECT_FALSE(view.SlotSelected(1) || view.SlotSelected(2));
    EXPECT_TRUE(down->IsIndeterminate() && base->IsIndeterminate());
    Run({Type("Platforms", IDC_SLOPE_DOWN_EDIT, "60")});
    for (int s = 0; s < 3; ++s) EXPECT_FLOAT_EQ(Value<float>(pb_slope_down, s), 45.0f) << s;
}

TEST_F(ListRolloutTest, RemovingLeavesSlotGapsButNoRowGaps) {
    for (auto [name, x] : {std::pair{"P1", -60.0f}, {"P2", 0.0f}, {"P3", 60.0f}}) Box(name, x, 0);
    Box("P4", 0, 60);
    Run({OnlyOpen("Platforms"), Click("Platforms", kAddObject), Pick("P1"), Pick("P2"),
         Pick("P3"), Click("Platforms", kAddObject), Row("Platforms", 1, nullptr, 30),
         Type("Platforms", IDC_SLOPEUP_ID_EDIT, "9"), Click("Platforms", "\"Remove\"")});
    ListBoxView& view = thePlatformListDlgProc.View();
    EXPECT_EQ(Slot(pb_platform_node, 1), nullptr);
    EXPECT_EQ(Shown(view), (std::vector<int>{0, 2}));
    // The next pick fills the gap and finds the values left there.
    Run({Click("Platforms", kAddObject), Pick("P4"), Click("Platforms", kAddObject)});
    EXPECT_EQ(Shown(view), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(Slot(pb_platform_node, 1), scene.FindByName("P4"));
    EXPECT_EQ(Value<int>(pb_slopeup_id, 1), 9);
}

TEST_F(ListRolloutTest, InsertTypesSplitsAndOrder) {
    INode* road = Spline("Road", -60, 0);
    INode* basin = Spline("Basin", 0, 0);
    INode* path = Spline("Path", 60, 0);
    Run({OnlyOpen("Insert"), Click("Insert", kAdd), Pick("Road"), Pick("Basin"), Pick("Path"),
         Click("Insert", kAdd), Row("Insert", 0), Click("Insert", "\"Set ID\""),
         Type("Insert", IDC_INSERT_ID_EDIT, "6"), Row("Insert", 1), Click("Insert", "\"Hole\""),
         Click("Insert", "\"Split\"")});
    EXPECT_EQ(Value<int>(pb_insert_type, 0), 1);
    EXPECT_EQ(Value<int>(pb_insert_id, 0), 6);
    EXPECT_EQ(Value<int>(pb_insert_type, 1), 2);
    EXPECT_EQ(Value<int>(pb_insert_split, 1), 1);
    EXPECT_EQ(Value<int>(pb_insert_split, 0), 0);

    // A hole and a "Set ID" entry together: no radio checked, ID disabled.
    Run({Row("Insert", 0, "ctrl")});
    HWND dlg = theInsertListDlgProc.Dialog();
    ISpinnerControl* id = Spinner(theInsertListDlgProc, IDC_INSERT_ID_SPIN);
    for (int radio : {IDC_TYPE_KEEP, IDC_TYPE_SET_ID, IDC_TYPE_HOLE})
        EXPECT_FALSE(IsDlgButtonChecked(dlg, radio)) << radio;
    EXPECT_FALSE(id->IsEnabled());
    Run({Row("Insert", 0)});
    EXPECT_TRUE(IsDlgButtonChecked(dlg, IDC_TYPE_SET_ID));
    EXPECT_TRUE(id->IsEnabled());
    EXPECT_EQ(id->GetIVal(), 6);

    // "DW" moves the road and its values below the basin and keeps it
    // selected alone; "UP" on the first entry selects it and moves nothing;
    // "DW" on the last does nothing.
    Run({Click("Insert", "\"DW\"")});
    EXPECT_EQ(Slot(pb_insert_node, 0), basin);
    EXPECT_EQ(Slot(pb_insert_node, 1), road);
    EXPECT_EQ(Value<int>(pb_insert_id, 1), 6);
    EXPECT_EQ(Value<int>(pb_insert_type, 0), 2);
    EXPECT_TRUE(theInsertListDlgProc.View().SlotSelected(1));
    EXPECT_FALSE(theInsertListDlgProc.View().SlotSelected(0));
    Run({Row("Insert", 2), Click("Insert", "\"DW\""), Row("Insert", 0, "ctrl"),
         Click("Insert", "\"UP\"")});
    EXPECT_EQ(Slot(pb_insert_node, 2), path);
    EXPECT_EQ(Slot(pb_insert_node, 0), basin);
    EXPECT_TRUE(theInsertListDlgProc.View().SlotSelected(0));
    EXPECT_FALSE(theInsertListDlgProc.View().SlotSelected(2));
}

TEST_F(ListRolloutTest, InsertAndUVWListsScrollTheirOwnWays) {
    INode* line = Spline("Line", 0, 0);
    for (int s = 0; s < 12; ++s) {
        terrain->pblock->SetValue(pb_insert_node, 0, line, s);
        terrain->pblock->SetValue(pb_uvw_node, 0, line, s);
    }
    Run({OnlyOpen("Insert")});
    HWND insert = theInsertListDlgProc.View().Window();
    int lo = -1, hi = -1;
    GetScrollRange(insert, SB_VERT, &lo, &hi);
    EXPECT_EQ(hi, 7);
    // One notch of the wheel moves two rows: the tenth row shown is then
    // the twelfth entry.
    Run({R"({"do": "wheel", "clicks": -1, "control": 1179, "rollout": "Insert"})"});
    EXPECT_EQ(GetScrollPos(insert, SB_VERT), 2);
    Run({Row("Insert", 9)});
    EXPECT_TRUE(theInsertListDlgProc.View().SlotSelected(11));
    EXPECT_FALSE(theInsertListDlgProc.View().SlotSelected(9));

    Run({OnlyOpen("UVWMap")});
    GetScrollRange(theUVWMapListDlgProc.View().Window(), SB_VERT, &lo, &hi);
    EXPECT_EQ(hi, 12);
}

// Counts the change messages of what it references.
class ChangeListener : public ReferenceMaker {
public:
    explicit ChangeListener(ReferenceTarget* t) { ReplaceReference(0, t); }
    ~ChangeListener() override { DeleteAllRefsFromMe(); }
    SClass_ID SuperClassID() override { return HELPER_CLASS_ID; }
    int NumRefs() override { return 1; }
    RefTargetHandle GetReference(int) override { return target; }
    void SetReference(int, RefTargetHandle t) override { target = t; }
    RefResult NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage m) override {
        if (m == REFMSG_CHANGE) ++changes;
        return REF_SUCCEED;
    }
    RefTargetHandle target = nullptr;
    int changes = 0;
};

TEST_F(ListRolloutTest, UpdateRemapsWithoutMovingVerticesAndWidthsRedrawTheOutline) {
    SetBuiltMesh(terrain, SurfaceMesh(20, 10.0f, [](float x, float y) { return 0.01f * x * y; },
                                      Point2(-100, -100)));
    SplineShape* s = CreateNewSplineShape();
    PolyLine& line = s->shape.NewLine();
    line.Append(Point3(-80, 0, 100));
    line.Append(Point3(80, 10, 100));
    scene.CreateNode(s, "Path");
    ChangeListener listener(terrain);
    const std::vector<Point3> before = terrain->mesh.verts;

    Run({OnlyOpen("UVWMap"), Click("UVWMap", kAdd), Pick("Path"), Click("UVWMap", kAdd),
         Type("UVWMap", IDC_UVW_ZONE_EDIT, "30")});
    // The outline follows the zone width at once; the mapping waits.
    ASSERT_FALSE(terrain->zoneShape.lines.empty());
    const float edge = terrain->zoneShape.lines[0][0].p.y;
    EXPECT_NEAR(std::abs(edge), 15.0f, 1.0f);
    EXPECT_FALSE(terrain->mesh.mapSupport(2));
    Run({Type("UVWMap", IDC_UVW_ANGLE_EDIT, "30")});
    EXPECT_EQ(terrain->zoneShape.lines[0][0].p.y, edge);

    const int changesBefore = listener.changes;
    Run({Click("UVWMap", "\"Update\"")});
    EXPECT_GT(listener.changes, changesBefore);
    EXPECT_EQ(terrain->mesh.verts, before);
    ASSERT_TRUE(terrain->mesh.mapSupport(2));
    ASSERT_TRUE(terrain->mesh.mapSupport(1));
    // Faces along the path got coordinates of their own on channel 2.
    const MeshMap& zone = terrain->mesh.Map(2);
    const MeshMap& global = terrain->mesh.Map(1);
    int differing = 0;
    for (std::size_t f = 0; f < zone.tf.size(); ++f)
        for (int k = 0; k < 3; ++k)
            if (zone.tv[zone.tf[f].t[k]] != global.tv[global.tf[f].t[k]]) ++differing;
    EXPECT_GT(differing, 0);

    // Three entries, channels 2, 2 and 3: indeterminate; 4 sets all three.
    Spline("Q", -60, 60, 100);
    Spline("R", 60, 60, 100);
    Run({Click("UVWMap", kAdd), Pick("Q"), Pick("R"), Click("UVWMap", kAdd)});
    terrain->pblock->SetValue(pb_map_ch, 0, 3, 2);
    Run({Row("UVWMap", 0), Row("UVWMap", 2, "shift")});
    ISpinnerControl* channel = Spinner(theUVWMapListDlgProc, IDC_MAP_CH_SPIN);
    EXPECT_TRUE(channel->IsIndeterminate());
    Run({Type("UVWMap", IDC_MAP_CH_EDIT, "4")});
    for (int slot = 0; slot < 3; ++slot) EXPECT_EQ(Value<int>(pb_map_ch, slot), 4) << slot;
}

} // namespace
