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

TEST_F(settings_test, ArrivingByKeysTheCheckedModeHasTheFocus)
{
    rig->job.src = make_pdf("in.pdf", 1);
    rig->job.dest = path("out.doc");
    ASSERT_TRUE(rig->shell.set_cur_sel_id(IDD_SEL_FILE));
    ASSERT_TRUE(rig->activate());
    // A stored page range enables its edit, which takes the focus as it is enabled.
    const struct {
        bool exact;
        const char* pages;
        Qt::Key arrow;
    } rows[] = {
        {true, "", Qt::Key_Down}, {false, "", Qt::Key_Up}, {false, "2-3", Qt::Key_Up}, {true, "1", Qt::Key_Down}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.exact ? "exact " : "flowing ") + row.pages);
        rig->job.physLayout_mode = row.exact;
        rig->job.noframe_mode = !row.exact;
        rig->job.set_page_range(row.pages);
        press_key(Qt::Key_N, Qt::AltModifier);
        ASSERT_TRUE(QTest::qWaitFor([&] { return rig->page() == IDD_SETTINGS; }));
        QWidget* mode = rig->settings.control(row.exact ? 1329 : 1330);
        EXPECT_TRUE(rig->checked(rig->settings, row.exact ? 1329 : 1330));
        EXPECT_EQ(rig->checked(rig->settings, 1332), *row.pages != '\0');
        EXPECT_EQ(rig->edit(rig->settings, 1003)->isEnabled(), *row.pages != '\0');
        EXPECT_EQ(QApplication::focusWidget(), mode);
        press_key(row.arrow); // the keys act on the mode: the other one is chosen
        EXPECT_TRUE(rig->checked(rig->settings, row.exact ? 1330 : 1329));
        EXPECT_EQ(rig->ctl<QLabel>(rig->settings, 1403)->text().toStdString(),
                  row.exact ? settings_page::FLOWING_TEXT : settings_page::EXACT_TEXT);
        press_key(Qt::Key_B, Qt::AltModifier);
        ASSERT_TRUE(QTest::qWaitFor([&] { return rig->page() == IDD_SEL_FILE; }));
        EXPECT_EQ(rig->job.physLayout_mode, !row.exact);
    }
    EXPECT_EQ(box_count(), 0u);
}
