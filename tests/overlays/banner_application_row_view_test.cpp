#include <limits>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "overlays/banner_application_row_view.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

using testkit::TestEnvironment;

std::vector<SpaceApplication> apps(int count) {
    std::vector<SpaceApplication> list;
    for (int i = 0; i < count; ++i) {
        const std::string name = "App" + std::to_string(i);
        list.push_back(SpaceApplication{name, name, "file:///Applications/" + name + ".app/"});
    }
    return list;
}

class RowViewTest : public ::testing::Test {
protected:
    RowViewTest() {
        for (auto& app : apps(20)) resolved.insert(*app.bundleURL);
    }
    std::shared_ptr<BannerApplicationRowView> make(Rect frame) {
        return std::make_shared<BannerApplicationRowView>(frame, &icons);
    }
    std::vector<bool> hidden(const BannerApplicationRowView& row) {
        std::vector<bool> out;
        for (auto& view : row.iconViews()) out.push_back(view->isHidden());
        return out;
    }

    TestEnvironment env;
    std::set<std::string> resolved;
    ApplicationIconCache icons{[] { return 0.0; }, [this](const std::string& url) -> std::optional<ApplicationIconCache::Resolution> {
                                   if (!resolved.count(url)) return std::nullopt;
                                   return ApplicationIconCache::Resolution::resolved(platform::Image{7, url, {32, 32}, true, {}});
                               }};
};

TEST_F(RowViewTest, ShowsEightCentredIconsAndCountsTheRest) {
    auto row = make(Rect(0, 0, 300, 20));
    row->configure(apps(11), BannerApplicationLayout::IconSize{16});
    row->layoutSubtreeIfNeeded();
    ASSERT_EQ(row->iconViews().size(), 8u);
    // 8 icons and "+3": 170 + 6 + 24 = 200, centred in 300.
    EXPECT_EQ(row->iconViews()[0]->frame(), Rect(50, 2, 16, 16));
    EXPECT_EQ(row->iconViews()[7]->frame(), Rect(50 + 7 * 22, 2, 16, 16));
    EXPECT_EQ(row->iconViews()[2]->accessibilityLabel, "App2");
    EXPECT_EQ(row->iconViews()[2]->image->source, "file:///Applications/App2.app/");
    EXPECT_FALSE(row->overflow().isHidden());
    EXPECT_EQ(row->overflow().stringValue(), "+3");
    EXPECT_EQ(row->overflow().accessibilityLabel, "3 more apps");
    EXPECT_EQ(row->overflow().frame().minX(), 50 + 8 * 22);
    EXPECT_EQ(row->overflow().frame().maxX(), 250);  // the right end of the centred row
}

TEST_F(RowViewTest, ThePoolNeverShrinksAndUnusedViewsAreEmptied) {
    auto row = make(Rect(0, 0, 300, 20));
    row->configure(apps(6), BannerApplicationLayout::IconSize{16});
    row->layoutSubtreeIfNeeded();
    row->configure(apps(2), BannerApplicationLayout::IconSize{16});
    row->layoutSubtreeIfNeeded();
    ASSERT_EQ(row->iconViews().size(), 6u);
    EXPECT_EQ(hidden(*row), (std::vector<bool>{false, false, true, true, true, true}));
    EXPECT_FALSE(row->iconViews()[4]->image);
    EXPECT_FALSE(row->iconViews()[4]->accessibilityLabel);
    EXPECT_TRUE(row->overflow().isHidden());
    EXPECT_EQ(row->overflow().stringValue(), "");
}

TEST_F(RowViewTest, InvalidSizesFallBackAndANarrowRowShowsNothing) {
    auto row = make(Rect(0, 0, 300, 20));
    row->configure(apps(2), BannerApplicationLayout::IconSize{-4});
    EXPECT_EQ(row->iconSize(), 16);
    row->configure(apps(2), BannerApplicationLayout::Scale{5});
    EXPECT_EQ(row->iconSize(), 32);
    EXPECT_EQ(row->overflow().font.size, 22);

    auto narrow = make(Rect(0, 0, 20, 20));
    narrow->configure(apps(3), BannerApplicationLayout::IconSize{16});
    narrow->layoutSubtreeIfNeeded();
    EXPECT_EQ(hidden(*narrow), (std::vector<bool>{true, true, true}));
    EXPECT_TRUE(narrow->overflow().isHidden());

    // A count set beyond the configured apps shows what the pool holds, never more.
    row->configure(apps(2), BannerApplicationLayout::IconSize{16});
    row->setApplicationCount(5);
    row->layoutSubtreeIfNeeded();
    EXPECT_EQ(hidden(*row), (std::vector<bool>{false, false}));

    auto tiny = make(Rect(0, 0, 1, 1));
    tiny->configure({}, BannerApplicationLayout::IconSize{std::numeric_limits<double>::quiet_NaN()});
    tiny->setApplicationCount(-5);
    tiny->layoutSubtreeIfNeeded();
    EXPECT_TRUE(tiny->iconViews().empty());
}

TEST_F(RowViewTest, AnAppWithoutAnIconGetsTheFallbackSymbol) {
    env.session.loadDefaultSession();
    auto row = make(Rect(0, 0, 300, 20));
    row->configure({SpaceApplication{"x", "Mystery", std::nullopt}}, BannerApplicationLayout::IconSize{16});
    ASSERT_TRUE(row->iconViews()[0]->image);
    EXPECT_EQ(row->iconViews()[0]->image->source, "app");
    EXPECT_EQ(row->iconViews()[0]->accessibilityLabel, "Mystery");
}

}  // namespace
}  // namespace tarnwick
