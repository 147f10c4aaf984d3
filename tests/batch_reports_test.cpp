// The command line's reports: reproducible result files.

#include "batch_run.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace zmbr {
namespace {

// Runs `zmbr --batch` on the files in the current folder.
int batch(std::vector<std::string> files, std::string& out, std::string& err) {
    CommandLine cl;
    cl.batch = true;
    cl.files = std::move(files);
    cl.jobs = 2;
    std::ostringstream o, e;
    const int status = runBatch(cl, o, e);
    out = o.str();
    err = e.str();
    return status;
}

TEST(CommandLineRuns, SourceDateEpochDatesTheResultFile) {
    struct Case {
        const char* value;
        const char* moment; // the end of line 1; empty where the value is refused
    };
    const Case cases[] = {
        {"1796549405", "12-06-2026, 09:30:05"}, // the moment of the known result files
        {"0", "01-01-1970, 00:00:00"},
        {"253402300800", ""}, // beyond the year 9999
        {"-1", ""},
        {"1.7e9", ""},
    };
    test::ScratchFolder dir;
    test::CurrentFolder here(dir.path());
    std::filesystem::copy_file(test::dataPath("steel_yield.mbr"), "steel_yield.mbr");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        ::setenv("SOURCE_DATE_EPOCH", c.value, 1);
        std::string out, err, first;
        ASSERT_EQ(batch({"steel_yield.mbr"}, out, err), 0);
        first = test::readFile("steel_yield.TGC");
        ASSERT_EQ(batch({"steel_yield.mbr"}, out, err), 0);
        const std::string line1 = test::crlfLines(first)[0];
        if (*c.moment) {
            EXPECT_EQ(err, "");
            EXPECT_TRUE(line1.ends_with(std::string(", at ") + c.moment)) << line1;
            EXPECT_EQ(test::readFile("steel_yield.TGC"), first); // two runs, one file
        } else {
            EXPECT_EQ(err, std::string("zmbr: SOURCE_DATE_EPOCH=") + c.value +
                               " is not a whole number of seconds since 1970; the result files "
                               "take the system's date and time\n");
            EXPECT_FALSE(line1.ends_with("1970, 00:00:00")) << line1;
        }
    }
    // Named as in the known result file, the run reproduces it byte for byte.
    ::setenv("SOURCE_DATE_EPOCH", "1796549405", 1);
    std::string out, err;
    ASSERT_EQ(batch({"steel_yield.mbr"}, out, err), 0);
    EXPECT_EQ(test::readFile("steel_yield.TGC"), test::readFile(test::dataPath("steel_yield.TGC")));
    ::unsetenv("SOURCE_DATE_EPOCH");
}

} // namespace
} // namespace zmbr
