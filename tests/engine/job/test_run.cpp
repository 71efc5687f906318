// The conversion run in-process: listed pages, progress counters and how a run ends.
#include "job_fixture.h"

#include "tk_errh.h"
#include "tk_log.h"
#include "vlx_dest.h"
#include "vlx_host.h"
#include "vlx_pict.h"
#include "plat_tmpreg.h"
#include "vlx_testsupport.h"

#include <algorithm>
#include <atomic>
#include <future>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fcntl.h>
#include <csignal>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

extern std::string last_handled_error;

namespace {

struct RecordingHost : vlx_run_host {
    void start_timer(int ms) override { timers.push_back({ms, job->page_count}); }
    void error(const std::string& text) override { errors.push_back(text); }
    vellix_convertor* job;
    std::vector<std::pair<int, int>> timers; // interval, page count at the start
    std::vector<std::string> errors;
};

class Run : public JobTest {
protected:
    Run()
    {
        vlxtest::PdfWriter w;
        for (const char* t : {"Marker Qfirst", "Marker Qsecond", "Marker Qthird"})
            w.add_page().text(72, 700, t);
        job.src = dir / "three.pdf";
        w.save(job.src);
        job.dest = dir / "three.doc";
        job.convert_graphics = false;
        last_handled_error.clear();
    }
    // From the first listed page again: the run goes on from current_page.
    void run()
    {
        job.current_page = 0;
        const vlxtest::Captured out(1);
        job.run();
    }

    vlxtest::TempDir dir{"vlxrun"};
    vellix_convertor job{vellix_convertor::console_form};
    error_handler handler;
};

TEST_F(Run, ListedPageBeyondTheDocumentIsLoggedSkippedAndCounted)
{
    RecordingHost host;
    host.job = &job;
    job.host = &host;
    job.set_page_range("3,99");
    {
        tk_logger logger((dir / "run.log").c_str(), true, 1, false);
        run();
    }
    EXPECT_EQ(host.timers, (std::vector<std::pair<int, int>>{{200, 2}}));
    EXPECT_TRUE(host.errors.empty());
    EXPECT_EQ(last_handled_error, "");
    EXPECT_TRUE(job.run_done);
    EXPECT_EQ(job.current_page, 2);
    EXPECT_EQ(job.get_progress(), 100);
    EXPECT_NE(vlxtest::slurp(dir / "run.log").find("Page is our of range 99 > 3"), std::string::npos);
}

TEST_F(Run, MissingDestinationFolderAbandonsTheRunBelowFullProgress)
{
    job.dest = dir / "missing/three.doc";
    run();
    EXPECT_EQ(last_handled_error, "Cannot open destination file");
    EXPECT_TRUE(job.run_failed);
    EXPECT_FALSE(job.run_done);
    EXPECT_LT(job.get_progress(), 100);
}

TEST_F(Run, StopRequestEndsQuietlyAndLeavesNoDocument)
{
    job.request_stop();
    run();
    EXPECT_EQ(last_handled_error, "") << "the user asked; nothing to report";
    EXPECT_TRUE(job.run_failed);
    EXPECT_LT(job.get_progress(), 100);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 1) << "only the source is left";
}

TEST_F(Run, NoListedPageInTheDocumentFailsAndLeavesTheOldDocument)
{
    vlxtest::spit(job.dest, "old");
    job.set_page_range("5-9");
    run();
    EXPECT_EQ(last_handled_error, "None of the selected pages is in the document.");
    EXPECT_TRUE(job.run_failed);
    EXPECT_EQ(vlxtest::slurp(job.dest), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 2);
}

// What a FIFO's writer sends until it closes it; gives up after 30 seconds without one.
std::string read_fifo(const std::string& path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
    std::string got;
    bool writer_seen = false;
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (fd >= 0 && std::chrono::steady_clock::now() < give_up) {
        char buf[4096];
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0) {
            got.append(buf, size_t(n));
            writer_seen = true;
        } else if (n == 0 && writer_seen) {
            break;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    if (fd >= 0)
        ::close(fd);
    return got;
}

bool is_rtf(const std::string& path)
{
    return vlxtest::slurp(path).rfind("{\\rtf", 0) == 0;
}

TEST_F(Run, DocumentGoesWhereTheDestinationLeadsAndTheDestinationKeepsWhatItIs)
{
    // A link's target gets the document; the link stays a link, also when the target is new.
    vlxtest::spit(dir / "real.doc", "old");
    ASSERT_EQ(symlink("real.doc", (dir / "link.doc").c_str()), 0);
    ASSERT_EQ(symlink("new.doc", (dir / "dangling.doc").c_str()), 0);
    for (const char* name : {"link.doc", "dangling.doc"}) {
        job.dest = dir / name;
        run();
        EXPECT_EQ(last_handled_error, "");
        struct stat st;
        ASSERT_EQ(lstat(job.dest.c_str(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode)) << name;
    }
    EXPECT_TRUE(is_rtf(dir / "real.doc"));
    EXPECT_TRUE(is_rtf(dir / "new.doc"));

    // Every hard link of the destination sees the new document.
    vlxtest::spit(dir / "a.doc", "old");
    ASSERT_EQ(link((dir / "a.doc").c_str(), (dir / "b.doc").c_str()), 0);
    job.dest = dir / "a.doc";
    run();
    EXPECT_TRUE(is_rtf(dir / "b.doc"));
    EXPECT_TRUE(vlxtest::slurp(dir / "a.doc") == vlxtest::slurp(dir / "b.doc"));

    // A FIFO is written into, not replaced by a plain file.
    ASSERT_EQ(mkfifo((dir / "pipe.doc").c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = read_fifo(dir / "pipe.doc"); });
    job.dest = dir / "pipe.doc";
    run();
    reader.join();
    EXPECT_EQ(received.rfind("{\\rtf", 0), 0u);
    struct stat st;
    ASSERT_EQ(lstat(job.dest.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));

    EXPECT_EQ(vlxtest::names_starting(dir.path, ""),
              (std::vector<std::string>{"a.doc", "b.doc", "dangling.doc", "link.doc", "new.doc", "pipe.doc",
                                        "real.doc", "three.pdf"}))
        << "no temporary file is left";
}

TEST_F(Run, NewDocumentTakesTheUmaskAReplacedOneKeepsItsMode)
{
    const struct {
        mode_t umask;
        unsigned old_mode; // 0: no old document
        unsigned mode;
    } rows[] = {
        {022, 0, 0644}, {002, 0, 0664}, {077, 0, 0600},
        {022, 0600, 0600}, {022, 0640, 0640}, {077, 0664, 0664},
        // set-id and sticky bits too
        {022, 02664, 02664}, {022, 04640, 04640}, {022, 01644, 01644}, {077, 06755, 06755},
    };
    const mode_t saved = umask(022);
    for (const auto& r : rows) {
        SCOPED_TRACE(std::to_string(r.umask) + " " + std::to_string(r.old_mode));
        std::remove(job.dest.c_str());
        if (r.old_mode) {
            vlxtest::spit(job.dest, "old");
            chmod(job.dest.c_str(), r.old_mode);
        }
        umask(r.umask);
        run();
        EXPECT_TRUE(is_rtf(job.dest));
        EXPECT_EQ(vlxtest::mode_of(job.dest), r.mode);
    }
    umask(saved);

    // Owner and group stay where the process may set them (root may).
    if (geteuid() == 0) {
        ASSERT_EQ(chown(job.dest.c_str(), 65534, 65534), 0);
        ASSERT_EQ(chmod(job.dest.c_str(), 06755), 0); // the chown cleared the set-id bits
        run();
        struct stat st;
        ASSERT_EQ(stat(job.dest.c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, 65534u);
        EXPECT_EQ(st.st_gid, 65534u);
        EXPECT_EQ(st.st_mode & 07777, 06755u);
        EXPECT_TRUE(is_rtf(job.dest));
    }
}


// A replaced document keeps its extended attributes, its ACL among them, and gets none the folder
// hands new files: nobody reads or writes it who could not before.
TEST_F(Run, ReplacedDocumentKeepsItsAclAndExtendedAttributesAndGetsNoOthers)
{
    const char* const ACL = "system.posix_acl_access";
    // 0640 with u:nobody:rw: the mode shows the mask, 660
    const std::string acl = vlxtest::acl_value({{ACL_USER_OBJ, 6, vlxtest::ACL_NO_ID}, {ACL_USER, 6, 65534}, {ACL_GROUP_OBJ, 4, vlxtest::ACL_NO_ID},
                                       {ACL_MASK, 6, vlxtest::ACL_NO_ID}, {ACL_OTHER, 0, vlxtest::ACL_NO_ID}});
    vlxtest::spit(job.dest, "old");
    ASSERT_EQ(chmod(job.dest.c_str(), 0640), 0);
    ASSERT_EQ(lsetxattr(job.dest.c_str(), ACL, acl.data(), acl.size(), 0), 0)
        << "the test folder's file system keeps no ACL: " << std::strerror(errno);
    ASSERT_EQ(lsetxattr(job.dest.c_str(), "user.tag", "kept", 4, 0), 0)
        << "the test folder's file system keeps no user attributes: " << std::strerror(errno);
    ASSERT_EQ(vlxtest::mode_of(job.dest), 0660u);
    run();
    EXPECT_EQ(last_handled_error, "");
    EXPECT_TRUE(is_rtf(job.dest));
    EXPECT_EQ(vlxtest::mode_of(job.dest), 0660u);
    EXPECT_TRUE(vlxtest::xattr_of(job.dest, ACL) == acl) << "the owning group gained rights or nobody lost them";
    EXPECT_EQ(vlxtest::xattr_of(job.dest, "user.tag"), "kept");

    // A folder whose default ACL lets nobody in: its old 0640 document without one stays closed to nobody.
    const std::string folder = dir / "shared";
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    const std::string dflt = vlxtest::acl_value({{ACL_USER_OBJ, 7, vlxtest::ACL_NO_ID}, {ACL_USER, 7, 65534}, {ACL_GROUP_OBJ, 5, vlxtest::ACL_NO_ID},
                                        {ACL_MASK, 7, vlxtest::ACL_NO_ID}, {ACL_OTHER, 5, vlxtest::ACL_NO_ID}});
    ASSERT_EQ(lsetxattr(folder.c_str(), "system.posix_acl_default", dflt.data(), dflt.size(), 0), 0);
    job.dest = folder + "/plain.doc";
    vlxtest::spit(job.dest, "old");
    (void)lremovexattr(job.dest.c_str(), ACL);
    ASSERT_EQ(chmod(job.dest.c_str(), 0640), 0);
    ASSERT_EQ(vlxtest::xattr_names(job.dest), "");
    run();
    EXPECT_EQ(last_handled_error, "");
    EXPECT_TRUE(is_rtf(job.dest));
    EXPECT_EQ(vlxtest::mode_of(job.dest), 0640u);
    EXPECT_EQ(vlxtest::xattr_names(job.dest), "");
}

TEST(DestFile, TemporaryFileIsPrivateUntilTheDocumentIsInPlace)
{
    vlxtest::TempDir dir{"vlxdest"};
    const mode_t saved = umask(0277); // readable and writable by its owner whatever the umask
    {
        vlx_dest_file target(dir / "out.doc");
        ASSERT_NE(target.temp_path(), "");
        EXPECT_EQ(target.path(), target.temp_path());
        EXPECT_EQ(vlxtest::mode_of(target.temp_path()), 0600u);
    }
    umask(0);
    {
        vlx_dest_file target(dir / "out.doc");
        ASSERT_NE(target.temp_path(), "");
        EXPECT_EQ(vlxtest::mode_of(target.temp_path()), 0600u);
        vlxtest::spit(target.path(), "document");
        target.commit();
        EXPECT_EQ(target.temp_path(), "");
    }
    umask(saved);
    EXPECT_EQ(vlxtest::mode_of(dir / "out.doc"), 0666u);
    EXPECT_EQ(vlxtest::slurp(dir / "out.doc"), "document");
    // A fault the moment the file exists (here in its fchmod) still finds it recorded and removes it.
    EXPECT_EXIT(
        {
            plat::remove_temp_files_on_signals();
            if (vlxtest::trap_call(SYS_fchmod))
                vlx_dest_file target(dir / "new.doc");
            std::exit(0);
        },
        testing::KilledBySignal(SIGSYS), "");
    EXPECT_EQ(vlxtest::names_starting(dir.path, ""), std::vector<std::string>{"out.doc"});
}

// A run stopped (the wizard's Cancel) while another writer holds the hard-linked document ends its
// wait for the lock, and leaves the old document and no temporary file.
TEST(DestFile, StopEndsTheWaitForAnotherWritersLock)
{
    vlxtest::TempDir dir{"vlxdest"};
    const std::string dest = dir / "out.doc";
    vlxtest::spit(dest, "old");
    ASSERT_EQ(link(dest.c_str(), (dir / "other.doc").c_str()), 0); // so it is copied into in place
    const int held = open(dest.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    std::atomic<int> asked{0};
    std::promise<std::string> ended;
    std::future<std::string> how = ended.get_future();
    std::thread run([&] {
        std::string end = "committed";
        try {
            vlx_dest_file target(dest);
            vlxtest::spit(target.path(), "new");
            target.commit([&] { return ++asked >= 3; });
        } catch (const tk_final_exception&) {
            end = "stopped";
        } catch (const std::exception& e) {
            end = e.what();
        }
        ended.set_value(end);
    });
    // A wait that never asks would hold the thread for good: the lock is let go after a minute.
    const bool in_time = how.wait_for(std::chrono::seconds(60)) == std::future_status::ready;
    flock(held, LOCK_UN);
    close(held);
    run.join();
    EXPECT_TRUE(in_time) << "the wait did not end when asked to stop";
    EXPECT_EQ(how.get(), "stopped");
    EXPECT_EQ(asked.load(), 3);
    EXPECT_EQ(vlxtest::slurp(dest), "old");
    EXPECT_EQ(vlxtest::names_starting(dir.path, ""), (std::vector<std::string>{"other.doc", "out.doc"}));
}

// However the destination's name led to the source when the run began (the very name, another hard
// link, a descriptor's entry in /proc), the document is never put over it.
TEST(DestFile, DocumentIsNeverPutOverTheSource)
{
    vlxtest::TempDir dir{"vlxdest"};
    const std::string src = dir / "src.pdf";
    vlxtest::spit(src, "source");
    ASSERT_EQ(link(src.c_str(), (dir / "hard.pdf").c_str()), 0);
    const int fd = open(src.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    for (const std::string& dest : {src, dir / "hard.pdf", "/proc/self/fd/" + std::to_string(fd)}) {
        SCOPED_TRACE(dest);
        // refused at the commit, or at once for a descriptor's entry, which is written directly
        EXPECT_EQ(thrown([&] {
                      vlx_dest_file target(dest, src);
                      vlxtest::spit(target.path(), "document");
                      target.commit();
                  }),
                  std::make_pair(std::string("Destination name should differ from the source name."), 1));
        EXPECT_EQ(vlxtest::slurp(src), "source");
        EXPECT_EQ(vlxtest::names_starting(dir.path, ""), (std::vector<std::string>{"hard.pdf", "src.pdf"}));
    }
    close(fd);
}

TEST_F(Run, NamesAreRequiredBeforeTheRunReportsAnything)
{
    job.dest.clear();
    EXPECT_EQ(thrown([&] { job.run(); }).first, tk_mail_assertion::make_message("vlx_conv", 209));
    EXPECT_EQ(last_handled_error, "");
}

// No console option selects framed blocks: the wizard's job takes them from the settings store.
void store_framed_blocks()
{
    tk_reg_key key(VLX_SETTINGS_KEY);
    ASSERT_EQ(key.create(plat::hkey_current_user(), VLX_SETTINGS_KEY), 0);
    ASSERT_EQ(key.set_value(0u, "noframe_mode"), 0);
    ASSERT_EQ(key.set_value(0u, "physLayout_mode"), 0);
}

TEST_F(JobTest, FramedBlockPagesKeepTheirPicturesInLibreOffice)
{
    ASSERT_NO_FATAL_FAILURE(store_framed_blocks());
    vlxtest::TempDir dir{"vlxpicture"};
    vlxtest::PdfWriter w;
    for (const char* t : {"First page", "Second page"})
        w.add_page().text(72, 700, t).fill_rect(300, 300, 100, 100, {0, 0.5, 1});
    error_handler handler;
    vellix_convertor job;
    ASSERT_TRUE(job.convert_graphics && !job.noframe_mode && !job.physLayout_mode);
    job.src = dir / "picture.pdf";
    w.save(job.src);
    job.dest = dir / "picture.doc";
    job.run();
    ASSERT_TRUE(job.run_done) << last_handled_error;
    // Each page picture has a body paragraph of its own to anchor in, as in exact mode.
    const std::string rtf = vlxtest::slurp(job.dest);
    const std::string anchored = std::string(VLX_PICTURE_TAIL) + "\\pard\\plain\\fs2\\par\r\n";
    size_t pictures = 0;
    for (size_t p = rtf.find(anchored); p != std::string::npos; p = rtf.find(anchored, p + 1))
        ++pictures;
    EXPECT_EQ(pictures, 2u);
    vlxtest::TempDir out{"vlxpictureout"};
    ASSERT_EQ(vlxtest::lo_convert({job.dest}, "pdf", out.path, out.path), "");
    const std::string images = vlxtest::command_output("pdfimages -list '" + out / "picture.pdf" + "' | tail -n +3");
    EXPECT_EQ(std::count(images.begin(), images.end(), '\n'), 2) << "one picture a page:\n" << images;
}

TEST_F(JobTest, FramedBlocksBreakAfterALineShortByItsNaturalWidth)
{
    ASSERT_NO_FATAL_FAILURE(store_framed_blocks());
    // Courier 20 pt, 12 pt a character: each block is 360 wide, its frame 378. The line of 20 Cs
    // measures 240 without a trailing space and 252 with one; the next line's first word 132.
    // 240 + 132 < 378: that word would have fitted, so the Cs ended their paragraph. After 21 Cs
    // (252 + 132 > 378) the Ds go on in the same paragraph.
    vlxtest::TempDir dir{"vlxframed"};
    vlxtest::PdfWriter w;
    const std::string cs[] = {std::string(20, 'C'), std::string(21, 'C')};
    for (const std::string& c : cs) {
        const std::string rows[] = {std::string(30, 'A'), std::string(20, 'B'), c, "DDDDDDDDDDD EE"};
        vlxtest::PdfPage& p = w.add_page();
        for (int i = 0; i < 4; ++i)
            p.text(72, 700 - 24 * i, rows[i], "Courier", 20);
    }
    error_handler handler;
    vellix_convertor job;
    ASSERT_FALSE(job.noframe_mode || job.physLayout_mode);
    job.src = dir / "framed.pdf";
    w.save(job.src);
    job.dest = dir / "framed.doc";
    job.convert_graphics = false;
    vlxtest::Captured out(1);
    job.run();
    out.text();
    ASSERT_TRUE(job.run_done) << last_handled_error;
    const std::string rtf = vlxtest::slurp(job.dest);
    EXPECT_NE(rtf.find("\\li-5\\ri-15\\sl-"), std::string::npos) << "framed blocks: " << rtf;
    size_t from = 0;
    for (const std::string& c : cs) {
        size_t at = rtf.find(c + " ", from), d = rtf.find("DDDDDDDDDDD", at);
        ASSERT_TRUE(at != std::string::npos && d != std::string::npos) << rtf;
        EXPECT_EQ(rtf.substr(at, d - at).find("\\par") != std::string::npos, c.size() == 20) << rtf.substr(at, d - at);
        from = d;
    }
}

} // namespace
