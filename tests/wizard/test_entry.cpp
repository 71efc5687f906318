// The wizard entry: the command-line tail, quick launch, the stored settings and the exit codes.
#include "test_wizard_env.h"
#include "tk_log.h"

#include <QApplication>
#include <QTimer>

#include <csignal>
#include <cstring>
#include <functional>
#include <set>

#include <sys/stat.h>
#include <sys/wait.h>

namespace {

std::string tail_of(std::vector<std::string> args)
{
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    return gui_command_tail(static_cast<int>(args.size()), argv.data());
}

// Records the pages shown while gui_main's modal loop runs and acts on them.
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

struct entry_test : wizard_env {
    int run(const std::string& cmd_line) { return gui_main(qApp, nullptr, cmd_line.c_str(), 0); }
};

} // namespace

TEST_F(entry_test, QuickLaunchConvertsAtOnceAndFinishReturnsOne)
{
    // Unquoted blanks in the path; a logfile the wizard must ignore; a destination overwritten unasked.
    write_file(path("my job.vlx"), "[Generic settings]\nsrc=" + make_pdf("in.pdf", 2) + "\ndest=" + path("out.doc") +
                                       "\nmode=1\npages=1-2\nlogfile=" + path("no/folder/run.log") + "\n");
    write_file(path("out.doc"), "old document");
    // Each page shows whole, in the frame the full wizard has.
    std::set<int> looked_at;
    QSize quick_size;
    {
        driver d([&](wizard_shell& s) {
            const int id = s.current_page()->dialog_id();
            if (looked_at.insert(id).second) {
                SCOPED_TRACE(id);
                expect_shown_whole(s);
                EXPECT_TRUE(quick_size.isEmpty() || s.size() == quick_size);
                quick_size = s.size();
            }
            if (id == IDD_FINISH)
                s.press_finish();
        });
        EXPECT_EQ(run(tail_of({"vellix", path("my"), "job.vlx"})), 1);
        EXPECT_EQ(box_count(), 0u);
        EXPECT_EQ(tk_logger::slot(), nullptr);
        ASSERT_FALSE(d.pages_seen.empty());
        for (int id : d.pages_seen)
            EXPECT_TRUE(id == IDD_PROGRESS || id == IDD_FINISH) << id;
    }
    EXPECT_EQ(looked_at, (std::set<int>{IDD_PROGRESS, IDD_FINISH}));
    EXPECT_EQ(read_file(path("out.doc")).compare(0, 5, "{\\rtf"), 0);
    QSize full_size;
    answers = {1}; // Yes, exit
    driver full([&](wizard_shell& s) {
        if (full_size.isEmpty()) {
            full_size = s.size();
            s.reject();
        }
    });
    EXPECT_EQ(run(""), 0);
    EXPECT_EQ(quick_size, full_size);

    vellix_convertor stored; // the loaded values became the stored settings
    EXPECT_EQ(stored.pages, "1-2");
}

TEST_F(entry_test, QuickLaunchRunsNothingButAProfileNamingItsFiles)
{
    {
        vellix_convertor previous; // the last run's job, kept in the settings store
        previous.src = make_pdf("prev.pdf", 1);
        previous.dest = write_file(path("prev.doc"), "previous");
    }
    const std::string store = path("Quorvane/Vellix"), stored = read_file(store);
    ASSERT_NE(stored.find("prev.pdf"), std::string::npos);
    const std::string fifo = path("fifo.vlx");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    driver d([](wizard_shell& s) { s.done(0); }); // a wizard shown here is a fault: close it
    const std::string missing = "Profile does not exist. Please verify the correct path/name was given.";
    const std::string quoted = "\"" + write_file(path("q.vlx"), "[Generic settings]\nsrc=/a.pdf\n") + "\"";
    const struct {
        std::string profile, message;
        bool named = true; // profile errors start with the profile's name
    } rows[] = {
        {make_pdf("report.pdf", 1), VLX_NOT_A_PROFILE},
        {write_file(path("notes.txt"), "Shopping list\nmilk\n"), VLX_NOT_A_PROFILE},
        {path("none.vlx"), missing},
        {fifo, missing}, // refused at once, not read for ever
        {quoted, missing},
        {write_file(path("nosrc.vlx"), "[Generic settings]\ndest=" + path("b.doc") + "\n"),
         "The profile names no source file."},
        {write_file(path("nodest.vlx"), "[Generic settings]\nsrc=" + path("report.pdf") + "\n"),
         "The profile names no destination file."},
        // A source found in another letter case is the file the destination check sees.
        {write_file(path("case.vlx"),
                    "[Generic settings]\nsrc=" + path("CASE.PDF") + "\ndest=" + make_pdf("case.pdf", 1) + "\n"),
         "Destination name should differ from the source name.", false},
        // refused whole: nothing of it reaches the stored settings
        {write_file(path("zz.vlx"), "[Generic settings]\nsrc=" + make_pdf("zz.pdf", 1) + "\ndest=" + path("zz.doc") +
                                        "\nmode=1\npassword=pw\npages=zz\n"),
         "Invalid page range"},
        {write_file(path("folder.vlx"), "[Generic settings]\nsrc=" + path("zz.pdf") + "\ndest=" + dir + "\npages=1\n"),
         "Destination name should specify a file, not folder.", false},
        // the wizard has no stream to hand a document on
        {write_file(path("dash.vlx"), "[Generic settings]\nsrc=" + path("zz.pdf") + "\ndest=-\n"),
         "Cannot open destination file", false},
        {write_file(path("stdout.vlx"), "[Generic settings]\nsrc=" + path("zz.pdf") + "\ndest=/dev/stdout\n"),
         "Cannot open destination file", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.profile);
        const size_t before = box_count();
        EXPECT_EQ(run(row.profile), 0);
        ASSERT_EQ(box_count(), before + 1);
        EXPECT_EQ(boxes.back().text, row.named ? row.profile + ": " + row.message : row.message);
        EXPECT_EQ(boxes.back().kind, box_kind::error);
        EXPECT_EQ(boxes.back().caption, "Error"); // the frame is gone when the box shows
        EXPECT_EQ(read_file(store), stored);
    }
    EXPECT_TRUE(d.pages_seen.empty());
    EXPECT_EQ(read_file(path("prev.doc")), "previous");
    EXPECT_FALSE(exists(path("b.doc")));
}

TEST_F(entry_test, NormalRunStartsOnTheWelcomePageAndCancelReturnsZero)
{
    answers = {0, 1}; // No first, then Yes
    int cancels = 0;
    driver d([&](wizard_shell& s) {
        if (cancels < 2 && ++cancels)
            s.reject();
    });
    EXPECT_EQ(run(""), 0);
    ASSERT_FALSE(d.pages_seen.empty());
    EXPECT_EQ(d.pages_seen.front(), IDD_WELCOME);
    EXPECT_EQ(box_count(), 2u);
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

TEST_F(entry_test, SignalDuringAQuickLaunchLeavesNoTemporaryFile)
{
    vlxtest::write_long_pdf(path("long.pdf"));
    const std::string profile = write_file(
        path("long.vlx"), "[Generic settings]\nsrc=" + path("long.pdf") + "\ndest=" + path("out.doc") + "\n");
    const std::string tmp = path("tmp");
    ASSERT_EQ(mkdir(tmp.c_str(), 0700), 0);
    // every signal whose default ends the process, the faults sent from outside included
    for (int sig : vlxtest::ending_signals()) {
        SCOPED_TRACE(strsignal(sig));
        const vlxtest::SignalledRun r =
            vlxtest::signal_while_writing(VLX_BINARY_DIR "/wizard/vellix", {profile}, dir, tmp, sig);
        ASSERT_GT(r.pid, 0);
        ASSERT_TRUE(r.reaped);
        ASSERT_TRUE(r.seen) << "no page picture seen: " << read_file(path("stderr"));
        EXPECT_TRUE(WIFSIGNALED(r.status) && WTERMSIG(r.status) == sig) << r.status;
        EXPECT_FALSE(exists(path("out.doc")));
        EXPECT_EQ(vlxtest::names_starting(dir, ".vellix-"), std::vector<std::string>{});
        EXPECT_EQ(vlxtest::names_starting(tmp, ""), std::vector<std::string>{});
        vlxtest::remove_names_starting(dir, ".vellix-"); // a row's leftovers would trip the next one
        vlxtest::remove_names_starting(tmp, "");
    }
}

