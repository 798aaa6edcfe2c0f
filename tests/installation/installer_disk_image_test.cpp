#include "installation/base64.h"
#include "installation/installer_disk_image.h"
#include "installation_fixture.h"

namespace tarnwick::installation_test {
namespace {

using Ejection = InstallerDiskImage::Ejection;

class InstallerDiskImageTest : public ::testing::Test {
protected:
    testkit::TestEnvironment env;
    sim::SimDiskImage& disk = attachInstallerImage(env);
    fs::path volume = disk.mountPoint;

    // A listing of the disk-image tool with the given images (JSON objects).
    static std::string listingOf(const std::string& images) { return "{\"images\": [" + images + "]}"; }
    std::string image(const std::string& path = "/Users/ana/Downloads/Tarnwick.dmg", const std::string& extra = "",
                      const std::string& entities = "") {
        const std::string mounted = "{\"dev-entry\": \"/dev/disk4s1\", \"mount-point\": \"" + volume.string() + "\"}";
        return "{\"image-path\": \"" + path + "\", \"writeable\": false, \"hdid-pid\": 812" + extra +
               ", \"system-entities\": [{\"dev-entry\": \"/dev/disk4\"}, " + (entities.empty() ? mounted : entities) +
               "]}";
    }
    std::optional<InstallerDiskImage> match(const std::string& listing) {
        return InstallerDiskImage::match(volume, "UUID", listing);
    }
};

TEST_F(InstallerDiskImageTest, TheAppAtTheRootOfAReadOnlyImageFindsItsImage) {
    auto found = InstallerDiskImage::mounted(volume / "Tarnwick.app/");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->mount, volume);
    EXPECT_EQ(found->device, "/dev/disk4s1");
    EXPECT_EQ(found->backingPath, disk.imagePath.string());
    EXPECT_EQ(found->attachmentPID, 812);
    EXPECT_EQ(found->volumeUUID, disk.volumeUUID);
    EXPECT_EQ(found->app(), volume / "Tarnwick.app");
}

TEST_F(InstallerDiskImageTest, CopiesNotAtTheRootOfAReadOnlyImageHaveNone) {
    makeBundle(volume / "Sub/Tarnwick.app");
    makeBundle(volume / "Other.app");
    EXPECT_FALSE(InstallerDiskImage::mounted(volume / "Sub/Tarnwick.app"));
    EXPECT_FALSE(InstallerDiskImage::mounted(volume / "Other.app"));
    EXPECT_FALSE(InstallerDiskImage::mounted(volume / "Missing/Tarnwick.app"));
    EXPECT_FALSE(InstallerDiskImage::mounted(makeBundle(env.home.path() / "Downloads/Tarnwick.app")));
    env.session.diskImageTool.infoFails = true;
    EXPECT_FALSE(InstallerDiskImage::mounted(volume / "Tarnwick.app"));
    env.session.diskImageTool.infoFails = false;
    disk.writeable = true;
    EXPECT_FALSE(InstallerDiskImage::mounted(volume / "Tarnwick.app"));
    disk.writeable = false;
    disk.volumeUUID.clear();
    EXPECT_FALSE(InstallerDiskImage::mounted(volume / "Tarnwick.app"));
}

TEST_F(InstallerDiskImageTest, TheListingMustNameExactlyOneMatchingImage) {
    ASSERT_TRUE(match(listingOf(image())));
    EXPECT_EQ(match(listingOf(image("/x/TARNWICK.DMG")))->backingPath, "/x/TARNWICK.DMG");
    EXPECT_FALSE(match(listingOf(image("/x/Tarnwick.sparseimage"))));
    EXPECT_FALSE(match(listingOf(image() + ", " + image("/y/Tarnwick.dmg"))));
    const std::string twice = "{\"dev-entry\": \"/dev/disk4s1\", \"mount-point\": \"" + volume.string() +
                              "\"}, {\"dev-entry\": \"/dev/disk4s2\", \"mount-point\": \"/elsewhere\"}";
    EXPECT_FALSE(match(listingOf(image("/x/T.dmg", "", twice))));
    EXPECT_FALSE(match(listingOf(
        image("/x/T.dmg", "", "{\"dev-entry\": \"/dev/rdisk4\", \"mount-point\": \"" + volume.string() + "/\"}"))));
    EXPECT_FALSE(match(listingOf(R"({"image-path": "/x/T.dmg", "system-entities": []})")));
    EXPECT_FALSE(match("{\"images\": [1]}"));
    EXPECT_FALSE(match("not a property list"));
    // A writeable flag that is not a Boolean false, or another image, does not count.
    auto writable = image();
    writable.replace(writable.find("false"), 5, "true");
    EXPECT_FALSE(match(listingOf(writable)));
    auto other = image();
    other.replace(other.find(volume.string()), volume.string().size(), "/Volumes/Other");
    EXPECT_FALSE(match(listingOf(other)));
    // A mount point written with a trailing "/" is the same volume; a non-integer pid is absent.
    auto pidless = image();
    pidless.replace(pidless.find("812"), 3, "\"812\"");
    pidless.replace(pidless.find(volume.string() + "\""), volume.string().size() + 1, volume.string() + "/\"");
    auto found = match(listingOf(pidless));
    ASSERT_TRUE(found);
    EXPECT_FALSE(found->attachmentPID);
}

TEST_F(InstallerDiskImageTest, TheHandOffRoundTripsAndLeavesOutAnAbsentAttachment) {
    InstallerDiskImage record{"/Volumes/Tarnwick 7", "/dev/disk4s1", "/Users/ana/Downloads/T.dmg", std::nullopt,
                              "UUID"};
    auto text = record.json();
    ASSERT_TRUE(text);
    EXPECT_EQ(
        *text,
        R"({"backingPath":"\/Users\/ana\/Downloads\/T.dmg","device":"\/dev\/disk4s1","mount":"file:\/\/\/Volumes\/Tarnwick%207\/","volumeUUID":"UUID"})");
    EXPECT_EQ(InstallerDiskImage::fromJSON(*text), record);
    record.attachmentPID = 812;
    EXPECT_EQ(InstallerDiskImage::fromJSON(*record.json()), record);

    EXPECT_TRUE(InstallerDiskImage::fromJSON(
        R"({"mount":"file:///V/","device":"d","backingPath":"b","volumeUUID":"u","extra":[1]})"));
    EXPECT_FALSE(InstallerDiskImage::fromJSON(R"({"mount":"file:///V/","device":"d","backingPath":"b"})"));
    EXPECT_FALSE(
        InstallerDiskImage::fromJSON(R"({"mount":"file:///V/","device":"d","backingPath":"b","volumeUUID":1})"));
    EXPECT_FALSE(InstallerDiskImage::fromJSON(
        R"({"mount":"file:///V/","device":"d","backingPath":"b","volumeUUID":"u","attachmentPID":"812"})"));
    EXPECT_FALSE(
        InstallerDiskImage::fromJSON(R"({"mount":"https://x/V/","device":"d","backingPath":"b","volumeUUID":"u"})"));
    // A NUL would cut the mount's path short, raw as much as escaped.
    for (const char* mount : {R"(file:\/\/\/\u0000)", R"(file:\/\/\/V\u0000\/)", "file:///V%00/"})
        EXPECT_FALSE(InstallerDiskImage::fromJSON(std::string(R"({"mount":")") + mount +
                                                  R"(","device":"d","backingPath":"b","volumeUUID":"u"})"))
            << mount;
    EXPECT_FALSE(platform::pathFromFileURL(std::string("file:///V\0/", 11)));
    // Nor does a NUL end the hand-off: a record followed by one and another record is no record.
    EXPECT_FALSE(InstallerDiskImage::fromJSON(*text + '\0' + R"({"mount":"file:///Other/"})"));
}

TEST(Base64Test, StandardPaddedAndStrict) {
    for (const std::string& text : std::vector<std::string>{"", "a", "ab", "abc", "abcd", std::string("\0\xff\x10", 3)})
        EXPECT_EQ(base64::decode(base64::encode(text)), text);
    EXPECT_EQ(base64::encode("ab?"), "YWI/");
    EXPECT_EQ(base64::encode("a"), "YQ==");
    for (const char* bad : {"YQ", "YQ=", "Y===", "YQ==YQ==", "YW\nI/", "YW-_", "=YQ="})
        EXPECT_FALSE(base64::decode(bad)) << bad;
}

TEST_F(InstallerDiskImageTest, EjectsOnlyTheSameImageAndReportsAFailedDetach) {
    auto record = *InstallerDiskImage::mounted(volume / "Tarnwick.app");
    env.session.diskImageTool.detachAnswer = sim::SimDetachAnswer::busy;
    EXPECT_EQ(record.ejectIfStillMounted(), Ejection::detachFailed);
    EXPECT_TRUE(disk.attached);

    env.session.diskImageTool.detachAnswer = sim::SimDetachAnswer::detach;
    disk.volumeUUID = "A-DIFFERENT-VOLUME";
    auto detaches = [&] {
        return std::count_if(env.session.diskImageTool.invocations.begin(), env.session.diskImageTool.invocations.end(),
                             [](const auto& arguments) { return arguments.front() == "detach"; });
    };
    const auto before = detaches();
    EXPECT_EQ(record.ejectIfStillMounted(), Ejection::notMounted);
    EXPECT_EQ(detaches(), before);

    disk.volumeUUID = record.volumeUUID;
    EXPECT_EQ(record.ejectIfStillMounted(), Ejection::ejected);
    EXPECT_FALSE(disk.attached);
    EXPECT_EQ(env.session.diskImageTool.invocations.back(),
              (std::vector<std::string>{"detach", "/dev/disk4s1", "-quiet"}));
    EXPECT_EQ(record.ejectIfStillMounted(), Ejection::notMounted);
}

}  // namespace
}  // namespace tarnwick::installation_test
