#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "overlays/label_locator.h"
#include "platform/sim/capture/mission_control_layout.h"
#include "testkit/test_environment.h"

namespace tarnwick::testkit {

// The arguments of one location run.
struct LocatorOptions {
    std::optional<Rect> display = std::nullopt;
    std::optional<std::vector<Rect>> displays = std::nullopt;
    std::optional<std::vector<Rect>> regions = std::nullopt;
    bool debug = false;
    int passes = 1;
};

// The default session with Mission Control open, a recognition worker on the test's loop, and
// helpers to run the locator and read its dictionary.
class LocatorFixture : public ::testing::Test {
protected:
    void SetUp() override {
        env.session.loadDefaultSession();
        env.session.openMissionControl();
    }

    using Options = LocatorOptions;

    // Starts a location run; `published` collects what reaches onDisplay.
    TaskHandle<Value> start(Options options = {}) {
        auto log = published;
        LabelLocator::OnDisplay onDisplay = [log](LabelBarResult result) { return record(log, std::move(result)); };
        return spawn(LabelLocator::inspect(options.display, options.displays, options.regions, options.debug,
                                           options.passes, onDisplay, LabelLocatorServices{&worker}));
    }
    // Runs a location to its end (advancing virtual time as far as needed).
    Value locate(Options options = {}) {
        auto handle = start(std::move(options));
        for (int i = 0; i < 100 && !handle.isDone(); ++i) env.advance(0.05);
        EXPECT_TRUE(handle.isDone());
        return handle.isDone() ? *handle.result() : Value();
    }

    static Task<void> record(std::shared_ptr<std::vector<LabelBarResult>> log, LabelBarResult result) {
        log->push_back(std::move(result));
        co_return;
    }

    // The captions of a display as the session draws them.
    std::vector<sim::SimDesktopButton> buttons(std::uint32_t displayID) {
        for (const auto& bar : sim::MissionControlLayout::bars(env.session, env.clock.uptime()))
            if (bar.displayID == displayID) return bar.buttons;
        return {};
    }
    static Rect rectangle(const Value& dictionary) {
        return Rect(*dictionary.find("x")->toDouble(), *dictionary.find("y")->toDouble(),
                    *dictionary.find("width")->toDouble(), *dictionary.find("height")->toDouble());
    }
    static std::vector<std::string> texts(const Value& bar) {
        std::vector<std::string> result;
        if (const Value* labels = bar.find("labels"))
            for (const auto& label : *labels->asArray()) result.push_back(*label.find("text")->asString());
        return result;
    }
    // The bar entry whose frame lies on the display.
    static const Value* barOn(const Value& result, const Rect& display) {
        for (const auto& bar : *result.find("bars")->asArray())
            if (display.contains(rectangle(*bar.find("frameCG")))) return &bar;
        return nullptr;
    }

    TestEnvironment env;
    LabelRecognitionWorker worker;
    std::shared_ptr<std::vector<LabelBarResult>> published = std::make_shared<std::vector<LabelBarResult>>();
    const Rect firstDisplay{0, 0, 1512, 982};
    const Rect secondDisplay{1512, -200, 2560, 1440};
};

}  // namespace tarnwick::testkit
