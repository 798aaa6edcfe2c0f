#include "platform/ui/font_faces.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <map>
#include <optional>
#include <vector>

#include <hb-ot.h>
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

// A big-endian 16-bit field of a font table, or nothing past its end.
std::optional<int> tableField(hb_blob_t* table, unsigned offset, bool isSigned) {
    unsigned length = 0;
    const char* data = hb_blob_get_data(table, &length);
    if (!data || offset + 2 > length) return std::nullopt;
    const auto raw = static_cast<std::uint16_t>((static_cast<unsigned char>(data[offset]) << 8) |
                                                static_cast<unsigned char>(data[offset + 1]));
    return isSigned ? static_cast<int>(static_cast<std::int16_t>(raw)) : static_cast<int>(raw);
}

// What layout reads of the whole face; nothing when the face has no outlines to set text with.
// HarfBuzz's typographic ascender, descender and gap are those of the OS/2 table when the face
// asks for them, else of its horizontal header, as every layout engine reads them.
std::optional<FontFace::Metrics> readMetrics(hb_font_t* font) {
    hb_face_t* face = hb_font_get_face(font);
    const unsigned units = hb_face_get_upem(face);
    if (units == 0 || hb_face_get_glyph_count(face) == 0) return std::nullopt;
    FontFace::Metrics m;
    m.unitsPerEm = units;
    m.averageAdvance = 0.55 * m.unitsPerEm;
    m.capHeight = 0.72 * m.unitsPerEm;
    hb_position_t ascender = 0, descender = 0, gap = 0, capHeight = 0;
    if (hb_ot_metrics_get_position(font, HB_OT_METRICS_TAG_HORIZONTAL_ASCENDER, &ascender)) m.ascender = ascender;
    if (hb_ot_metrics_get_position(font, HB_OT_METRICS_TAG_HORIZONTAL_DESCENDER, &descender))
        m.descender = -static_cast<double>(descender);
    m.lineGap = hb_ot_metrics_get_position(font, HB_OT_METRICS_TAG_HORIZONTAL_LINE_GAP, &gap) ? std::max(0, gap) : 0;
    if (hb_ot_metrics_get_position(font, HB_OT_METRICS_TAG_CAP_HEIGHT, &capHeight) && capHeight > 0)
        m.capHeight = capHeight;
    hb_blob_t* os2 = hb_face_reference_table(face, HB_TAG('O', 'S', '/', '2'));
    if (const auto average = tableField(os2, 2, true); average && *average > 0) m.averageAdvance = *average;
    hb_blob_destroy(os2);
    return m;
}

}  // namespace

void FontFace::load() const {
    std::call_once(loaded_, [this] {
        std::error_code error;
        if (!std::filesystem::exists(file_, error)) return;  // reported when the faces were found
        hb_blob_t* blob = hb_blob_create_from_file_or_fail(file_.c_str());
        hb_face_t* face = blob ? hb_face_create(blob, 0) : nullptr;
        hb_blob_destroy(blob);
        hb_font_t* font = face ? hb_font_create(face) : nullptr;
        hb_face_destroy(face);
        const auto metrics = font ? readMetrics(font) : std::nullopt;
        if (!metrics) {
            hb_font_destroy(font);
            if (report_)
                *report_ << "tarnwick: the font file " << file_.string() << " cannot be read. Reinstall the package "
                         << package_ << "; until then text is measured with fallback widths.\n";
            return;
        }
        metrics_ = *metrics;
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
