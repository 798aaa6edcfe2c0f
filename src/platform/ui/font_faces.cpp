#include "platform/ui/font_faces.h"

#include <cmath>
#include <cstdlib>
#include <iostream>
#include <map>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include <hb.h>

namespace tarnwick::platform::ui {

namespace {

struct InterWeight {
    double weight;  // the platform's raw value
    const char* style;
    int css;
};

// Each of the system font's weights and the static Inter face drawn for it.
constexpr std::array<InterWeight, 9> kInterWeights{{
    {font_weight::kUltraLight, "Thin", 100},
    {font_weight::kThin, "ExtraLight", 200},
    {font_weight::kLight, "Light", 300},
    {font_weight::kRegular, "Regular", 400},
    {font_weight::kMedium, "Medium", 500},
    {font_weight::kSemibold, "SemiBold", 600},
    {font_weight::kBold, "Bold", 700},
    {font_weight::kHeavy, "ExtraBold", 800},
    {font_weight::kBlack, "Black", 900},
}};
constexpr std::size_t kMonospacedBook = 9;
constexpr std::size_t kMonospacedBold = 10;

}  // namespace

FontFace::FontFace(std::string family, int cssWeight, std::filesystem::path file, std::string package)
    : family_(std::move(family)), cssWeight_(cssWeight), file_(std::move(file)), package_(std::move(package)) {}

FontFace::~FontFace() {
    if (shaper_) hb_font_destroy(shaper_);
}

bool FontFace::readMetrics(void* freetype) {
    FT_Face face = nullptr;
    if (FT_New_Face(static_cast<FT_Library>(freetype), file_.c_str(), 0, &face) != 0) return false;
    const bool scalable = FT_IS_SCALABLE(face) && face->units_per_EM > 0;
    if (scalable) {
        unitsPerEm_ = face->units_per_EM;
        ascender_ = face->ascender;
        descender_ = -static_cast<double>(face->descender);
        lineGap_ = std::max(0.0, face->height - ascender_ - descender_);
        averageAdvance_ = 0.55 * unitsPerEm_;
        capHeight_ = 0.72 * unitsPerEm_;
        if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2))) {
            // Faces that ask for their typographic metrics get them, as every layout engine does.
            if (os2->fsSelection & (1u << 7)) {
                ascender_ = os2->sTypoAscender;
                descender_ = -static_cast<double>(os2->sTypoDescender);
                lineGap_ = std::max<double>(0, os2->sTypoLineGap);
            }
            if (os2->xAvgCharWidth > 0) averageAdvance_ = os2->xAvgCharWidth;
            if (os2->version >= 2 && os2->sCapHeight > 0) capHeight_ = os2->sCapHeight;
        }
    }
    FT_Done_Face(face);
    return scalable;
}

hb_font_t* FontFace::shaper() const {
    if (!present_) return nullptr;
    std::call_once(loaded_, [this] {
        hb_blob_t* blob = hb_blob_create_from_file_or_fail(file_.c_str());
        if (!blob) return;
        hb_face_t* face = hb_face_create(blob, 0);
        hb_blob_destroy(blob);
        hb_font_t* font = hb_font_create(face);
        hb_face_destroy(face);
        // Shaped in the face's own units: one shaping serves every size.
        const auto units = static_cast<int>(unitsPerEm_);
        hb_font_set_scale(font, units, units);
        hb_font_make_immutable(font);
        shaper_ = font;
    });
    return shaper_;
}

FontFaces::FontFaces(const std::filesystem::path& folder, std::ostream& report) {
    const auto inter = folder / "opentype" / "inter";
    for (std::size_t i = 0; i < kInterWeights.size(); ++i) {
        const auto& w = kInterWeights[i];
        faces_[i] = std::make_unique<FontFace>("Inter", w.css, inter / ("Inter-" + std::string(w.style) + ".otf"),
                                               "fonts-inter");
    }
    const auto dejavu = folder / "truetype" / "dejavu";
    faces_[kMonospacedBook] =
        std::make_unique<FontFace>("DejaVu Sans Mono", 400, dejavu / "DejaVuSansMono.ttf", "fonts-dejavu-core");
    faces_[kMonospacedBold] =
        std::make_unique<FontFace>("DejaVu Sans Mono", 700, dejavu / "DejaVuSansMono-Bold.ttf", "fonts-dejavu-core");

    FT_Library freetype = nullptr;
    const bool ready = FT_Init_FreeType(&freetype) == 0;
    std::map<std::string, std::vector<std::string>> missing;  // file names by package
    for (auto& face : faces_) {
        face->present_ = ready && face->readMetrics(freetype);
        if (!face->present_) missing[face->package_].push_back(face->file_.string());
    }
    if (ready) FT_Done_FreeType(freetype);

    for (const auto& [package, files] : missing) {
        report << "tarnwick: font file" << (files.size() > 1 ? "s" : "") << " missing or unreadable:";
        for (const auto& file : files) report << ' ' << file;
        report << ". Install the package " << package
               << " (tools/install-deps.sh installs it); until then text is measured with fallback widths.\n";
    }
}

const FontFaces& FontFaces::shared() {
    static const FontFaces faces([] {
        const char* folder = std::getenv("TARNWICK_FONTS_FOLDER");
        return std::filesystem::path(folder && *folder ? folder : kDefaultFolder);
    }(), std::cerr);
    return faces;
}

std::size_t FontFaces::faceIndex(const Font& font) const {
    if (font.monospaced) return font.weight >= font_weight::kSemibold ? kMonospacedBold : kMonospacedBook;
    std::size_t nearest = 3;  // regular, also for a weight that is not a number
    double distance = INFINITY;
    for (std::size_t i = 0; i < kInterWeights.size(); ++i) {
        const double d = std::abs(font.weight - kInterWeights[i].weight);
        if (d < distance) {
            distance = d;
            nearest = i;
        }
    }
    return nearest;
}

bool FontFaces::complete() const {
    for (const auto& face : faces_)
        if (!face->present()) return false;
    return true;
}

}  // namespace tarnwick::platform::ui
