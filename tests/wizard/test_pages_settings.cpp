// The settings page: mode choice, page range, and the invalid range that holds the user.
#include "test_wizard_env.h"

using settings_test = rig_env<IDD_WELCOME>;

TEST_F(settings_test, InvalidRangeHoldsThePageAndTheStoredRangeFollowsTheChoice)
{
    rig->job.physLayout_mode = true;
    rig->job.noframe_mode = false;
    ASSERT_TRUE(rig->shell.set_cur_sel_id(IDD_SETTINGS));
    QLineEdit* range = rig->edit(rig->settings, 1003);
    rig->click(rig->settings, 1332);
    range->setText("7-3");
    rig->shell.press_next();
    EXPECT_EQ(rig->page(), IDD_SETTINGS);
    rig->shell.press_back();
    EXPECT_EQ(rig->page(), IDD_SETTINGS);
    const auto seen = taken_boxes();
    ASSERT_EQ(seen.size(), 2u);
    for (const box_record& b : seen) {
        EXPECT_EQ(b.text, "Invalid page range");
        EXPECT_EQ(b.caption, "Vellix 4.1  Error");
    }
    EXPECT_TRUE(rig->job.physLayout_mode);
    range->setText("1,3,5-10");
    EXPECT_EQ(rig->settings.on_next(), 0);
    EXPECT_EQ(rig->job.pages, "1,3,5-10");
    EXPECT_EQ(rig->job.page_list, (std::vector<int>{1, 3, 5, 6, 7, 8, 9, 10}));
    rig->click(rig->settings, 1331); // all pages: the typed range is not kept
    rig->shell.press_back();
    EXPECT_EQ(rig->page(), IDD_SEL_FILE);
    EXPECT_EQ(rig->job.pages, "");
    EXPECT_TRUE(rig->job.page_list.empty());
    EXPECT_EQ(box_count(), 2u);
}

TEST_F(settings_test, StoredRangeLongerThanWhatCanBeTypedSurvivesThePageAndNext)
{
    // 259 characters can be typed; a longer stored range is shown and kept whole.
    for (size_t length : {258u, 259u, 260u, 300u}) {
        SCOPED_TRACE(length);
        std::string pages = length % 2 ? "1" : "10";
        while (pages.size() < length)
            pages += ",1";
        rig->job.set_page_range(pages);
        ASSERT_TRUE(rig->shell.set_cur_sel_id(IDD_SETTINGS));
        EXPECT_TRUE(rig->checked(rig->settings, 1332));
        EXPECT_EQ(rig->edit(rig->settings, 1003)->text().toStdString(), pages);
        EXPECT_EQ(rig->settings.on_next(), 0);
        EXPECT_EQ(rig->job.pages, pages);
        EXPECT_EQ(rig->job.page_list.size(), (length + 1) / 2);
    }
    EXPECT_EQ(box_count(), 0u);
}
