#include "app/shared/TitledFrame.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>

namespace nxa::app {

namespace {

// The caption starts this far in from the frame's left edge and keeps this
// much of the line clear on either side.
constexpr int kCaptionIndent = 8;
constexpr int kCaptionPadding = 2;

} // namespace

TitledFrame::TitledFrame(const QString &title, QWidget *parent) : QGroupBox(title, parent) {}

int TitledFrame::lineOffset() const {
    return title().isEmpty() ? 0 : fontMetrics().height() / 2;
}

void TitledFrame::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.rect = rect().adjusted(0, lineOffset(), 0, 0);
    frame.lineWidth = 1;
    frame.midLineWidth = 0;
    frame.features = QStyleOptionFrame::None;
    frame.frameShape = QFrame::StyledPanel;
    // The style's group box primitive may keep its own room for a caption
    // above the line; the plain frame is drawn exactly where it is asked to.
    style()->drawPrimitive(QStyle::PE_Frame, &frame, &painter, this);

    const QString caption = title();
    if (caption.isEmpty())
        return;
    const int width = fontMetrics().horizontalAdvance(caption) + 2 * kCaptionPadding;
    const QRect box(kCaptionIndent, 0, std::min(width, this->width() - 2 * kCaptionIndent),
                    fontMetrics().height());
    // The caption interrupts the line: its box takes the surroundings' colour.
    painter.fillRect(box, palette().brush(QPalette::Window));
    style()->drawItemText(&painter, box, Qt::AlignCenter | Qt::TextSingleLine, palette(),
                          isEnabled(), caption, QPalette::WindowText);
}

} // namespace nxa::app
