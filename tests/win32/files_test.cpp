// Directory searches on the real file system: a name the system refuses is an error of its own.
#include <gtest/gtest.h>

#include <string>

#include "platform/errors.h"
#include "platform/win32/system.h"
#include "scratch_folder.h"

namespace iconlane::win32 {
namespace {

TEST(Win32FileSystemTest, ARefusedNameIsBadFileNameAndAMissingOneFindsNothing) {
    ScratchFolder folder;
    folder.Write("abc.ico", "i");
    struct Case {
        const char* name;  // inside the scratch folder
        int error;
        const char* found;
    };
    // Left to the system, < > and " would be wildcards of its own and | would find nothing.
    const Case cases[] = {{"a<c.ico", kBadFileName, ""},  {"a>c.ico", kBadFileName, ""},
                          {"a|c.ico", kBadFileName, ""},  {"\"abc.ico\"", kBadFileName, ""},
                          {"a\tc.ico", kBadFileName, ""}, {"missing.ico", 0, ""},
                          {"nowhere\\abc.ico", 0, ""},    {"a?c.*", 0, "abc.ico"}};
    Win32FileSystem files;
    for (const Case& c : cases) {
        std::string found;
        int error = 0;
        try {
            found = files.FindFirst(folder.Path(c.name), SearchKind::kFilesOnly);
        } catch (const RuntimeError& failure) {
            error = failure.Number();
        }
        EXPECT_EQ(error, c.error) << c.name;
        EXPECT_EQ(found, c.found) << c.name;
    }
}

}  // namespace
}  // namespace iconlane::win32
