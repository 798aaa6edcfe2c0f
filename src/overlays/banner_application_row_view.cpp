#include "overlays/banner_application_row_view.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "model/preference_limits.h"

namespace tarnwick {

namespace ui = platform::ui;

namespace {

void clearOverflow(ui::TextLabel& overflow) {
    overflow.setHidden(true);
    overflow.setStringValue("");
    overflow.accessibilityLabel.reset();
}

}  // namespace

BannerApplicationRowView::BannerApplicationRowView(Rect frame, ApplicationIconCache* icons)
    : View(frame),
      iconCache_(icons ? *icons : ApplicationIconCache::shared()),
      overflow_(std::make_shared<ui::TextLabel>()) {
    overflow_->alignment = ui::TextAlignment::center;
    overflow_->textColor = ui::Color::secondaryLabel();
    addSubview(overflow_);
}

void BannerApplicationRowView::configure(const std::vector<SpaceApplication>& applications,
                                         BannerApplicationLayout::Scale scale) {
    configure(applications,
              BannerApplicationLayout::IconSize{BannerApplicationLayout::baseIconSize * BannerSize::clamped(scale.factor)});
}

void BannerApplicationRowView::configure(const std::vector<SpaceApplication>& applications,
                                         BannerApplicationLayout::IconSize iconSize) {
    const double size = iconSize.points;
    iconSize_ = std::isfinite(size) && size > 0 ? size : BannerApplicationLayout::baseIconSize;
    applicationCount_ = static_cast<int>(std::min<size_t>(applications.size(), std::numeric_limits<int>::max()));
    const size_t visible = std::min<size_t>(applications.size(), BannerApplicationLayout::maximumIcons);

    while (icons_.size() < visible) {
        auto view = std::make_shared<ui::ImageView>();
        view->imageScaling = ui::ImageScaling::proportionallyUpOrDown;
        view->setHidden(true);
        addSubview(view);
        icons_.push_back(std::move(view));
    }
    for (size_t i = 0; i < icons_.size(); ++i) {
        auto& view = *icons_[i];
        if (i < visible) {
            // Whether they show is decided by layout.
            view.image = iconCache_.image(applications[i]);
            view.accessibilityLabel = applications[i].name;
        } else {
            view.setHidden(true);
            view.image.reset();
            view.accessibilityLabel.reset();
        }
    }
    clearOverflow(*overflow_);
    overflow_->font = ui::Font::system(iconSize_ * 11 / 16, ui::font_weight::kMedium);
    setNeedsLayout();
}

void BannerApplicationRowView::layout() {
    const Rect area = bounds();
    const auto row = BannerApplicationLayout::row(applicationCount_, area.width(),
                                                  BannerApplicationLayout::IconSize{iconSize_});
    if (!row) {
        for (auto& view : icons_) view->setHidden(true);
        clearOverflow(*overflow_);
        return;
    }
    const size_t shown = std::min<size_t>(static_cast<size_t>(row->iconCount), icons_.size());
    for (size_t i = shown; i < icons_.size(); ++i) icons_[i]->setHidden(true);
    double x = (area.width() - row->width) * 0.5;
    for (size_t i = 0; i < shown; ++i) {
        icons_[i]->setHidden(false);
        icons_[i]->setFrame(Rect(x, (area.height() - row->iconSize) * 0.5, row->iconSize, row->iconSize));
        x += row->iconSize + row->spacing;
    }
    if (row->hiddenCount > 0) {
        const std::string count = std::to_string(row->hiddenCount);
        overflow_->setHidden(false);
        overflow_->setStringValue("+" + count);
        overflow_->accessibilityLabel = count + " more apps";
        const double height = overflow_->fittingSize().height;
        overflow_->setFrame(Rect(x, (area.height() - height) * 0.5, std::max((row->width + area.width()) * 0.5 - x, 0.0), height));
    } else {
        clearOverflow(*overflow_);
    }
}

}  // namespace tarnwick
