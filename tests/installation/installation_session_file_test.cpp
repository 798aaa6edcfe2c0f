#include "installation/installer_disk_image.h"
#include "installation_fixture.h"
#include "support/error.h"

namespace tarnwick::installation_test {
namespace {

TEST(InstallationSessionFileTest, SessionFilesDescribeTheMachineImagesAndAnswers) {
    testkit::TestEnvironment env;
    env.session.load(R"({
      "fileSystem": {"root": "Disk", "mainBundle": "/Volumes/Tarnwick/Tarnwick.app",
                     "unwritable": ["/Applications"]},
      "diskImages": [{"image": "~/Downloads/Tarnwick.dmg", "mountPoint": "/Volumes/Tarnwick",
                      "volumeUUID": "0E6C9B52-8D1F-4C3A-B7E2-91A45F3D6C08", "hdidPID": 900}],
      "alertAnswers": ["Install and Open", "escape"]
    })");
    const fs::path root = env.home.path() / "Disk";
    EXPECT_EQ(env.session.fileSystem.root, root);
    EXPECT_EQ(env.session.fileSystem.mainBundle, root / "Volumes/Tarnwick/Tarnwick.app");
    EXPECT_TRUE(env.session.fileSystem.unwritableFolders.count(root / "Applications"));
    ASSERT_EQ(env.session.diskImageTool.images.size(), 1u);
    EXPECT_EQ(env.session.diskImageTool.images[0].imagePath, env.home.path() / "Downloads/Tarnwick.dmg");
    EXPECT_EQ(env.session.alertScript.answers.size(), 2u);

    makeBundle(root / "Volumes/Tarnwick/Tarnwick.app");
    auto image = InstallerDiskImage::mounted(root / "Volumes/Tarnwick/Tarnwick.app");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->attachmentPID, 900);

    try {
        env.session.load(R"({"diskImages": [{"image": "x.dmg"}]})");
        FAIL();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(),
                     "The session file is not valid: diskImages[0] needs \"image\", \"mountPoint\" and \"volumeUUID\".");
    }
}

}  // namespace
}  // namespace tarnwick::installation_test
