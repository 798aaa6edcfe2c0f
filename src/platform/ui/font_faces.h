#pragma once

#include <array>
#include <filesystem>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>

#include "platform/ui/font.h"

struct hb_font_t;

namespace tarnwick::platform::ui {

// One font file of the text system: what layout reads of the whole face (in the face's own
// units), read when the faces are found, and the face HarfBuzz shapes with, loaded at its first
// use. A face whose file is missing or unreadable keeps fallback metrics and shapes nothing.
class FontFace {
public:
    FontFace(std::string family, int cssWeight, std::filesystem::path file, std::string package);
    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    const std::string& family() const { return family_; }  // as a picture names it
    int cssWeight() const { return cssWeight_; }             // 100 ... 900
    const std::filesystem::path& file() const { return file_; }
    const std::string& package() const { return package_; }  // the Debian package that installs it
    bool present() const { return present_; }

    double unitsPerEm() const { return unitsPerEm_; }
    double ascender() const { return ascender_; }    // above the baseline
    double descender() const { return descender_; }  // below the baseline, positive
    double lineGap() const { return lineGap_; }
    double averageAdvance() const { return averageAdvance_; }
    double capHeight() const { return capHeight_; }

    // The face to shape with; null when the file is missing. Safe from any thread: the face is
    // loaded once and never changes.
    hb_font_t* shaper() const;

private:
    friend class FontFaces;
    // Reads the face's metrics from its file; false when it is missing or not a font.
    bool readMetrics(void* freetype);

    std::string family_;
    int cssWeight_;
    std::filesystem::path file_;
    std::string package_;
    bool present_ = false;
    // Fallback metrics, in ems, for a face whose file is missing.
    double unitsPerEm_ = 1;
    double ascender_ = 0.952;
    double descender_ = 0.241;
    double lineGap_ = 0;
    double averageAdvance_ = 0.55;
    double capHeight_ = 0.72;
    mutable std::once_flag loaded_;
    mutable hb_font_t* shaper_ = nullptr;
};

// The faces the text system sets the system font in: Inter in its nine static weights, and DejaVu
// Sans Mono (book and bold) for the monospaced system font. Files are looked for under one fonts
// folder (/usr/share/fonts by default); missing ones are reported once, when the faces are found,
// naming the package that installs them, and text in them is measured with fallback widths.
class FontFaces {
public:
    static constexpr const char* kDefaultFolder = "/usr/share/fonts";

    FontFaces(const std::filesystem::path& folder, std::ostream& report);
    FontFaces(const FontFaces&) = delete;
    FontFaces& operator=(const FontFaces&) = delete;

    // The process's faces, from the folder TARNWICK_FONTS_FOLDER names or the default one;
    // missing files are reported on standard error.
    static const FontFaces& shared();

    // The face that sets the font, and its index among the faces.
    std::size_t faceIndex(const Font& font) const;
    const FontFace& face(std::size_t index) const { return *faces_[index]; }
    const FontFace& face(const Font& font) const { return face(faceIndex(font)); }
    // Whether every face was found.
    bool complete() const;

    static constexpr std::size_t kFaceCount = 11;

private:
    std::array<std::unique_ptr<FontFace>, kFaceCount> faces_;
};

}  // namespace tarnwick::platform::ui
