// The picture: whatever the names of the desktops and displays, `screen svg` of the Workstation
// Overview, of Mission Control's labels and of the Desktop Names window writes a document that
// parses as XML. The input's pieces between 0xFF bytes are, as valid UTF-8, the built-in
// display's name in the session, the studio display's alias and the desktops' names in the names
// file. The application runs in-process, driven through the console as a person drives it.

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_input.h"
#include "fuzz_support.h"
#include "model/desktop_catalog.h"
#include "model/display_name_store.h"
#include "testkit/console_driver.h"
#include "testkit/delegate_world.h"
#include "testkit/xml_document.h"

using namespace tarnwick;

namespace {

// The desktops of the default session that a name can be given to, in their order.
constexpr const char* kDesktops[] = {
    DesktopCatalog::kFirstSpaceIdentity,    "6F1C2B9E-0D4A-4C8E-9B3F-2A7D5E1C8B40", "A0B1C2D3-E4F5-4A6B-8C7D-9E0F1A2B3C4D",
    "1E2D3C4B-5A69-4788-97A6-B5C4D3E2F101", "2F3E4D5C-6B7A-4899-A8B7-C6D5E4F3A202", "3A4F5E6D-7C8B-49AA-B9C8-D7E6F5A4B303",
    "4B5A6F7E-8D9C-4ABB-8AD9-E8F7A6B5C404",
};

struct Names {
    std::string builtInDisplay = "Built-in Retina Display";
    std::string studioAlias;
    testkit::DelegateWorld::Names desktops;
};

Names namesOf(const std::uint8_t* data, std::size_t size) {
    const auto pieces = fuzz::split(std::string_view(reinterpret_cast<const char*>(data), size), '\xFF');
    Names names;
    names.builtInDisplay = fuzz::utf8ish(pieces[0]);
    if (pieces.size() > 1) names.studioAlias = fuzz::utf8ish(pieces[1]);
    for (std::size_t i = 2; i < pieces.size() && i - 2 < std::size(kDesktops); ++i)
        names.desktops[kDesktops[i - 2]] = fuzz::utf8ish(pieces[i]);
    return names;
}

// Types the line and requires that the console took it.
void type(testkit::ConsoleDriver& console, const std::string& line) {
    const auto answer = console.type(line);
    fuzz::require(!answer.empty() && answer.back() == "ok", "the console takes each step of the road");
}

// Draws the screen and requires a document that parses; with `windowShown`, one that shows a
// window of ours (labels show only for desktops with a name).
void requirePictureParses(testkit::ConsoleDriver& console, const std::string& name, bool windowShown) {
    const auto file = fuzz::scratchFolder() / name;
    type(console, "screen svg " + file.string());
    std::string problem;
    const auto picture = testkit::parseXml(fuzz::readFile(file), &problem);
    if (!picture) std::fprintf(stderr, "%s: %s\n", name.c_str(), problem.c_str());
    fuzz::require(picture.has_value(), "the picture parses as XML");
    if (windowShown) fuzz::require(!picture->all("g", "window").empty(), "the picture shows the window it was drawn for");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::preferMemoryForTemporaryFiles();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Names names = namesOf(data, size);
    testkit::DelegateWorld world(testkit::DelegateWorld::RealWindows{}, names.desktops);
    auto& session = world.env.session;
    session.display(1)->name = names.builtInDisplay;
    session.defaults().set(DisplayNameStore::aliasesKey,
                           Value(Dictionary{{testkit::DelegateWorld::kDisplay2, Value(names.studioAlias)}}));
    session.defaults().set(AppDelegate::kLaunchedBeforeKey, Value(true));
    world.launch();
    testkit::ConsoleDriver console(session);

    // Each wait is as short as the step it waits for allows: the run loop's timers cost most.
    type(console, "hover status-item");
    type(console, "wait 0.4");
    requirePictureParses(console, "overview.svg", true);
    type(console, "pointer 300 300");
    type(console, "wait 0.3");

    type(console, "mission-control open");
    type(console, "wait 0.3");
    requirePictureParses(console, "labels.svg", false);
    type(console, "mission-control close");

    // A click opens the menu once it cannot become a double click.
    type(console, "click status-item");
    type(console, "wait 0.5");
    type(console, "menu \"Desktop Names\"");
    requirePictureParses(console, "names.svg", true);
    return 0;
}
