#include "tk_conv.h"
#include "tk_log.h"
#include "tk_prof.h"
#include "tk_threa.h"

#include "plat_tmpreg.h"
#include "tk_testenv.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <optional>
#include <sys/resource.h>

using tktest::thrown;
using vlxtest::TempDir;

namespace {

void wait_until_stopped(const tk_thread& t)
{
    while (t.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// Counts steps; finishes after a given number of them, or throws instead.
struct counting : tk_thread_functor {
    static inline std::atomic<int> deleted{0};
    std::atomic<int> steps{0};
    std::atomic<bool> finished_called{false};
    int limit;
    explicit counting(int lim) : limit(lim) {}
    ~counting() override { ++deleted; }
    bool is_finished() override { return limit < 0 ? throw tk_exception("worker failed", 1) : steps >= limit; }
    void step() override { ++steps; }
    void on_finish() override { finished_called = true; }
};

struct thread_of : tk_thread {
    tk_thread_functor* work;
    thread_of(tk_thread_functor* w, bool owns) : tk_thread(owns), work(w) {}
    tk_thread_functor* create_functor() override { return work; }
};

} // namespace

TEST(Thread, FinishedThreadIsCleanedUpWithoutTerminating)
{
    counting::deleted = 0;
    auto* work = new counting(3);
    work->request_stop(); // left from an earlier run: a new start clears it
    {
        thread_of t(work, true);
        t.start();
        wait_until_stopped(t);
        EXPECT_EQ(work->steps.load(), 3);
        EXPECT_TRUE(work->finished_called.load());
        EXPECT_EQ(t.failure(), nullptr);
    }
    EXPECT_EQ(counting::deleted.load(), 1);
}

TEST(Thread, DestroyingARunningThreadStopsItFirst)
{
    counting::deleted = 0;
    counting work(1 << 30);
    {
        thread_of t(&work, false); // not owned: must survive the thread object
        t.start();
        EXPECT_TRUE(t.is_running());
    }
    EXPECT_EQ(counting::deleted.load(), 0);
    EXPECT_FALSE(work.finished_called.load());
}

TEST(Thread, TerminateStopsTheDefaultSleepingLoopAndMisuseAsserts)
{
    tk_thread t(false);
    t.start();
    EXPECT_TRUE(t.is_running());
    EXPECT_EQ(thrown([&] { t.start(); }), tktest::assertion("tk_threa", 92));
    t.terminate();
    EXPECT_FALSE(t.is_running());
}

TEST(Thread, ExceptionInTheWorkIsKeptNotFatal)
{
    counting work(-1);
    thread_of t(&work, false);
    t.start();
    wait_until_stopped(t);
    ASSERT_NE(t.failure(), nullptr);
    EXPECT_EQ(thrown([&] { std::rethrow_exception(t.failure()); }), "worker failed");
}

namespace {
// Records a file, then overflows the thread's stack.
struct overflowing : tk_thread_functor {
    std::string file;
    explicit overflowing(std::string f) : file(std::move(f)) {}
    static int deeper(volatile char* above)
    {
        volatile char frame[1024];
        frame[0] = *above;
        return deeper(frame) + frame[1];
    }
    void run() override
    {
        plat::temp_record record;
        record.record(file);
        char start = 0;
        deeper(&start);
    }
};
} // namespace

// A stack overflow in the worker still removes the files it records: the handler runs on the
// worker's alternate stack. AddressSanitizer keeps one of its own unless told not to, so the run is a
// fresh process of this program, told that, which runs this test again and is told the file.
TEST(Thread, StackOverflowInTheWorkerRemovesItsFiles)
{
    const char* given = std::getenv("VLX_TEST_RECORDED");
    std::optional<TempDir> dir;
    if (!given)
        dir.emplace();
    const std::string file = given ? given : *dir / "TMPpicture";
    vlxtest::EnvVar told("VLX_TEST_RECORDED", file.c_str());
    const char* asan = std::getenv("ASAN_OPTIONS");
    vlxtest::EnvVar no_stack_of_its_own("ASAN_OPTIONS", (std::string(asan ? asan : "") + ":use_sigaltstack=0").c_str());
    const rlimit no_core{0, 0};
    setrlimit(RLIMIT_CORE, &no_core);
    vlxtest::spit(file, "x");
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            plat::remove_temp_files_on_signals();
            overflowing work(file);
            thread_of t(&work, false);
            t.start();
            wait_until_stopped(t);
            std::exit(0);
        },
        testing::KilledBySignal(SIGSEGV), "");
    EXPECT_NE(access(file.c_str(), F_OK), 0);
}

namespace {
struct Converter : ::testing::Test {
    TempDir dir;
    std::string log = dir / "conv.log";
    tk_logger lg{log.c_str(), false, 3, false};
    tk_converter c;
    tk_profile p;
};
} // namespace

TEST_F(Converter, ProfileLogfileIsCheckedThenEnablesLogging)
{
    vlxtest::spit(dir / "ro.log", "x");
    chmod((dir / "ro.log").c_str(), 0444);
    int level = -1;
    EXPECT_EQ(thrown([&] { c.set_logfile(dir / "ro.log"); }, &level),
              "Logfile name specifies an existing read-only file.");
    EXPECT_EQ(level, 1);
    EXPECT_EQ(thrown([&] { c.set_logfile(dir / "none/x.log"); }),
              "Logfile path does not exist.\nPlease verify the correct path was given.");
    c.src = dir / "in.pdf";
    vlxtest::spit(c.src, "%PDF");
    const char* clash = "Logfile name should differ from the source, destination and profile names.";
    EXPECT_EQ(thrown([&] { c.set_logfile(c.src); }), clash);
    EXPECT_EQ(c.logfile, "");
    // a profile whose log file is refused gives none of its names
    tk_profile refused;
    refused.set_value("Generic settings", "src", dir / "other.pdf");
    refused.set_value("Generic settings", "dest", dir / "other.doc");
    refused.set_value("Generic settings", "logfile", dir / "other.doc");
    EXPECT_EQ(thrown([&] { c.load_profile(refused); }), clash);
    EXPECT_EQ(c.src, dir / "in.pdf");
    EXPECT_EQ(c.dest, "");

    // The lines wait, the file untouched, until every name is known.
    std::string named = dir / "named.log";
    vlxtest::spit(named, "old");
    p.set_value("Generic settings", "logfile", named);
    EXPECT_TRUE(c.load_profile(p));
    EXPECT_EQ(c.logfile, named);
    tk_log(1, "dropped");
    tk_log(3, "kept %d", 3);
    EXPECT_EQ(vlxtest::slurp(named), "old");
    c.start_logging({dir / "out.doc"});
    tk_log(3, "then %d", 4);
    EXPECT_EQ(vlxtest::slurp(named), "kept 3\r\nthen 4\r\n");
}

TEST_F(Converter, LogfileNamedLaterAsTheSourceIsRefusedAndNeverWritten)
{
    std::string pdf = dir / "x.pdf";
    vlxtest::spit(pdf, "%PDF-1.4 document");
    ASSERT_EQ(symlink(pdf.c_str(), (dir / "alias.pdf").c_str()), 0);
    c.set_logfile(dir / "alias.pdf");
    tk_log(3, "held");
    EXPECT_EQ(thrown([&] { c.start_logging({pdf}); }),
              "Logfile name should differ from the source, destination and profile names.");
    tk_log(3, "after");
    EXPECT_EQ(vlxtest::slurp(pdf), "%PDF-1.4 document");
}
