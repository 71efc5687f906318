#include "tk_conv.h"
#include "tk_log.h"
#include "tk_prof.h"
#include "tk_threa.h"

#include "tk_testenv.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>

using vlxtest::TempDir;
using tktest::thrown;

namespace {

std::string assertion(int line)
{
    return tk_mail_assertion::make_message("..\\TK/tk_threa", line);
}

void wait_until_stopped(const tk_thread& t)
{
    while (t.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// Counts steps; finishes after a given number of them.
struct counting : tk_thread_functor {
    std::atomic<int>* deleted;
    std::atomic<int> steps{0};
    std::atomic<bool> finished_called{false};
    int limit;
    counting(std::atomic<int>* d, int lim) : deleted(d), limit(lim) {}
    ~counting() override { ++*deleted; }
    bool is_finished() override { return steps >= limit; }
    void step() override { ++steps; }
    void on_finish() override { finished_called = true; }
};

struct throwing : tk_thread_functor {
    void run() override { throw tk_exception("worker failed", 1); }
};

struct thread_of : tk_thread {
    tk_thread_functor* work;
    explicit thread_of(tk_thread_functor* w, bool owns) : tk_thread(owns), work(w) {}
    tk_thread_functor* create_functor() override { return work; }
    tk_thread_functor* current() const { return functor; }
};

} // namespace

TEST(Thread, FinishedThreadIsCleanedUpWithoutTerminating)
{
    std::atomic<int> deleted{0};
    auto* work = new counting(&deleted, 3);
    {
        thread_of t(work, true);
        t.start();
        wait_until_stopped(t);
        EXPECT_EQ(work->steps.load(), 3);
        EXPECT_TRUE(work->finished_called.load());
        EXPECT_EQ(t.failure(), nullptr);
    }
    EXPECT_EQ(deleted.load(), 1);
}

TEST(Thread, DestroyingARunningThreadStopsItFirst)
{
    std::atomic<int> deleted{0};
    counting work(&deleted, 1 << 30);
    {
        thread_of t(&work, false); // not owned: must survive the thread object
        t.start();
        EXPECT_TRUE(t.is_running());
    }
    EXPECT_EQ(deleted.load(), 0);
    EXPECT_FALSE(work.finished_called.load());
}

TEST(Thread, TerminateStopsTheDefaultSleepingLoop)
{
    tk_thread t(false);
    t.start();
    EXPECT_TRUE(t.is_running());
    EXPECT_EQ(thrown([&] { t.start(); }), assertion(92));
    EXPECT_EQ(thrown([&] { t.cleanup(); }), assertion(71));
    t.terminate();
    EXPECT_FALSE(t.is_running());
    EXPECT_EQ(thrown([&] { t.terminate(); }), assertion(55));
    // It can be started again.
    t.start();
    t.terminate();
}

TEST(Thread, ExceptionInTheWorkIsKeptNotFatal)
{
    throwing work;
    thread_of t(&work, false);
    t.start();
    wait_until_stopped(t);
    ASSERT_NE(t.failure(), nullptr);
    EXPECT_EQ(thrown([&] { std::rethrow_exception(t.failure()); }), "worker failed");
    t.cleanup();
}

TEST(Thread, NullWorkObjectIsAnAssertion)
{
    thread_of t(nullptr, false);
    EXPECT_EQ(thrown([&] { t.start(); }), assertion(105));
    EXPECT_FALSE(t.is_running());
    EXPECT_EQ(thrown([] { tk_thread_entry(nullptr); }), assertion(149));
}

TEST(Thread, RestartClearsAnEarlierStopRequest)
{
    std::atomic<int> deleted{0};
    counting work(&deleted, 5);
    work.request_stop();
    thread_of t(&work, false);
    t.start();
    wait_until_stopped(t);
    EXPECT_EQ(work.steps.load(), 5);
}

namespace {
struct ConverterTest : ::testing::Test {
    TempDir dir;
    std::string log = dir / "conv.log";
    tk_logger lg{log.c_str(), false, 3, false};
};
} // namespace

TEST_F(ConverterTest, LoadKeepsFieldsForEmptyKeys)
{
    tk_converter c;
    c.src = "/keep.pdf";
    tk_profile p;
    p.set_value("Generic settings", "src", "");
    p.set_value("Generic settings", "dest", "/out.doc");
    EXPECT_TRUE(c.load_profile(p));
    EXPECT_EQ(c.src, "/keep.pdf");
    EXPECT_EQ(c.dest, "/out.doc");
    EXPECT_EQ(c.logfile, "");
    EXPECT_FALSE(lg.enabled);
}

TEST_F(ConverterTest, StoreWritesAllThreeKeys)
{
    tk_converter c;
    c.dest = "d";
    tk_profile p;
    EXPECT_TRUE(c.store_profile(p));
    ASSERT_TRUE(p.store(dir / "p.vlx"));
    EXPECT_EQ(vlxtest::slurp(dir / "p.vlx"), "[Generic settings]\r\ndest=d\r\nlogfile=\r\nsrc=\r\n\r\n");
}

TEST_F(ConverterTest, ProfileLogfileEnablesLogging)
{
    tk_converter c;
    tk_profile p;
    std::string named = dir / "named.log";
    vlxtest::spit(named, "old");
    p.set_value("Generic settings", "logfile", named);
    EXPECT_TRUE(c.load_profile(p));
    EXPECT_EQ(c.logfile, named);
    EXPECT_TRUE(lg.enabled);
    tk_log(1, "dropped");
    tk_log(3, "kept %d", 3);
    EXPECT_EQ(vlxtest::slurp(named), "kept 3\r\n");
}

TEST_F(ConverterTest, LogfileChecks)
{
    tk_converter c;
    vlxtest::spit(dir / "ro.log", "x");
    chmod((dir / "ro.log").c_str(), 0444);
    int level = -1;
    EXPECT_EQ(thrown([&] { c.set_logfile(dir / "ro.log"); }, &level),
              "Logfile name specifies an existing read-only file.");
    EXPECT_EQ(level, 1);
    EXPECT_EQ(thrown([&] { c.set_logfile(dir / "none/x.log"); }),
              "Logfile path does not exist.\nPlease verify the correct path was given.");
    c.src = dir / "in.pdf";
    c.dest = dir / "out.doc";
    vlxtest::spit(c.src, "%PDF");
    const char* same = "Logfile name should differ from the source and destination names.";
    EXPECT_EQ(thrown([&] { c.set_logfile(c.src); }), same);
    EXPECT_EQ(thrown([&] { c.set_logfile(c.dest); }), same);
    EXPECT_EQ(vlxtest::slurp(c.src), "%PDF");
    EXPECT_EQ(c.logfile, "");
    EXPECT_FALSE(lg.enabled);
}

TEST(Converter, LogfileWithoutALogFileObjectIsKeptOnly)
{
    TempDir dir;
    tk_converter c;
    c.set_logfile(dir / "x.log");
    EXPECT_EQ(c.logfile, dir / "x.log");
    tk_log(3, "nothing");
    EXPECT_EQ(vlxtest::mode_of(dir / "x.log"), 0xFFFFFFFFu);
}
