// The settings window's portable half: the slider's mapping, the shapes it
// draws, what a press at a point does, and the size fields' edit as
// sequences of presses and keys, with saves and system calls recorded.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "recorder/capture.h"
#include "settings/settings.h"
#include "settings/update_check.h"
#include "settings/update_reply.h"
#include "settings/update_server.h"
#include "tests/support/fake_capture.h"
#include "tests/support/recording_fixture.h"
#include "tests/ui/product_text.h"
#include "ui/settings_controller.h"
#include "ui/settings_layout.h"

namespace {

bool operator==(const Edges& a, const Edges& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Show(const Edges& e)
{
    return std::to_string(e.left) + "," + std::to_string(e.top) + "," + std::to_string(e.right) + "," +
           std::to_string(e.bottom);
}

TEST(SettingsSlider, RateFromXClampsAndStepsEvery10AndAHalfPixels)
{
    const struct {
        int32_t x, fps;
    } table[] = {
        {-32768, 10}, {20, 10},  {199, 10}, {200, 10}, {205, 10}, {206, 11}, {215, 11},
        {216, 12},    {404, 29}, {405, 30}, {410, 30}, {411, 30}, {2000, 30},
    };
    for (const auto& row : table)
        EXPECT_EQ(FpsFromX(row.x), row.fps) << "x " << row.x;

    // Rate r begins at x = 200 + (r - 10.5) x 10.5, rounded up; the pixel
    // before it still has r - 1.
    for (int32_t r = 11; r <= 30; r++) {
        const int32_t first = static_cast<int32_t>(std::ceil(200 + (r - 10.5) * 10.5));
        EXPECT_EQ(FpsFromX(first), r) << "x " << first;
        EXPECT_EQ(FpsFromX(first - 1), r - 1) << "x " << first - 1;
    }
}

TEST(SettingsSlider, KnobAndFilledPartFollowTheRate)
{
    const struct {
        int32_t fps, offset;
    } table[] = {{10, 0}, {11, 11}, {12, 21}, {13, 32}, {20, 105}, {29, 200}, {30, 210}};
    for (const auto& row : table)
        EXPECT_EQ(SliderOffset(row.fps), row.offset) << row.fps << " fps";

    // At 10 fps the filled part is one pixel wide and the knob centred on
    // x 200; at 30 fps the knob is centred on x 410.
    SliderShape slow = SliderShapeFor(10);
    EXPECT_TRUE(slow.track == (Edges{200, 36, 411, 45})) << Show(slow.track);
    EXPECT_EQ(slow.filled.right - slow.filled.left, 1);
    EXPECT_TRUE(slow.knob == (Edges{190, 30, 211, 51})) << Show(slow.knob);
    SliderShape fast = SliderShapeFor(30);
    EXPECT_TRUE(fast.filled == (Edges{200, 36, 411, 45})) << Show(fast.filled);
    EXPECT_EQ((fast.knob.left + fast.knob.right - 1) / 2, 410);

    // A press on the knob's centre keeps the rate it shows.
    for (int32_t fps = 10; fps <= 30; fps++)
        EXPECT_EQ(FpsFromX(200 + SliderOffset(fps)), fps) << fps << " fps";
}

TEST(SettingsShapes, SwitchesSegmentsFieldsAndLink)
{
    ToggleShape off = ToggleShapeAt(112, 85, 0);
    EXPECT_TRUE(off.track == (Edges{112, 73, 159, 98})) << Show(off.track);
    EXPECT_TRUE(off.knob == (Edges{116, 77, 133, 94})) << Show(off.knob);
    EXPECT_EQ(off.colour, RgbColour(209, 213, 219));
    ToggleShape on = ToggleShapeAt(363, 253, 1);
    EXPECT_TRUE(on.track == (Edges{363, 241, 410, 266})) << Show(on.track);
    EXPECT_TRUE(on.knob == (Edges{389, 245, 406, 262})) << Show(on.knob);
    EXPECT_EQ(on.colour, RgbColour(19, 94, 82));

    EXPECT_TRUE(SelectedSegment(240) == (Edges{202, 139, 270, 166}));
    EXPECT_TRUE(SelectedSegment(360) == (Edges{272, 139, 340, 166}));
    EXPECT_TRUE(SelectedSegment(0) == (Edges{342, 139, 410, 166}));

    SizeFieldShape width = SizeFieldShapeAt(kSizeFieldLeft[1], kSizeFieldRight[1]);
    SizeFieldShape height = SizeFieldShapeAt(kSizeFieldLeft[2], kSizeFieldRight[2]);
    EXPECT_TRUE(width.box == (Edges{108, 189, 208, 219})) << Show(width.box);
    EXPECT_TRUE(width.text == (Edges{108, 191, 208, 218})) << Show(width.text);
    EXPECT_EQ(width.caretX, 196);
    EXPECT_TRUE(height.box == (Edges{238, 189, 338, 219})) << Show(height.box);
    EXPECT_EQ(height.caretX, 326);
    EXPECT_EQ(height.caretTop, 195);
    EXPECT_EQ(height.caretBottom, 214);

    // The link's right edge is at x 410, its underline one row below the text.
    LinkPlace link = LinkPlaceFor(90, 19);
    EXPECT_EQ(link.textX, 320);
    EXPECT_EQ(link.textY, 460);
    EXPECT_EQ(link.underlineLeft, 320);
    EXPECT_EQ(link.underlineRight, 410);
    EXPECT_EQ(link.underlineY, 478);

    char text[kLinkTextSize];
    FormatLinkText(text, sizeof text, "pixlo.app");
    EXPECT_EQ(std::string(text), ProductText("官网 pixlo.app"));
    FormatLinkAddress(text, sizeof text, "pixlo.app");
    EXPECT_STREQ(text, "http://pixlo.app/#website");
    // A host of the longest kind still fits whole.
    const std::string host(63, 'h');
    FormatLinkAddress(text, sizeof text, host.c_str());
    EXPECT_EQ(std::string(text), "http://" + host + "/#website");
}

TEST(SettingsPressPlan, HitAreasWithTheirEdges)
{
    const int32_t cx = 100, cy = 19;  // link from x 310, rows 458..481
    const struct {
        int32_t x, y;
        SettingsAction action;
    } table[] = {
        {200, 0, kActionNone},           {200, 9, kActionNone},
        {20, 10, kActionSlider},         {429, 63, kActionSlider},  // also on the label
        {0, 64, kActionCursor},          {209, 119, kActionCursor},
        {210, 64, kActionGuides},        {429, 119, kActionGuides},
        {20, 120, kActionOutw240},       {269, 175, kActionOutw240},
        {270, 150, kActionOutw360},      {339, 150, kActionOutw360},
        {340, 150, kActionOutwActual},   {429, 175, kActionOutwActual},
        {108, 186, kActionEditWidth},    {208, 222, kActionEditWidth},
        {238, 186, kActionEditHeight},   {338, 222, kActionEditHeight},
        {107, 200, kActionNone},         {209, 200, kActionNone},
        {237, 200, kActionNone},         {339, 200, kActionNone},
        {150, 176, kActionNone},         {150, 185, kActionNone},
        {150, 223, kActionNone},         {150, 231, kActionNone},
        {0, 232, kActionOptimize},       {429, 287, kActionOptimize},
        {20, 246, kActionOptimize},      {386, 253, kActionOptimize},  // label, switch
        {0, 288, kActionAutocheck},      {429, 343, kActionAutocheck},
        {20, 302, kActionAutocheck},     {386, 309, kActionAutocheck},
        {50, 344, kActionNone},          {50, 351, kActionNone},
        {20, 352, kActionUpdateCheck},   {138, 388, kActionUpdateCheck},
        {19, 356, kActionNone},          {139, 356, kActionNone},
        {50, 389, kActionNone},          {200, 370, kActionNone},  // the status line
        {310, 458, kActionLink},
        {410, 481, kActionLink},         {309, 466, kActionNone},
        {411, 466, kActionNone},         {350, 457, kActionNone},
        {350, 482, kActionNone},         {20, 460, kActionNone},  // the note
        {350, 402, kActionNone},         {350, 425, kActionNone},  // where the footer was
    };
    for (const auto& row : table) {
        PressPlan plan = PlanSettingsPress(0, row.x, row.y, cx, cy);
        EXPECT_EQ(plan.action, row.action) << row.x << "," << row.y;
        EXPECT_EQ(plan.commitFirst, 0) << row.x << "," << row.y;
    }
    // A link text of 391 pixels or more counts from the left margin, x 20.
    EXPECT_EQ(PlanSettingsPress(0, 20, 466, 390, cy).action, kActionLink);
    EXPECT_EQ(PlanSettingsPress(0, 19, 466, 391, cy).action, kActionNone);
    EXPECT_EQ(PlanSettingsPress(0, 20, 466, 391, cy).action, kActionLink);
    EXPECT_EQ(PlanSettingsPress(0, 20, 466, 2000, cy).action, kActionLink);
}

// Painting and hit testing share one layout: a press on any switch's label
// or track acts on that switch, and every switch lies inside its own row
// between two separators, as the update button and the footer lie below the
// last one, inside the client area.
TEST(SettingsPressPlan, EachSwitchIsHitWhereItIsDrawn)
{
    const struct {
        const char* what;
        const SwitchPlace& place;
        SettingsAction action;
        const char* label;
    } table[] = {
        {"cursor", kCursorSwitch, kActionCursor, "鼠标光标"},
        {"guides", kGuidesSwitch, kActionGuides, "取景参考线"},
        {"optimize", kOptimizeSwitch, kActionOptimize, "文件更小更清晰"},
        {"autocheck", kAutocheckSwitch, kActionAutocheck, "启动时自动检查"},
    };
    const int32_t last = kSettingsSeparatorRows[5];
    for (const auto& row : table) {
        const std::string what = row.what;
        EXPECT_EQ(std::string(row.place.label), ProductText(row.label)) << what;
        for (int32_t on : {0, 1}) {
            const ToggleShape s = ToggleShapeAt(row.place.left, row.place.centreY, on);
            for (const Edges& box : {s.track, s.knob})
                for (int32_t x : {box.left, box.right - 1})
                    for (int32_t y : {box.top, box.bottom - 1})
                        EXPECT_EQ(PlanSettingsPress(0, x, y, 100, 19).action, row.action) << what << " " << x << "," << y;
            EXPECT_LE(s.track.right, 410) << what;
        }
        // The label's first glyph, a line of the label font (20 pixels) high.
        for (int32_t y : {row.place.labelY, row.place.labelY + 19})
            EXPECT_EQ(PlanSettingsPress(0, row.place.labelX + 5, y, 100, 19).action, row.action) << what;
        int32_t above = 0;
        while (above < 6 && kSettingsSeparatorRows[above] < row.place.centreY)
            above++;
        ASSERT_GT(above, 0) << what;
        const ToggleShape s = ToggleShapeAt(row.place.left, row.place.centreY, 0);
        EXPECT_GT(s.track.top, kSettingsSeparatorRows[above - 1]) << what;
        EXPECT_GT(row.place.labelY, kSettingsSeparatorRows[above - 1]) << what;
        if (above < 6) {
            EXPECT_LE(s.track.bottom, kSettingsSeparatorRows[above]) << what;
            EXPECT_LE(row.place.labelY + 20, kSettingsSeparatorRows[above]) << what;
        }
    }
    EXPECT_GT(kUpdateButton.top, last);
    EXPECT_GT(kUpdateStatusY, last);
    EXPECT_GT(kSettingsFooterY, kUpdateButton.bottom);
    EXPECT_LE(kSettingsFooterY + 20, kSettingsClientHeight);
}

TEST(SettingsPressPlan, WhileEditing)
{
    const struct {
        const char* what;
        int32_t field, x, y;
        PressPlan plan;
    } table[] = {
        {"same field restarts", 1, 150, 186, {0, kActionEditWidth}},
        {"same field's last press row", 1, 208, 222, {0, kActionEditWidth}},
        {"rows 184-185 on the field keep the edit", 1, 150, 184, {0, kActionNone}},
        {"", 1, 150, 185, {0, kActionNone}},
        {"rows 223-224 on the field keep the edit", 1, 150, 223, {0, kActionNone}},
        {"", 2, 300, 224, {0, kActionNone}},
        {"the other field commits, then starts", 1, 300, 200, {1, kActionEditHeight}},
        {"", 2, 108, 222, {1, kActionEditWidth}},
        {"the other field's margin only commits", 1, 300, 184, {1, kActionNone}},
        {"between the fields commits", 2, 220, 200, {1, kActionNone}},
        {"above the band commits, then acts", 1, 50, 170, {1, kActionOutw240}},
        {"", 1, 150, 183, {1, kActionNone}},
        {"below the band commits, then acts", 2, 50, 225, {1, kActionNone}},
        {"", 2, 50, 240, {1, kActionOptimize}},
        {"", 1, 50, 300, {1, kActionAutocheck}},
        {"the slider", 1, 300, 40, {1, kActionSlider}},
        {"the top rows", 1, 300, 5, {1, kActionNone}},
    };
    for (const auto& row : table) {
        PressPlan plan = PlanSettingsPress(row.field, row.x, row.y, 100, 19);
        EXPECT_EQ(plan.commitFirst, row.plan.commitFirst) << row.what << " " << row.x << "," << row.y;
        EXPECT_EQ(plan.action, row.plan.action) << row.what << " " << row.x << "," << row.y;
    }
}

// The window's behaviour with the system's side recorded: calls to the
// window API in order, and each save's keys (one write each).
struct Recorded {
    std::vector<std::string> calls;
    std::vector<std::map<std::string, std::string>> saves;
    std::map<std::string, std::string> file;
    std::vector<int32_t> checksStarted;
    int32_t writeFails = 0;
};
Recorded* recorded;

int32_t RecordWrite(const char*, const char* key, const char* value, const char*)
{
    recorded->saves.push_back({{key, value}});
    if (recorded->writeFails)
        return 0;
    recorded->file[key] = value;
    return 1;
}

class SettingsWindowTest : public RecordingTest {
protected:
    void SetUp() override
    {
        RecordingTest::SetUp();
        recorded = &record;
        savedPath = std::string(settingsPath);
        savedSettingsApi = settingsApi;
        savedUpdateApi = updateCheckApi;
        savedWindows = updateWindows;
        savedServer = updateServer;
        std::snprintf(settingsPath, sizeof settingsPath, "%s", "Pixlo.ini");
        settingsApi.writeString = RecordWrite;
        settings = {10, 0, 1, 360, 480, 480, 0, 0};
        settingsWindowState = {};
        settingsWindowApi = {
            [] { recorded->calls.push_back("repaint"); },
            [] { recorded->calls.push_back("focus"); },
            [] { recorded->calls.push_back("capture"); },
            [] { recorded->calls.push_back("release"); },
            [](int32_t w, int32_t h) {
                recorded->calls.push_back("resize " + std::to_string(w) + "x" + std::to_string(h));
            },
            [](const char* address) { recorded->calls.push_back(std::string("open ") + address); },
        };
        updateBusy = 0;
        updateStatusText[0] = 0;
        updateWindows = {this, nullptr};
        updateCheckApi = {};
        updateCheckApi.startThread = [](int32_t origin) {
            recorded->checksStarted.push_back(origin);
            return int32_t{1};
        };
    }
    void TearDown() override
    {
        std::snprintf(settingsPath, sizeof settingsPath, "%s", savedPath.c_str());
        settingsApi = savedSettingsApi;
        updateCheckApi = savedUpdateApi;
        updateWindows = savedWindows;
        updateServer = savedServer;
        settingsWindowState = {};
        settingsWindowApi = {};
        updateBusy = 0;
        updateStatusText[0] = 0;
        recorderState.recording.store(0);
        settingsSaveFailed = 0;
        RecordingTest::TearDown();
    }

    // Events as the window procedure hands them over; the link text is
    // 100 x 19 pixels.
    static void Press(int32_t x, int32_t y) { SettingsPress(x, y, 100, 19); }
    static void Type(const char* keys)
    {
        for (const char* k = keys; *k; k++)
            SettingsChar(static_cast<unsigned char>(*k));
    }
    static std::string Shown() { return settingsWindowState.editText; }
    bool Called(const std::string& call) const
    {
        for (const std::string& c : record.calls)
            if (c == call)
                return true;
        return false;
    }

    Recorded record;

private:
    std::string savedPath;
    SettingsApi savedSettingsApi;
    UpdateCheckApi savedUpdateApi;
    UpdateWindows savedWindows;
    UpdateServer savedServer;
};

constexpr int32_t kWidthX = 150, kHeightX = 300, kFieldY = 200;

TEST_F(SettingsWindowTest, TypedSizesCommitClampedAndResizeTheMainWindow)
{
    const struct {
        const char* keys;  // after a press on the width field; \r commits
        const char* shown;
        int32_t stored;
    } table[] = {
        {"1200\r", "1200", 1200},  // the first digit replaced 480
        {"12345\r", "5", 64},      // a fifth digit starts a new number
        {"9999\r", "9999", 3840},
        {"0\r", "0", 64},
        {"63\r", "63", 64},
        {"64\r", "64", 64},
        {"3840\r", "3840", 3840},
        {"3841\r", "3841", 3840},
        {"\b5\r", "485", 485},     // Backspace at the start: 48, then 5 appended
        {"7a-.\r", "7", 64},       // other characters are ignored
    };
    for (const auto& row : table) {
        settings.defw = 480;
        record = {};
        Press(kWidthX, kFieldY);
        EXPECT_EQ(settingsWindowState.editField, 1);
        EXPECT_EQ(Shown(), "480");
        std::string keys = row.keys;
        Type(keys.substr(0, keys.size() - 1).c_str());
        EXPECT_EQ(Shown(), row.shown) << row.keys;
        EXPECT_TRUE(record.saves.empty()) << "typing saves nothing";
        Type("\r");
        EXPECT_EQ(settingsWindowState.editField, 0);
        EXPECT_EQ(settings.defw, row.stored) << row.keys;
        ASSERT_EQ(record.saves.size(), 1u) << row.keys;
        EXPECT_EQ(record.saves[0]["defw"], std::to_string(row.stored));
        EXPECT_EQ(record.calls.back(), "repaint");
        EXPECT_TRUE(Called("resize " + std::to_string(row.stored + 30) + "x575")) << row.keys;
    }

    // The height field the same way: 1, 2, 0, 0 gives an outer height of 1295.
    settings.defw = 480;
    record = {};
    Press(kHeightX, kFieldY);
    Type("1200\r");
    EXPECT_EQ(settings.defh, 1200);
    EXPECT_TRUE(Called("resize 510x1295"));
}

TEST_F(SettingsWindowTest, EditsThatEndWithoutStoring)
{
    // Escape drops the digits: nothing stored, saved or resized.
    Press(kWidthX, kFieldY);
    Type("99");
    Type("\x1b");
    EXPECT_EQ(settingsWindowState.editField, 0);
    EXPECT_EQ(settings.defw, 480);
    EXPECT_TRUE(record.saves.empty());
    EXPECT_EQ(record.calls.back(), "repaint");

    // An emptied field commits nothing.
    Press(kWidthX, kFieldY);
    Type("\b\b\b\b\r");
    EXPECT_EQ(settingsWindowState.editField, 0);
    EXPECT_EQ(settings.defw, 480);
    EXPECT_TRUE(record.saves.empty());
    EXPECT_FALSE(Called("resize 510x575"));

    // Keys without an edit are the system's.
    EXPECT_EQ(SettingsChar('5'), 0);
    EXPECT_EQ(SettingsChar(13), 0);
    EXPECT_TRUE(record.saves.empty());
}

TEST_F(SettingsWindowTest, PressesDuringAnEdit)
{
    // A press on the other field commits the width, then edits the height.
    Press(kWidthX, kFieldY);
    Type("1000");
    Press(kHeightX, kFieldY);
    EXPECT_EQ(settings.defw, 1000);
    ASSERT_EQ(record.saves.size(), 1u);
    EXPECT_TRUE(Called("resize 1030x575"));
    EXPECT_EQ(settingsWindowState.editField, 2);
    EXPECT_EQ(Shown(), "480");
    EXPECT_EQ(settingsWindowState.editFresh, 1);

    // The margin rows 184-185 and 223-224 on the edited field change nothing.
    Type("77");
    for (int32_t y : {184, 185, 223, 224}) {
        Press(kHeightX, y);
        EXPECT_EQ(settingsWindowState.editField, 2) << y;
        EXPECT_EQ(Shown(), "77") << y;
    }
    EXPECT_EQ(record.saves.size(), 1u);
    // Inside the field it starts afresh: the digits go, nothing is saved.
    Press(kHeightX, 186);
    EXPECT_EQ(Shown(), "480");
    EXPECT_EQ(settingsWindowState.editFresh, 1);
    EXPECT_EQ(record.saves.size(), 1u);

    // A press on a switch commits first, then switches.
    Type("900");
    Press(50, 85);
    EXPECT_EQ(settings.defh, 900);
    EXPECT_EQ(settings.cursor, 1);
    ASSERT_EQ(record.saves.size(), 3u);
    EXPECT_EQ(record.saves[1]["defh"], "900");
    EXPECT_EQ(record.saves[1].count("cursor"), 0u);
    EXPECT_EQ(record.saves[2]["cursor"], "1");
}

TEST_F(SettingsWindowTest, ClosingOrLosingTheFocusCommits)
{
    Press(kWidthX, kFieldY);
    Type("800");
    SettingsEditInterrupted();  // WM_CLOSE or WM_KILLFOCUS
    EXPECT_EQ(settings.defw, 800);
    EXPECT_EQ(settingsWindowState.editField, 0);
    ASSERT_EQ(record.saves.size(), 1u);
    EXPECT_EQ(record.file["defw"], "800");
    EXPECT_TRUE(Called("resize 830x575"));
    // Without an edit there is nothing to commit.
    SettingsEditInterrupted();
    EXPECT_EQ(record.saves.size(), 1u);
}

TEST_F(SettingsWindowTest, EachChangeIsSavedOnceAndRepainted)
{
    const struct {
        const char* what;
        int32_t x, y;
        const char* key;
        const char* value;  // null: no change, no save
    } table[] = {
        {"cursor on", 20, 100, "cursor", "1"},     {"cursor off", 209, 64, "cursor", "0"},
        {"guides off", 210, 100, "guides", "0"},   {"guides on", 429, 119, "guides", "1"},
        {"240 from the label", 20, 128, "outw", "240"},
        {"240 again", 269, 150, "outw", nullptr},  {"360", 270, 150, "outw", "360"},
        {"actual size", 340, 150, "outw", "0"},
        {"optimize on from the label", 20, 246, "optimize", "1"},
        {"optimize off from the switch", 386, 253, "optimize", "0"},
        {"optimize on at the row's top", 429, 232, "optimize", "1"},
        {"optimize off at the row's bottom", 0, 287, "optimize", "0"},
        {"autocheck on", 20, 306, "autocheck", "1"},
        {"autocheck off", 400, 343, "autocheck", "0"},
        {"top rows", 300, 9, "fps", nullptr},      {"slider at x 206", 206, 40, "fps", "11"},
        {"same rate", 207, 40, "fps", nullptr},
    };
    for (const auto& row : table) {
        const size_t saves = record.saves.size();
        record.calls.clear();
        Press(row.x, row.y);
        SettingsButtonUp();
        if (!row.value) {
            EXPECT_EQ(record.saves.size(), saves) << row.what;
            EXPECT_FALSE(Called("repaint")) << row.what;
            continue;
        }
        ASSERT_EQ(record.saves.size(), saves + 1) << row.what;
        EXPECT_EQ(record.saves.back()[row.key], row.value) << row.what;
        EXPECT_EQ(record.saves.back().size(), 1u) << row.what;
        EXPECT_TRUE(Called("repaint")) << row.what;
        EXPECT_EQ(record.calls.front(), "focus") << row.what;
    }

    // Without a way to write, or without a file path, a change still applies.
    const size_t saves = record.saves.size();
    settingsApi.writeString = nullptr;
    Press(20, 100);
    EXPECT_EQ(settings.cursor, 1);
    settingsApi.writeString = RecordWrite;
    settingsPath[0] = 0;
    Press(20, 100);
    EXPECT_EQ(settings.cursor, 0);
    EXPECT_EQ(record.saves.size(), saves);
}

TEST_F(SettingsWindowTest, SliderDragFollowsThePointerUntilRelease)
{
    settings.fps = 15;
    Press(20, 16);  // the label: clamped to x 200
    EXPECT_EQ(settings.fps, 10);
    EXPECT_EQ(settingsWindowState.sliderDrag, 1);
    EXPECT_TRUE(Called("capture"));
    SettingsMouseMove(206, 1);
    EXPECT_EQ(settings.fps, 11);
    SettingsMouseMove(300, 0);  // the button is not down: ignored
    EXPECT_EQ(settings.fps, 11);
    SettingsMouseMove(2000, 1);  // outside the window, on the right
    EXPECT_EQ(settings.fps, 30);
    // One save per rate the drag passed through.
    ASSERT_EQ(record.saves.size(), 3u);
    EXPECT_EQ(record.saves[2]["fps"], "30");
    SettingsButtonUp();
    EXPECT_EQ(settingsWindowState.sliderDrag, 0);
    EXPECT_EQ(record.calls.back(), "release");
    SettingsMouseMove(200, 1);  // after the release the rate stays
    EXPECT_EQ(settings.fps, 30);
    record.calls.clear();
    SettingsButtonUp();
    EXPECT_FALSE(Called("release"));
}

TEST_F(SettingsWindowTest, UpdateButtonAndLink)
{
    Press(20, 352);
    Press(138, 388);  // while the first check runs: refused
    EXPECT_EQ(record.checksStarted, std::vector<int32_t>{1});
    EXPECT_EQ(std::string(updateStatusText), std::string(updateTextChecking));
    EXPECT_TRUE(record.saves.empty());

    ConfigureUpdateServer("127.0.0.1", "8080");
    Press(410, 466);
    EXPECT_EQ(record.calls.back(), "open http://127.0.0.1/#website");
    ConfigureUpdateServer(nullptr, nullptr);
    Press(310, 458);
    EXPECT_EQ(record.calls.back(), "open http://pixlo.app/#website");
}

TEST_F(SettingsWindowTest, SizeFieldsIgnoreInputWhileARecordingRuns)
{
    // An edit open when the recording starts is dropped, not stored.
    Press(kWidthX, kFieldY);
    Type("1000");
    recorderState.recording.store(1);
    record.calls.clear();
    SettingsRecordingChanged();
    EXPECT_EQ(settingsWindowState.editField, 0);
    EXPECT_TRUE(Called("repaint"));
    EXPECT_EQ(SizeFieldsLocked(), 1);

    // Presses on either field start nothing; keys go to the system.
    for (int32_t x : {kWidthX, kHeightX}) {
        Press(x, kFieldY);
        EXPECT_EQ(settingsWindowState.editField, 0) << x;
        EXPECT_EQ(SettingsChar('7'), 0) << x;
        EXPECT_EQ(SettingsChar('\r'), 0) << x;
    }
    // An edit still open (the change came while keys were queued) ends unstored.
    settingsWindowState = {1, "999", 3, 0, 0};
    EXPECT_EQ(SettingsChar('\r'), 1);
    settingsWindowState = {2, "999", 3, 0, 0};
    SettingsEditInterrupted();
    EXPECT_EQ(settingsWindowState.editField, 0);
    EXPECT_EQ(settings.defw, 480);
    EXPECT_EQ(settings.defh, 480);
    EXPECT_TRUE(record.saves.empty());
    EXPECT_FALSE(Called("resize 1030x575"));
    EXPECT_FALSE(Called("resize 510x1029"));

    // The other settings still change; the rate applies from the next recording.
    Press(206, 40);
    SettingsButtonUp();
    EXPECT_EQ(settings.fps, 11);

    // When the recording ends the fields take input again.
    recorderState.recording.store(0);
    record.calls.clear();
    SettingsRecordingChanged();
    EXPECT_TRUE(Called("repaint"));
    Press(kWidthX, kFieldY);
    Type("1000\r");
    EXPECT_EQ(settings.defw, 1000);
}

TEST_F(SettingsWindowTest, FooterSaysWhenChangesAreNotSaved)
{
    const std::string saved = ProductText("改动即时生效，自动保存");
    const std::string failed = ProductText("无法保存设置，改动仅本次有效");
    EXPECT_EQ(SettingsFooterText(), saved);
    record.writeFails = 1;
    Press(20, 100);
    EXPECT_EQ(settings.cursor, 1);
    EXPECT_EQ(SettingsFooterText(), failed);
    // It stays while saves fail, whichever key.
    Press(kWidthX, kFieldY);
    Type("900\r");
    EXPECT_EQ(SettingsFooterText(), failed);
    record.writeFails = 0;
    Press(210, 100);
    EXPECT_EQ(SettingsFooterText(), saved);
    EXPECT_EQ(record.file.size(), 1u) << "only the guides reached the file";
    // No settings file at all: a change cannot be saved either.
    settingsPath[0] = 0;
    Press(20, 250);
    EXPECT_EQ(SettingsFooterText(), failed);
}

// The capture thread loads the cursor setting at every tick; a press on the
// switch mid-recording shows from the next frame.
TEST_F(SettingsWindowTest, CursorSwitchedOnMidRecording)
{
    ScopedFakeCapture capture;
    capture.fake.cursor = {1, 5, 5};
    capture.fake.onGrab = [](int tick) {
        if (tick == 2)
            Press(20, 85);
        if (tick == 4)
            recorderState.stopRequest.store(1);
    };
    StartCapture(0, 0, 32, 32, 10, 0, 0);
    EXPECT_EQ(capture.fake.cursorDrawTicks, (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(record.file["cursor"], "1");
}

// A recording takes optimize when it starts: the switch pressed while one
// runs is saved at once, and the running recording keeps whole frames; the
// next one stores its later frames as the pixel that changed.
TEST_F(SettingsWindowTest, OptimizeSwitchedMidRecordingAppliesToTheNextOne)
{
    ScopedFakeCapture capture;
    auto script = [&capture](bool pressAtTick2) {
        capture.fake.onGrab = [&capture, pressAtTick2](int tick) {
            // A new light pixel on the diagonal at every tick after the first.
            uint8_t* p = capture.fake.screen.data() + (static_cast<size_t>(tick) * 32 + tick) * 4;
            if (tick > 0)
                p[0] = p[1] = p[2] = 220;
            if (pressAtTick2 && tick == 2)
                Press(386, 253);
            if (tick == 4)
                recorderState.stopRequest.store(1);
        };
    };
    script(true);
    StartCapture(0, 0, 32, 32, 10, 0, 0);
    EXPECT_EQ(settings.optimize, 1);
    EXPECT_EQ(record.file["optimize"], "1");
    ASSERT_EQ(frameStore.count, 5);
    for (int32_t i = 0; i < frameStore.count; i++) {
        const FrameRecord& f = frameStore.records[i];
        EXPECT_EQ(Show({f.left, f.top, f.left + f.width, f.top + f.height}), "0,0,32,32") << "frame " << i;
    }

    ClearFrames();
    script(false);
    StartCapture(0, 0, 32, 32, 10, 0, 0);
    ASSERT_EQ(frameStore.count, 5);
    const FrameRecord& first = frameStore.records[0];
    EXPECT_EQ(Show({first.left, first.top, first.left + first.width, first.top + first.height}), "0,0,32,32");
    for (int32_t i = 1; i < frameStore.count; i++) {
        const FrameRecord& f = frameStore.records[i];
        EXPECT_EQ(Show({f.left, f.top, f.left + f.width, f.top + f.height}), Show({i, i, i + 1, i + 1}))
            << "frame " << i;
    }
}

}  // namespace
