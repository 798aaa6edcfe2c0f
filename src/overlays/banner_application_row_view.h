#pragma once

#include <memory>
#include <vector>

#include "applications/application_icon_cache.h"
#include "applications/space_application.h"
#include "overlays/banner_application_layout.h"
#include "platform/ui/image_view.h"
#include "platform/ui/text_label.h"

namespace tarnwick {

// A centred row of app icons with an overflow label for the apps that do not fit. The image
// views are pooled: the pool grows as needed and never shrinks. Main loop only.
class BannerApplicationRowView : public platform::ui::View {
public:
    // Icons come from the given cache (the program's shared one when none is given).
    explicit BannerApplicationRowView(Rect frame = {}, ApplicationIconCache* icons = nullptr);

    // Fills the row with the apps at an icon size (an invalid size means 16 points), or at the
    // size a banner scale gives.
    void configure(const std::vector<SpaceApplication>& applications, BannerApplicationLayout::IconSize iconSize);
    void configure(const std::vector<SpaceApplication>& applications, BannerApplicationLayout::Scale scale);

    int applicationCount() const { return applicationCount_; }
    void setApplicationCount(int count) { applicationCount_ = count; }
    double iconSize() const { return iconSize_; }

    void layout() override;

    // The pooled image views and the overflow label, for reading the row.
    const std::vector<std::shared_ptr<platform::ui::ImageView>>& iconViews() const { return icons_; }
    const platform::ui::TextLabel& overflow() const { return *overflow_; }

private:
    ApplicationIconCache& iconCache_;
    std::vector<std::shared_ptr<platform::ui::ImageView>> icons_;
    std::shared_ptr<platform::ui::TextLabel> overflow_;
    double iconSize_ = BannerApplicationLayout::baseIconSize;
    int applicationCount_ = 0;
};

}  // namespace tarnwick
