#include "platform/draw/device.h"

namespace qv {

double deviceX(const DeviceRect& r, double x) { return r.x + x + 0.5; }
double deviceY(const DeviceRect& r, double y) { return r.y + r.h - 1 - y + 0.5; }

}  // namespace qv
