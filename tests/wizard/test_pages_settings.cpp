// The settings page: mode choice, page range, and the invalid range that holds the user.
#include "test_wizard_env.h"

namespace {

struct settings_test : rig_env<0> {
    void show(bool exact, const std::string& pages)
    {
        if (!rig->shell.current_page())
            rig->start();
        rig->shell.set_cur_sel_id(IDD_WELCOME);
        rig->job.physLayout_mode = exact;
        rig->job.noframe_mode = !exact;
        rig->job.set_page_range(pages);
        ASSERT_TRUE(rig->shell.set_cur_sel_id(IDD_SETTINGS));
    }
    QLineEdit* range() { return rig->edit(rig->settings, 1003); }
};

} // namespace

TEST_F(settings_test, StoredRangeFollowsTheChoice)
{
    show(false, "");
    const struct {
        int radio;
        const char* text;
        std::vector<int> list;
    } rows[] = {{1332, "1,3,5-10", {1, 3, 5, 6, 7, 8, 9, 10}}, {1331, "1-3", {}}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.text);
        rig->click(rig->settings, 1332);
        range()->setText(r.text);
        rig->click(rig->settings, r.radio);
        EXPECT_EQ(rig->settings.on_next(), 0);
        EXPECT_EQ(rig->job.pages, r.radio == 1331 ? "" : r.text);
        EXPECT_EQ(rig->job.page_list, r.list);
    }
    EXPECT_EQ(box_count(), 0u);
}

TEST_F(settings_test, InvalidRangeBlocksNextAndBackButKeepsTheMode)
{
    show(true, "");
    rig->click(rig->settings, 1332);
    for (const char* bad : {"0", "7-3"}) {
        range()->setText(bad);
        rig->shell.press_next();
        EXPECT_EQ(rig->page(), IDD_SETTINGS) << bad;
        rig->shell.press_back();
        EXPECT_EQ(rig->page(), IDD_SETTINGS) << bad;
    }
    const auto seen = taken_boxes();
    ASSERT_EQ(seen.size(), 4u);
    for (const box_record& b : seen) {
        EXPECT_EQ(b.text, "Invalid page range");
        EXPECT_EQ(b.caption, "Vellix 4.1  Error");
    }
    EXPECT_TRUE(rig->job.physLayout_mode);
    range()->setText("2");
    rig->shell.press_back();
    EXPECT_EQ(rig->page(), IDD_SEL_FILE);
    EXPECT_EQ(rig->job.page_list, std::vector<int>{2});
}
