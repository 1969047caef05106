// The count of live GDI objects held by the owning wrappers.
#include "base/GdiObjects.h"

namespace {
// Everything runs on the one GUI thread; a plain counter is enough.
int64_t GLiveGdiObjects = 0;
} // namespace

int64_t LiveGdiObjects() {
  return GLiveGdiObjects;
}

namespace gdi_detail {
void CountCreated() {
  ++GLiveGdiObjects;
}
void CountDeleted() {
  --GLiveGdiObjects;
}
} // namespace gdi_detail
