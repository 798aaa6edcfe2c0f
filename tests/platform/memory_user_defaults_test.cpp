#include <cmath>
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <vector>

#include <gtest/gtest.h>

#include "platform/sim/memory_user_defaults.h"
#include "support/files.h"
#include "support/json.h"
#include "testkit/allocation_count.h"
#include "testkit/child_process.h"
#include "testkit/temp_folder.h"

namespace tarnwick::sim {
namespace {

namespace fs = std::filesystem;

class MemoryUserDefaultsTest : public ::testing::Test {
protected:
    testkit::TempFolder home;
    fs::path file = home / "local.orlenbay.Tarnwick.json";

    // Loads `content` as the domain file, then tries to change the domain.
    Dictionary loadAndChange(const std::string& content) {
        files::writeAtomically(file, content);
        MemoryUserDefaults defaults(file);
        auto loaded = defaults.snapshot();
        defaults.set("showBanner", false);
        return loaded;
    }
    // Why the domain file cannot be read, or "read".
    std::string whyUnreadable() const {
        const auto unreadable = MemoryUserDefaults(file).unreadable();
        return unreadable ? unreadable->reason : "read";
    }
};

TEST_F(MemoryUserDefaultsTest, ADomainThatIsNotADictionaryStartsEmptyAndIsNeverOverwritten) {
    for (const std::string content : {R"({"$type":"url","value":"x"})", R"({"$type":"date","value":5})",
                                      R"({"$type":"bytes","value":[1,2]})", R"({"$type":"double","value":"nan"})",
                                      R"([{"showBanner":true}])", R"("text")", "{", ""}) {
        EXPECT_TRUE(loadAndChange(content).empty()) << content;
        EXPECT_EQ(files::read(file), content);
    }
}

TEST_F(MemoryUserDefaultsTest, ADomainThatIsNoRegularFileIsLeftAlone) {
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    MemoryUserDefaults fromFifo(file);
    fromFifo.set("showBanner", false);
    EXPECT_TRUE(fs::is_fifo(file));
    fs::remove(file);

    fs::create_symlink(home / "elsewhere.json", file);
    MemoryUserDefaults fromDanglingLink(file);
    fromDanglingLink.set("showBanner", false);
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_FALSE(fs::exists(home / "elsewhere.json"));
}

// A domain nested a million levels deep is said to be so, found so for what reading its first
// piece costs, and kept as it is.
TEST_F(MemoryUserDefaultsTest, ADeeplyNestedDomainIsRefusedForTheCostOfReadingItsStart) {
    const std::string content = R"({"k":)" + std::string(1'000'000, '[') + std::string(1'000'000, ']') + "}";
    files::writeAtomically(file, content);
    const std::size_t before = testkit::bytesAllocatedOnThisThread();
    MemoryUserDefaults defaults(file);
    EXPECT_LT(testkit::bytesAllocatedOnThisThread() - before, 256u * 1024u);
    ASSERT_TRUE(defaults.unreadable());
    EXPECT_EQ(defaults.unreadable()->reason, "it nests arrays and objects more than 512 levels deep");
    defaults.set("showBanner", false);
    EXPECT_EQ(files::read(file), content);
}

// An unreadable domain says which file and why, whatever is at the path; a domain read, or one
// not there yet, says nothing.
TEST_F(MemoryUserDefaultsTest, AnUnreadableDomainSaysWhichFileAndWhy) {
    const auto reasonFor = [&](const std::string& content) {
        files::writeAtomically(file, content);
        const auto unreadable = MemoryUserDefaults(file).unreadable();
        if (unreadable) {
            EXPECT_EQ(unreadable->file, file);
        }
        return unreadable ? unreadable->reason : "read";
    };
    EXPECT_EQ(reasonFor(R"({"hasLaunchedBefore": tru)"), "it is not valid JSON");
    EXPECT_EQ(reasonFor(""), "it is empty");
    EXPECT_EQ(reasonFor(R"([{"showBanner":true}])"), "it holds a JSON array, not an object of settings");
    EXPECT_EQ(reasonFor(R"("text")"), "it holds a single JSON value, not an object of settings");
    EXPECT_EQ(reasonFor(R"({"$type":"date","value":5})"), "it holds one tagged value, not an object of settings");
    EXPECT_EQ(reasonFor(R"({"showBanner":true})"), "read");
    // A key given twice: whichever counted, the next save would drop the other.
    EXPECT_EQ(reasonFor(R"({"showBanner":true,"showBanner":false})"), "it holds the key \u201CshowBanner\u201D twice");
    EXPECT_EQ(reasonFor(R"({"k":[{"$type":"url","value":"a","value":"b"}]})"),
              "k[0] holds the key \u201Cvalue\u201D twice");
    fs::remove(file);
    EXPECT_FALSE(MemoryUserDefaults(file).unreadable());
    EXPECT_FALSE(MemoryUserDefaults().unreadable());

    const auto reasonForItem = [&](const std::function<void()>& make) {
        fs::remove_all(file);
        make();
        MemoryUserDefaults defaults(file);
        defaults.set("showBanner", false);  // kept in memory only
        EXPECT_EQ(defaults.object("showBanner"), Value(false));
        return defaults.unreadable().value_or(platform::UserDefaults::Unreadable{}).reason;
    };
    EXPECT_EQ(reasonForItem([&] { fs::create_directory(file); }), "it is a folder");
    EXPECT_TRUE(fs::is_empty(file));
    EXPECT_EQ(reasonForItem([&] { ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0); }), "it is a FIFO (named pipe)");
    EXPECT_TRUE(fs::is_fifo(file));
    EXPECT_EQ(reasonForItem([&] { fs::create_symlink(home / "nowhere.json", file); }),
              "it is a symbolic link that leads to nothing");
    EXPECT_EQ(reasonForItem([&] { fs::create_symlink(file, file); }), "its symbolic links loop");
    EXPECT_TRUE(fs::is_symlink(file));
}

// Nested "$type"/"value" dictionaries of tags the reader does not know, just within the limit:
// the file reads, and written back (at every start, by every change) it reads the same, at the
// same depth, run after run. One of tags it knows, or any tag at all, wrapped by earlier runs,
// reads the same and is written back no deeper.
TEST_F(MemoryUserDefaultsTest, AFileReadIsWrittenBackAsItWasAndStaysWithinTheLimit) {
    const auto notes = [](int levels, const std::string& open, const std::string& close) {
        std::string text = R"({"x":)";
        for (int level = 0; level < levels; ++level) text += open;
        text += "1";
        for (int level = 0; level < levels; ++level) text += close;
        return text + "}";
    };
    const std::string unknown = notes(json::kMaximumDepth - 1, R"({"$type":"note","value":)", "}");
    const std::string wrapped =
        notes((json::kMaximumDepth - 1) / 2, R"({"$type":"dictionary","value":{"$type":"note","value":)", "}}");
    for (const std::string& content : {unknown, wrapped}) {
        SCOPED_TRACE(content.substr(0, 60));
        ASSERT_TRUE(json::parse(content));
        files::writeAtomically(file, content);
        const Dictionary first = MemoryUserDefaults(file).snapshot();
        ASSERT_FALSE(first.empty());
        for (int run = 0; run < 3; ++run) {
            MemoryUserDefaults defaults(file);
            EXPECT_FALSE(defaults.unreadable()) << "run " << run;
            EXPECT_EQ(defaults.snapshot(), first);
            defaults.set("run", run);
            defaults.remove("run");
            EXPECT_FALSE(defaults.saveFailure());
            EXPECT_LE(json::depth(*json::parse(files::read(file))), json::depth(*json::parse(content)));
        }
    }
    // The first form is what the domain writes today: byte for byte, but for its layout.
    files::writeAtomically(file, unknown);
    MemoryUserDefaults(file).replaceAll(MemoryUserDefaults(file).snapshot());
    EXPECT_EQ(json::parse(files::read(file)), json::parse(unknown));
}

// Every shape a dictionary can have reads back as itself: keys that are those of a tagged value
// with a tag the reader knows (and a "value" that fits it or not), a tag it does not know, a
// "$type" that is no string, a tagged value as "$type", at the top and nested in one another. A
// save of what is too deep to read back is refused, and the old file kept.
TEST_F(MemoryUserDefaultsTest, EveryShapeOfDictionaryReadsBackAsItselfAndNoSaveIsTooDeepToRead) {
    const auto shaped = [](Value type, Value payload) {
        return Value(Dictionary{{"$type", std::move(type)}, {"value", std::move(payload)}});
    };
    std::vector<Value> shapes{Value(Date{5}), Value(Url{"file:///"}), Value(Bytes{{1, 2}}), Value(INFINITY)};
    for (const char* type : {"date", "url", "bytes", "double", "dictionary", "note", ""})
        for (const Value& payload : {Value(5), Value("soon"), Value(Array{Value(300)}), Value(Dictionary{}), Value()})
            shapes.push_back(shaped(Value(type), payload));
    shapes.push_back(shaped(Value(7), Value(1)));
    shapes.push_back(shaped(Value(Date{1}), Value(Url{"x"})));
    shapes.push_back(shaped(shaped(Value("url"), Value(1)), Value(1)));
    for (std::size_t i = 0, count = shapes.size(); i < count; ++i) {
        shapes.push_back(shaped(Value("dictionary"), shapes[i]));
        shapes.push_back(shaped(Value("note"), Value(Array{shapes[i]})));
        shapes.push_back(shaped(shapes[i], shapes[(i + 1) % count]));
    }
    for (const Value& shape : shapes) {
        const Value encoded = encodeDefaultsValue(shape);
        const auto written = json::write(encoded, json::Style::compact, true);
        ASSERT_TRUE(written);
        SCOPED_TRACE(*written);
        const auto read = json::parse(*written);
        ASSERT_TRUE(read);
        EXPECT_FALSE(findMalformedDefaultsTag(*read));
        EXPECT_EQ(decodeDefaultsValue(*read), shape);
        // As a whole domain, through the file, after a restart.
        if (const auto* members = shape.asDictionary()) {
            MemoryUserDefaults(file).replaceAll(*members);
            MemoryUserDefaults again(file);
            EXPECT_FALSE(again.unreadable());
            EXPECT_EQ(again.snapshot(), *members);
        }
    }

    // At the limit a domain saves; a level more, or tagged-value keys that each need wrapping,
    // would be read as too deep at the next start: the save fails, says so, and keeps the file.
    const auto deep = [](int levels, const std::function<Value(Value)>& wrap) {
        Value value = Value(1);
        for (int level = 0; level < levels; ++level) value = wrap(std::move(value));
        return value;
    };
    const auto array = [](Value inside) { return Value(Array{std::move(inside)}); };
    const std::string tooDeep = "The file \u201Clocal.orlenbay.Tarnwick.json\u201D couldn\u2019t be saved because the "
                                "settings would nest arrays and objects more than 512 levels deep, and Tarnwick could "
                                "not read it back.";
    MemoryUserDefaults defaults(file);
    defaults.set("deep", deep(json::kMaximumDepth - 1, array));
    EXPECT_FALSE(defaults.saveFailure());
    const std::string saved = files::read(file);
    for (const Value& value : {deep(json::kMaximumDepth, array),
                               deep(300, [&](Value inside) { return shaped(Value("url"), std::move(inside)); })}) {
        defaults.set("deeper", value);
        EXPECT_EQ(defaults.saveFailure().value_or(platform::UserDefaults::SaveFailure{}).sentence, tooDeep);
        EXPECT_EQ(defaults.object("deeper"), value);
        EXPECT_EQ(files::read(file), saved);
    }
    defaults.remove("deeper");
    EXPECT_FALSE(defaults.saveFailure());
    EXPECT_FALSE(MemoryUserDefaults(file).unreadable());
}

// A file this user may not read, or in a folder this user may not pass through, says so (as
// another user than root, who may read anywhere), and is left alone.
TEST_F(MemoryUserDefaultsTest, AFileThisUserMayNotReadSaysWhy) {
    const fs::path closed = home / "Preferences";
    fs::create_directory(closed);
    files::writeAtomically(file, R"({"showBanner":true})");
    files::writeAtomically(closed / "local.orlenbay.Tarnwick.json", R"({"showBanner":true})");
    fs::permissions(file, fs::perms::none);
    fs::permissions(closed, fs::perms(0600));
    const auto run = testkit::asUnprivilegedUser({home.path()}, [&] {
        std::string said;
        for (const fs::path& at : {file, closed / "local.orlenbay.Tarnwick.json"}) {
            MemoryUserDefaults defaults(at);
            defaults.set("showBanner", false);
            said += defaults.unreadable().value_or(platform::UserDefaults::Unreadable{}).reason + "\n";
        }
        return said;
    });
    fs::permissions(closed, fs::perms(0755));
    fs::permissions(file, fs::perms(0644));
    if (!run.skipped.empty()) GTEST_SKIP() << run.skipped;
    EXPECT_EQ(run.answer, "you may not read it\nyou may not open the folder \u201C" + closed.string() + "\u201D\n");
    EXPECT_EQ(files::read(file), R"({"showBanner":true})");
    EXPECT_EQ(files::read(closed / "local.orlenbay.Tarnwick.json"), R"({"showBanner":true})");
}

TEST_F(MemoryUserDefaultsTest, EveryValueReadsBackAsItselfAfterARestart) {
    Dictionary tagShaped{{"$type", Value("date")}, {"value", Value(5)}};
    Dictionary values{
        {"date", Value(Date{1.5})},
        {"url", Value(Url{"file:///Applications/"})},
        {"bytes", Value(Bytes{{0, 7, 255}})},
        {"infinite", Value(-INFINITY)},
        {"nested", Value(Array{Value(tagShaped), Value(Dictionary{{"$type", Value("url")}, {"value", Value(tagShaped)}})})},
        // Keys of their own that happen to be those of a tagged value.
        {"$type", Value("url")},
    };
    {
        MemoryUserDefaults defaults(file);
        defaults.replaceAll(values);
    }
    EXPECT_EQ(MemoryUserDefaults(file).snapshot(), values);

    // The domain as a whole shaped like a tagged value.
    {
        MemoryUserDefaults defaults(file);
        defaults.replaceAll(tagShaped);
    }
    EXPECT_EQ(MemoryUserDefaults(file).snapshot(), tagShaped);
}

// A tagged value that does not fit its tag, for each tag the domain writes, at the top, inside
// an array and inside a wrapped dictionary: read as a plain dictionary, it would be written back
// as one and stand for something else. The file is unreadable instead, and kept byte for byte.
TEST_F(MemoryUserDefaultsTest, ATaggedValueThatDoesNotFitItsTagMakesTheFileUnreadableAndKept) {
    struct Misfit {
        std::string member;
        std::string reason;
    };
    const std::string number = "must be a number";
    const std::string bytes = "must be an array of whole numbers from 0 to 255";
    const Misfit misfits[] = {
        {R"({"$type":"double","value":"minus infinity"})", R"(k.value must be "nan", "inf" or "-inf")"},
        {R"({"$type":"double","value":1})", R"(k.value must be "nan", "inf" or "-inf")"},
        {R"({"$type":"date","value":"yesterday"})", "k.value " + number},
        {R"({"$type":"date","value":true})", "k.value " + number},
        {R"({"$type":"date","value":null})", "k.value " + number},
        {R"({"$type":"url","value":7})", "k.value must be a string"},
        {R"({"$type":"url","value":["file:///"]})", "k.value must be a string"},
        {R"({"$type":"bytes","value":[1,999]})", "k.value " + bytes},
        {R"({"$type":"bytes","value":[1,256]})", "k.value " + bytes},
        {R"({"$type":"bytes","value":[-1]})", "k.value " + bytes},
        {R"({"$type":"bytes","value":[1.5]})", "k.value " + bytes},
        {R"({"$type":"bytes","value":[true]})", "k.value " + bytes},
        {R"({"$type":"bytes","value":"AQI="})", "k.value " + bytes},
        {R"({"$type":"dictionary","value":[]})", "k.value must be an object"},
        {R"([0,{"$type":"url","value":7}])", "k[1].value must be a string"},
        {R"([{"$type":"url","value":7},0])", "k[0].value must be a string"},
        {R"([[{"$type":"date","value":"soon"}]])", "k[0][0].value " + number},
        {R"({"$type":"dictionary","value":{"$type":"date","value":{"$type":"bytes","value":[300]}}})",
         "k.value.value.value " + bytes},
    };
    for (const auto& misfit : misfits) {
        SCOPED_TRACE(misfit.member);
        const std::string content = R"({"showBanner":true,"k":)" + misfit.member + "}";
        EXPECT_TRUE(loadAndChange(content).empty());
        EXPECT_EQ(files::read(file), content);
        EXPECT_EQ(whyUnreadable(), misfit.reason);
        const Value stored = *json::parse(misfit.member);
        EXPECT_TRUE(findMalformedDefaultsTag(Value(Array{Value(), stored}))) << misfit.member;
        EXPECT_TRUE(findMalformedDefaultsTag(Value(Array{stored}))) << misfit.member;
    }
    // The whole domain as one tagged value that does not fit.
    EXPECT_TRUE(loadAndChange(R"({"$type":"date","value":"soon"})").empty());
    EXPECT_EQ(whyUnreadable(), "value " + number);

    // A tag the domain never writes is a dictionary like any other, and so is one with a third key.
    for (const std::string plain : {R"({"$type":"other","value":"x"})", R"({"$type":"url","value":7,"more":1})"}) {
        EXPECT_EQ(loadAndChange(R"({"k":)" + plain + "}").at("k"), *json::parse(plain)) << plain;
        EXPECT_EQ(whyUnreadable(), "read") << plain;
    }
    EXPECT_EQ(findMalformedDefaultsTag(*json::parse(R"({"a":{"$type":"dictionary","value":{"b":{"$type":"url","value":1}}}})"))
                  ->path,
              ".a.value.b.value");
}

// A NUL byte after a whole document is no end of the file: the file is not JSON, and the text
// after the NUL stays in it.
TEST_F(MemoryUserDefaultsTest, AFileWithANulByteIsUnreadableAndKeptWhole) {
    using namespace std::string_literals;
    for (const auto& content : {"{\"showBanner\":true}\0{\"bannerScale\":2}"s, "{\"showBanner\":true}\0"s,
                                      "{\"showBanner\":\0true}"s}) {
        EXPECT_TRUE(loadAndChange(content).empty());
        EXPECT_EQ(files::read(file), content);
        EXPECT_EQ(whyUnreadable(), "it is not valid JSON");
    }
}

// A save that fails keeps the change in memory, says why in the writer's words, and is heard
// by the observers, as is the next save, which succeeds once the cause is gone and then holds
// every change of the run. Here the folder the file goes in is a file, which root cannot pass.
TEST_F(MemoryUserDefaultsTest, ASaveThatFailsKeepsTheChangeAndSaysWhyUntilASaveSucceeds) {
    const fs::path folder = home / "Preferences";
    const fs::path inFolder = folder / "local.orlenbay.Tarnwick.json";
    std::ofstream(folder) << "in the way";
    MemoryUserDefaults defaults(inFolder);
    int saves = 0;
    const Subscription heard = defaults.observeSaves([&] {
        ++saves;
        defaults.object("showBanner");  // the domain is not locked
    });
    EXPECT_FALSE(defaults.saveFailure());

    defaults.set("showBanner", false);
    defaults.remove("nothing");
    EXPECT_EQ(saves, 2);
    EXPECT_EQ(defaults.object("showBanner"), Value(false));
    const auto failure = defaults.saveFailure();
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->file, inFolder);
    EXPECT_EQ(failure->sentence, "The file \u201Clocal.orlenbay.Tarnwick.json\u201D couldn\u2019t be saved because \u201C" +
                                     folder.string() + "\u201D is not a folder.");
    EXPECT_EQ(testkit::fileText(folder), "in the way");

    fs::remove(folder);
    defaults.set("bannerScale", 2);
    EXPECT_EQ(saves, 3);
    EXPECT_FALSE(defaults.saveFailure());
    EXPECT_EQ(MemoryUserDefaults(inFolder).snapshot(), (Dictionary{{"showBanner", Value(false)}, {"bannerScale", Value(2)}}));
}

// Each cause in its own words: a folder that took the file's name after the start, and a folder
// this user may not write in (as another user than root, who may write anywhere).
TEST_F(MemoryUserDefaultsTest, ASaveFailureSaysItsOwnCause) {
    MemoryUserDefaults refused(file);
    fs::create_directory(file);
    refused.set("showBanner", false);
    EXPECT_EQ(refused.saveFailure().value_or(platform::UserDefaults::SaveFailure{}).sentence,
              "The file \u201Clocal.orlenbay.Tarnwick.json\u201D couldn\u2019t be saved because it is a folder, not a "
              "regular file. Nothing was written.");
    EXPECT_TRUE(fs::is_empty(file));

    const fs::path readOnly = home / "Preferences";
    fs::create_directory(readOnly);
    fs::permissions(readOnly, fs::perms(0555));
    const auto run = testkit::asUnprivilegedUser({home.path()}, [&] {
        MemoryUserDefaults defaults(readOnly / "local.orlenbay.Tarnwick.json");
        defaults.set("showBanner", false);
        const std::string kept = defaults.object("showBanner") == Value(false) ? "kept" : "lost";
        return kept + " " + defaults.saveFailure().value_or(platform::UserDefaults::SaveFailure{}).sentence;
    });
    fs::permissions(readOnly, fs::perms(0755));
    if (!run.skipped.empty()) GTEST_SKIP() << run.skipped;
    EXPECT_EQ(run.answer, "kept The file \u201Clocal.orlenbay.Tarnwick.json\u201D couldn\u2019t be saved because you may "
                           "not write in the folder \u201C" + readOnly.string() + "\u201D.");
    EXPECT_TRUE(fs::is_empty(readOnly));
}

// A domain kept nowhere never saves, and tells nobody of saves.
TEST_F(MemoryUserDefaultsTest, ADomainKeptNowhereTellsOfNoSaves) {
    MemoryUserDefaults inMemory;
    int saves = 0;
    const Subscription heard = inMemory.observeSaves([&] { ++saves; });
    inMemory.set("showBanner", false);
    EXPECT_EQ(saves, 0);
    EXPECT_FALSE(inMemory.saveFailure());

    // Nor does an unreadable one, whose file is never written.
    std::ofstream(file) << "{";
    MemoryUserDefaults unreadable(file);
    const Subscription heardToo = unreadable.observeSaves([&] { ++saves; });
    unreadable.set("showBanner", false);
    EXPECT_EQ(saves, 0);
}

}  // namespace
}  // namespace tarnwick::sim
