#pragma once

#include "report/Canvas.h"

#include <QList>
#include <QString>

namespace nxa::report::test {

// A page of fixed size with fixed text metrics: every character is half the
// font's pixel size wide, every non-empty text one pixel size high. Records
// each drawing call with the page it landed on.
class RecordingCanvas : public Canvas {
public:
    enum class Kind { Text, Fill, Line, Logo };
    struct Op {
        Kind kind;
        int page = 0;
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
        QString text;
        Rgb colour;
        FontSpec font;
    };

    RecordingCanvas(int width, int height, int dpi = 96)
        : m_width(width), m_height(height), m_dpi(dpi) {}

    QList<Op> ops;
    QList<FontSpec> fontsSet;
    int page = 0;

    int pageWidth() const override { return m_width; }
    int pageHeight() const override { return m_height; }
    int screenDpi() const override { return m_dpi; }

    void setFont(const FontSpec &font) override {
        m_font = font;
        fontsSet.append(font);
    }
    int textWidth(const QString &text) override {
        return static_cast<int>(text.size()) * (m_font.pixelSize / 2);
    }
    int textHeight(const QString &text) override { return text.isEmpty() ? 0 : m_font.pixelSize; }

    void drawText(int x, int y, const QString &text, Rgb colour) override {
        ops.append(
            {Kind::Text, page, x, y, textWidth(text), textHeight(text), text, colour, m_font});
    }
    void fillRect(int x, int y, int width, int height, Rgb colour) override {
        ops.append({Kind::Fill, page, x, y, width, height, {}, colour, m_font});
    }
    void drawLine(int x, int y, int width, int height, Rgb colour) override {
        ops.append({Kind::Line, page, x, y, width, height, {}, colour, m_font});
    }
    void drawLogo(int x, int y, int width, int height) override {
        ops.append({Kind::Logo, page, x, y, width, height, {}, {}, m_font});
    }
    void newPage() override { ++page; }

    // Every text drawn, in order.
    QList<Op> texts() const { return ofKind(Kind::Text); }
    QList<Op> ofKind(Kind kind) const {
        QList<Op> found;
        for (const Op &op : ops)
            if (op.kind == kind)
                found.append(op);
        return found;
    }
    // Texts drawn on one line (same page and y).
    QStringList textsAt(int onPage, int y) const {
        QStringList found;
        for (const Op &op : ops)
            if (op.kind == Kind::Text && op.page == onPage && op.y == y)
                found.append(op.text);
        return found;
    }
    // The same line as "text@x" entries, so positions are compared with the texts.
    QStringList placedTextsAt(int onPage, int y) const {
        QStringList found;
        for (const Op &op : ops)
            if (op.kind == Kind::Text && op.page == onPage && op.y == y)
                found.append(op.text + QLatin1Char('@') + QString::number(op.x));
        return found;
    }
    // The first text equal to `text`, or a default Op with an empty text.
    Op firstText(const QString &text) const {
        for (const Op &op : ops)
            if (op.kind == Kind::Text && op.text == text)
                return op;
        return {};
    }
    int countTexts(const QString &text) const {
        int n = 0;
        for (const Op &op : ops)
            n += op.kind == Kind::Text && op.text == text ? 1 : 0;
        return n;
    }
    // Grey bands, in order.
    QList<Op> bands() const {
        QList<Op> found;
        for (const Op &op : ops)
            if (op.kind == Kind::Fill && op.colour == kBandGrey)
                found.append(op);
        return found;
    }

private:
    int m_width;
    int m_height;
    int m_dpi;
    FontSpec m_font;
};

} // namespace nxa::report::test
