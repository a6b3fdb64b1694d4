#pragma once

#include <QIcon>
#include <QImage>
#include <QList>

namespace nxa::app {

inline constexpr int kSpinnerFrameCount = 8;

// The pictures the program carries, decoded from its resources. A picture
// that cannot be decoded comes back null; callers draw nothing for it.
QImage splashPicture();
QList<QImage> spinnerFrames();
QImage productPicture();
QImage operationPicture();
// Every image of the tray icon file, largest first.
QIcon trayIconPicture();

} // namespace nxa::app
