#include "report/Canvas.h"

namespace nxa::report {

Canvas::~Canvas() = default;

} // namespace nxa::report
