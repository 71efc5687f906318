// The settings page: mode choice, page range, and the invalid range that holds the user.
#include "test_pages_env.h"

#include <QRadioButton>

namespace {

class settings_test : public pages_env {
protected:
    void SetUp() override
    {
        pages_env::SetUp();
        rig = std::make_unique<wizard_rig>();
        rig->job.physLayout_mode = false;
        rig->job.noframe_mode = true;
        rig->job.set_page_range("");
        rig->start();
        go_to_settings();
    }
    void TearDown() override
    {
        rig.reset();
        pages_env::TearDown();
    }
    void go_to_settings()
    {
        // The select-files page is passed by calling the frame's page change directly.
        ASSERT_TRUE(rig->shell.set_cur_sel_id(IDD_SETTINGS));
        ASSERT_EQ(rig->page(), IDD_SETTINGS);
    }
    void click(int id) { click_button(rig->ctl<QRadioButton>(rig->settings, id)); }
    QString description() { return rig->ctl<QLabel>(rig->settings, 1403)->text(); }
    QLineEdit* range() { return rig->edit(rig->settings, 1003); }

    std::unique_ptr<wizard_rig> rig;
};

TEST_F(settings_test, ActivationShowsModeAndRange)
{
    EXPECT_TRUE(rig->checked(rig->settings, 1330));
    EXPECT_FALSE(rig->checked(rig->settings, 1329));
    EXPECT_EQ(description(), settings_page::FLOWING_TEXT);
    EXPECT_TRUE(rig->checked(rig->settings, 1331));
    EXPECT_FALSE(range()->isEnabled());

    rig->job.physLayout_mode = true;
    rig->job.noframe_mode = false;
    rig->job.set_page_range("2-4");
    rig->shell.set_cur_sel_id(IDD_WELCOME);
    go_to_settings();
    EXPECT_TRUE(rig->checked(rig->settings, 1329));
    EXPECT_EQ(description(), settings_page::EXACT_TEXT);
    EXPECT_TRUE(rig->checked(rig->settings, 1332));
    EXPECT_TRUE(range()->isEnabled());
    EXPECT_EQ(range()->text(), "2-4");
}

TEST_F(settings_test, PagesAreStoredWithTheirList)
{
    click(1332);
    EXPECT_TRUE(range()->isEnabled());
    range()->setText("1,3,5-10");
    EXPECT_EQ(rig->settings.on_next(), 0); // the frame would start the conversion next
    EXPECT_EQ(rig->job.pages, "1,3,5-10");
    EXPECT_EQ(rig->job.page_list, (std::vector<int>{1, 3, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(box_count(), 0u);
}

TEST_F(settings_test, AllIgnoresTheEditAndAnEmptyEditMeansAll)
{
    click(1332);
    range()->setText("1-3");
    click(1331);
    EXPECT_FALSE(range()->isEnabled());
    rig->settings.save();
    EXPECT_EQ(rig->job.pages, "");
    EXPECT_TRUE(rig->job.page_list.empty());

    click(1332);
    range()->setText("");
    rig->settings.save();
    EXPECT_EQ(rig->job.pages, "");
    EXPECT_TRUE(rig->job.page_list.empty());
}

TEST_F(settings_test, ModeRadiosChangeTheDescriptionOnly)
{
    click(1332);
    click(1329);
    EXPECT_EQ(description(), settings_page::EXACT_TEXT);
    EXPECT_TRUE(range()->isEnabled());
    click(1330);
    EXPECT_EQ(description(), settings_page::FLOWING_TEXT);
    EXPECT_TRUE(range()->isEnabled());

    click(1329);
    rig->settings.save();
    EXPECT_TRUE(rig->job.physLayout_mode);
    EXPECT_FALSE(rig->job.noframe_mode);
    click(1330);
    rig->settings.save();
    EXPECT_FALSE(rig->job.physLayout_mode);
    EXPECT_TRUE(rig->job.noframe_mode);
}

TEST_F(settings_test, InvalidRangeBlocksNextAndBackButKeepsTheMode)
{
    click(1329);
    click(1332);
    for (const char* bad : {"0", "5-5", "7-3", "1,x"}) {
        range()->setText(bad);
        rig->shell.press_next();
        EXPECT_EQ(rig->page(), IDD_SETTINGS) << bad;
        rig->shell.press_back();
        EXPECT_EQ(rig->page(), IDD_SETTINGS) << bad;
    }
    const auto seen = taken_boxes();
    ASSERT_EQ(seen.size(), 8u);
    for (const box_record& b : seen) {
        EXPECT_EQ(b.kind, box_kind::error);
        EXPECT_EQ(b.text, "Invalid page range");
        EXPECT_EQ(b.caption, "Vellix 4.1  Error");
    }
    EXPECT_TRUE(rig->job.physLayout_mode);

    range()->setText("2");
    rig->shell.press_back();
    EXPECT_EQ(rig->page(), IDD_SEL_FILE);
    EXPECT_EQ(rig->job.page_list, std::vector<int>{2});
}

} // namespace
