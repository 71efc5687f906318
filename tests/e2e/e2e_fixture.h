#pragma once
// Each test gets a work folder for its documents and a private temporary folder for VLXRUN, so
// that files the converter leaves behind can be counted.
#include "e2e_util.h"
#include "rtf_layout.h"
#include "sample_docs.h"

#include <gtest/gtest.h>

namespace e2e {

struct Conversion {
    proc_result run;
    std::string rtf;
    RtfDoc doc;
};

class E2e : public ::testing::Test {
protected:
    TempDir work;
    TempDir child_tmp;

    std::string save(const vlxtest::PdfWriter& w, const std::string& name)
    {
        std::string path = work / name;
        w.save(path);
        return path;
    }

    spawn_opts child_opts() const
    {
        spawn_opts o;
        o.cwd = work.path();
        o.env["TMPDIR"] = child_tmp.path();
        return o;
    }

    // Runs VLXRUN --src=src --dest=dest plus extra options and reads the destination back.
    Conversion convert(const std::string& src, const std::string& dest,
                       const std::vector<std::string>& extra = {})
    {
        std::vector<std::string> args{"--src=" + src, "--dest=" + dest};
        args.insert(args.end(), extra.begin(), extra.end());
        Conversion c;
        c.run = run_vlxrun(args, child_opts());
        if (exists(dest))
            c.rtf = slurp(dest);
        c.doc = parse_rtf(c.rtf);
        EXPECT_TRUE(list_dir(child_tmp.path()).empty()) << "temporary files left behind";
        return c;
    }
};

// Asserts a conversion finished and its file has the expected order and balanced braces.
#define EXPECT_CONVERTED(c)                                                                     \
    do {                                                                                        \
        ASSERT_EQ((c).run.status, 0) << (c).run.describe();                                     \
        std::string why_;                                                                       \
        EXPECT_TRUE(vlxtest::rtf_braces_ok((c).rtf, &why_)) << why_;                            \
        ASSERT_EQ((c).doc.error, "");                                                           \
    } while (0)

} // namespace e2e
