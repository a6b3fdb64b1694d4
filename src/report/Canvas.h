#pragma once

#include <QString>

namespace nxa::report {

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;

    friend bool operator==(const Rgb &, const Rgb &) = default;
};

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kBandGrey{240, 240, 240};

// Every report uses the same two faces: the body for all texts, the title for
// the one headline.
enum class FontRole { Body, Title };

struct FontSpec {
    FontRole role = FontRole::Body;
    int points = 0;
    // Character height in page pixels, already derived from the points.
    int pixelSize = 0;

    friend bool operator==(const FontSpec &, const FontSpec &) = default;
};

// A page surface in page pixels that the reports draw on. The printer
// implementation lives in the application; tests record the calls.
class Canvas {
public:
    virtual ~Canvas();

    // Printable area of a page.
    virtual int pageWidth() const = 0;
    virtual int pageHeight() const = 0;
    // Vertical resolution of the screen in dots per inch; 0 when unknown.
    virtual int screenDpi() const = 0;

    virtual void setFont(const FontSpec &font) = 0;
    // Measured in the current font; both 0 for an empty text.
    virtual int textWidth(const QString &text) = 0;
    virtual int textHeight(const QString &text) = 0;

    // (x, y) is the top-left corner of the text; the background is left as it is.
    virtual void drawText(int x, int y, const QString &text, Rgb colour) = 0;
    // Covers x to x + width and y to y + height.
    virtual void fillRect(int x, int y, int width, int height, Rgb colour) = 0;
    // From (x, y) to (x + width - 1, y + height - 1).
    virtual void drawLine(int x, int y, int width, int height, Rgb colour) = 0;
    // The product picture, scaled to fill the box; nothing when there is none.
    virtual void drawLogo(int x, int y, int width, int height) = 0;
    // Closes the current page and opens the next one.
    virtual void newPage() = 0;
};

} // namespace nxa::report
