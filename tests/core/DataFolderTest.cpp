// The learner's data folder: what may be created where, and the delivered
// startup configuration placed in a new folder.
#include "state/DataFolder.h"

#include <gtest/gtest.h>
#include "support/TempFolder.h"
#include "support/Typing.h"

namespace pellix {
namespace {

namespace fs = std::filesystem;
using support::TempFolder;
using support::TypeCommand;

TEST(PrepareLearnerFolder, CreatesANamedFolderOnlyUnderAParentThatExists) {
    struct Case {
        std::string named;  // under the test's folder
        FolderCreation creation;
        bool ready;
    };
    const Case cases[] = {
        {"data", FolderCreation::LastOnly, true},
        {"data/", FolderCreation::LastOnly, true},
        {"typo/data", FolderCreation::LastOnly, false},
        {"typo/data/", FolderCreation::LastOnly, false},
        {"typo/data", FolderCreation::WithParents, true},
    };
    for (const Case& c : cases) {
        TempFolder base;
        const fs::path folder = base.Path() / c.named;
        const std::string error = PrepareLearnerFolder(folder, c.creation);
        EXPECT_EQ(error.empty(), c.ready) << c.named << ": " << error;
        EXPECT_EQ(fs::exists(folder / "router1.cfg"), c.ready) << c.named;
        if (!c.ready) {
            EXPECT_EQ(error, "cannot create the folder " + folder.string() +
                                 ": its parent folder " + (base.Path() / "typo").string() +
                                 " does not exist");
            EXPECT_FALSE(fs::exists(base.Path() / "typo")) << c.named;
        }
    }
}

TEST(PrepareLearnerFolder, KeepsWhatAnExistingFolderHolds) {
    TempFolder base;
    base.Write("router1.cfg", "R7\r\n");
    EXPECT_EQ(PrepareLearnerFolder(base.Path(), FolderCreation::LastOnly), "");
    EXPECT_EQ(base.Read("router1.cfg"), "R7\r\n");
    EXPECT_EQ(CreationFor(std::nullopt), FolderCreation::WithParents);
    EXPECT_EQ(CreationFor(base.Path()), FolderCreation::LastOnly);
}

}  // namespace
}  // namespace pellix
