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

// One font file of the text system. It is read at its first use, not before, so that a program
// that sets text in two weights opens two files: HarfBuzz loads the face to shape with and reads
// what layout needs of the whole face (in the face's own units). A face whose file is
// missing or unreadable keeps fallback metrics (in ems) and shapes nothing. Safe from any thread:
// once read, a face never changes.
class FontFace {
public:
    FontFace(std::string family, int cssWeight, std::filesystem::path file, std::string package,
             std::ostream* report);
    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    const std::string& family() const { return family_; }  // as a picture names it
    int cssWeight() const { return cssWeight_; }             // 100 ... 900
    const std::filesystem::path& file() const { return file_; }
    const std::string& package() const { return package_; }  // the Debian package that installs it

    struct Metrics {
        double unitsPerEm = 1;
        double ascender = 0.952;   // above the baseline
        double descender = 0.241;  // below the baseline, positive
        double lineGap = 0;
        double averageAdvance = 0.55;
        double capHeight = 0.72;
    };
    const Metrics& metrics() const;
    double unitsPerEm() const { return metrics().unitsPerEm; }
    double ascender() const { return metrics().ascender; }
    double descender() const { return metrics().descender; }
    double lineGap() const { return metrics().lineGap; }
    double averageAdvance() const { return metrics().averageAdvance; }
    double capHeight() const { return metrics().capHeight; }

    // The face to shape with; null when the file is missing or unreadable.
    hb_font_t* shaper() const;

private:
    void load() const;

    std::string family_;
    int cssWeight_;
    std::filesystem::path file_;
    std::string package_;
    std::ostream* report_;  // hears once when a file that is there cannot be read
    mutable std::once_flag loaded_;
    mutable Metrics metrics_;
    mutable hb_font_t* shaper_ = nullptr;
};

// The faces the text system sets the system font in: Inter in its nine static weights, and DejaVu
// Sans Mono (book and bold) for the monospaced system font. Files are looked for under one fonts
// folder (/usr/share/fonts by default); missing ones are reported once, when the faces are found,
// naming the package that installs them, and text in them is measured with fallback widths.
// `report` must outlive the faces.
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
    // Whether every face's file was there when the faces were found.
    bool complete() const { return missing_ == 0; }

    static constexpr std::size_t kFaceCount = 11;

private:
    std::array<std::unique_ptr<FontFace>, kFaceCount> faces_;
    std::size_t missing_ = 0;
};

}  // namespace tarnwick::platform::ui
