// The ramp control and the map's rollout, driven through input scripts in the
// material editor: what each mouse edit does to the markers, that the map's
// sub-map references follow the markers after every edit, the painting, and
// the rollout's enabling rules and marker controls.
#include <cmath>

#include "host/app/ui/ui_driver.h"
#include "tests/edgemap/ramp_editor_fixture.h"

namespace {

contorra::Rgba8 Screen(const AColor& c) {
    const COLORREF s = RampScreenColour(c);
    return {GetRValue(s), GetGValue(s), GetBValue(s), 255};
}

} // namespace

TEST_F(RampEditor, PaintsOnePixelColumnsOfThePlainRampAndTheMarkerTriangles) {
    const contorra::RasterImage shot = contorra::ui::CaptureWindow(Item(IDC_GE_RAMP));
    ASSERT_EQ(shot.Width(), 306);
    const int mid = shot.Height() / 2;
    for (int x : {0, 3, 40, 100, 200, 299, 305}) {
        const float u = (static_cast<float>(x - 4) + 0.5f) / 299.0f;
        EXPECT_EQ(shot.Pixel(x, mid), Screen(map->ramp.EvalRampPlain(u))) << "column " << x;
    }
    // Marker 0 is active (red), marker 1 at 0.5 not (green); both drawn
    // from the bottom edge up and from the top edge down, 8 pixels high.
    const int bottom = shot.Height() - 1;
    const contorra::Rgba8 red{255, 0, 0, 255}, green{0, 255, 0, 255};
    EXPECT_EQ(shot.Pixel(4, bottom), red);
    EXPECT_EQ(shot.Pixel(4, 0), red);
    EXPECT_EQ(shot.Pixel(153, bottom), green);
    EXPECT_EQ(shot.Pixel(153, bottom - 6), green);
    EXPECT_EQ(shot.Pixel(153, 6), green);
    EXPECT_NE(shot.Pixel(153, mid), green);
    EXPECT_NE(shot.Pixel(160, bottom - 6), green);
}

TEST_F(RampEditor, ClickOnEmptyRampInsertsAnActiveMarkerOfTheColourShownThere) {
    const AColor shown = map->ramp.EvalRampPlain(0.25f);
    Run("[" + RampStep("click", 0.25f) + "]");
    ASSERT_EQ(Positions(), (std::vector<float>{0.0f, 0.25f, 0.5f, 1.0f}));
    EXPECT_EQ(ActiveIndex(), 1);
    EXPECT_EQ(map->ramp.markers[1].baseColor, shown);
    for (int k : {0, 2, 3}) EXPECT_FALSE(map->ramp.markers[k].flags & MARKER_ACTIVE);
    ExpectReferencesInStep();
    // The rollout now shows the new marker.
    ISpinnerControl* pos = GetISpinner(Item(IDC_GE_POS_SPIN));
    EXPECT_FLOAT_EQ(pos->GetFVal(), 0.25f);
    ReleaseISpinner(pos);
}

TEST_F(RampEditor, DraggingAMarkerPastItsNeighbourSortsTheRamp) {
    Run("[" + RampStep("click", 0.75f) + "," + RampStep("drag", 0.5f, R"(, "by": [96, 0])") + "]");
    ASSERT_EQ(Positions(), (std::vector<float>{0.0f, 0.75f, 0.82f, 1.0f}));
    // The dragged grey marker is the active one, in its new place.
    EXPECT_EQ(ActiveIndex(), 2);
    EXPECT_FLOAT_EQ(map->ramp.markers[2].baseColor.r, 0.5f);
    EXPECT_FALSE(map->ramp.markers[2].flags & MARKER_DRAGGING);
    ExpectReferencesInStep();
}

TEST_F(RampEditor, DroppingAMarkerOnAnotherLeavesOne) {
    Run("[" + RampStep("click", 0.3f) + "]");
    ASSERT_EQ(map->ramp.Count(), 4);
    Run("[" + RampStep("drag", 0.5f, R"(, "by": [-60, 0])") + "]");
    EXPECT_EQ(Positions(), (std::vector<float>{0.0f, 0.3f, 1.0f}));
    ExpectReferencesInStep();
}

TEST_F(RampEditor, MarkersDraggedBeyondTheEndsStopAtZeroAndOne) {
    Run("[" + RampStep("click", 1.0f, R"(, "button": "right")") + "]");
    ASSERT_EQ(Positions(), (std::vector<float>{0.0f, 0.5f}));
    Run("[" + RampStep("drag", 0.5f, R"(, "by": [400, 0])") + "]");
    ASSERT_EQ(Positions(), (std::vector<float>{0.0f, 1.0f}));
    Run("[" + RampStep("click", 0.5f) + "," + RampStep("click", 0.0f, R"(, "button": "right")") + "]");
    ASSERT_EQ(Positions(), (std::vector<float>{0.5f, 1.0f}));
    Run("[" + RampStep("drag", 0.5f, R"(, "by": [-400, 0])") + "]");
    EXPECT_EQ(Positions(), (std::vector<float>{0.0f, 1.0f}));
    ExpectReferencesInStep();
}

TEST_F(RampEditor, RightClickDeletesOnlyWhileThreeOrMoreMarkersExist) {
    Run("[" + RampStep("click", 0.5f, R"(, "button": "right")") + "]");
    ASSERT_EQ(Positions(), (std::vector<float>{0.0f, 1.0f}));
    EXPECT_EQ(ActiveIndex(), 0); // the marker before the deleted one
    Run("[" + RampStep("click", 0.0f, R"(, "button": "right")") + "," +
        RampStep("click", 1.0f, R"(, "button": "right")") + "]");
    EXPECT_EQ(Positions(), (std::vector<float>{0.0f, 1.0f}));
    ExpectReferencesInStep();
}

TEST_F(RampEditor, ShiftClickDuplicatesTheActiveMarkerAndTheMapsItCarries) {
    // Marker 0.5 gets a base map through its map button and the browser.
    Run("[" + RampStep("click", 0.5f) +
        R"(, {"do": "browse", "map": "any"}, {"do": "click", "control": 289},
             {"do": "click", "control": "Go to Parent"}])");
    Texmap* sub = map->ramp.markers[1].baseMap;
    ASSERT_NE(sub, nullptr);
    // Kept for the last check: a map nothing holds is deleted.
    sub->SetAFlag(A_LOCK_TARGET);
    ASSERT_EQ(host->Editor().Current(), map);
    ExpectReferencesInStep();

    Run("[" + RampStep("click", 0.8f, R"(, "modifiers": ["shift"])") + "]");
    ASSERT_EQ(Positions(), (std::vector<float>{0.0f, 0.5f, 0.8f, 1.0f}));
    EXPECT_EQ(ActiveIndex(), 2);
    EXPECT_EQ(map->ramp.markers[2].baseMap, sub);
    EXPECT_FLOAT_EQ(map->ramp.markers[2].baseColor.g, 0.5f);
    ExpectReferencesInStep();

    // Each copy holds its own reference: the map lets go only with the last.
    Run("[" + RampStep("click", 0.5f, R"(, "button": "right")") + "]");
    ExpectReferencesInStep();
    EXPECT_TRUE(DependsOn(sub, map));
    Run("[" + RampStep("click", 0.8f, R"(, "button": "right")") + "]");
    ASSERT_EQ(Positions(), (std::vector<float>{0.0f, 1.0f}));
    ExpectReferencesInStep();
    EXPECT_FALSE(DependsOn(sub, map));
    sub->ClearAFlag(A_LOCK_TARGET);
    sub->MaybeAutoDelete();
}

TEST_F(RampEditor, MapsDraggedFromOneButtonToAnotherBecomeThatSlotsMap) {
    Run(R"([{"do": "browse", "map": "any"}, {"do": "click", "control": 289},
            {"do": "click", "control": "Go to Parent"},
            {"do": "drag", "control": 289, "by": [0, 26]}])");
    const RampMarker& m = map->ramp.markers[0];
    ASSERT_NE(m.baseMap, nullptr);
    EXPECT_EQ(m.transparentMap, m.baseMap);
    ExpectReferencesInStep();
    char text[128] = "";
    GetWindowTextA(Item(IDC_GE_TRANSPARENT_MAP), text, sizeof text);
    MSTR name;
    m.baseMap->GetClassName(name);
    EXPECT_EQ(text, name);
    EXPECT_STRNE(text, "None");
}

TEST_F(RampEditor, CtrlClickPicksTheMarkerColoursOfEveryMarker) {
    std::vector<std::string> titles;
    contorra::ui::SetColorPickerHook([&titles](const std::string& title, COLORREF& c) {
        titles.push_back(title);
        c = titles.size() == 1 ? RGB(0, 0, 255) : RGB(255, 255, 0);
        return true;
    });
    Run("[" + RampStep("click", 0.5f, R"(, "modifiers": ["ctrl"])") + "," +
        RampStep("click", 0.0f, R"(, "modifiers": ["ctrl"])") + "]");
    contorra::ui::SetColorPickerHook(nullptr);
    EXPECT_EQ(titles, (std::vector<std::string>{"Setup reactive marker color", "Setup active marker color"}));
    for (const RampMarker& m : map->ramp.markers) {
        EXPECT_EQ(m.reactiveColor, AColor(0.0f, 0.0f, 1.0f, 0.0f));
        EXPECT_EQ(m.activeColor, AColor(1.0f, 1.0f, 0.0f, 0.0f));
    }
    EXPECT_EQ(map->ramp.Count(), 3); // nothing inserted, nothing moved
    EXPECT_EQ(ActiveIndex(), 0);
}

TEST_F(RampEditor, EnablingRulesFollowTheirCheckBoxes) {
    auto on = [this](int id) { return IsWindowEnabled(Item(id)) != 0; };
    EXPECT_FALSE(on(IDC_GE_ANGLE_SPIN));
    Run(R"([{"do": "click", "control": 241}])");
    EXPECT_TRUE(on(IDC_GE_ANGLE_SPIN));

    EXPECT_FALSE(on(IDC_GE_SMOOTH_EQUALS) || on(IDC_GE_SMOOTH_DIFFERENCE));
    Run(R"([{"do": "click", "control": 239}])");
    EXPECT_TRUE(on(IDC_GE_SMOOTH_EQUALS) && on(IDC_GE_SMOOTH_DIFFERENCE));

    // The range spinners need both the material-ID box and its range box.
    const int matId[] = {IDC_GE_MATID_EQUALS, IDC_GE_MATID_DIFFERENCE, IDC_GE_MATID_RANGE};
    for (int id : matId) EXPECT_FALSE(on(id)) << id;
    Run(R"([{"do": "click", "control": 257}])");
    for (int id : matId) EXPECT_TRUE(on(id)) << id;
    EXPECT_FALSE(on(IDC_GE_MATID1_SPIN) || on(IDC_GE_MATID2_SPIN));
    Run(R"([{"do": "click", "control": 267}])");
    EXPECT_TRUE(on(IDC_GE_MATID1_SPIN) && on(IDC_GE_MATID2_SPIN));
    Run(R"([{"do": "click", "control": 257}])");
    EXPECT_FALSE(on(IDC_GE_MATID1_SPIN) || on(IDC_GE_MATID2_SPIN) || on(IDC_GE_MATID_RANGE));
    // The block follows the boxes as well.
    EXPECT_EQ(map->pblock->GetInt(ge_complanar, 0), 1);
    EXPECT_EQ(map->pblock->GetInt(ge_matid_range, 0), 1);
}

TEST_F(RampEditor, MarkerControlsEditTheActiveMarker) {
    // Choosing marker 0.5 shows it; a curve choice sets its type.
    Run("[" + RampStep("click", 0.5f) + R"(, {"do": "click", "control": 275},
        {"do": "key", "key": "Down"}, {"do": "key", "key": "Down"}, {"do": "click", "control": 275}])");
    ASSERT_EQ(ActiveIndex(), 1);
    EXPECT_EQ(map->ramp.markers[1].inType, CURVE_GAMMA);
    IColorSwatch* base = GetIColorSwatch(Item(IDC_GE_BASE_COLOR));
    EXPECT_EQ(base->GetColor(), RGB(128, 128, 128));
    ReleaseIColorSwatch(base);

    // Shown as a distance, with Distance 2, the marker at 0.5 reads 1;
    // typing 0.5 moves it to 0.25.
    Run(R"([{"do": "type", "control": 295, "text": "2", "enter": true},
            {"do": "click", "control": 251}])");
    ISpinnerControl* pos = GetISpinner(Item(IDC_GE_POS_SPIN));
    EXPECT_FLOAT_EQ(pos->GetFVal(), 1.0f);
    Run(R"([{"do": "type", "control": 300, "text": "0.5", "enter": true}])");
    EXPECT_FLOAT_EQ(map->ramp.markers[1].position, 0.25f);
    ReleaseISpinner(pos);

    // The map switch and the transparent colour go to the same marker.
    Run(R"([{"do": "click", "control": 248}, {"do": "colour", "rgb": [255, 255, 255]},
            {"do": "click", "control": 287}])");
    EXPECT_EQ(map->ramp.markers[1].baseMapOn, 0);
    EXPECT_EQ(map->ramp.markers[1].transparentColor, AColor(1.0f, 1.0f, 1.0f, 0.0f));
    EXPECT_EQ(map->ramp.markers[0].transparentColor, AColor(0.0f, 0.0f, 0.0f, 0.0f));
}

TEST_F(RampEditor, MarkerEditsRenderTheSampleAgain) {
    const contorra::RasterImage before = host->Editor().Sample();
    const int renders = host->Editor().SampleRenders();
    Run(R"([{"do": "colour", "rgb": [255, 0, 0]}, {"do": "click", "control": 284}])");
    const contorra::RasterImage after = host->Editor().Sample();
    EXPECT_GT(host->Editor().SampleRenders(), renders);
    bool differs = false;
    for (int y = 0; y < after.Height() && !differs; ++y)
        for (int x = 0; x < after.Width() && !differs; ++x) differs = !(after.Pixel(x, y) == before.Pixel(x, y));
    EXPECT_TRUE(differs);
}

TEST_F(RampEditor, TheDialogHandedAnotherMapEditsThatMapAndItsOutput) {
    Run(R"([{"do": "type", "control": 9101, "text": "0.5", "enter": true}])");
    EXPECT_FLOAT_EQ(map->texout->GetOutputLevel(0), 0.5f);

    GradientEdge* other = NewGradientEdge();
    other->ramp.markers[1].position = 0.7f;
    host->Editor().Dialog()->SetThing(other);
    EXPECT_EQ(map->dialog, nullptr);
    EXPECT_NE(other->dialog, nullptr);

    // The output rollout now writes the other map's output.
    Run(R"([{"do": "type", "control": 9101, "text": "0.25", "enter": true}])");
    EXPECT_FLOAT_EQ(other->texout->GetOutputLevel(0), 0.25f);
    EXPECT_FLOAT_EQ(map->texout->GetOutputLevel(0), 0.5f);
    // The ramp control shows the other ramp: 0.7 is a marker there.
    Run("[" + RampStep("click", 0.7f) + "]");
    EXPECT_EQ(other->ramp.Count(), 3);
    EXPECT_EQ(other->ramp.FindByFlag(MARKER_ACTIVE), 1);
    EXPECT_EQ(map->ramp.Count(), 3);
    host->Editor().Dialog()->SetThing(map);
    EXPECT_EQ(other->dialog, nullptr);
    other->MaybeAutoDelete();
}
