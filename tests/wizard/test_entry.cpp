// The wizard entry: the command-line tail, quick launch, the stored settings and the exit codes.
#include "test_pages_env.h"
#include "test_frame_answerer.h"

#include "tk_log.h"
#include "tk_prof.h"

#include <QApplication>
#include <QTimer>

#include <functional>

namespace {

std::string tail_of(std::vector<std::string> args)
{
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    return gui_command_tail(static_cast<int>(args.size()), argv.data());
}

TEST(entry_tail, TheArgumentsLeftBecomeOnePath)
{
    EXPECT_EQ(tail_of({"vellix"}), "");
    EXPECT_EQ(tail_of({"vellix", "  "}), "");
    EXPECT_EQ(tail_of({"vellix", "/p/job.vlx"}), "/p/job.vlx");
    // Unquoted blanks split the path into arguments; joining gives it back.
    EXPECT_EQ(tail_of({"vellix", "/p/my", "job.vlx"}), "/p/my job.vlx");
    EXPECT_EQ(tail_of({"vellix", "/p/my job.vlx"}), "/p/my job.vlx");
    // Quotes that reach the program stay part of the path.
    EXPECT_EQ(tail_of({"vellix", "\"/p/job.vlx\""}), "\"/p/job.vlx\"");
}

// Acts on the wizard while gui_main's modal loop runs.
class driver {
public:
    explicit driver(std::function<void(wizard_shell&)> act) : action(std::move(act))
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            wizard_shell* shell = wizard_shell::slot();
            if (shell && shell->isVisible() && shell->current_page()) {
                pages_seen.push_back(shell->current_page()->dialog_id());
                action(*shell);
            }
        });
        timer.start(20);
    }
    std::vector<int> pages_seen;

private:
    std::function<void(wizard_shell&)> action;
    QTimer timer;
};

class entry_test : public pages_env {
protected:
    int run(const std::string& cmd_line) { return gui_main(qApp, nullptr, cmd_line.c_str(), 0); }

    // A profile for a quick launch of a fresh document.
    std::string quick_profile(const std::string& name, const std::string& extra = "")
    {
        const std::string prof = path(name);
        write_file(prof, "[Generic settings]\nsrc=" + make_pdf("in.pdf", 2) + "\ndest=" + path("out.doc") +
                             "\nmode=1\npages=1-2\n" + extra);
        return prof;
    }
};

TEST_F(entry_test, QuickLaunchConvertsAtOnceAndFinishReturnsOne)
{
    const std::string prof = quick_profile("job.vlx");
    write_file(path("out.doc"), "old document"); // overwritten without a question
    driver d([](wizard_shell& s) {
        if (s.current_page()->dialog_id() == IDD_FINISH)
            s.press_finish();
    });
    EXPECT_EQ(run(prof), 1);
    EXPECT_EQ(box_count(), 0u);
    ASSERT_FALSE(d.pages_seen.empty());
    for (int id : d.pages_seen)
        EXPECT_TRUE(id == IDD_PROGRESS || id == IDD_FINISH) << id;
    const std::string rtf = read_file(path("out.doc"));
    EXPECT_EQ(rtf.compare(0, 5, "{\\rtf"), 0);
    std::string why;
    EXPECT_TRUE(vlxtest::rtf_braces_ok(rtf, &why)) << why;

    // The loaded values became the stored settings.
    vellix_convertor stored;
    EXPECT_EQ(stored.dest, path("out.doc"));
    EXPECT_EQ(stored.pages, "1-2");
    EXPECT_TRUE(stored.physLayout_mode);
}

TEST_F(entry_test, ProfilePathWithBlanksWorksUnquoted)
{
    const std::string prof = quick_profile("my job.vlx");
    driver d([](wizard_shell& s) {
        if (s.current_page()->dialog_id() == IDD_FINISH)
            s.press_finish();
    });
    EXPECT_EQ(run(tail_of({"vellix", path("my"), "job.vlx"})), 1);
    EXPECT_TRUE(exists(path("out.doc")));
}

TEST_F(entry_test, QuickLaunchFailuresShowOneBoxAndNoWizard)
{
    driver d([](wizard_shell&) {});
    write_file(path("range.vlx"), "[Generic settings]\nsrc=/a.pdf\ndest=" + path("b.doc") + "\npages=0\n");
    write_file(path("folder.vlx"), "[Generic settings]\nsrc=/a.pdf\ndest=" + dir + "\n");
    const std::string quoted = "\"" + quick_profile("q.vlx") + "\"";
    EXPECT_EQ(run(path("none.vlx")), 0);
    EXPECT_EQ(run(path("range.vlx")), 0);
    EXPECT_EQ(run(path("folder.vlx")), 0);
    EXPECT_EQ(run(quoted), 0);
    EXPECT_TRUE(d.pages_seen.empty());

    const auto seen = taken_boxes();
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0].text, "Profile does not exist. Please verify the correct path/name was given.");
    EXPECT_EQ(seen[1].text, "Invalid page range");
    EXPECT_EQ(seen[3].text, seen[0].text);
    for (const box_record& b : seen) {
        EXPECT_EQ(b.kind, box_kind::error);
        EXPECT_EQ(b.caption, "Error"); // the frame is gone when the box shows
    }
    EXPECT_FALSE(exists(path("out.doc")));
}

TEST_F(entry_test, QuickLaunchWithoutNamesIsRefusedPolitely)
{
    write_file(path("nosrc.vlx"), "[Generic settings]\ndest=" + path("b.doc") + "\n");
    EXPECT_EQ(run(path("nosrc.vlx")), 0);
    const auto seen = taken_boxes();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, "You should enter source file name");
}

TEST_F(entry_test, QuickLaunchIgnoresTheProfilesLogfile)
{
    const std::string prof = quick_profile("log.vlx", "logfile=" + path("no/folder/run.log") + "\n");
    driver d([](wizard_shell& s) {
        if (s.current_page()->dialog_id() == IDD_FINISH)
            s.press_finish();
    });
    EXPECT_EQ(run(prof), 1);
    EXPECT_EQ(box_count(), 0u);
    EXPECT_EQ(tk_logger::slot(), nullptr);
}

TEST_F(entry_test, NormalRunStartsOnTheWelcomePageAndCancelReturnsZero)
{
    answers = {0, 1}; // No first, then Yes
    int cancels = 0;
    driver d([&](wizard_shell& s) {
        if (cancels < 2) {
            ++cancels;
            s.reject();
        }
    });
    EXPECT_EQ(run(""), 0);
    ASSERT_FALSE(d.pages_seen.empty());
    EXPECT_EQ(d.pages_seen.front(), IDD_WELCOME);
    EXPECT_EQ(cancels, 2);
    const auto seen = taken_boxes();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].text, "Are you sure you want to exit the wizard?");
    EXPECT_EQ(seen[0].caption, "Vellix 4.1  Question");
    for (const box_record& b : seen)
        EXPECT_EQ(b.kind, box_kind::question);
}

TEST_F(entry_test, InternalErrorEndsWithMinusOne)
{
    // A second job cannot be made: the entry's own one is refused by its singleton.
    vellix_convertor already(vellix_convertor::console_form);
    modal_answerer answer;
    answer.click("OK");
    EXPECT_EQ(run(""), -1);
    ASSERT_EQ(answer.seen.size(), 1u);
    EXPECT_EQ(answer.seen[0].title, "Error");
    EXPECT_NE(answer.seen[0].text.find("Internal error"), std::string::npos);
}

} // namespace
