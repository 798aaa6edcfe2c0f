#include "platform/ui/font_faces.h"

#include <cmath>
#include <cstdlib>
#include <iostream>
#include <map>
#include <optional>
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

FontFace::FontFace(std::string family, int cssWeight, std::filesystem::path file, std::string package,
                   std::ostream* report)
    : family_(std::move(family)),
      cssWeight_(cssWeight),
      file_(std::move(file)),
      package_(std::move(package)),
      report_(report) {}

FontFace::~FontFace() {
    if (shaper_) hb_font_destroy(shaper_);
}

namespace {

// The one FreeType library of the process, and the lock its faces are opened under (FreeType
// opens faces of one library one at a time); null when FreeType cannot start.
FT_Library freeType(std::unique_lock<std::mutex>& lock) {
    static std::mutex mutex;
    lock = std::unique_lock(mutex);
    static FT_Library library = [] {
        FT_Library made = nullptr;
        return FT_Init_FreeType(&made) == 0 ? made : nullptr;
    }();
    return library;
}

// What layout reads of the whole face, from its file; nothing when it is not a scalable font.
std::optional<FontFace::Metrics> readMetrics(const std::filesystem::path& file) {
    std::unique_lock<std::mutex> lock;
    FT_Library freetype = freeType(lock);
    if (!freetype) return std::nullopt;
    FT_Face face = nullptr;
    std::optional<FontFace::Metrics> read;
    if (FT_New_Face(freetype, file.c_str(), 0, &face) == 0) {
        if (FT_IS_SCALABLE(face) && face->units_per_EM > 0) {
            FontFace::Metrics m;
            m.unitsPerEm = face->units_per_EM;
            m.ascender = face->ascender;
            m.descender = -static_cast<double>(face->descender);
            m.lineGap = std::max(0.0, face->height - m.ascender - m.descender);
            m.averageAdvance = 0.55 * m.unitsPerEm;
            m.capHeight = 0.72 * m.unitsPerEm;
            if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2))) {
                // Faces that ask for their typographic metrics get them, as every layout engine does.
                if (os2->fsSelection & (1u << 7)) {
                    m.ascender = os2->sTypoAscender;
                    m.descender = -static_cast<double>(os2->sTypoDescender);
                    m.lineGap = std::max<double>(0, os2->sTypoLineGap);
                }
                if (os2->xAvgCharWidth > 0) m.averageAdvance = os2->xAvgCharWidth;
                if (os2->version >= 2 && os2->sCapHeight > 0) m.capHeight = os2->sCapHeight;
            }
            read = m;
        }
        FT_Done_Face(face);
    }
    return read;
}

}  // namespace

void FontFace::load() const {
    std::call_once(loaded_, [this] {
        std::error_code error;
        if (!std::filesystem::exists(file_, error)) return;  // reported when the faces were found
        const auto metrics = readMetrics(file_);
        hb_blob_t* blob = metrics ? hb_blob_create_from_file_or_fail(file_.c_str()) : nullptr;
        if (!blob) {
            if (report_)
                *report_ << "tarnwick: the font file " << file_.string() << " cannot be read. Reinstall the package "
                         << package_ << "; until then text is measured with fallback widths.\n";
            return;
        }
        metrics_ = *metrics;
        hb_face_t* face = hb_face_create(blob, 0);
        hb_blob_destroy(blob);
        hb_font_t* font = hb_font_create(face);
        hb_face_destroy(face);
        // Shaped in the face's own units: one shaping serves every size.
        const auto units = static_cast<int>(metrics_.unitsPerEm);
        hb_font_set_scale(font, units, units);
        hb_font_make_immutable(font);
        shaper_ = font;
    });
}

const FontFace::Metrics& FontFace::metrics() const {
    load();
    return metrics_;
}

hb_font_t* FontFace::shaper() const {
    load();
    return shaper_;
}

FontFaces::FontFaces(const std::filesystem::path& folder, std::ostream& report) {
    const auto inter = folder / "opentype" / "inter";
    for (std::size_t i = 0; i < kInterWeights.size(); ++i) {
        const auto& w = kInterWeights[i];
        faces_[i] = std::make_unique<FontFace>("Inter", w.css, inter / ("Inter-" + std::string(w.style) + ".otf"),
                                               "fonts-inter", &report);
    }
    const auto dejavu = folder / "truetype" / "dejavu";
    faces_[kMonospacedBook] = std::make_unique<FontFace>("DejaVu Sans Mono", 400, dejavu / "DejaVuSansMono.ttf",
                                                         "fonts-dejavu-core", &report);
    faces_[kMonospacedBold] = std::make_unique<FontFace>("DejaVu Sans Mono", 700, dejavu / "DejaVuSansMono-Bold.ttf",
                                                         "fonts-dejavu-core", &report);

    // Only whether the files are there is looked at now; each is read at its first use.
    std::map<std::string, std::vector<std::string>> missing;  // file names by package
    for (const auto& face : faces_) {
        std::error_code error;
        if (std::filesystem::is_regular_file(face->file(), error)) continue;
        missing[face->package()].push_back(face->file().string());
        ++missing_;
    }
    for (const auto& [package, files] : missing) {
        report << "tarnwick: font file" << (files.size() > 1 ? "s" : "") << " missing:";
        for (const auto& file : files) report << ' ' << file;
        report << ". Install the package " << package
               << " (tools/install-deps.sh installs it); until then text is measured with fallback widths.\n";
    }
}

const FontFaces& FontFaces::shared() {
    // Never destroyed: a worker thread may still measure while the program exits.
    static const auto* faces = new FontFaces(
        [] {
            const char* folder = std::getenv("TARNWICK_FONTS_FOLDER");
            return std::filesystem::path(folder && *folder ? folder : kDefaultFolder);
        }(),
        std::cerr);
    return *faces;
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

}  // namespace tarnwick::platform::ui
