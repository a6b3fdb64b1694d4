#pragma once

#include <QGroupBox>

namespace nxa::app {

// A frame as the platform draws a titled group box: the caption is set into
// the top line of the frame's rectangle, so the line runs through the middle
// of the caption and controls placed a little below the rectangle's top sit
// clear inside. The plain group box of some styles puts the caption above the
// line instead, pushing the line down onto those controls.
class TitledFrame : public QGroupBox {
    Q_OBJECT
public:
    explicit TitledFrame(const QString &title, QWidget *parent = nullptr);

    // Distance from the frame's top to its top line.
    int lineOffset() const;

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace nxa::app
